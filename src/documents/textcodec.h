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
    QString text; // lines separated by "\n"
    TextFileFormat format;
};

// Valid UTF-8 is read as UTF-8; anything else as Windows-1252 with its five
// unassigned bytes taken as the C1 controls of the same value, so every byte
// survives. CRLF, LF and CR all end a line; the first break sets the style.
DecodedText decodeTextFile(QByteArrayView bytes);

// The file's bytes for text whose lines are separated by "\n" or U+2029.
// A Windows-1252 document holding a character that code page cannot hold is
// written as UTF-8 instead; format is updated to what was written.
QByteArray encodeTextFile(QStringView text, TextFileFormat& format);

bool isValidUtf8(QByteArrayView bytes);
