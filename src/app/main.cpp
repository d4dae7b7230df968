#include "app/forms.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("scrivo"));
    createForms(QApplication::arguments().mid(1));
    const int code = QApplication::exec();
    destroyForms();
    return code;
}
