#include "codec/textcodec.h"

#include "codec/utf8.h"
#include "codec/windows1252.h"

#include <QChar>

#include <cstdint>
#include <cstring>

namespace {

bool isLittleEndian(TextEncoding e) { return e == TextEncoding::Utf16LE || e == TextEncoding::Utf32LE; }
bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

template <int Size>
char32_t readUnit(const unsigned char* p, bool littleEndian)
{
    char32_t v = 0;
    for (int k = 0; k < Size; ++k)
        v = (v << 8) | p[littleEndian ? Size - 1 - k : k];
    return v;
}

template <int Size>
char* writeUnit(char* d, char32_t v, bool littleEndian)
{
    for (int k = 0; k < Size; ++k)
        d[littleEndian ? k : Size - 1 - k] = char((v >> (8 * k)) & 0xFF);
    return d + Size;
}

// End of the run of ASCII bytes other than CR and LF that starts at i,
// eight bytes at a time.
qsizetype plainAsciiEnd(const unsigned char* s, qsizetype i, qsizetype n)
{
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t highs = 0x8080808080808080ULL;
    const auto hasZeroByte = [](std::uint64_t v) { return ((v - ones) & ~v & highs) != 0; };
    for (; i + 8 <= n; i += 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, s + i, 8);
        if ((chunk & highs) || hasZeroByte(chunk ^ (ones * '\n')) || hasZeroByte(chunk ^ (ones * '\r')))
            break;
    }
    while (i < n && s[i] < 0x80 && s[i] != '\n' && s[i] != '\r')
        ++i;
    return i;
}

DecodedText finish(EditorTextBuilder& builder, TextEncoding encoding, bool mark)
{
    return {builder.take(), {encoding, builder.firstLineBreak(), mark}, builder.mixedLineBreaks()};
}

std::optional<DecodedText> decodeUtf8(QByteArrayView bytes, bool mark)
{
    if (!readsAsUtf8(bytes))
        return std::nullopt;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    EditorTextBuilder builder(n, true);
    for (qsizetype i = 0; i < n;) {
        const qsizetype plainEnd = plainAsciiEnd(s, i, n);
        builder.putPlainAscii(s + i, plainEnd - i);
        if ((i = plainEnd) == n)
            break;
        const unsigned char c = s[i];
        if (c < 0x80) {
            builder.putAscii(c);
            ++i;
            continue;
        }
        const Utf8::Piece piece = Utf8::pieceAt(s + i, n - i);
        if (piece.wellFormed) {
            builder.put(Utf8::decodeSequence(s + i, piece.length));
            i += piece.length;
        } else {
            // Every byte of an ill-formed piece is kept by its own stand-in.
            for (const qsizetype end = i + piece.length; i < end; ++i)
                builder.putInvalidByte(s[i]);
        }
    }
    return finish(builder, TextEncoding::Utf8, mark);
}

DecodedText decodeWindows1252(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    EditorTextBuilder builder(n, false);
    for (qsizetype i = 0; i < n;) {
        const qsizetype plainEnd = plainAsciiEnd(s, i, n);
        builder.putPlainAscii(s + i, plainEnd - i);
        if ((i = plainEnd) == n)
            break;
        const unsigned char c = s[i++];
        if (c < 0x80)
            builder.putAscii(c);
        else
            builder.put(Windows1252::toUnicode(c));
    }
    return finish(builder, TextEncoding::Windows1252, false);
}

// UTF-16 units as they are: a pair is one character, a lone surrogate
// stays itself (it is written back as the same unit).
std::optional<DecodedText> decodeUtf16(QByteArrayView body, TextEncoding encoding)
{
    if (body.size() % 2 != 0)
        return std::nullopt;
    const bool little = isLittleEndian(encoding);
    const auto* s = reinterpret_cast<const unsigned char*>(body.data());
    const qsizetype n = body.size();
    EditorTextBuilder builder(n, false);
    for (qsizetype i = 0; i < n; i += 2) {
        const char32_t unit = readUnit<2>(s + i, little);
        if (QChar::isHighSurrogate(unit) && i + 2 < n) {
            const char32_t low = readUnit<2>(s + i + 2, little);
            if (QChar::isLowSurrogate(low)) {
                builder.put(QChar::surrogateToUcs4(char16_t(unit), char16_t(low)));
                i += 2;
                continue;
            }
        }
        builder.put(unit);
    }
    return finish(builder, encoding, true);
}

std::optional<DecodedText> decodeUtf32(QByteArrayView body, TextEncoding encoding)
{
    if (body.size() % 4 != 0)
        return std::nullopt;
    const bool little = isLittleEndian(encoding);
    const auto* s = reinterpret_cast<const unsigned char*>(body.data());
    const qsizetype n = body.size();
    for (qsizetype i = 0; i < n; i += 4) {
        const char32_t c = readUnit<4>(s + i, little);
        if (c > 0x10FFFF || isSurrogate(c))
            return std::nullopt; // not UTF-32: read by the other rules
    }
    EditorTextBuilder builder(n, false);
    for (qsizetype i = 0; i < n; i += 4)
        builder.put(readUnit<4>(s + i, little));
    return finish(builder, encoding, true);
}

std::optional<DecodedText> decodeMarked(QByteArrayView body, TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8: return decodeUtf8(body, true);
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: return decodeUtf16(body, encoding);
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE: return decodeUtf32(body, encoding);
    case TextEncoding::Windows1252: break;
    }
    return std::nullopt;
}

