#include "text/textbytes.h"

#include <QChar>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Valid runs are counted sixteen bytes at a time with per-byte rules that
// agree with the tokens: a byte starts a position unless it is a
// continuation byte or the LF of a CR LF; a four-byte lead adds a second
// position (the low surrogate); a break starts at a CR or at an LF not
// preceded by CR. Runs holding raw bytes are counted so between them, and
// decoded token by token.

namespace TextBytes {

namespace {

using uchar = unsigned char;

// The scans that count bits run in a second version for processors with a
// population count instruction (the baseline x86-64 set has none, and the
// library's fallback costs a call per count); the dynamic linker picks one.
// Not under ThreadSanitizer: the linker runs the chooser before the
// sanitizer's runtime is ready, and its instrumented code crashes there.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define SCRIVO_BIT_COUNTING __attribute__((target_clones("default", "popcnt")))
#else
#define SCRIVO_BIT_COUNTING
#endif

const uchar* bytesOf(QByteArrayView v) { return reinterpret_cast<const uchar*>(v.data()); }

// Length of the valid UTF-8 sequence at p (avail bytes readable), or 0
// when the byte there does not start one: it is then a raw byte. Overlong
// forms, surrogates and values past U+10FFFF are not valid.
int sequenceLength(const uchar* p, qsizetype avail)
{
    const uchar c = p[0];
    int n;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (c < 0xC2)
        return 0;
    if (c <= 0xDF) {
        n = 2;
    } else if (c <= 0xEF) {
        n = 3;
        if (c == 0xE0)
            low = 0xA0;
        else if (c == 0xED)
            high = 0x9F;
    } else if (c <= 0xF4) {
        n = 4;
        if (c == 0xF0)
            low = 0x90;
        else if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (avail < n || p[1] < low || p[1] > high)
        return 0;
    for (int k = 2; k < n; ++k)
        if ((p[k] & 0xC0) != 0x80)
            return 0;
    return n;
}

char32_t sequenceValue(const uchar* p, int n)
{
    switch (n) {
    case 2: return char32_t(p[0] & 0x1F) << 6 | (p[1] & 0x3F);
    case 3: return char32_t(p[0] & 0x0F) << 12 | char32_t(p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    default:
        return char32_t(p[0] & 0x07) << 18 | char32_t(p[1] & 0x3F) << 12 | char32_t(p[2] & 0x3F) << 6
            | (p[3] & 0x3F);
    }
}

// One token at p: its bytes and the positions it takes.
struct Token {
    int bytes;
    int units;
    bool lineBreak;
};

Token tokenAt(const uchar* p, const uchar* end)
{
    const uchar c = *p;
    if (c < 0x80) {
        if (c == '\r')
            return {(p + 1 < end && p[1] == '\n') ? 2 : 1, 1, true};
        return {1, 1, c == '\n'};
    }
    const int n = sequenceLength(p, end - p);
    if (n == 0)
        return {1, 1, false};
    return {n, n == 4 ? 2 : 1, false};
}

char* putUtf8(char* d, char32_t cp)
{
    if (cp < 0x80) {
        *d++ = char(cp);
    } else if (cp < 0x800) {
        *d++ = char(0xC0 | (cp >> 6));
        *d++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
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

bool continuation(uchar c) { return (c & 0xC0) == 0x80; }

bool startsUnit(const uchar* p, qsizetype j)
{
    return !continuation(p[j]) && !(p[j] == '\n' && j > 0 && p[j - 1] == '\r');
}

bool startsBreak(const uchar* p, qsizetype j)
{
    return p[j] == '\r' || (p[j] == '\n' && !(j > 0 && p[j - 1] == '\r'));
}

int unitsStarted(uchar c) { return c >= 0xF0 ? 2 : 1; }

inline int bitCount(unsigned x) { return std::popcount(x); }

// Bit k of each mask stands for the byte at i + k.
struct Masks {
    unsigned starts; // bytes that start a position
    unsigned four;   // four-byte leads
    unsigned breaks; // bytes that start a line break
    unsigned high;   // bytes of 0x80 and above
    unsigned cr;     // CR bytes
    int units() const { return bitCount(starts) + bitCount(four); }
};

constexpr qsizetype Block = 16;

// The masks of the 16 bytes at p + i (i + 16 <= the run's size).
inline __attribute__((always_inline)) Masks masksAt(const uchar* p, qsizetype i)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i prev = i > 0 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1)) : _mm_slli_si128(v, 1);
    const auto mask = [](__m128i m) { return unsigned(_mm_movemask_epi8(m)); };
    const unsigned notContinuation = mask(_mm_cmpgt_epi8(v, _mm_set1_epi8(char(0xBF))));
    const unsigned four = mask(_mm_cmpeq_epi8(_mm_and_si128(v, _mm_set1_epi8(char(0xF0))), _mm_set1_epi8(char(0xF0))));
    const unsigned lf = mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
    const unsigned cr = mask(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')));
    const unsigned afterCr = mask(_mm_cmpeq_epi8(prev, _mm_set1_epi8('\r')));
    return {notContinuation & ~(lf & afterCr), four, cr | (lf & ~afterCr), mask(v), cr};
#else
    Masks m{0, 0, 0, 0, 0};
    for (int k = 0; k < Block; ++k) {
        const qsizetype j = i + k;
        m.starts |= unsigned(startsUnit(p, j)) << k;
        m.four |= unsigned(p[j] >= 0xF0) << k;
        m.breaks |= unsigned(startsBreak(p, j)) << k;
        m.high |= unsigned(p[j] >= 0x80) << k;
        m.cr |= unsigned(p[j] == '\r') << k;
    }
    return m;
#endif
}

unsigned highMask(const uchar* p, qsizetype i)
{
#if defined(__SSE2__)
    return unsigned(_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i))));
#else
    unsigned m = 0;
    for (int k = 0; k < Block; ++k)
        m |= unsigned(p[i + k] >= 0x80) << k;
    return m;
#endif
}

// Where the first byte that is no part of a valid sequence lies, from i on
// (n when there is none); ascii tells whether every byte before it is.
qsizetype validEnd(const uchar* p, qsizetype i, qsizetype n, bool& ascii)
{
    ascii = true;
    while (i < n) {
        if (i + Block <= n) {
            const unsigned high = highMask(p, i);
            if (high == 0) {
                i += Block;
                continue;
            }
            i += std::countr_zero(high);
        } else if (p[i] < 0x80) {
            ++i;
            continue;
        }
        ascii = false;
        const int len = sequenceLength(p + i, n - i);
        if (len == 0)
            return i;
        i += len;
    }
    return n;
}

bool isValid(const uchar* p, qsizetype n, bool& ascii) { return validEnd(p, 0, n, ascii) == n; }

#if defined(__SSE2__)
// Counts of whole blocks from i on, in byte counters summed every 255
// blocks; returns where it stopped.
qsizetype countValidBlocks(const uchar* p, qsizetype i, qsizetype n, Metrics& m, unsigned& high)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i f0 = _mm_set1_epi8(char(0xF0));
    const __m128i lastContinuation = _mm_set1_epi8(char(0xBF));
    __m128i highSeen = zero;
    while (i + Block <= n) {
        __m128i units = zero;
        __m128i breaks = zero;
        for (int round = 0; round < 127 && i + Block <= n; ++round, i += Block) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i prev = i > 0 ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 1)) : _mm_slli_si128(v, 1);
            const __m128i isLf = _mm_cmpeq_epi8(v, lf);
            const __m128i isCr = _mm_cmpeq_epi8(v, cr);
            const __m128i lfAfterCr = _mm_and_si128(isLf, _mm_cmpeq_epi8(prev, cr));
            const __m128i starts = _mm_andnot_si128(lfAfterCr, _mm_cmpgt_epi8(v, lastContinuation));
            const __m128i four = _mm_cmpeq_epi8(_mm_and_si128(v, f0), f0);
            // Each lane adds at most two per round: 127 rounds fit a byte.
            units = _mm_sub_epi8(_mm_sub_epi8(units, starts), four);
            breaks = _mm_sub_epi8(breaks, _mm_or_si128(isCr, _mm_andnot_si128(lfAfterCr, isLf)));
            highSeen = _mm_or_si128(highSeen, v);
        }
        const auto sum = [&](__m128i counts) {
            const __m128i sad = _mm_sad_epu8(counts, zero);
            return qint64(_mm_cvtsi128_si64(sad)) + qint64(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sad, sad)));
        };
        m.units += sum(units);
        m.breaks += sum(breaks);
    }
    high |= unsigned(_mm_movemask_epi8(highSeen));
    return i;
}
#endif

