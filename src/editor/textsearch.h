#pragma once

#include <QString>
#include <QStringView>

class TextStore;

// Forward search for a word, as the editor's find over a range does it.
//
// Rules:
// - The result is the first occurrence lying wholly inside [start, end).
//   An empty word finds nothing.
// - Without match case, characters compare by Unicode simple case folding,
//   one code point against one code point ("É" matches "é", "ẞ" matches
//   "ß", "K" the Kelvin sign matches "k"). Foldings that change the number
//   of characters ("ß" against "ss") are not made, so a match always has
//   the word's length and never starts or ends inside a character. No
//   normalisation either: a precomposed "é" does not match "e" + U+0301.
// - A word character is a letter, a combining mark, a number or "_", in any
//   script (code points outside the basic plane included). With whole word,
//   an occurrence must not cut a word: at each end, the character inside
//   the occurrence and the one next to it outside are not both word
//   characters. The neighbours are read from the whole text, also outside
//   the range.
// - A line break in the word ("\r\n", "\r", "\n" or U+2029) matches a line
//   break of the text. The match length is measured in the text, so it can
//   be shorter than the word as typed.
// - A match never starts or ends between the two halves of a surrogate pair.
struct TextSearchOptions {
    bool wholeWord = false;
    bool matchCase = false;
};

struct TextMatch {
    qsizetype position = -1;
    qsizetype length = 0;
    bool found() const { return position >= 0; }
};

// Search in a flat text whose line breaks are "\n" or U+2029.
TextMatch findMatchInText(QStringView text, QStringView word, qsizetype start, qsizetype end,
                          TextSearchOptions options);

// The position of findMatchInText, or -1.
qsizetype findInText(QStringView text, QStringView word, qsizetype start, qsizetype end,
                     TextSearchOptions options);

// Search in a text store, over its bytes where they lie: no copy of the
// text is made, and only the match found is turned into a position.
TextMatch findInStore(const TextStore& store, QStringView word, qint64 start, qint64 end,
                      TextSearchOptions options);
