#pragma once

#include "codec/textformat.h"

#include <QString>
#include <QStringView>

// The editor's text: a file's characters as the editor holds them. Every
// line break (CRLF, LF or CR) is one "\n"; a few characters are replaced by
// private-use stand-ins, and a character of the file that looks like a
// stand-in is preceded by StandIn::Quote, so that every file can be told
// back exactly.
namespace StandIn {

// The editor's document cannot hold U+2029, U+FDD0 or U+FDD1 (it turns each
// into a paragraph break). Stand-ins from the last private-use plane.
inline constexpr char32_t ParagraphSeparator = 0x10FFF0; // U+2029
inline constexpr char32_t FrameStart = 0x10FFF1;         // U+FDD0
inline constexpr char32_t FrameEnd = 0x10FFF2;           // U+FDD1
// The next stand-in is the file's own character, meant literally.
inline constexpr char32_t Quote = 0x10FFF3;

// In a UTF-8 document, a byte that is no part of well-formed UTF-8 is kept
// as U+EF00 + the byte (U+EF80..U+EFFF) and written back as that byte.
inline constexpr char16_t ByteBase = 0xEF00;
constexpr bool isByte(char32_t c) { return c >= 0xEF80 && c <= 0xEFFF; }

}

// Builds the editor's text from a file's characters, in file order. The
// result has at most as many UTF-16 units as the file has bytes, whatever
// its encoding, so capacity = the file's size always suffices.
class EditorTextBuilder {
public:
    // byteStandIns: the file is UTF-8, so U+EF80..U+EFFF of its own are quoted.
    EditorTextBuilder(qsizetype capacity, bool byteStandIns);

    void putAscii(char16_t c)
    {
        if (c == u'\r' || c == u'\n') {
            putBreakCharacter(c);
        } else {
            *m_out++ = c;
            m_afterCr = false;
        }
    }
    // ASCII bytes without a line break among them.
    void putPlainAscii(const unsigned char* bytes, qsizetype count)
    {
        for (qsizetype i = 0; i < count; ++i)
            m_out[i] = bytes[i];
        m_out += count;
        m_afterCr = m_afterCr && count == 0;
    }
    // Any code point; a lone surrogate is kept as itself.
    void put(char32_t codePoint);
    // A byte of a UTF-8 file that is no part of a well-formed sequence.
    void putInvalidByte(unsigned char byte);

    // Style of the first line break (CRLF when there is none).
    LineBreak firstLineBreak() const { return m_firstBreak; }
    // Whether the breaks were not all of one style.
    bool mixedLineBreaks() const;
    QString take();

private:
    void putBreakCharacter(char16_t c);
    void putPair(char32_t codePoint);

    QString m_text;
    char16_t* m_out;
    bool m_byteStandIns;
    bool m_afterCr = false;
    qsizetype m_breaks = 0; // CRs and lone LFs
    qsizetype m_crlfs = 0;
    qsizetype m_lfs = 0; // lone
    LineBreak m_firstBreak = LineBreak::CRLF;
};

// Reads the editor's text back as the file's characters: line breaks (the
// editor's "\n" and paragraph separators), code points with stand-ins
// resolved, and, in a UTF-8 document, the bytes kept by their stand-ins.
class FileCharacterReader {
public:
    static constexpr char32_t Break = 0xFFFFFFFF;
    static constexpr char32_t ByteFlag = 0x80000000; // | the byte

    FileCharacterReader(QStringView editorText, bool byteStandIns)
        : m_p(reinterpret_cast<const char16_t*>(editorText.data())), m_n(editorText.size()),
          m_byteStandIns(byteStandIns)
    {
    }

    bool atEnd() const { return m_i >= m_n; }
    // The next unit when it is an ASCII character other than a line break,
    // else -1; skip() then passes over it.
    int plainAscii() const
    {
        const char16_t c = m_p[m_i];
        return (c < 0x80 && c != u'\n') ? int(c) : -1;
    }
    void skip() { ++m_i; }
    // Break, a code point (a lone surrogate as itself), or ByteFlag | byte.
    char32_t next();
    // Line breaks read so far.
    qsizetype breaks() const { return m_breaks; }
    // Units in the whole text.
    qsizetype size() const { return m_n; }

private:
    char32_t afterQuote(char32_t quote);

    const char16_t* m_p;
    qsizetype m_n;
    qsizetype m_i = 0;
    qsizetype m_breaks = 0;
    bool m_byteStandIns;
};