Metrics measureValid(const uchar* p, qsizetype n)
{
    Metrics m;
    unsigned high = 0;
    qsizetype i = 0;
#if defined(__SSE2__)
    i = countValidBlocks(p, i, n, m, high);
#endif
    for (; i < n; ++i) {
        m.units += startsUnit(p, i) ? unitsStarted(p[i]) : 0;
        m.breaks += startsBreak(p, i);
        high |= p[i] >= 0x80;
    }
    m.ascii = high == 0;
    return m;
}

// A run with raw bytes: the valid stretches between them are counted as
// valid runs are (each starts at the run's start or after a raw byte, so
// never on the LF of a CR LF), each raw byte is one position.
Metrics measureMixed(const uchar* p, qsizetype n)
{
    Metrics m;
    for (qsizetype i = 0; i < n;) {
        bool ascii = true;
        const qsizetype bad = validEnd(p, i, n, ascii);
        if (bad > i) {
            const Metrics part = measureValid(p + i, bad - i);
            m.units += part.units;
            m.breaks += part.breaks;
            m.ascii = m.ascii && part.ascii;
        }
        if (bad == n)
            break;
        m.units += 1;
        m.ascii = false;
        m.valid = false;
        i = bad + 1;
    }
    return m;
}

void widenBlock(const uchar* p, char16_t* d)
{
#if defined(__SSE2__)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v, zero));
#else
    for (int k = 0; k < Block; ++k)
        d[k] = p[k];
#endif
}

