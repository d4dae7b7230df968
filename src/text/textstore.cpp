#include "text/textstore.h"

#include <QChar>

#include <algorithm>
#include <cstring>

namespace {

// The last bytes of a followed by b: enough of the left side of a junction
// after b for cleanJunction, which looks at most three bytes back.
QByteArray joinedTail(QByteArrayView a, QByteArrayView b)
{
    if (b.size() >= 3)
        return b.toByteArray();
    return a.last(std::min<qsizetype>(a.size(), 3 - b.size())).toByteArray() + b.toByteArray();
}

} // namespace

TextFragment encodeFragment(QStringView text, TextBytes::Break style, qsizetype maxBytes)
{
    TextFragment fragment;
    for (TextBytes::EncodedRun& run : TextBytes::encode(text, style, maxBytes)) {
        const TextBytes::Metrics& m = run.metrics;
        TextChunk chunk{std::move(run.bytes), qint32(m.units), qint32(m.breaks), m.ascii, m.valid, 0};
        chunk.renew();
        fragment.append(std::move(chunk), maxBytes);
    }
    return fragment;
}

TextStore::TextStore() : TextStore(ChunkLimits{}) {}

TextStore::TextStore(ChunkLimits limits) : m_limits(limits), m_history(limits.target) {}

void TextStore::clear()
{
    m_chunks.clear();
    m_index.rebuild({});
    m_history.clear();
}

void TextStore::appendLoaded(TextChunk chunk)
{
    if (chunk.bytes.isEmpty())
        return;
    m_index.append(countsOf(chunk));
    m_chunks.push_back(std::move(chunk));
}

void TextStore::setText(QStringView text)
{
    clear();
    TextFragment fragment = encodeFragment(TextBytes::storedForm(text), m_breakStyle, m_limits.target);
    for (TextChunk& c : fragment.chunks)
        appendLoaded(std::move(c));
}

void TextStore::reindex()
{
    std::vector<ChunkIndex::Counts> counts;
    counts.reserve(m_chunks.size());
    for (const TextChunk& c : m_chunks)
        counts.push_back(countsOf(c));
    m_index.rebuild(counts);
}

qsizetype TextStore::firstChunkReaching(qint64 position) const
{
    return std::min(m_index.chunkReachingUnits(position), qsizetype(m_chunks.size()) - 1);
}

const TextBytes::LineStarts& TextStore::lineStartsOf(qsizetype chunk) const
{
    const TextChunk& c = m_chunks[std::size_t(chunk)];
    for (const LineStartsCache& cached : m_lineStarts)
        if (cached.serial == c.serial)
            return cached.starts;
    LineStartsCache& slot = m_lineStarts[m_nextLineStarts];
    m_nextLineStarts = (m_nextLineStarts + 1) % m_lineStarts.size();
    slot.serial = c.serial;
    slot.starts = TextBytes::lineStarts(c.bytes, c.valid);
    return slot.starts;
}

// The byte of a position in a chunk, found from the start of its line.
TextStore::Location TextStore::located(qsizetype chunk, qint64 position) const
{
    const qint64 start = m_index.before(chunk).units;
    const TextChunk& c = m_chunks[std::size_t(chunk)];
    const qint64 units = position - start;
    qint64 lineUnits = 0;
    qsizetype lineByte = 0;
    if (c.breaks > 0) {
        const TextBytes::LineStarts& lines = lineStartsOf(chunk);
        const auto after = std::upper_bound(lines.units.begin(), lines.units.end(), units);
        if (after != lines.units.begin()) {
            const std::size_t line = std::size_t(after - lines.units.begin()) - 1;
            lineUnits = lines.units[line];
            lineByte = lines.bytes[line];
        }
    }
    const qsizetype byte = lineByte + TextBytes::byteOffset(QByteArrayView(c.bytes).sliced(lineByte), units - lineUnits, c.valid);
    return {chunk, start, byte};
}

TextStore::Location TextStore::locateEnd(qint64 position) const
{
    if (m_chunks.empty())
        return {0, 0, 0};
    return located(firstChunkReaching(position), position);
}

