#include "documents/textcodec.h"

#include <QStringDecoder>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

// Windows-1252 bytes 0x80..0x9F; the unassigned five map to the C1 control
// of the same value so they come back unchanged.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// -1 when the character has no Windows-1252 byte.
int unicodeToCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (std::size_t i = 0; i < cp1252High.size(); ++i)
        if (cp1252High[i] == c)
            return int(0x80 + i);
    return -1;
}

// The stand-ins are surrogate pairs with this high half.
constexpr char16_t standInHigh = 0xDBFF;
constexpr char16_t standInLowFirst = 0xDFF0; // ParagraphSeparator
constexpr char16_t standInLowQuote = 0xDFF3; // Quote

bool isStandInLow(char16_t c) { return c >= standInLowFirst && c <= standInLowQuote; }

// What each stand-in stands for, by its low half.
constexpr std::array<char16_t, 3> standInMeaning = {0x2029, 0xFDD0, 0xFDD1};

LineBreak firstBreakStyle(QByteArrayView bytes)
{
    const char* p = bytes.data();
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\n')
            return LineBreak::LF;
        if (p[i] == '\r')
            return (i + 1 < n && p[i + 1] == '\n') ? LineBreak::CRLF : LineBreak::CR;
    }
    return LineBreak::CRLF;
}

bool needsEditorTransform(char16_t c)
{
    return c == u'\r' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1 || c == standInHigh;
}

// CRLF and lone CR become "\n"; the characters the editor cannot hold become
// stand-ins, and stand-ins already in the text are quoted.
QString toEditorText(QString text)
{
    const char16_t* src = reinterpret_cast<const char16_t*>(text.constData());
    const qsizetype n = text.size();
    qsizetype first = 0;
    while (first < n && !needsEditorTransform(src[first]))
        ++first;
    if (first == n)
        return text; // the common case: nothing to do, no copy

    // Each unit grows to two at most (a stand-in pair to four).
    QString out(n * 2, Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    std::memcpy(dst, src, std::size_t(first) * sizeof(char16_t));
    qsizetype o = first;
    for (qsizetype i = first; i < n; ++i) {
        const char16_t c = src[i];
        switch (c) {
        case u'\r':
            dst[o++] = u'\n';
            if (i + 1 < n && src[i + 1] == u'\n')
                ++i;
            break;
        case 0x2029:
        case 0xFDD0:
        case 0xFDD1:
            dst[o++] = standInHigh;
            dst[o++] = char16_t(standInLowFirst + (c == 0x2029 ? 0 : c == 0xFDD0 ? 1 : 2));
            break;
        case standInHigh:
            if (i + 1 < n && isStandInLow(src[i + 1])) {
                dst[o++] = standInHigh;
                dst[o++] = standInLowQuote;
            }
            dst[o++] = c;
            break;
        default: dst[o++] = c; break;
        }
    }
    out.truncate(o);
    return out;
}

QString decodeCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char b = src[i];
        dst[i] = (b >= 0x80 && b < 0xA0) ? cp1252High[b - 0x80] : char16_t(b);
    }
    return out;
}

// Walks editor text as the file's characters: a line break, or one code
// point with stand-ins resolved. Lone surrogates come out as themselves.
struct FileCharacters {
    const char16_t* p;
    qsizetype n;
    qsizetype i = 0;

    static constexpr char32_t Break = 0xFFFFFFFF;

    bool atEnd() const { return i >= n; }

    char32_t next()
    {
        const char16_t c = p[i++];
        if (c == u'\n' || c == 0x2029)
            return Break;
        if (!QChar::isHighSurrogate(c) || i >= n || !QChar::isLowSurrogate(p[i]))
            return c;
        const char16_t low = p[i++];
        if (c == standInHigh && isStandInLow(low)) {
            if (low != standInLowQuote)
                return standInMeaning[std::size_t(low - standInLowFirst)];
            // A quoted stand-in is itself; a quote before anything else is
            // just the quote character.
            if (i + 1 < n && p[i] == standInHigh && isStandInLow(p[i + 1])) {
                const char16_t quoted = p[i + 1];
                i += 2;
                return QChar::surrogateToUcs4(standInHigh, quoted);
            }
        }
        return QChar::surrogateToUcs4(c, low);
    }
};

