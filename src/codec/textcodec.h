#pragma once

#include "codec/editortext.h"
#include "codec/textformat.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// A text file's bytes to the editor's text and back. Every file comes back
// byte for byte when its line breaks are all of one style (each break is
// written in the style of the file's first one).
//
// Reading:
// - A byte-order mark decides UTF-32 LE/BE, UTF-8, UTF-16 LE/BE, when the
//   rest of the file fits the encoding: whole UTF-16 units (lone surrogates
//   are kept as they are), whole UTF-32 units each holding a Unicode scalar
//   value. FF FE 00 00 is UTF-32 LE when it fits, else UTF-16 LE.
// - Bytes that are UTF-8 apart from a few invalid bytes are UTF-8; each
//   invalid byte is kept as a stand-in (see editortext.h). "A few": no
//   more ill-formed pieces than well-formed multi-byte sequences (the
//   measure is in the .cpp).
// - Anything else is Windows-1252 (every byte is a character).
struct DecodedText {
    QString text; // the editor's text
    TextFileFormat format;
    // The file's breaks are not all of the first one's style, so writing
    // the text back changes them.
    bool mixedLineBreaks = false;
};
DecodedText decodeTextFile(QByteArrayView bytes);

// The byte-order marks, in the order they are tried: FF FE 00 00 is UTF-32
// LE before UTF-16 LE.
struct ByteOrderMark {
    TextEncoding encoding;
    QByteArrayView bytes;
};
inline constexpr ByteOrderMark byteOrderMarks[] = {
    {TextEncoding::Utf32LE, QByteArrayView("\xFF\xFE\x00\x00", 4)},
    {TextEncoding::Utf32BE, QByteArrayView("\x00\x00\xFE\xFF", 4)},
    {TextEncoding::Utf8, QByteArrayView("\xEF\xBB\xBF", 3)},
    {TextEncoding::Utf16LE, QByteArrayView("\xFF\xFE", 2)},
    {TextEncoding::Utf16BE, QByteArrayView("\xFE\xFF", 2)},
};
// The mark of an encoding (none for Windows-1252).
QByteArrayView markOf(TextEncoding encoding);

// Whether bytes without a byte-order mark read as UTF-8 (the rule above).
bool readsAsUtf8(QByteArrayView bytes);

// A character the document's encoding has no form for.
struct Unencodable {
    char32_t character = 0;
    qsizetype line = 0; // counted from 1
};

struct EncodedText {
    QByteArray bytes;
    std::optional<Unencodable> unencodable; // set, with no bytes, when one was met
};

// The file's bytes for the editor's text (lines separated by "\n" or
// U+2029, as the editor's raw text has them), in the format's encoding,
// mark and line-break style. The encoding never changes: a character it
// cannot hold (one Windows-1252 lacks, a lone surrogate outside UTF-16)
// gives no bytes but the first such character and its line.
EncodedText encodeTextFile(QStringView text, const TextFileFormat& format);

// Says which character cannot be written, where, and in what encoding:
// 'the character "→" (U+2192) on line 3 has no form in Windows-1252'.
QString describeUnencodable(const Unencodable& what, TextEncoding encoding);
