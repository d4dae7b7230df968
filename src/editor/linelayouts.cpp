#include "editor/linelayouts.h"

#include "editor/bytestandins.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

// Lines of the text whose cuts are kept once they are off the view: finding
// them again means reading the whole line.
constexpr std::size_t KeptLongLines = 16;

bool isCutBreaker(QChar c) { return c == u' ' || c == u'\t'; }

// A cut must not fall inside a character or before a combining mark.
bool mayCutBefore(QChar c) { return !c.isLowSurrogate() && !c.isMark(); }

// Where to cut in the window of a line from SegmentMin to SegmentMax units
// after a segment's start (one unit more, to see what follows): after the
// last space or tab, or at the window's end (moved back off a surrogate pair
// or a combining mark) in a run without either. An offset in the window.
int cutInWindow(QStringView window)
{
    for (qsizetype i = window.size() - 2; i >= 0; --i)
        if (isCutBreaker(window[i]))
            return int(i) + 1;
    qsizetype cut = window.size() - 1;
    while (cut > 0 && !mayCutBefore(window[cut]))
        --cut;
    return int(std::max<qsizetype>(cut, 1));
}

// Text that reads right without shaping: the scripts before Hebrew, symbols,
// CJK, Hangul syllables, the stand-ins of raw bytes. Elsewhere (Arabic joins
// its letters, Indic scripts reorder theirs, emoji sequences combine) a
// font that asks to avoid shaping would show broken words.
bool readsWithoutShaping(QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool plain = u < 0x0590 || (u >= 0x2000 && u < 0x2C00) || (u >= 0x2E80 && u < 0xA000)
            || (u >= 0xAC00 && u < 0xD7B0) || (u >= 0xE000 && u < 0xF900) || (u >= 0xFF00 && u < 0xFFF0);
        if (!plain)
            return false;
    }
    return true;
}

} // namespace

// A line whose first strong character is right-to-left reads from the right
// edge, as a paragraph of that line would; the cuts of a long line all take
// the direction of its start.
QTextOption LineLayouts::optionFor(qint64 line, int start, const QString& text) const
{
    const bool rightToLeft = start == 0
        ? text.isRightToLeft()
        : m_store.text(m_store.lineStart(line), std::min<qint64>(SegmentMax, lineLength(line))).isRightToLeft();
    if (!rightToLeft)
        return m_option;
    QTextOption option = m_option;
    option.setTextDirection(Qt::RightToLeft);
    option.setAlignment(Qt::AlignRight);
    return option;
}

qint64 LineLayouts::lineLength(qint64 line) const { return m_store.lineEnd(line) - m_store.lineStart(line); }

LineLayouts::LineLayouts(const TextStore& store) : m_store(store)
{
    m_option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

LineLayouts::~LineLayouts() = default;

void LineLayouts::setFont(const QFont& font)
{
    m_font = font;
    m_shapedFont = font;
    m_shapedFont.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() & ~QFont::PreferNoShaping));
    reset();
}

void LineLayouts::setWidth(qreal width)
{
    width = std::max<qreal>(width, 1);
    if (width == m_width)
        return;
    m_width = width;
    // The cuts stay; every segment wraps again.
    for (auto& [line, e] : m_lines)
        for (Segment& s : e.segments)
            s.layout.reset();
}

void LineLayouts::setTabStopDistance(qreal distance)
{
    m_option.setTabStopDistance(distance);
    reset();
}

void LineLayouts::reset() { m_lines.clear(); }

LineLayouts::Entry& LineLayouts::entry(qint64 line)
{
    const auto found = m_lines.find(line);
    if (found != m_lines.end())
        return found->second;
    Entry& e = m_lines[line];
    e.length = lineLength(line);
    if (e.length > LongLine)
        cutLongLine(line, e);
    e.segments.resize(e.cuts.size() + 1);
    return e;
}


// The start of the segment after the one starting at from, or lineLength
// when the rest fits one segment.
int LineLayouts::cutAfter(qint64 lineStart, int from, qint64 lineLength) const
{
    if (lineLength - from <= SegmentMax)
        return int(lineLength);
    const QString window = m_store.text(lineStart + from + SegmentMin, SegmentMax - SegmentMin + 1);
    return from + SegmentMin + cutInWindow(window);
}

