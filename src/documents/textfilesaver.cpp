#include "documents/textfilesaver.h"

#include "codec/windows1252.h"
#include "text/textstore.h"

#include <QChar>

namespace {

char* putUnit(char* d, char32_t value, int size, bool little)
{
    for (int k = 0; k < size; ++k)
        *d++ = char((value >> (8 * (little ? k : size - 1 - k))) & 0xFF);
    return d;
}

// The bytes of one chunk's characters (line breaks as the file holds
// them); -1 when all have a form, else the index in text of the first that
// has none. Written through a pointer: a save runs this over every
// character of the document, twice.
qsizetype encodeChunk(QStringView text, TextEncoding encoding, QByteArray& out)
{
    const bool little = encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf32LE;
    const int unit = encoding == TextEncoding::Windows1252             ? 1
        : encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE ? 2
                                                                          : 4;
    out.resize(text.size() * unit);
    char* d = out.data();
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = s[i];
        if (unit == 1 && c < 0x80) {
            *d++ = char(c);
            continue;
        }
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]);
        const char32_t cp = pair ? QChar::surrogateToUcs4(c, s[i + 1]) : char32_t(c);
        if (unit == 1) {
            const int b = Windows1252::fromUnicode(cp);
            if (b < 0) {
                out.truncate(d - out.data());
                return i;
            }
            *d++ = char(b);
        } else if (unit == 4) {
            d = putUnit(d, cp, 4, little);
        } else {
            d = putUnit(d, c, 2, little);
            if (pair)
                d = putUnit(d, s[i + 1], 2, little);
        }
        i += pair ? 1 : 0;
    }
    out.truncate(d - out.data());
    return -1;
}

// Breaks in a chunk's file text before index: LF, and CR not before LF.
qint64 breaksBefore(QStringView text, qsizetype index)
{
    qint64 breaks = 0;
    for (qsizetype i = 0; i < index; ++i)
        breaks += text[i] == u'\n' || (text[i] == u'\r' && !(i + 1 < text.size() && text[i + 1] == u'\n'));
    return breaks;
}

// Runs over the chunks, converted; stops at the first character without a
// form (telling where) or when put answers false.
template <typename Put>
bool convertChunks(const TextStore& store, TextEncoding encoding, std::optional<Unencodable>* unencodable, Put put)
{
    QString text;
    QByteArray bytes;
    qint64 line = 1;
    for (const TextChunk& chunk : store.chunks()) {
        text.resize(0);
        TextBytes::appendFileText(chunk.bytes, text);
        const qsizetype failed = encodeChunk(text, encoding, bytes);
        if (failed >= 0) {
            if (unencodable) {
                const QStringView at = QStringView(text).sliced(failed);
                const char32_t c = at.size() > 1 && at[0].isHighSurrogate() && at[1].isLowSurrogate()
                    ? QChar::surrogateToUcs4(at[0], at[1])
                    : char32_t(at[0].unicode());
                *unencodable = Unencodable{c, line + breaksBefore(text, failed)};
            }
            return false;
        }
        if (!put(QByteArrayView(bytes)))
            return false;
        line += chunk.breaks;
    }
    return true;
}

} // namespace

StoreEncoding encodeStore(const TextStore& store, const TextFileFormat& format)
{
    const QByteArrayView mark = format.byteOrderMark ? markOf(format.encoding) : QByteArrayView();
    StoreEncoding result;
    if (format.encoding == TextEncoding::Utf8) {
        result.content.size = mark.size() + store.byteCount();
        result.content.produce = [&store, mark](const FileContent::Write& write) {
            if (!mark.isEmpty() && !write(mark))
                return false;
            for (const TextChunk& chunk : store.chunks())
                if (!write(chunk.bytes))
                    return false;
            return true;
        };
        return result;
    }
    // A first pass finds the size, or the character that stops the save
    // before anything is written.
    qint64 size = mark.size();
    if (!convertChunks(store, format.encoding, &result.unencodable, [&size](QByteArrayView bytes) {
            size += bytes.size();
            return true;
        }))
        return result;
    result.content.size = size;
    result.content.produce = [&store, mark, encoding = format.encoding](const FileContent::Write& write) {
        return (mark.isEmpty() || write(mark)) && convertChunks(store, encoding, nullptr, write);
    };
    return result;
}
