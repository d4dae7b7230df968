#include "documents/textfilereader.h"

#include "codec/textcodec.h"
#include "codec/utf8.h"
#include "codec/windows1252.h"
#include "platform/errors.h"
#include "platform/nativenames.h"

#include <QChar>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

namespace {

bool isLittleEndian(TextEncoding e) { return e == TextEncoding::Utf16LE || e == TextEncoding::Utf32LE; }
int unitBytes(TextEncoding e) { return e == TextEncoding::Utf16LE || e == TextEncoding::Utf16BE ? 2 : 4; }

char32_t unitAt(const unsigned char* p, int size, bool little)
{
    char32_t v = 0;
    for (int k = 0; k < size; ++k)
        v = (v << 8) | p[little ? size - 1 - k : k];
    return v;
}

// How many bytes at p are plain ASCII, eight at a time where they are.
qsizetype asciiRun(const unsigned char* p, qsizetype n)
{
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, sizeof word);
        if (word & 0x8080808080808080ULL)
            break;
    }
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// MemAvailable of the kernel, in bytes; -1 when it cannot be told.
qint64 memoryAvailable()
{
    QFile info(QStringLiteral("/proc/meminfo"));
    if (!info.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : info.readAll().split('\n'))
        if (line.startsWith("MemAvailable:"))
            return line.mid(13).trimmed().split(' ').value(0).toLongLong() * 1024;
    return -1;
}

qint64 (*memoryProbe)() = memoryAvailable;

// Room kept free for the program itself, its windows and the undo history.
constexpr qint64 MemoryReserve = 64 * 1024 * 1024;

ScrivoError cannotOpen(const QString& path, const QString& why = {})
{
    const QString shown = NativeNames::displayPath(path);
    return ScrivoError(why.isEmpty() ? QStringLiteral("Cannot open file %1").arg(shown)
                                     : QStringLiteral("Cannot open file %1: %2").arg(shown, why));
}

} // namespace

void TextFileReader::setMemoryProbe(qint64 (*probe)()) { memoryProbe = probe ? probe : memoryAvailable; }