// The whole line read once, in large pieces.
void LineLayouts::cutLongLine(qint64 line, Entry& e)
{
    constexpr qint64 Piece = 256 * 1024;
    const qint64 start = m_store.lineStart(line);
    e.cuts.clear();
    QString buffer;
    qint64 bufferFrom = 0;
    for (int from = 0; e.length - from > SegmentMax;) {
        const qint64 windowFrom = from + SegmentMin;
        const qint64 windowLength = SegmentMax - SegmentMin + 1;
        if (windowFrom < bufferFrom || windowFrom + windowLength > bufferFrom + buffer.size()) {
            bufferFrom = windowFrom;
            buffer = m_store.text(start + bufferFrom, std::min(std::max(Piece, windowLength), e.length - bufferFrom));
        }
        from = int(windowFrom + cutInWindow(QStringView(buffer).sliced(windowFrom - bufferFrom, windowLength)));
        e.cuts.push_back(from);
    }
}

int LineLayouts::segmentCount(qint64 line) { return int(entry(line).segments.size()); }

int LineLayouts::segmentStart(qint64 line, int segment)
{
    const Entry& e = entry(line);
    return segment == 0 ? 0 : e.cuts[std::size_t(segment - 1)];
}

int LineLayouts::segmentEnd(const Entry& e, int segment) const
{
    return std::size_t(segment) < e.cuts.size() ? e.cuts[std::size_t(segment)] : int(e.length);
}

std::unique_ptr<QTextLayout> LineLayouts::lay(qint64 line, int start, int length) const
{
    const qint64 from = m_store.lineStart(line) + start;
    const QString text = m_store.text(from, length);
    const bool preedit = m_preeditPosition >= from && m_preeditPosition <= from + length;
    const bool plain = readsWithoutShaping(text) && (!preedit || readsWithoutShaping(m_preedit));
    auto layout = std::make_unique<QTextLayout>(text, plain ? m_font : m_shapedFont);
    layout->setTextOption(optionFor(line, start, text));
    QList<QTextLayout::FormatRange> formats = ByteStandIns::formats(layout->text());
    if (preedit) {
        const int at = int(m_preeditPosition - from);
        layout->setPreeditArea(at, m_preedit);
        for (QTextLayout::FormatRange f : m_preeditFormats) {
            f.start += at;
            formats.append(f);
        }
    }
    if (!formats.isEmpty())
        layout->setFormats(formats);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    qreal y = 0;
    for (QTextLine row = layout->createLine(); row.isValid(); row = layout->createLine()) {
        row.setLineWidth(m_width);
        row.setPosition(QPointF(0, y));
        y += row.height();
    }
    layout->endLayout();
    return layout;
}

QTextLayout& LineLayouts::layout(qint64 line, int segment)
{
    Entry& e = entry(line);
    Segment& s = e.segments[std::size_t(segment)];
    if (!s.layout) {
        const int start = segment == 0 ? 0 : e.cuts[std::size_t(segment - 1)];
        s.layout = lay(line, start, segmentEnd(e, segment) - start);
    }
    return *s.layout;
}

LineLayouts::Place LineLayouts::placeOf(qint64 position)
{
    position = std::clamp<qint64>(position, 0, m_store.length());
    Place place;
    Row& row = place.row;
    row.line = m_store.lineOfPosition(position);
    const qint64 lineStart = m_store.lineStart(row.line);
    const Entry& e = entry(row.line);
    row.segment = int(std::upper_bound(e.cuts.begin(), e.cuts.end(), position - lineStart) - e.cuts.begin());
    place.segmentStart = lineStart + segmentStart(row.line, row.segment);
    place.offset = int(position - place.segmentStart);
    const QTextLine found = layout(row.line, row.segment).lineForTextPosition(place.offset);
    row.row = found.isValid() ? found.lineNumber() : 0;
    return place;
}

LineLayouts::Row LineLayouts::rowOf(qint64 position) { return placeOf(position).row; }

qint64 LineLayouts::rowStart(const Row& row)
{
    return m_store.lineStart(row.line) + segmentStart(row.line, row.segment) + textLine(row).textStart();
}

