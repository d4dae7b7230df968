#include "documents/textcodec.h"

#include <array>
#include <cstring>

namespace {

// Windows-1252 bytes 0x80..0x9F; the unassigned five map to the C1 control
// of the same value so they come back unchanged.
constexpr std::array<char16_t, 32> cp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t cp1252ToUnicode(unsigned char b)
{
    return (b >= 0x80 && b < 0xA0) ? cp1252High[b - 0x80] : char16_t(b);
}

// -1 when the character has no Windows-1252 byte.
int unicodeToCp1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (std::size_t i = 0; i < cp1252High.size(); ++i)
        if (cp1252High[i] == c)
            return int(0x80 + i);
    return -1;
}

LineBreak firstBreakStyle(QStringView text, bool& found)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n') {
            found = true;
            return LineBreak::LF;
        }
        if (c == u'\r') {
            found = true;
            return (i + 1 < text.size() && text[i + 1] == u'\n') ? LineBreak::CRLF : LineBreak::CR;
        }
    }
    found = false;
    return LineBreak::CRLF;
}

// CRLF and lone CR become "\n"; nothing to do for LF-only text.
void normaliseBreaks(QString& text)
{
    if (!text.contains(u'\r'))
        return;
    QString out;
    out.reserve(text.size());
    const QChar* p = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == u'\r') {
            out.append(u'\n');
            if (i + 1 < n && p[i + 1] == u'\n')
                ++i;
        } else {
            out.append(p[i]);
        }
    }
    text = std::move(out);
}

QString decodeCp1252(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = cp1252ToUnicode(src[i]);
    return out;
}

QStringView breakText(LineBreak style)
{
    switch (style) {
    case LineBreak::CRLF: return u"\r\n";
    case LineBreak::LF: return u"\n";
    case LineBreak::CR: return u"\r";
    }
    return u"\r\n";
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
        result.text = QString::fromUtf8(body);
        result.format.encoding = TextEncoding::Utf8;
        result.format.byteOrderMark = hasBom;
    } else {
        result.text = decodeCp1252(bytes);
        result.format.encoding = TextEncoding::Windows1252;
    }
    bool found = false;
    result.format.lineBreak = firstBreakStyle(result.text, found);
    normaliseBreaks(result.text);
    return result;
}

QByteArray encodeTextFile(QStringView text, TextFileFormat& format)
{
    const QStringView lineBreak = breakText(format.lineBreak);
    if (format.encoding == TextEncoding::Windows1252) {
        QByteArray out;
        out.reserve(text.size() + text.size() / 16);
        bool representable = true;
        for (const QChar ch : text) {
            const char16_t c = ch.unicode();
            if (c == u'\n' || c == QChar::ParagraphSeparator) {
                for (QChar b : lineBreak)
                    out.append(char(b.unicode()));
                continue;
            }
            const int b = unicodeToCp1252(c);
            if (b < 0) {
                representable = false;
                break;
            }
            out.append(char(b));
        }
        if (representable)
            return out;
        format.encoding = TextEncoding::Utf8;
        format.byteOrderMark = false;
    }
    QString withBreaks;
    withBreaks.reserve(text.size() + text.size() / 16);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\n' || c == QChar::ParagraphSeparator) {
            withBreaks.append(text.mid(runStart, i - runStart));
            withBreaks.append(lineBreak);
            runStart = i + 1;
        }
    }
    withBreaks.append(text.mid(runStart));
    QByteArray out = withBreaks.toUtf8();
    if (format.byteOrderMark)
        out.prepend("\xEF\xBB\xBF");
    return out;
}
