#include "documents/editcommands.h"

#include "documents/documenttable.h"
#include "editor/tredit.h"

#include <QLocale>

namespace {

QChar separatorIn(const QString& format, QChar fallback)
{
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return fallback;
}

QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

QString fourDigits(int n) { return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')); }

}

RegionalSeparators separatorsOf(const QLocale& locale)
{
    return {separatorIn(locale.dateFormat(QLocale::ShortFormat), u'/'),
            separatorIn(locale.timeFormat(QLocale::ShortFormat), u':')};
}

QString dateUsText(QDate date, QChar separator)
{
    return twoDigits(date.month()) + separator + twoDigits(date.day()) + separator + fourDigits(date.year());
}

QString dateEuropeText(QDate date, QChar separator)
{
    return twoDigits(date.day()) + separator + twoDigits(date.month()) + separator + fourDigits(date.year());
}

QString timeUsText(QTime time, QChar separator)
{
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return twoDigits(hour) + separator + twoDigits(time.minute())
        + (time.hour() < 12 ? QStringLiteral(" am") : QStringLiteral(" pm"));
}

QString timeEuropeText(QTime time, QChar separator)
{
    return twoDigits(time.hour()) + separator + twoDigits(time.minute());
}

EditCommands::EditCommands(DocumentTable& table)
    : m_table(table), m_clock(&QDateTime::currentDateTime), m_separators(separatorsOf(QLocale::system()))
{
}

void EditCommands::Copy()
{
    TREdit* editor = m_table.currentEditor();
    if (!editor || editor->selLength() == 0)
        return;
    try {
        editor->copy();
    } catch (...) {
        // The clipboard's troubles are not the user's.
    }
}

void EditCommands::Cut()
{
    TREdit* editor = m_table.currentEditor();
    if (!editor || editor->selLength() == 0)
        return;
    try {
        editor->cut();
    } catch (...) {
    }
}

void EditCommands::Paste()
{
    if (TREdit* editor = m_table.currentEditor())
        editor->paste();
}

void EditCommands::Undo()
{
    if (TREdit* editor = m_table.currentEditor())
        editor->undo();
}

void EditCommands::ClearUndo()
{
    if (TREdit* editor = m_table.currentEditor())
        editor->clearSelection();
}

void EditCommands::insert(const QString& text)
{
    TREdit* editor = m_table.currentEditor();
    if (!editor)
        return;
    editor->collapseSelection();
    editor->replaceSelection(text, false);
}

void EditCommands::DateUs() { insert(dateUsText(m_clock().date(), m_separators.date)); }

void EditCommands::DateEurope() { insert(dateEuropeText(m_clock().date(), m_separators.date)); }

void EditCommands::TimeUs() { insert(timeUsText(m_clock().time(), m_separators.time)); }

void EditCommands::TimeEurope() { insert(timeEuropeText(m_clock().time(), m_separators.time)); }