TextFileReader::TextFileReader(const QString& path) : m_path(path)
{
    // Not blocking on a pipe put in the file's place meanwhile.
    m_fd = ::open(NativeNames::toNative(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st;
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (m_fd >= 0)
            ::close(m_fd);
        throw cannotOpen(path); // a folder, device or pipe is no document
    }
    m_size = st.st_size;
    // Taken before reading, so that a write during the read shows later.
    m_stamp = FileIdentity::ofDescriptor(m_fd);
    if (!fill(FirstBlock))
        throw cannotOpen(path);
    chooseEncoding();
    if (!m_error.isEmpty())
        throw cannotOpen(path, m_error);
}

TextFileReader::~TextFileReader()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

// Refuses a file the memory left cannot hold: the text store keeps about
// a byte per byte of a UTF-8 or Windows-1252 file, up to one and a half of
// a UTF-16 file.
void TextFileReader::checkMemory(qint64 needed)
{
    const qint64 available = memoryProbe();
    if (available >= 0 && needed + MemoryReserve > available)
        fail(QStringLiteral("it needs about %1 MB of memory and %2 MB are free")
                 .arg((needed + MemoryReserve) >> 20)
                 .arg(available >> 20));
}

void TextFileReader::chooseEncoding()
{
    bool utf8Mark = false;
    for (const ByteOrderMark& m : byteOrderMarks) {
        if (!QByteArrayView(m_pending).startsWith(m.bytes))
            continue;
        if (m.encoding == TextEncoding::Utf8) {
            utf8Mark = true;
            const QByteArrayView body = QByteArrayView(m_pending).sliced(3);
            if (readsAsUtf8(body.first(m_atEnd ? body.size() : TextBytes::stableLength(body)))) {
                m_format = {TextEncoding::Utf8, LineBreak::CRLF, true};
                m_pending.remove(0, 3);
                checkMemory(m_size);
                return;
            }
            continue;
        }
        // Whole units as far as the size tells; the units themselves are
        // checked as they are converted.
        const bool misfit = std::find(m_misfits.begin(), m_misfits.end(), m.encoding) != m_misfits.end();
        if (!misfit && (m_size - m.bytes.size()) % unitBytes(m.encoding) == 0) {
            m_format = {m.encoding, LineBreak::CRLF, true};
            m_pending.remove(0, m.bytes.size());
            checkMemory(m_size + m_size / 2);
            return;
        }
    }
    const QByteArrayView head = m_pending;
    const bool utf8 = !utf8Mark && readsAsUtf8(head.first(m_atEnd ? head.size() : TextBytes::stableLength(head)));
    m_format = {utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252, LineBreak::CRLF, false};
    checkMemory(utf8 ? m_size : m_size + m_size / 4);
}

bool TextFileReader::fill(qint64 bytes)
{
    const qsizetype start = m_pending.size();
    const qsizetype want = qsizetype(std::min<qint64>(bytes, std::max<qint64>(m_size - m_read, 0) + 1));
    m_pending.resize(start + std::max<qsizetype>(want, 1));
    qsizetype got = 0;
    while (got < want) {
        const ssize_t n = ::read(m_fd, m_pending.data() + start + got, std::size_t(want - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_pending.truncate(start + got);
            fail(QString::fromLocal8Bit(std::strerror(errno)));
            return false;
        }
        if (n == 0) {
            m_atEnd = true;
            break;
        }
        got += n;
    }
    m_pending.truncate(start + got);
    m_read += got;
    m_hash.add(QByteArrayView(m_pending).sliced(start));
    return true;
}

std::vector<TextChunk> TextFileReader::read(qint64 bytes)
{
    if (bytes > 0 && !m_atEnd && m_error.isEmpty())
        fill(bytes);
    while (m_error.isEmpty() && !decode())
        restart();
    return std::exchange(m_chunks, {});
}

// False when the file turned out not to fit its encoding.
bool TextFileReader::decode()
{
    switch (m_format.encoding) {
    case TextEncoding::Utf8: decodeUtf8(m_atEnd); return true;
    case TextEncoding::Windows1252: decodeWindows1252(m_atEnd); return true;
    default: return decodeWide(m_atEnd);
    }
}

// Reads the file again from its start, by the rules after the encoding it
// did not fit.
void TextFileReader::restart()
{
    m_misfits.push_back(m_format.encoding);
    m_restarted = true;
    m_chunks.clear();
    m_pending.clear();
    m_hash = {};
    m_read = 0;
    m_units = 0;
    m_atEnd = false;
    m_hasBreak = false;
    m_breakStyle = TextBytes::Break::CRLF;
    if (::lseek(m_fd, 0, SEEK_SET) != 0) {
        fail(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    if (fill(FirstBlock))
        chooseEncoding();
}

// Pieces of about ChunkBytes of UTF-8 handed over, each cut where the text
// reads the same on both sides; returns how much was taken (the rest is
// shorter than a piece).
qsizetype TextFileReader::emitPieces(QByteArrayView utf8)
{
    qsizetype from = 0;
    while (utf8.size() - from >= ChunkBytes) {
        const QByteArrayView piece = utf8.sliced(from, ChunkBytes);
        qsizetype cut = TextBytes::stableLength(piece);
        if (cut == 0)
            cut = piece.size();
        emitChunk(piece.first(cut).toByteArray());
        from += cut;
    }
    return from;
}

// The file's own bytes; what may still join the next bytes waits for them.
void TextFileReader::decodeUtf8(bool last)
{
    qsizetype from = emitPieces(m_pending);
    if (last && from < m_pending.size()) {
        emitChunk(m_pending.sliced(from));
        from = m_pending.size();
    }
    m_pending.remove(0, from);
}

// Each byte its character, runs of plain ASCII copied as they are; a
// trailing CR waits for what follows it.
void TextFileReader::decodeWindows1252(bool last)
{
    const auto* p = reinterpret_cast<const unsigned char*>(m_pending.constData());
    qsizetype n = m_pending.size();
    const bool holdCr = !last && n > 0 && p[n - 1] == '\r';
    if (holdCr)
        --n;
    QByteArray utf8(n * 3, Qt::Uninitialized); // at most three bytes a character
    char* d = utf8.data();
    for (qsizetype i = 0; i < n;) {
        const qsizetype run = asciiRun(p + i, n - i);
        std::memcpy(d, p + i, std::size_t(run));
        d += run;
        i += run;
        if (i < n)
            d = Utf8::put(d, Windows1252::toUnicode(p[i++]));
    }
    utf8.truncate(d - utf8.data());
    emitChunk(utf8.sliced(emitPieces(utf8)));
    m_pending = holdCr ? QByteArray("\r") : QByteArray();
}

// The UTF-16 or UTF-32 units read so far, as UTF-8. A unit cut by the end
// of what was read waits for the rest, and so do a high surrogate and a CR
// (an LF may follow). False at a unit the text has no form for.
bool TextFileReader::decodeWide(bool last)
{
    const int size = unitBytes(m_format.encoding);
    const bool little = isLittleEndian(m_format.encoding);
    qsizetype end = m_pending.size() - m_pending.size() % size;
    if (last && end != m_pending.size())
        return false;
    if (!last && end >= size) {
        const char32_t c = unitAt(reinterpret_cast<const unsigned char*>(m_pending.constData()) + end - size, size, little);
        if (c == '\r' || (size == 2 && QChar::isHighSurrogate(c)))
            end -= size;
    }
    const bool fits = size == 2 ? (little ? decodeUnits<2, true>(end) : decodeUnits<2, false>(end))
                                : (little ? decodeUnits<4, true>(end) : decodeUnits<4, false>(end));
    if (fits)
        m_pending.remove(0, end);
    return fits;
}

template <int Size, bool Little>
bool TextFileReader::decodeUnits(qsizetype end)
{
    const auto* p = reinterpret_cast<const unsigned char*>(m_pending.constData());
    const auto unit = [p](qsizetype i) {
        char32_t v = 0;
        for (int k = 0; k < Size; ++k)
            v = (v << 8) | p[i + (Little ? Size - 1 - k : k)];
        return v;
    };
    QByteArray out(ChunkBytes + 8, Qt::Uninitialized);
    char* d = out.data();
    for (qsizetype i = 0; i < end; i += Size) {
        char32_t c = unit(i);
        if (c >= 0xD800 && (c <= 0xDFFF || c > 0x10FFFF)) {
            // Only a high surrogate followed by a low one is a character.
            if (Size == 4 || !QChar::isHighSurrogate(c) || i + 2 >= end || !QChar::isLowSurrogate(unit(i + 2)))
                return false;
            c = QChar::surrogateToUcs4(char16_t(c), char16_t(unit(i + 2)));
            i += 2;
        }
        d = Utf8::put(d, c);
        if (d - out.data() >= ChunkBytes && c != '\r') {
            out.truncate(d - out.data());
            emitChunk(std::exchange(out, QByteArray(ChunkBytes + 8, Qt::Uninitialized)));
            d = out.data();
        }
    }
    out.truncate(d - out.data());
    emitChunk(out);
    return true;
}

void TextFileReader::emitChunk(QByteArray bytes)
{
    if (bytes.isEmpty())
        return;
    TextChunk chunk = TextChunk::from(std::move(bytes));
    if (!m_hasBreak) {
        m_hasBreak = TextBytes::firstBreak(chunk.bytes, m_breakStyle);
        if (m_hasBreak)
            m_format.lineBreak = m_breakStyle == TextBytes::Break::LF ? LineBreak::LF
                : m_breakStyle == TextBytes::Break::CR                ? LineBreak::CR
                                                                      : LineBreak::CRLF;
    }
    m_units += chunk.units;
    if (m_units > INT_MAX)
        fail(QStringLiteral("it holds more than %1 characters").arg(INT_MAX));
    m_chunks.push_back(std::move(chunk));
}

void TextFileReader::fail(const QString& why)
{
    if (m_error.isEmpty())
        m_error = why;
}

FileIdentity TextFileReader::stamp() const
{
    FileIdentity stamp = m_stamp;
    stamp.hash = m_hash.value();
    return stamp;
}