// Decodes the token at p[i] into d; returns the bytes it took.
int decodeToken(const uchar* p, qsizetype i, qsizetype n, char16_t*& d)
{
    const uchar c = p[i];
    if (c < 0x80) {
        *d++ = c == '\r' ? u'\n' : char16_t(c);
        return (c == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
    }
    const int len = sequenceLength(p + i, n - i);
    if (len == 0) {
        *d++ = char16_t(RawByteBase + c);
        return 1;
    }
    const char32_t cp = sequenceValue(p + i, len);
    if (QChar::requiresSurrogates(cp)) {
        *d++ = QChar::highSurrogate(cp);
        *d++ = QChar::lowSurrogate(cp);
    } else {
        *d++ = char16_t(cp);
    }
    return len;
}

} // namespace

QByteArrayView breakBytes(Break style)
{
    switch (style) {
    case Break::CRLF: return "\r\n";
    case Break::LF: return "\n";
    case Break::CR: return "\r";
    }
    return "\r\n";
}

Metrics measure(QByteArrayView bytes)
{
    const uchar* p = bytesOf(bytes);
    bool ascii = true;
    if (isValid(p, bytes.size(), ascii))
        return measureValid(p, bytes.size());
    return measureMixed(p, bytes.size());
}

Metrics measurePrefix(QByteArrayView bytes, qsizetype offset, bool valid)
{
    const uchar* p = bytesOf(bytes);
    return valid ? measureValid(p, offset) : measureMixed(p, offset);
}

bool cleanJunction(QByteArrayView left, QByteArrayView right)
{
    if (left.isEmpty() || right.isEmpty())
        return true;
    const uchar* l = bytesOf(left);
    const qsizetype ln = left.size();
    if (l[ln - 1] == '\r' && right[0] == '\n')
        return false;
    // The nearest byte before the junction that is not a continuation byte;
    // only a lead byte cut short by the junction can take bytes after it.
    for (qsizetype k = 1; k <= std::min<qsizetype>(3, ln); ++k) {
        const uchar c = l[ln - k];
        if (continuation(c))
            continue;
        if (c < 0xC2)
            return true;
        uchar window[4];
        const qsizetype fromRight = std::min<qsizetype>(4 - k, right.size());
        std::memcpy(window, l + ln - k, std::size_t(k));
        std::memcpy(window + k, right.data(), std::size_t(fromRight));
        return sequenceLength(window, k + fromRight) <= k;
    }
    return true;
}

bool firstBreak(QByteArrayView bytes, Break& style)
{
    const char* p = bytes.data();
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] == '\n') {
            style = Break::LF;
            return true;
        }
        if (p[i] == '\r') {
            style = (i + 1 < n && p[i + 1] == '\n') ? Break::CRLF : Break::CR;
            return true;
        }
    }
    return false;
}

