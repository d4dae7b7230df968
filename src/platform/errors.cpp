#include "platform/errors.h"

#include <QApplication>
#include <QMessageBox>

namespace {
ErrorReporter& currentReporter()
{
    static ErrorReporter reporter;
    return reporter;
}

QString& titleStorage()
{
    static QString title;
    return title;
}
}

QString applicationTitle() { return titleStorage(); }
void setApplicationTitle(const QString& title) { titleStorage() = title; }

QString withFullStop(const QString& text)
{
    if (!text.isEmpty() && text.back().unicode() > u'.')
        return text + u'.';
    return text;
}

void reportError(const QString& text)
{
    const QString shown = withFullStop(text);
    if (currentReporter()) {
        currentReporter()(shown);
        return;
    }
    QMessageBox box(QMessageBox::Critical, applicationTitle(), shown, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("errorBox"));
    // File names are no markup: "<b>x.txt" is shown as it is.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

ErrorReporter setErrorReporter(ErrorReporter reporter)
{
    return std::exchange(currentReporter(), std::move(reporter));
}
