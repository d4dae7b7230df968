#pragma once

#include "text/textstore.h"

#include <QFont>
#include <QTextLayout>
#include <QTextOption>

#include <map>
#include <memory>
#include <vector>

// The rows of a text store's lines as a view shows them: each line wrapped
// at the view's width by QTextLayout, laid out only when asked for and kept
// while it is near the view.
//
// A line longer than LongLine is cut into segments of SegmentMin to
// SegmentMax units, after a space or a tab where there is one, each laid
// out on its own: a keystroke lays out one segment again, and a line of
// megabytes is never shaped whole. The price: a segment's last row may end
// short of the width, and right-to-left text is not reordered across a cut.
class LineLayouts {
public:
    static constexpr qsizetype LongLine = 8192;
    static constexpr int SegmentMin = 1024;
    static constexpr int SegmentMax = 4096;

    // One row of the view: a QTextLine of a segment of a line.
    struct Row {
        qint64 line = 0;
        int segment = 0;
        int row = 0;
        friend bool operator==(const Row&, const Row&) = default;
    };

    explicit LineLayouts(const TextStore& store);
    ~LineLayouts();

    void setFont(const QFont& font);
    void setWidth(qreal width);
    qreal width() const { return m_width; }
    void setTabStopDistance(qreal distance);
    // Everything laid out again (a new text, a font).
    void reset();
    // The store changed: what it touched is laid out again when next asked.
    void textChanged(const TextStore::Change& change);
    // The store grew at its end (a file still being read).
    void textAppended(qint64 oldLineCount);

    // Segments of a line, their starts (offsets in the line) and layouts.
    int segmentCount(qint64 line);
    int segmentStart(qint64 line, int segment);
    QTextLayout& layout(qint64 line, int segment);
    int rowCount(qint64 line, int segment) { return layout(line, segment).lineCount(); }
    QTextLine textLine(const Row& row) { return layout(row.line, row.segment).lineAt(row.row); }

    // Where a position falls: its row (at a wrap, the row it starts), the
    // position at which the row's segment starts, and its offset there.
    struct Place {
        Row row;
        qint64 segmentStart = 0;
        int offset = 0;
    };
    Place placeOf(qint64 position);

    // The row holding position (at a wrap, the row it starts), and where a
    // row starts and ends (its last position, before a break or a wrap).
    Row rowOf(qint64 position);
    qint64 rowStart(const Row& row);
    qint64 rowEnd(const Row& row);
    bool isLastRowOfLine(const Row& row);
    // The neighbouring rows; false at the ends of the text.
    bool next(Row& row);
    bool previous(Row& row);
    qreal rowHeight(const Row& row) { return textLine(row).height(); }

    // Text being composed by an input method, shown at position (none when
    // position is -1).
    void setPreedit(qint64 position, const QString& text, const QList<QTextLayout::FormatRange>& formats);

    // Drops layouts of lines outside [first, last] except keep.
    void trim(qint64 first, qint64 last, qint64 keep);

private:
    struct Segment {
        std::unique_ptr<QTextLayout> layout;
    };
    struct Entry {
        qint64 length = 0;
        std::vector<int> cuts; // starts of segments after the first
        std::vector<Segment> segments;
    };

    Entry& entry(qint64 line);
    void cutLongLine(qint64 line, Entry& e);
    int cutAfter(qint64 lineStart, int from, qint64 lineLength) const;
    void editInsideLine(Entry& e, qint64 line, qint64 offset, qint64 removed, qint64 inserted);
    void splitLongLine(Entry e, const TextStore::Change& change);
    std::unique_ptr<QTextLayout> lay(qint64 line, int start, int length) const;
    QTextOption optionFor(qint64 line, int start, const QString& text) const;
    qint64 lineLength(qint64 line) const;
    int segmentEnd(const Entry& e, int segment) const;

    const TextStore& m_store;
    QFont m_font;
    QFont m_shapedFont; // m_font, shaping where it would avoid it
    QTextOption m_option;
    qreal m_width = 100;
    void dropLayoutsOfLineAt(qint64 position);

    std::map<qint64, Entry> m_lines;
    qint64 m_preeditPosition = -1;
    QString m_preedit;
    QList<QTextLayout::FormatRange> m_preeditFormats;
};
