#pragma once

#include "text/chunkindex.h"
#include "text/textbytes.h"
#include "text/textchunk.h"
#include "text/undohistory.h"

#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

// A document's text: the file's own bytes (UTF-8, each line break as the
// file wrote it) in chunks of some tens of kilobytes, with running totals
// for finding a position or a line in O(log n), and an undo history.
//
// Positions are UTF-16 offsets into the text as read (TextBytes): every line
// break, whatever its bytes, is one position and reads as "\n". Edits take
// positions on character boundaries; a position inside a surrogate pair
// means the pair's start.
//
// A break typed or pasted takes the store's break style (the file's first
// break). A CR and an LF put in apart stay two breaks, and raw bytes put in
// apart never combine into a character: the store keeps them in separate
// chunks, each read on its own.
//
// Not thread-safe: one thread at a time (the user interface's).
class TextStore {
public:
    // Chunks are kept near target bytes, below max; a chunk below min joins
    // a neighbour where the text allows. Tests use tiny sizes.
    struct ChunkLimits {
        qsizetype target = 64 * 1024;
        qsizetype max = 128 * 1024;
        qsizetype min = 8 * 1024;
    };

    // What an edit did, in positions and lines of the text before it.
    struct Change {
        qint64 position = 0;
        qint64 removed = 0;
        qint64 inserted = 0;
        qint64 line = 0; // the line holding position
        qint64 removedBreaks = 0;
        qint64 insertedBreaks = 0;
    };

    TextStore();
    explicit TextStore(ChunkLimits limits);

    const ChunkLimits& limits() const { return m_limits; }

    qint64 length() const { return m_index.total().units; }
    qint64 lineCount() const { return m_index.total().breaks + 1; }
    qint64 byteCount() const { return m_index.total().bytes; }
    bool isEmpty() const { return m_chunks.empty(); }

    TextBytes::Break breakStyle() const { return m_breakStyle; }
    void setBreakStyle(TextBytes::Break style) { m_breakStyle = style; }

    // Whole content replaced by nothing; the undo history is cleared.
    void clear();
    // Content appended as it is read from a file: not an edit, no undo. The
    // chunk must read the same after the text before it (a loader cuts
    // only at clean junctions); an empty chunk is ignored.
    void appendLoaded(TextChunk chunk);
    // Whole content replaced by text, as a load: no undo, history cleared.
    void setText(QStringView text);

    // Reading. Lines are numbered from 0; a line's end is the position of
    // its break (or the end of the text for the last line).
    QString text() const { return text(0, length()); }
    QString text(qint64 position, qint64 count) const;
    void appendText(qint64 position, qint64 count, QString& out) const;
    qint64 lineOfPosition(qint64 position) const;
    qint64 lineStart(qint64 line) const;
    qint64 lineEnd(qint64 line) const;
    QString lineText(qint64 line) const { return text(lineStart(line), lineEnd(line) - lineStart(line)); }
    // position, or the start of the surrogate pair it falls inside.
    qint64 characterStart(qint64 position) const { return snapped(std::clamp<qint64>(position, 0, length())); }

    // The chunks in order: their bytes are the file's bytes (for a UTF-8
    // file), so saving streams them out.
    const std::vector<TextChunk>& chunks() const { return m_chunks; }
    // The chunk holding position (the last one at the end) and the position
    // at which it starts.
    qsizetype chunkAt(qint64 position, qint64* chunkStart = nullptr) const;

    // Where the character at position starts in the chunks (for a position
    // inside a surrogate pair, the pair's start; at the end of the text, the
    // end of the last chunk): the chunk, the byte in it, and the byte from
    // the start of the text.
    struct BytePlace {
        qsizetype chunk = 0;
        qsizetype byte = 0;
        qint64 offset = 0;
    };
    BytePlace placeOf(qint64 position) const;
    // The position of a token boundary in a chunk.
    qint64 positionOf(qsizetype chunk, qsizetype byte) const
    {
        return m_index.before(chunk).units + unitsBefore(chunk, byte);
    }

    // Editing: replaces count positions at position with text (line breaks
    // "\r\n", "\r" or "\n", each one break in the store's style).
    Change replace(qint64 position, qint64 count, QStringView text, EditKind kind = EditKind::Other);
    Change insert(qint64 position, QStringView text, EditKind kind = EditKind::Other)
    {
        return replace(position, 0, text, kind);
    }
    Change remove(qint64 position, qint64 count, EditKind kind = EditKind::Other)
    {
        return replace(position, count, {}, kind);
    }

    // Undo and redo of whole steps. Each change made is told to changed as
    // soon as it is made, so that what it inserted can be read; the changes,
    // in order, are also returned.
    using ChangeObserver = std::function<void(const Change&)>;
    bool canUndo() const { return m_history.canUndo(); }
    bool canRedo() const { return m_history.canRedo(); }
    std::vector<Change> undo(const ChangeObserver& changed = {});
    std::vector<Change> redo(const ChangeObserver& changed = {});
    UndoHistory& history() { return m_history; }

private:
    struct Location {
        qsizetype chunk;
        qint64 chunkStart; // position
        qsizetype byte;    // offset in the chunk
    };
    // The chunk whose end reaches position (a position between two chunks
    // belongs to the first), and the byte there.
    Location locateEnd(qint64 position) const;
    // The chunk holding the character at position.
    Location locateAt(qint64 position) const;
    Location located(qsizetype chunk, qint64 position) const;
    qsizetype firstChunkReaching(qint64 position) const;
    // The position of a byte (a token boundary) in a chunk, from its start.
    qint64 unitsBefore(qsizetype chunk, qsizetype byte) const;
    const TextBytes::LineStarts& lineStartsOf(qsizetype chunk) const;

    TextFragment take(qint64 position, qint64 count);
    TextFragment takeInsideChunk(const Location& from, qsizetype endByte);
    void put(qint64 position, TextFragment fragment);
    bool spliceInto(const Location& at, const TextChunk& piece);
    void replaceChunks(qsizetype first, qsizetype count, std::vector<TextChunk> with);
    void mergeSmallAround(qsizetype chunk);
    void splitAt(qsizetype chunk, qsizetype byte);

    ChunkIndex::Counts countsOf(const TextChunk& c) const { return {c.units, c.breaks, c.size()}; }
    void reindex();
    qint64 snapped(qint64 position) const;
    Change applyRecord(UndoRecord& record, bool forward);

    // Line starts of the chunks last asked about, by chunk serial.
    struct LineStartsCache {
        quint64 serial = 0;
        TextBytes::LineStarts starts;
    };
    mutable std::array<LineStartsCache, 8> m_lineStarts;
    mutable std::size_t m_nextLineStarts = 0;

    ChunkLimits m_limits;
    std::vector<TextChunk> m_chunks;
    ChunkIndex m_index;
    UndoHistory m_history;
    TextBytes::Break m_breakStyle = TextBytes::Break::CRLF;
};

// A fragment of text in stored form, in chunks of at most maxBytes.
TextFragment encodeFragment(QStringView text, TextBytes::Break style, qsizetype maxBytes);