namespace {

// With breaksAsLf, a CR LF or a lone CR reads as LF; otherwise a CR stays.
void decodeInto(QByteArrayView bytes, QString& out, bool breaksAsLf)
{
    const uchar* p = bytesOf(bytes);
    const qsizetype n = bytes.size();
    const qsizetype start = out.size();
    // Never more units than bytes; room for one block written ahead.
    out.resize(start + n + Block);
    char16_t* const begin = reinterpret_cast<char16_t*>(out.data());
    char16_t* d = begin + start;
    qsizetype i = 0;
    while (i < n) {
        if (i + Block <= n) {
            // Widen sixteen bytes at once; keep the plain ASCII ones before
            // the first byte that needs decoding.
            const Masks m = masksAt(p, i);
            widenBlock(p + i, d);
            const unsigned special = breaksAsLf ? m.high | m.cr : m.high;
            if (special == 0) {
                i += Block;
                d += Block;
                continue;
            }
            const int plain = std::countr_zero(special);
            i += plain;
            d += plain;
        }
        i += (!breaksAsLf && p[i] == '\r') ? (*d++ = u'\r', 1) : decodeToken(p, i, n, d);
    }
    out.truncate(d - begin);
}

}

void appendText(QByteArrayView bytes, QString& out) { decodeInto(bytes, out, true); }

void appendFileText(QByteArrayView bytes, QString& out) { decodeInto(bytes, out, false); }

QString toText(QByteArrayView bytes)
{
    QString out;
    appendText(bytes, out);
    return out;
}

SCRIVO_BIT_COUNTING
qsizetype byteOffset(QByteArrayView bytes, qsizetype units, bool valid)
{
    const uchar* p = bytesOf(bytes);
    const qsizetype n = bytes.size();
    if (!valid) {
        qsizetype i = 0;
        while (units > 0 && i < n) {
            const Token t = tokenAt(p + i, p + n);
            if (t.units > units)
                break; // inside a surrogate pair: its start
            units -= t.units;
            i += t.bytes;
        }
        return i;
    }
    qsizetype i = 0;
    for (; i + Block <= n; i += Block) {
        const int inBlock = masksAt(p, i).units();
        if (inBlock > units)
            break;
        units -= inBlock;
    }
    for (; i < n; ++i) {
        if (!startsUnit(p, i))
            continue;
        const int w = unitsStarted(p[i]);
        if (units == 0 || w > units)
            return i;
        units -= w;
    }
    return n;
}

Decoded decodeAt(QByteArrayView bytes, qsizetype offset)
{
    const uchar* p = bytesOf(bytes) + offset;
    const qsizetype avail = bytes.size() - offset;
    const uchar c = *p;
    if (c < 0x80) {
        if (c == '\r')
            return {U'\n', (avail > 1 && p[1] == '\n') ? 2 : 1};
        return {c, 1};
    }
    const int len = sequenceLength(p, avail);
    if (len == 0)
        return {char32_t(RawByteBase + c), 1};
    return {sequenceValue(p, len), len};
}

Decoded decodeBefore(QByteArrayView bytes, qsizetype offset)
{
    const uchar* p = bytesOf(bytes);
    const uchar c = p[offset - 1];
    if (c < 0x80) {
        if (c == '\r' || c == '\n')
            return {U'\n', (c == '\n' && offset > 1 && p[offset - 2] == '\r') ? 2 : 1};
        return {c, 1};
    }
    // A character ends here only if its lead byte, at most three
    // continuation bytes back, starts a sequence of exactly that length.
    for (qsizetype k = 2; continuation(p[offset - k + 1]) && k <= std::min<qsizetype>(4, offset); ++k) {
        const uchar* lead = p + offset - k;
        if (continuation(*lead))
            continue;
        if (sequenceLength(lead, k) == k)
            return {sequenceValue(lead, int(k)), int(k)};
        break;
    }
    return {char32_t(RawByteBase + c), 1};
}

