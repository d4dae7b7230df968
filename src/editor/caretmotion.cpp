#include "editor/caretmotion.h"

#include <QTextBoundaryFinder>

qint64 CaretMotion::nextCharacter(qint64 position)
{
    const LineLayouts::Place p = m_layouts.placeOf(position);
    const QTextLayout& layout = m_layouts.layout(p.row.line, p.row.segment);
    if (p.offset < layout.text().size())
        return p.segmentStart + layout.nextCursorPosition(p.offset);
    // At the end of the line: over its break.
    return std::min(position + 1, m_store.length());
}

qint64 CaretMotion::previousCharacter(qint64 position)
{
    const LineLayouts::Place p = m_layouts.placeOf(position);
    if (p.offset > 0)
        return p.segmentStart + m_layouts.layout(p.row.line, p.row.segment).previousCursorPosition(p.offset);
    if (p.row.segment > 0) {
        const QTextLayout& before = m_layouts.layout(p.row.line, p.row.segment - 1);
        const qint64 start = p.segmentStart - before.text().size();
        return start + before.previousCursorPosition(int(before.text().size()));
    }
    return std::max<qint64>(position - 1, 0);
}

qint64 CaretMotion::previousCodePoint(qint64 position) const
{
    if (position <= 0)
        return 0;
    const QString before = m_store.text(std::max<qint64>(position - 2, 0), std::min<qint64>(position, 2));
    if (before.size() == 2 && before[1].isLowSurrogate() && before[0].isHighSurrogate())
        return position - 2;
    return position - 1;
}

qint64 CaretMotion::nextWord(qint64 position)
{
    const LineLayouts::Place p = m_layouts.placeOf(position);
    const QTextLayout& layout = m_layouts.layout(p.row.line, p.row.segment);
    if (p.offset < layout.text().size())
        return p.segmentStart + layout.nextCursorPosition(p.offset, QTextLayout::SkipWords);
    return std::min(position + 1, m_store.length());
}

qint64 CaretMotion::previousWord(qint64 position)
{
    const LineLayouts::Place p = m_layouts.placeOf(position);
    if (p.offset > 0)
        return p.segmentStart
            + m_layouts.layout(p.row.line, p.row.segment).previousCursorPosition(p.offset, QTextLayout::SkipWords);
    if (p.row.segment > 0) {
        const QTextLayout& before = m_layouts.layout(p.row.line, p.row.segment - 1);
        const qint64 start = p.segmentStart - before.text().size();
        return start + before.previousCursorPosition(int(before.text().size()), QTextLayout::SkipWords);
    }
    return std::max<qint64>(position - 1, 0);
}

qreal CaretMotion::xOf(qint64 position)
{
    const LineLayouts::Place p = m_layouts.placeOf(position);
    return m_layouts.textLine(p.row).cursorToX(p.offset);
}

qint64 CaretMotion::positionInRow(const LineLayouts::Row& row, qreal x)
{
    const QTextLine line = m_layouts.textLine(row);
    const qint64 segmentStart = m_store.lineStart(row.line) + m_layouts.segmentStart(row.line, row.segment);
    const qint64 position = segmentStart + line.xToCursor(x);
    // Past the end of a wrapped row: its end, not the next row's start.
    return std::min(position, m_layouts.rowEnd(row));
}

qint64 CaretMotion::verticalMove(qint64 position, int rows, qreal x)
{
    LineLayouts::Row row = m_layouts.rowOf(position);
    for (; rows > 0; --rows)
        if (!m_layouts.next(row))
            return position;
    for (; rows < 0; ++rows)
        if (!m_layouts.previous(row))
            return position;
    return positionInRow(row, x);
}

std::pair<qint64, qint64> CaretMotion::wordAround(qint64 position)
{
    const LineLayouts::Place p = m_layouts.placeOf(position);
    const QString& text = m_layouts.layout(p.row.line, p.row.segment).text();
    if (text.isEmpty())
        return {position, position};
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    // A click just after the last character of a word takes that word.
    int at = p.offset;
    if (at == text.size() || (at > 0 && text[at].isSpace() && !text[at - 1].isSpace()))
        --at;
    words.setPosition(at);
    const int start = words.isAtBoundary() ? at : int(words.toPreviousBoundary());
    words.setPosition(at);
    const int end = int(words.toNextBoundary());
    return {p.segmentStart + std::max(start, 0), p.segmentStart + (end < 0 ? int(text.size()) : end)};
}

std::pair<qint64, qint64> CaretMotion::lineAround(qint64 position) const
{
    const qint64 line = m_store.lineOfPosition(position);
    return {m_store.lineStart(line), m_store.lineEnd(line)};
}
