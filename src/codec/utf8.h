#pragma once

#include <QByteArrayView>
#include <QtGlobal>

// UTF-8 as files hold it: well-formed sequences only (no overlong forms, no
// surrogates, nothing past U+10FFFF).
namespace Utf8 {

// How the bytes at s read: a well-formed sequence (2 to 4 bytes), or an
// ill-formed piece: the start of a sequence cut short by a byte that cannot
// follow (or by the end), or a byte that starts no sequence. s[0] is not
// ASCII; available counts s[0].
struct Piece {
    int length = 1;
    bool wellFormed = false;
};
Piece pieceAt(const unsigned char* s, qsizetype available);

// The code point of a well-formed sequence of that length.
char32_t decodeSequence(const unsigned char* s, int length);

bool isValid(QByteArrayView bytes);

// The non-ASCII bytes of some text read as UTF-8: how many well-formed
// multi-byte sequences and how many ill-formed pieces.
struct Census {
    qsizetype sequences = 0;
    qsizetype illFormedPieces = 0;
};
Census census(QByteArrayView bytes);

// Writes the sequence of a code point that is not a surrogate; returns the
// end. At most four bytes.
char* put(char* out, char32_t codePoint);

}