char* putUtf8(char* d, char32_t cp)
{
    if (cp < 0x80) {
        *d++ = char(cp);
    } else if (cp < 0x800) {
        *d++ = char(0xC0 | (cp >> 6));
        *d++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD; // a lone surrogate has no UTF-8 form
        *d++ = char(0xE0 | (cp >> 12));
        *d++ = char(0x80 | ((cp >> 6) & 0x3F));
        *d++ = char(0x80 | (cp & 0x3F));
    } else {
        *d++ = char(0xF0 | (cp >> 18));
        *d++ = char(0x80 | ((cp >> 12) & 0x3F));
        *d++ = char(0x80 | ((cp >> 6) & 0x3F));
        *d++ = char(0x80 | (cp & 0x3F));
    }
    return d;
}

char* putBreak(char* d, LineBreak style)
{
    switch (style) {
    case LineBreak::CRLF:
        *d++ = '\r';
        *d++ = '\n';
        break;
    case LineBreak::LF: *d++ = '\n'; break;
    case LineBreak::CR: *d++ = '\r'; break;
    }
    return d;
}

// Windows-1252 bytes, or nothing when a character has none.
std::optional<QByteArray> encodeCp1252(QStringView text, LineBreak style)
{
    // One byte per unit, two for a CRLF break.
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char* const begin = out.data();
    char* d = begin;
    FileCharacters chars{reinterpret_cast<const char16_t*>(text.data()), text.size()};
    while (!chars.atEnd()) {
        const char32_t cp = chars.next();
        if (cp == FileCharacters::Break) {
            d = putBreak(d, style);
            continue;
        }
        const int b = unicodeToCp1252(cp);
        if (b < 0)
            return std::nullopt;
        *d++ = char(b);
    }
    out.truncate(d - begin);
    return out;
}

QByteArray encodeUtf8(QStringView text, LineBreak style, bool byteOrderMark)
{
    // Three bytes per unit at most: a CRLF break, a character below U+10000,
    // or a stand-in pair written as U+2029.
    QByteArray out(3 + text.size() * 3, Qt::Uninitialized);
    char* const begin = out.data();
    char* d = begin;
    if (byteOrderMark) {
        *d++ = char(0xEF);
        *d++ = char(0xBB);
        *d++ = char(0xBF);
    }
    const char16_t* p = reinterpret_cast<const char16_t*>(text.data());
    FileCharacters chars{p, text.size()};
    while (!chars.atEnd()) {
        const char16_t c = p[chars.i];
        if (c < 0x80 && c != u'\n') {
            *d++ = char(c);
            ++chars.i;
            continue;
        }
        const char32_t cp = chars.next();
        d = cp == FileCharacters::Break ? putBreak(d, style) : putUtf8(d, cp);
    }
    out.truncate(d - begin);
    return out;
}

}

bool isValidUtf8(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        // ASCII runs eight bytes at a time.
        while (i + 8 <= n) {
            std::uint64_t chunk;
            std::memcpy(&chunk, s + i, 8);
            if (chunk & 0x8080808080808080ULL)
                break;
            i += 8;
        }
        if (i >= n)
            break;
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        std::uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = s[i + k];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))
            || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

DecodedText decodeTextFile(QByteArrayView bytes)
{
    DecodedText result;
    QByteArrayView body = bytes;
    const bool hasBom = bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF
        && static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF;
    if (hasBom)
        body = bytes.sliced(3);
    if (isValidUtf8(body)) {
        // A second byte-order mark after the first is text: keep it (the
        // plain conversion would drop it).
        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
        result.text = toEditorText(utf8.decode(body));
        result.format.encoding = TextEncoding::Utf8;
        result.format.byteOrderMark = hasBom;
    } else {
        result.text = toEditorText(decodeCp1252(bytes));
        result.format.encoding = TextEncoding::Windows1252;
    }
    result.format.lineBreak = firstBreakStyle(bytes);
    return result;
}

QByteArray encodeTextFile(QStringView text, TextFileFormat& format)
{
    if (format.encoding == TextEncoding::Windows1252) {
        if (std::optional<QByteArray> out = encodeCp1252(text, format.lineBreak))
            return *std::move(out);
        format.encoding = TextEncoding::Utf8;
        format.byteOrderMark = false;
    }
    return encodeUtf8(text, format.lineBreak, format.byteOrderMark);
}