SCRIVO_BIT_COUNTING
qsizetype byteAfterBreak(QByteArrayView bytes, qint64 k)
{
    // Break bytes never occur inside a multi-byte character, so the masks
    // find them whatever the run holds.
    const uchar* p = bytesOf(bytes);
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    for (; i + Block <= n; i += Block) {
        const int inBlock = bitCount(masksAt(p, i).breaks);
        if (inBlock >= k)
            break;
        k -= inBlock;
    }
    for (; i < n; ++i) {
        if (startsBreak(p, i) && --k == 0)
            return (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n') ? i + 2 : i + 1;
    }
    return -1;
}

SCRIVO_BIT_COUNTING
LineStarts lineStarts(QByteArrayView bytes, bool valid)
{
    const uchar* p = bytesOf(bytes);
    const qsizetype n = bytes.size();
    LineStarts starts;
    const auto add = [&](qint64 unitsBefore, qsizetype at) {
        starts.units.push_back(qint32(unitsBefore + 1));
        starts.bytes.push_back(qint32((p[at] == '\r' && at + 1 < n && p[at + 1] == '\n') ? at + 2 : at + 1));
    };
    qint64 units = 0;
    if (!valid) {
        for (qsizetype i = 0; i < n;) {
            const Token t = tokenAt(p + i, p + n);
            if (t.lineBreak)
                add(units, i);
            units += t.units;
            i += t.bytes;
        }
        return starts;
    }
    qsizetype i = 0;
    for (; i + Block <= n; i += Block) {
        const Masks m = masksAt(p, i);
        for (unsigned breaks = m.breaks; breaks != 0; breaks &= breaks - 1) {
            const int bit = std::countr_zero(breaks);
            const unsigned below = (1u << bit) - 1;
            add(units + bitCount(m.starts & below) + bitCount(m.four & below), i + bit);
        }
        units += m.units();
    }
    for (; i < n; ++i) {
        if (startsBreak(p, i))
            add(units, i);
        units += startsUnit(p, i) ? unitsStarted(p[i]) : 0;
    }
    return starts;
}

qsizetype tokenBoundaryAtOrBefore(QByteArrayView bytes, qsizetype offset)
{
    const uchar* p = bytesOf(bytes);
    const qsizetype n = bytes.size();
    if (offset <= 0 || offset >= n)
        return std::clamp<qsizetype>(offset, 0, n);
    if (p[offset - 1] == '\r' && p[offset] == '\n')
        return offset - 1;
    if (!continuation(p[offset]))
        return offset;
    for (qsizetype k = 1; k <= std::min<qsizetype>(3, offset); ++k) {
        if (continuation(p[offset - k]))
            continue;
        return sequenceLength(p + offset - k, n - offset + k) > k ? offset - k : offset;
    }
    return offset;
}

qsizetype stableLength(QByteArrayView bytes)
{
    const uchar* p = bytesOf(bytes);
    const qsizetype n = bytes.size();
    if (n > 0 && p[n - 1] == '\r')
        return n - 1;
    for (qsizetype k = 1; k <= std::min<qsizetype>(3, n); ++k) {
        const uchar c = p[n - k];
        if (continuation(c))
            continue;
        if (c < 0xC2 || c > 0xF4)
            return n;
        // A lead byte: cut before it when what follows it so far could
        // still become a whole character (a second byte's lowest allowed
        // value is one of these).
        for (const uchar filler : {uchar(0x80), uchar(0x90), uchar(0xA0)}) {
            uchar window[4] = {filler, filler, filler, filler};
            std::memcpy(window, p + n - k, std::size_t(k));
            if (sequenceLength(window, 4) > k)
                return n - k;
        }
        return n;
    }
    return n;
}

QString storedForm(QStringView text)
{
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    qsizetype first = 0;
    while (first < n && s[first] != u'\r' && !QChar::isSurrogate(s[first]))
        ++first;
    if (first == n)
        return text.toString();
    QString out;
    out.reserve(n);
    out.append(text.first(first));
    for (qsizetype i = first; i < n; ++i) {
        const char16_t c = s[i];
        if (c == u'\r') {
            if (i + 1 < n && s[i + 1] == u'\n')
                ++i;
            out.append(u'\n');
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            out.append(QChar(c));
            out.append(QChar(s[++i]));
        } else if (QChar::isSurrogate(c)) {
            out.append(QChar(QChar::ReplacementCharacter));
        } else {
            out.append(QChar(c));
        }
    }
    return out;
}

namespace {

// Writes runs of encoded text: each run a buffer of its largest size, cut
// to what was written when it is handed over.
class RunWriter {
public:
    explicit RunWriter(qsizetype maxBytes) : m_max(std::max<qsizetype>(maxBytes, 4)) {}

    // Room for at least `bytes` more in the current run.
    char* room(qsizetype bytes)
    {
        if (m_out && m_out + bytes > m_end)
            flush();
        if (!m_out) {
            m_run.bytes = QByteArray(m_max, Qt::Uninitialized);
            m_out = m_run.bytes.data();
            m_end = m_out + m_max;
        }
        return m_out;
    }
    void wrote(char* to, qint64 units, qint64 breaks, bool ascii, bool raw)
    {
        m_out = to;
        m_run.metrics.units += units;
        m_run.metrics.breaks += breaks;
        m_run.metrics.ascii = m_run.metrics.ascii && ascii;
        m_run.metrics.valid = m_run.metrics.valid && !raw;
    }
    qsizetype left() const { return m_end - m_out; }
    QByteArrayView current() const
    {
        return m_out ? QByteArrayView(m_run.bytes.constData(), m_out - m_run.bytes.constData()) : QByteArrayView();
    }
    void flush()
    {
        if (!m_out)
            return;
        m_run.bytes.truncate(m_out - m_run.bytes.constData());
        m_runs.push_back(std::move(m_run));
        m_run = EncodedRun();
        m_out = m_end = nullptr;
    }
    std::vector<EncodedRun> take()
    {
        flush();
        if (m_runs.empty())
            m_runs.push_back(EncodedRun());
        return std::move(m_runs);
    }

private:
    qsizetype m_max;
    std::vector<EncodedRun> m_runs;
    EncodedRun m_run;
    char* m_out = nullptr;
    char* m_end = nullptr;
};

// Copies the ASCII units other than LF at the start of s[i..n) to d; returns
// how many.
qsizetype copyPlainAscii(const char16_t* s, qsizetype i, qsizetype n, char* d, qsizetype room)
{
    const qsizetype start = i;
    const qsizetype stop = std::min(n, i + room);
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi16(u'\n');
    const __m128i ascii = _mm_set1_epi16(0x7F);
    for (; i + 8 <= stop; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        // Units above 0x7F (as signed 16-bit numbers, those above 0x7FFF are
        // negative: caught by the second test) or LF end the run.
        const __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmpgt_epi16(v, ascii), _mm_cmplt_epi16(v, _mm_setzero_si128())),
                                             _mm_cmpeq_epi16(v, lf));
        if (_mm_movemask_epi8(special) != 0)
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + (i - start)), _mm_packus_epi16(v, v));
    }
