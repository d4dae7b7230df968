#pragma once

#include <QChar>
#include <QDateTime>
#include <QString>

#include <functional>

class DocumentTable;
class QLocale;

// The user's date and time separators, single characters.
struct RegionalSeparators {
    QChar date = u'/';
    QChar time = u':';
    friend bool operator==(const RegionalSeparators&, const RegionalSeparators&) = default;
};

// The separators of a locale's short date and time formats: the first
// character of each that is neither a field letter, a space nor quoted
// text; "/" and ":" when there is none.
RegionalSeparators separatorsOf(const QLocale& locale);

// The inserted texts, numbers zero-padded: month/day/year, day/month/year,
// 12-hour "hh:mm am|pm" (0 -> 12 am, 12 -> 12 pm), 24-hour "hh:mm".
QString dateUsText(QDate date, QChar separator);
QString dateEuropeText(QDate date, QChar separator);
QString timeUsText(QTime time, QChar separator);
QString timeEuropeText(QTime time, QChar separator);

// The Edition menu's commands on the current document's editor. Every change
// of text they make reaches the editor's change event, which marks the
// document modified.
class EditCommands {
public:
    using Clock = std::function<QDateTime()>;

    // The separators are read from the system's regional settings now; the
    // clock is the local one.
    explicit EditCommands(DocumentTable& table);

    // Test seams: a fixed clock and separators.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setSeparators(RegionalSeparators separators) { m_separators = separators; }
    RegionalSeparators separators() const { return m_separators; }

    // Copy and Cut only with a selection (an empty one never empties the
    // clipboard); clipboard failures are ignored.
    void Copy();
    void Cut();
    void Paste();
    void Undo();
    // "Vider Défaire": deletes the selection, clipboard untouched.
    void ClearUndo();
    // Insert the text at the start of the selection, which stays behind it
    // unselected.
    void DateUs();
    void DateEurope();
    void TimeUs();
    void TimeEurope();

private:
    void insert(const QString& text);

    DocumentTable& m_table;
    Clock m_clock;
    RegionalSeparators m_separators;
};