TextStore::Location TextStore::locateAt(qint64 position) const
{
    if (m_chunks.empty())
        return {0, 0, 0};
    if (position >= length()) {
        const qsizetype last = qsizetype(m_chunks.size()) - 1;
        return {last, m_index.before(last).units, m_chunks.back().size()};
    }
    return located(firstChunkReaching(position + 1), position);
}

qint64 TextStore::unitsBefore(qsizetype chunk, qsizetype byte) const
{
    const TextChunk& c = m_chunks[std::size_t(chunk)];
    qint64 lineUnits = 0;
    qsizetype lineByte = 0;
    if (c.breaks > 0) {
        const TextBytes::LineStarts& lines = lineStartsOf(chunk);
        const auto after = std::upper_bound(lines.bytes.begin(), lines.bytes.end(), qint32(byte));
        if (after != lines.bytes.begin()) {
            const std::size_t line = std::size_t(after - lines.bytes.begin()) - 1;
            lineUnits = lines.units[line];
            lineByte = lines.bytes[line];
        }
    }
    const QByteArrayView rest = QByteArrayView(c.bytes).sliced(lineByte);
    return lineUnits + TextBytes::measurePrefix(rest, byte - lineByte, c.valid).units;
}

qsizetype TextStore::chunkAt(qint64 position, qint64* chunkStart) const
{
    const Location at = locateAt(position);
    if (chunkStart)
        *chunkStart = at.chunkStart;
    return at.chunk;
}

TextStore::BytePlace TextStore::placeOf(qint64 position) const
{
    const Location at = locateAt(std::clamp<qint64>(position, 0, length()));
    return {at.chunk, at.byte, m_index.before(at.chunk).bytes + at.byte};
}

qint64 TextStore::snapped(qint64 position) const
{
    if (m_chunks.empty())
        return position;
    const Location at = locateAt(position);
    if (m_chunks[std::size_t(at.chunk)].ascii)
        return position;
    return at.chunkStart + unitsBefore(at.chunk, at.byte);
}

QString TextStore::text(qint64 position, qint64 count) const
{
    QString out;
    appendText(position, count, out);
    return out;
}

void TextStore::appendText(qint64 position, qint64 count, QString& out) const
{
    position = std::clamp<qint64>(position, 0, length());
    count = std::clamp<qint64>(count, 0, length() - position);
    if (count == 0)
        return;
    // Read from character boundaries; an end or a start inside a surrogate
    // pair gives its half.
    const qint64 first = snapped(position);
    qint64 end = position + count;
    if (const qint64 snappedEnd = snapped(end); snappedEnd != end)
        end = snappedEnd + 2;
    const Location from = locateAt(first);
    const Location to = locateEnd(end);
    const qsizetype base = out.size();
    out.reserve(base + (end - first));
    for (qsizetype i = from.chunk; i <= to.chunk; ++i) {
        QByteArrayView bytes = m_chunks[std::size_t(i)].bytes;
        if (i == to.chunk)
            bytes = bytes.first(to.byte);
        if (i == from.chunk)
            bytes = bytes.sliced(from.byte);
        TextBytes::appendText(bytes, out);
    }
    if (first != position)
        out.remove(base, position - first);
    out.truncate(base + count);
}

qint64 TextStore::lineOfPosition(qint64 position) const
{
    if (m_chunks.empty())
        return 0;
    position = std::clamp<qint64>(position, 0, length());
    const qsizetype chunk = firstChunkReaching(position);
    const ChunkIndex::Counts before = m_index.before(chunk);
    if (m_chunks[std::size_t(chunk)].breaks == 0)
        return before.breaks;
    // Breaks before position: the lines of the chunk that start at or
    // before it.
    const std::vector<qint32>& starts = lineStartsOf(chunk).units;
    return before.breaks + (std::upper_bound(starts.begin(), starts.end(), position - before.units) - starts.begin());
}

qint64 TextStore::lineStart(qint64 line) const
{
    line = std::clamp<qint64>(line, 0, lineCount() - 1);
    if (line == 0)
        return 0;
    const qsizetype chunk = m_index.chunkReachingBreaks(line);
    const ChunkIndex::Counts before = m_index.before(chunk);
    return before.units + lineStartsOf(chunk).units[std::size_t(line - before.breaks - 1)];
}

