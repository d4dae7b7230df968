#pragma once

#include <QString>

// How a text file's bytes map to characters, recorded when the file is read
// so that it is written back the same way.
enum class TextEncoding { Utf8, Windows1252, Utf16LE, Utf16BE, Utf32LE, Utf32BE };
enum class LineBreak { CRLF, LF, CR };

struct TextFileFormat {
    TextEncoding encoding = TextEncoding::Utf8;
    LineBreak lineBreak = LineBreak::CRLF; // new documents and files without a break
    // The file begins with its encoding's byte-order mark: optional for
    // UTF-8, always there for UTF-16 and UTF-32 (they are only recognised by it).
    bool byteOrderMark = false;
    friend bool operator==(const TextFileFormat&, const TextFileFormat&) = default;
};

// "UTF-8", "Windows-1252", "UTF-16 LE", ...: the encoding as the user knows it.
QString encodingName(TextEncoding encoding);
