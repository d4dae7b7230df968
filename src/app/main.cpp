#include "app/forms.h"
#include "explorer/pidlmanager.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("scrivo"));
    createForms(QApplication::arguments().mid(1));
    const int code = QApplication::exec();
    destroyForms();
    // Warns when an item identifier was never freed.
    TSxPidlManager::instance().Shutdown();
    return code;
}
