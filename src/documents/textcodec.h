#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// How a text file's bytes map to the editor's text, recorded on reading so
// the file is written back the same way.
enum class TextEncoding { Utf8, Windows1252 };
enum class LineBreak { CRLF, LF, CR };

struct TextFileFormat {
    TextEncoding encoding = TextEncoding::Utf8;
    LineBreak lineBreak = LineBreak::CRLF; // new documents and files without a break
    bool byteOrderMark = false;            // a UTF-8 file that began with EF BB BF
    friend bool operator==(const TextFileFormat&, const TextFileFormat&) = default;
};

struct DecodedText {
    QString text; // editor text: lines separated by "\n", see below
    TextFileFormat format;
};

// Valid UTF-8 is read as UTF-8; anything else as Windows-1252 with its five
// unassigned bytes taken as the C1 controls of the same value, so every byte
// survives. CRLF, LF and CR all end a line; the first break sets the style.
//
// The editor's document cannot hold U+2029, U+FDD0 or U+FDD1: it turns each
// into a paragraph break. The decoded text carries them as the stand-ins
// below, and a stand-in that the file itself holds is preceded by
// EditorQuote, so that encoding gives back exactly the file's bytes.
DecodedText decodeTextFile(QByteArrayView bytes);

// The file's bytes for editor text whose lines are separated by "\n" or
// U+2029 (the editor's raw text), stand-ins turned back into what they stand
// for. A Windows-1252 document holding a character that code page cannot hold
// is written as UTF-8 instead; format is updated to what was written.
QByteArray encodeTextFile(QStringView text, TextFileFormat& format);

bool isValidUtf8(QByteArrayView bytes);

// Stand-ins, from the last private-use plane.
namespace EditorStandIn {
inline constexpr char32_t ParagraphSeparator = 0x10FFF0; // U+2029
inline constexpr char32_t FrameStart = 0x10FFF1;         // U+FDD0
inline constexpr char32_t FrameEnd = 0x10FFF2;           // U+FDD1
inline constexpr char32_t Quote = 0x10FFF3;              // the next stand-in is meant literally
}
