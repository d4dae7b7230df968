#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <vector>

// How the text store's bytes read as text.
//
// The store keeps UTF-8 with each line break as the file wrote it. Read as
// text, a run of bytes is a sequence of tokens:
// - a line break: CR LF, a lone CR or a lone LF, one position, read as "\n";
// - a character: a valid UTF-8 sequence, one or two UTF-16 units;
// - a raw byte: any byte 0x80..0xFF that does not start a valid sequence,
//   one position, read as U+EF00 + byte (and written back as that byte).
//
// Tokens never cross the boundary between two runs decoded apart: a CR at
// the end of one run and an LF at the start of the next are two breaks. Two
// runs may be joined into one only when their junction is clean (see
// cleanJunction), so that the joined run reads exactly as the two did.
//
// Functions taking `valid` are faster for runs known to hold no raw byte
// (valid UTF-8, the usual case); with valid false they decode token by
// token.
namespace TextBytes {

enum class Break : quint8 { CRLF, LF, CR };

inline constexpr char16_t RawByteBase = 0xEF00;

inline bool isRawByteStandIn(char32_t c) { return c >= RawByteBase + 0x80 && c <= RawByteBase + 0xFF; }

QByteArrayView breakBytes(Break style);

struct Metrics {
    qint64 units = 0;  // positions: UTF-16 units, a break counting one
    qint64 breaks = 0; // line breaks
    bool ascii = true; // every byte below 0x80 (a CR may be among them)
    bool valid = true; // no raw byte
};

Metrics measure(QByteArrayView bytes);
// Counts from the start of bytes to offset, a token boundary.
Metrics measurePrefix(QByteArrayView bytes, qsizetype offset, bool valid);

// Whether left + right reads as left's text followed by right's text.
bool cleanJunction(QByteArrayView left, QByteArrayView right);

// The first break in bytes, if any.
bool firstBreak(QByteArrayView bytes, Break& style);

// Appends the text bytes reads as.
void appendText(QByteArrayView bytes, QString& out);
// The same, but each line break as the characters the file holds (CR LF,
// LF or CR), for writing it in another encoding.
void appendFileText(QByteArrayView bytes, QString& out);
QString toText(QByteArrayView bytes);

// The byte offset at which the token at position units starts (bytes.size()
// at the end). A position inside a surrogate pair gives the pair's start.
qsizetype byteOffset(QByteArrayView bytes, qsizetype units, bool valid);

// One token read at a token boundary: what it reads as ("\n" for a line
// break, U+EF00 + byte for a raw byte, a character outside the basic plane
// as its code point) and its bytes.
struct Decoded {
    char32_t character = 0;
    int bytes = 0;
};
// The token starting at offset (< bytes.size()).
Decoded decodeAt(QByteArrayView bytes, qsizetype offset);
// The token ending at offset (> 0), which must be a token boundary.
Decoded decodeBefore(QByteArrayView bytes, qsizetype offset);

// The offset just after the k-th line break (k >= 1) in bytes, or -1 when
// there are fewer.
qsizetype byteAfterBreak(QByteArrayView bytes, qint64 k);

// Where each line after a break starts in bytes: its position and byte
// offset from the start of bytes.
struct LineStarts {
    std::vector<qint32> units;
    std::vector<qint32> bytes;
};
LineStarts lineStarts(QByteArrayView bytes, bool valid);

// The start of the token at or before byteOffset, scanning back at most a
// few bytes: a boundary at which bytes may be cut without changing how the
// two parts read. A CR LF is never cut.
qsizetype tokenBoundaryAtOrBefore(QByteArrayView bytes, qsizetype byteOffset);

// How much of bytes reads the same whatever bytes come after it: all but
// a CR at the end (an LF may follow) and a character cut short by the end.
// A reader cuts its chunks there and carries the rest over.
qsizetype stableLength(QByteArrayView bytes);

// Text with any line breaks ("\r\n", "\r" or "\n") turned into "\n", and
// lone surrogates, which have no UTF-8 form, into U+FFFD: the text exactly
// as the store will read it back once stored.
QString storedForm(QStringView text);

// Bytes for text in stored form, each "\n" written as style and each
// U+EF80..U+EFFF as its raw byte, in runs of at most maxBytes (at least
// four), each cut between two characters; raw bytes that would combine into
// a character are put in runs of their own. Each run comes with what it
// holds counted.
struct EncodedRun {
    QByteArray bytes;
    Metrics metrics;
};
std::vector<EncodedRun> encode(QStringView storedText, Break style, qsizetype maxBytes);

}