qint64 TextStore::lineEnd(qint64 line) const
{
    if (line >= lineCount() - 1)
        return length();
    return lineStart(line + 1) - 1;
}

TextStore::Change TextStore::replace(qint64 position, qint64 count, QStringView text, EditKind kind)
{
    position = snapped(std::clamp<qint64>(position, 0, length()));
    qint64 end = std::clamp<qint64>(position + std::max<qint64>(count, 0), position, length());
    if (const qint64 snappedEnd = snapped(end); snappedEnd != end)
        end = snappedEnd + 2; // the whole pair
    Change change;
    change.position = position;
    change.line = lineOfPosition(position);
    TextFragment removed = take(position, end - position);
    change.removed = removed.units;
    change.removedBreaks = removed.breaks;
    TextFragment inserted = encodeFragment(TextBytes::storedForm(text), m_breakStyle, m_limits.target);
    change.inserted = inserted.units;
    change.insertedBreaks = inserted.breaks;
    put(position, std::move(inserted));
    if (change.removed != 0 || change.inserted != 0)
        m_history.record({position, change.removed, change.inserted, std::move(removed)}, kind);
    return change;
}

std::vector<TextStore::Change> TextStore::undo(const ChangeObserver& changed)
{
    std::vector<Change> changes;
    if (!m_history.canUndo())
        return changes;
    UndoStep step = m_history.takeUndo();
    for (auto r = step.records.rbegin(); r != step.records.rend(); ++r) {
        changes.push_back(applyRecord(*r, false));
        if (changed)
            changed(changes.back());
    }
    m_history.pushUndone(std::move(step));
    return changes;
}

std::vector<TextStore::Change> TextStore::redo(const ChangeObserver& changed)
{
    std::vector<Change> changes;
    if (!m_history.canRedo())
        return changes;
    UndoStep step = m_history.takeRedo();
    for (UndoRecord& r : step.records) {
        changes.push_back(applyRecord(r, true));
        if (changed)
            changed(changes.back());
    }
    m_history.pushRedone(std::move(step));
    return changes;
}

// Redo (forward) takes out what the record removed and puts back what it
// inserted; undo the other way round. Each side taken out is kept for the
// way back.
TextStore::Change TextStore::applyRecord(UndoRecord& record, bool forward)
{
    Change change;
    change.position = record.position;
    change.line = lineOfPosition(record.position);
    TextFragment out = take(record.position, forward ? record.removedUnits : record.insertedUnits);
    change.removed = out.units;
    change.removedBreaks = out.breaks;
    change.inserted = record.saved.units;
    change.insertedBreaks = record.saved.breaks;
    put(record.position, std::move(record.saved));
    record.saved = std::move(out);
    return change;
}

TextFragment TextStore::take(qint64 position, qint64 count)
{
    if (count <= 0 || m_chunks.empty())
        return {};
    const Location from = locateAt(position);
    const Location to = locateEnd(position + count);
    if (from.chunk == to.chunk)
        return takeInsideChunk(from, to.byte);

    TextFragment out;
    std::vector<TextChunk> kept;
    TextChunk& first = m_chunks[std::size_t(from.chunk)];
    if (from.byte > 0) {
        out.appendWhole(first.part(from.byte, first.size()));
        kept.push_back(first.part(0, from.byte));
    } else {
        out.appendWhole(std::move(first));
    }
    for (qsizetype i = from.chunk + 1; i < to.chunk; ++i)
        out.appendWhole(std::move(m_chunks[std::size_t(i)]));
    TextChunk& last = m_chunks[std::size_t(to.chunk)];
    if (to.byte < last.size()) {
        out.appendWhole(last.part(0, to.byte));
        kept.push_back(last.part(to.byte, last.size()));
    } else {
        out.appendWhole(std::move(last));
    }
    replaceChunks(from.chunk, to.chunk - from.chunk + 1, std::move(kept));
    mergeSmallAround(from.chunk);
    return out;
}