// As a caret sees it: the end of a wrapped row is before the space it
// wrapped at, so that the caret stays on that row.
qint64 LineLayouts::rowEnd(const Row& row)
{
    const QTextLine tl = textLine(row);
    const qint64 end = rowStart(row) + tl.textLength();
    if (isLastRowOfLine(row))
        return m_store.lineEnd(row.line);
    const QString& text = layout(row.line, row.segment).text();
    const int last = tl.textStart() + tl.textLength() - 1;
    return (last >= 0 && last < text.size() && text[last].isSpace()) ? end - 1 : end;
}

bool LineLayouts::isLastRowOfLine(const Row& row)
{
    return row.segment == segmentCount(row.line) - 1 && row.row == rowCount(row.line, row.segment) - 1;
}

bool LineLayouts::next(Row& row)
{
    if (row.row + 1 < rowCount(row.line, row.segment)) {
        ++row.row;
        return true;
    }
    if (row.segment + 1 < segmentCount(row.line)) {
        row = {row.line, row.segment + 1, 0};
        return true;
    }
    if (row.line + 1 < m_store.lineCount()) {
        row = {row.line + 1, 0, 0};
        return true;
    }
    return false;
}

bool LineLayouts::previous(Row& row)
{
    if (row.row > 0) {
        --row.row;
        return true;
    }
    if (row.segment > 0) {
        --row.segment;
    } else if (row.line > 0) {
        --row.line;
        row.segment = segmentCount(row.line) - 1;
    } else {
        return false;
    }
    row.row = rowCount(row.line, row.segment) - 1;
    return true;
}

void LineLayouts::textChanged(const TextStore::Change& change)
{
    if (change.removedBreaks == 0 && change.insertedBreaks == 0) {
        const auto found = m_lines.find(change.line);
        if (found != m_lines.end()) {
            const qint64 offset = change.position - m_store.lineStart(change.line);
            editInsideLine(found->second, change.line, offset, change.removed, change.inserted);
            if (found->second.cuts.empty() && found->second.length > LongLine)
                m_lines.erase(found);
        }
        return;
    }
    // Lines joined or split: those touched go, those after move.
    const qint64 lastTouched = change.line + change.removedBreaks;
    const qint64 shift = change.insertedBreaks - change.removedBreaks;
    std::map<qint64, Entry> kept;
    std::optional<Entry> split;
    for (auto& [line, e] : m_lines) {
        if (line < change.line)
            kept.emplace(line, std::move(e));
        else if (line > lastTouched)
            kept.emplace(line + shift, std::move(e));
        else if (change.removedBreaks == 0 && !e.cuts.empty())
            split = std::move(e);
    }
    m_lines = std::move(kept);
    if (split)
        splitLongLine(std::move(*split), change);
}

// Line breaks put into a long line: its first part keeps the segments
// before the edit, its last part those after it; only the segments the
// edit touched are cut and laid out again.
void LineLayouts::splitLongLine(Entry e, const TextStore::Change& change)
{
    const qint64 offset = change.position - m_store.lineStart(change.line);
    const auto cutFrom = [&](Entry& part, qint64 line, int from, int to) {
        const qint64 start = m_store.lineStart(line);
        for (int at = from;;) {
            part.segments.emplace_back();
            const int cut = cutAfter(start, at, to);
            if (cut >= to)
                break;
            part.cuts.push_back(cut);
            at = cut;
        }
    };
    // The segments holding the edit's start and end.
    const auto holding = [&](qint64 at) {
        return std::size_t(std::upper_bound(e.cuts.begin(), e.cuts.end(), at) - e.cuts.begin());
    };
    const std::size_t first = holding(offset);
    const std::size_t last = change.removed > 0 ? holding(offset + change.removed - 1) : first;

    Entry head;
    head.length = m_store.lineEnd(change.line) - m_store.lineStart(change.line);
    for (std::size_t i = 0; i < first; ++i) {
        head.cuts.push_back(e.cuts[i]);
        head.segments.push_back(std::move(e.segments[i]));
    }
    cutFrom(head, change.line, first == 0 ? 0 : e.cuts[first - 1], int(head.length));
    if (head.length > LongLine)
        m_lines[change.line] = std::move(head);

    const qint64 lastLine = change.line + change.insertedBreaks;
    Entry tail;
    tail.length = m_store.lineEnd(lastLine) - m_store.lineStart(lastLine);
    const qint64 shift = tail.length - e.length;
    cutFrom(tail, lastLine, 0, last < e.cuts.size() ? int(e.cuts[last] + shift) : int(tail.length));
    for (std::size_t i = last; i < e.cuts.size(); ++i) {
        tail.cuts.push_back(int(e.cuts[i] + shift));
        tail.segments.push_back(std::move(e.segments[i + 1]));
    }
    if (tail.length > LongLine)
        m_lines[lastLine] = std::move(tail);
}

