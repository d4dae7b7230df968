#pragma once

#include "editor/linelayouts.h"

#include <utility>

// Where the caret goes for each move of the keyboard and each click, worked
// out from the text and its laid-out rows. Characters are grapheme clusters
// (an accented letter, an emoji with its modifiers), words are Unicode
// words, as QTextLayout finds them.
class CaretMotion {
public:
    CaretMotion(const TextStore& store, LineLayouts& layouts) : m_store(store), m_layouts(layouts) {}

    qint64 nextCharacter(qint64 position);
    qint64 previousCharacter(qint64 position);
    // One code point back (Backspace): a surrogate pair whole, a combining
    // mark alone.
    qint64 previousCodePoint(qint64 position) const;
    qint64 nextWord(qint64 position);
    qint64 previousWord(qint64 position);

    qint64 rowStart(qint64 position) { return m_layouts.rowStart(m_layouts.rowOf(position)); }
    qint64 rowEnd(qint64 position) { return m_layouts.rowEnd(m_layouts.rowOf(position)); }
    // The caret's x in its row (from the row's left edge).
    qreal xOf(qint64 position);
    // The position nearest to x in row.
    qint64 positionInRow(const LineLayouts::Row& row, qreal x);
    // rows rows down (up when negative) at x; the same position when there
    // is no row there.
    qint64 verticalMove(qint64 position, int rows, qreal x);

    // What a double click selects: the word (or the run of spaces, or the
    // one other character) at position.
    std::pair<qint64, qint64> wordAround(qint64 position);
    // What a triple click selects: the line, without its break.
    std::pair<qint64, qint64> lineAround(qint64 position) const;

private:
    const TextStore& m_store;
    LineLayouts& m_layouts;
};