TextFragment TextStore::takeInsideChunk(const Location& from, qsizetype endByte)
{
    TextFragment out;
    TextChunk& c = m_chunks[std::size_t(from.chunk)];
    if (from.byte == 0 && endByte == c.size()) {
        out.appendWhole(std::move(c));
        replaceChunks(from.chunk, 1, {});
        mergeSmallAround(std::max<qsizetype>(from.chunk - 1, 0));
        return out;
    }
    TextChunk piece = c.part(from.byte, endByte);
    c.bytes.remove(from.byte, piece.size());
    c.units -= piece.units;
    c.breaks -= piece.breaks;
    c.renew();
    m_index.add(from.chunk, {-piece.units, -piece.breaks, -piece.size()});
    out.appendWhole(std::move(piece));
    const QByteArrayView rest = c.bytes;
    if (!TextBytes::cleanJunction(rest.first(from.byte), rest.sliced(from.byte)))
        splitAt(from.chunk, from.byte);
    else if (c.size() < m_limits.min)
        mergeSmallAround(from.chunk);
    return out;
}

void TextStore::put(qint64 position, TextFragment fragment)
{
    if (fragment.chunks.empty())
        return;
    if (m_chunks.empty()) {
        replaceChunks(0, 0, std::move(fragment.chunks));
        return;
    }
    const Location at = locateEnd(position);
    if (fragment.chunks.size() == 1 && spliceInto(at, fragment.chunks.front()))
        return;
    const TextChunk& c = m_chunks[std::size_t(at.chunk)];
    TextFragment assembled;
    if (at.byte > 0)
        assembled.append(c.part(0, at.byte), m_limits.target);
    for (TextChunk& piece : fragment.chunks)
        assembled.append(std::move(piece), m_limits.target);
    if (at.byte < c.size())
        assembled.append(c.part(at.byte, c.size()), m_limits.target);
    replaceChunks(at.chunk, 1, std::move(assembled.chunks));
}

// The common case, typing and small pastes: the bytes go into the chunk,
// when both junctions read as before and the chunk stays small enough.
bool TextStore::spliceInto(const Location& at, const TextChunk& piece)
{
    TextChunk& c = m_chunks[std::size_t(at.chunk)];
    if (c.size() + piece.size() > m_limits.max)
        return false;
    const QByteArrayView bytes = c.bytes;
    const QByteArrayView before = bytes.first(at.byte);
    const QByteArrayView after = bytes.sliced(at.byte);
    if (!TextBytes::cleanJunction(before, piece.bytes)
        || !TextBytes::cleanJunction(joinedTail(before, piece.bytes), after))
        return false;
    c.bytes.insert(at.byte, piece.bytes);
    c.units += piece.units;
    c.breaks += piece.breaks;
    c.ascii = c.ascii && piece.ascii;
    c.valid = c.valid && piece.valid;
    c.renew();
    m_index.add(at.chunk, countsOf(piece));
    return true;
}

void TextStore::replaceChunks(qsizetype first, qsizetype count, std::vector<TextChunk> with)
{
    const auto begin = m_chunks.begin() + first;
    m_chunks.erase(begin, begin + count);
    m_chunks.insert(m_chunks.begin() + first, std::make_move_iterator(with.begin()),
                    std::make_move_iterator(with.end()));
    reindex();
}

// A chunk left small joins a neighbour when the two read the same joined,
// so that deleting text never leaves a trail of tiny chunks.
void TextStore::mergeSmallAround(qsizetype chunk)
{
    const qsizetype n = qsizetype(m_chunks.size());
    if (chunk < 0 || chunk >= n || m_chunks[std::size_t(chunk)].size() >= m_limits.min)
        return;
    for (const qsizetype left : {chunk, chunk - 1}) {
        if (left < 0 || left + 1 >= n)
            continue;
        TextChunk& a = m_chunks[std::size_t(left)];
        const TextChunk& b = m_chunks[std::size_t(left + 1)];
        if (a.size() + b.size() > m_limits.target || !TextBytes::cleanJunction(a.bytes, b.bytes))
            continue;
        a.append(b);
        m_chunks.erase(m_chunks.begin() + left + 1);
        reindex();
        return;
    }
}

void TextStore::splitAt(qsizetype chunk, qsizetype byte)
{
    const TextChunk& c = m_chunks[std::size_t(chunk)];
    std::vector<TextChunk> parts;
    parts.push_back(c.part(0, byte));
    parts.push_back(c.part(byte, c.size()));
    replaceChunks(chunk, 1, std::move(parts));
}