void LineLayouts::textAppended(qint64 oldLineCount) { m_lines.erase(oldLineCount - 1); }

// An edit inside one line: a short line is laid out again; in a long line,
// only the segment the edit touched is cut and laid out again, and the
// segments after it move.
void LineLayouts::editInsideLine(Entry& e, qint64 line, qint64 offset, qint64 removed, qint64 inserted)
{
    const qint64 newLength = e.length - removed + inserted;
    if (e.cuts.empty() || newLength <= LongLine) {
        e.length = newLength;
        e.cuts.clear();
        e.segments.clear();
        e.segments.emplace_back();
        return;
    }
    const qint64 delta = inserted - removed;
    const auto firstAfter = [&](qint64 at) { return std::size_t(std::upper_bound(e.cuts.begin(), e.cuts.end(), at) - e.cuts.begin()); };
    // The segment holding the edit's start, and the one holding its end.
    const std::size_t k = firstAfter(offset);
    const std::size_t k2 = std::max(k, firstAfter(offset + removed - (removed > 0 ? 1 : 0)));
    const int start = k == 0 ? 0 : e.cuts[k - 1];
    std::vector<int> cuts(e.cuts.begin(), e.cuts.begin() + qsizetype(k));
    std::vector<Segment> segments;
    for (std::size_t i = 0; i < k; ++i)
        segments.push_back(std::move(e.segments[i]));
    // The touched stretch runs to the cut after k2 (moved by the edit).
    const int stretchEnd = k2 < e.cuts.size() ? int(e.cuts[k2] + delta) : int(newLength);
    e.length = newLength;
    const qint64 lineStart = m_store.lineStart(line);
    for (int from = start;;) {
        segments.emplace_back();
        const int cut = cutAfter(lineStart, from, stretchEnd);
        if (cut >= stretchEnd)
            break;
        cuts.push_back(cut);
        from = cut;
    }
    for (std::size_t i = k2; i < e.cuts.size(); ++i) {
        cuts.push_back(int(e.cuts[i] + delta));
        segments.push_back(std::move(e.segments[i + 1]));
    }
    e.cuts = std::move(cuts);
    e.segments = std::move(segments);
}

void LineLayouts::setPreedit(qint64 position, const QString& text, const QList<QTextLayout::FormatRange>& formats)
{
    if (m_preeditPosition >= 0)
        dropLayoutsOfLineAt(m_preeditPosition);
    m_preeditPosition = position;
    m_preedit = text;
    m_preeditFormats = formats;
    if (position >= 0)
        dropLayoutsOfLineAt(position);
}

void LineLayouts::dropLayoutsOfLineAt(qint64 position)
{
    const auto found = m_lines.find(m_store.lineOfPosition(std::min(position, m_store.length())));
    if (found != m_lines.end())
        for (Segment& s : found->second.segments)
            s.layout.reset();
}

void LineLayouts::trim(qint64 first, qint64 last, qint64 keep)
{
    std::vector<qint64> longLines;
    for (auto it = m_lines.begin(); it != m_lines.end();) {
        const qint64 line = it->first;
        if ((line >= first && line <= last) || line == keep) {
            ++it;
            continue;
        }
        if (it->second.cuts.empty()) {
            it = m_lines.erase(it);
            continue;
        }
        for (Segment& s : it->second.segments)
            s.layout.reset();
        longLines.push_back(line);
        ++it;
    }
    if (longLines.size() <= KeptLongLines)
        return;
    // The long lines farthest from the view go first.
    std::sort(longLines.begin(), longLines.end(), [&](qint64 a, qint64 b) {
        const auto distance = [&](qint64 l) { return l < first ? first - l : l - last; };
        return distance(a) < distance(b);
    });
    for (std::size_t i = KeptLongLines; i < longLines.size(); ++i)
        m_lines.erase(longLines[i]);
}