#endif
    for (; i < stop && s[i] < 0x80 && s[i] != u'\n'; ++i)
        d[i - start] = char(s[i]);
    return i - start;
}

} // namespace

std::vector<EncodedRun> encode(QStringView text, Break style, qsizetype maxBytes)
{
    RunWriter writer(maxBytes);
    const QByteArrayView lineBreak = breakBytes(style);
    const char16_t* s = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        char* d = writer.room(4);
        const qsizetype plain = copyPlainAscii(s, i, n, d, writer.left());
        if (plain > 0) {
            writer.wrote(d + plain, plain, 0, true, false);
            i += plain;
            continue;
        }
        const char16_t c = s[i];
        if (c == u'\n') {
            std::memcpy(d, lineBreak.data(), std::size_t(lineBreak.size()));
            writer.wrote(d + lineBreak.size(), 1, 1, true, false);
            ++i;
        } else if (isRawByteStandIn(c)) {
            const char raw = char(c - RawByteBase);
            if (!cleanJunction(writer.current(), QByteArrayView(&raw, 1))) {
                writer.flush();
                d = writer.room(1);
            }
            *d = raw;
            writer.wrote(d + 1, 1, 0, false, true);
            ++i;
        } else {
            const bool pair = QChar::isHighSurrogate(c) && i + 1 < n && QChar::isLowSurrogate(s[i + 1]);
            const char32_t cp = pair ? QChar::surrogateToUcs4(c, s[i + 1])
                : QChar::isSurrogate(c) ? char32_t(QChar::ReplacementCharacter) : char32_t(c);
            writer.wrote(putUtf8(d, cp), pair ? 2 : 1, 0, false, false);
            i += pair ? 2 : 1;
        }
    }
    return writer.take();
}

} // namespace TextBytes