// Writes the characters of the editor's text with put(out, character),
// which answers false when the encoding has no form for the character.
// bytesPerUnit bounds what one unit of the text can take (a CRLF break
// included).
template <bool AsciiIsOneByte, typename Put>
EncodedText encodeWith(QStringView text, const TextFileFormat& format, qsizetype bytesPerUnit, Put put)
{
    const QByteArrayView mark = format.byteOrderMark ? markOf(format.encoding) : QByteArrayView();
    EncodedText result;
    result.bytes = QByteArray(mark.size() + text.size() * bytesPerUnit, Qt::Uninitialized);
    char* const begin = result.bytes.data();
    if (!mark.isEmpty())
        std::memcpy(begin, mark.data(), std::size_t(mark.size()));
    char* d = begin + mark.size();
    FileCharacterReader chars(text, format.encoding == TextEncoding::Utf8);
    while (!chars.atEnd()) {
        if (const int ascii = chars.plainAscii(); ascii >= 0) {
            chars.skip();
            if constexpr (AsciiIsOneByte)
                *d++ = char(ascii);
            else
                put(d, char32_t(ascii));
            continue;
        }
        const char32_t c = chars.next();
        if (c == FileCharacterReader::Break) {
            if (format.lineBreak != LineBreak::LF)
                put(d, U'\r');
            if (format.lineBreak != LineBreak::CR)
                put(d, U'\n');
        } else if (!put(d, c)) {
            result.bytes.clear();
            result.unencodable = Unencodable{c, chars.breaks() + 1};
            return result;
        }
    }
    result.bytes.truncate(d - begin);
    return result;
}

}

// Windows-1252 text almost never holds a well-formed UTF-8 sequence: its
// accented letters are single bytes between ASCII ones. In 442 manual pages
// in nine Western European languages turned into Windows-1252 (4.8 MB,
// 46,609 non-ASCII bytes), and in 1,195 pieces of 200 bytes cut from them,
// there was not one. UTF-8 text hurt by a stray Windows-1252 byte, a pasted
// Windows-1252 line or a sequence cut short keeps most of its sequences. So
// bytes are still UTF-8 while their ill-formed pieces are no more than their
// well-formed sequences; a lone bad byte among ASCII ("caf\xE9") is
// Windows-1252.
bool readsAsUtf8(QByteArrayView bytes)
{
    const Utf8::Census census = Utf8::census(bytes);
    return census.illFormedPieces <= census.sequences;
}

QByteArrayView markOf(TextEncoding encoding)
{
    for (const ByteOrderMark& m : byteOrderMarks)
        if (m.encoding == encoding)
            return m.bytes;
    return {};
}

DecodedText decodeTextFile(QByteArrayView bytes)
{
    bool utf8Mark = false;
    for (const ByteOrderMark& m : byteOrderMarks) {
        if (!bytes.startsWith(m.bytes))
            continue;
        if (std::optional<DecodedText> decoded = decodeMarked(bytes.sliced(m.bytes.size()), m.encoding))
            return *std::move(decoded);
        utf8Mark = utf8Mark || m.encoding == TextEncoding::Utf8;
    }
    // A UTF-8 mark before bytes that are not UTF-8 is Windows-1252 text too.
    if (!utf8Mark)
        if (std::optional<DecodedText> decoded = decodeUtf8(bytes, false))
            return *std::move(decoded);
    return decodeWindows1252(bytes);
}

EncodedText encodeTextFile(QStringView text, const TextFileFormat& format)
{
    const bool little = isLittleEndian(format.encoding);
    switch (format.encoding) {
    case TextEncoding::Utf8:
        return encodeWith<true>(text, format, 3, [](char*& d, char32_t c) {
            if (c & FileCharacterReader::ByteFlag) {
                *d++ = char(c & 0xFF); // a byte kept from the file
                return true;
            }
            if (isSurrogate(c))
                return false;
            d = Utf8::put(d, c);
            return true;
        });
    case TextEncoding::Windows1252:
        return encodeWith<true>(text, format, 2, [](char*& d, char32_t c) {
            const int b = Windows1252::fromUnicode(c);
            if (b < 0)
                return false;
            *d++ = char(b);
            return true;
        });
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
        return encodeWith<false>(text, format, 4, [little](char*& d, char32_t c) {
            if (c >= 0x10000) {
                d = writeUnit<2>(d, QChar::highSurrogate(c), little);
                c = QChar::lowSurrogate(c);
            }
            d = writeUnit<2>(d, c, little); // a lone surrogate as itself
            return true;
        });
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE:
        return encodeWith<false>(text, format, 8, [little](char*& d, char32_t c) {
            if (isSurrogate(c))
                return false;
            d = writeUnit<4>(d, c, little);
            return true;
        });
    }
    return {};
}

QString describeUnencodable(const Unencodable& what, TextEncoding encoding)
{
    const char32_t c = what.character;
    const QString code = QStringLiteral("U+") + QString::number(uint(c), 16).toUpper().rightJustified(4, u'0');
    const QString character =
        QChar::isPrint(c) ? QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&c, 1), code) : code;
    return QStringLiteral("the character %1 on line %2 has no form in %3")
        .arg(character, QString::number(what.line), encodingName(encoding));
}
