#include "explorer/namecompare.h"

#include <QChar>
#include <QString>

#include <array>

namespace {
// Bytes that are not valid UTF-8 get code points of their own past the
// Unicode range, so every name still has a place in the order.
constexpr char32_t InvalidByteBase = 0x110000;

struct Decoded {
    char32_t code;
    qsizetype length;
};

Decoded decodeAt(QByteArrayView s, qsizetype i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80)
        return {b0, 1};
    const qsizetype left = s.size() - i;
    auto cont = [&](qsizetype k) {
        return k < left && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    };
    auto bits = [&](qsizetype k) { return char32_t(static_cast<unsigned char>(s[i + k]) & 0x3F); };
    if (b0 >= 0xC2 && b0 < 0xE0 && cont(1))
        return {(char32_t(b0 & 0x1F) << 6) | bits(1), 2};
    if (b0 >= 0xE0 && b0 < 0xF0 && cont(1) && cont(2)) {
        const char32_t c = (char32_t(b0 & 0x0F) << 12) | (bits(1) << 6) | bits(2);
        if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF))
            return {c, 3};
    }
    if (b0 >= 0xF0 && b0 < 0xF5 && cont(1) && cont(2) && cont(3)) {
        const char32_t c = (char32_t(b0 & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
        if (c >= 0x10000 && c <= 0x10FFFF)
            return {c, 4};
    }
    return {InvalidByteBase + b0, 1};
}

bool isDigit(QByteArrayView s, qsizetype i)
{
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

char32_t lowerCase(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if (c >= InvalidByteBase)
        return c;
    return QChar::toCaseFolded(c);
}

// Latin letters with accents, folded to their lower-case base letter.
constexpr char32_t LatinFirst = 0xC0;
constexpr char32_t LatinLast = 0x24F;

const std::array<char32_t, LatinLast - LatinFirst + 1>& latinBaseLetters()
{
    static const auto table = [] {
        std::array<char32_t, LatinLast - LatinFirst + 1> t{};
        for (char32_t c = LatinFirst; c <= LatinLast; ++c) {
            char32_t base = c;
            const QChar ch(c);
            if (ch.decompositionTag() == QChar::Canonical) {
                const QString parts = ch.decomposition();
                if (!parts.isEmpty())
                    base = parts.at(0).unicode();
            }
            t[c - LatinFirst] = lowerCase(base);
        }
        return t;
    }();
    return table;
}

char32_t primaryKey(char32_t c)
{
    if (c < 0x80)
        return lowerCase(c);
    if (c >= LatinFirst && c <= LatinLast)
        return latinBaseLetters()[c - LatinFirst];
    return lowerCase(c);
}

int sign(long long v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Compares the digit runs starting at i and j by value and moves past them.
int compareNumbers(QByteArrayView a, qsizetype& i, QByteArrayView b, qsizetype& j)
{
    while (i + 1 < a.size() && a[i] == '0' && isDigit(a, i + 1))
        ++i;
    while (j + 1 < b.size() && b[j] == '0' && isDigit(b, j + 1))
        ++j;
    qsizetype ei = i, ej = j;
    while (isDigit(a, ei))
        ++ei;
    while (isDigit(b, ej))
        ++ej;
    int result = sign((ei - i) - (ej - j));
    for (qsizetype k = 0; result == 0 && k < ei - i; ++k)
        result = sign(a[i + k] - b[j + k]);
    i = ei;
    j = ej;
    return result;
}

int comparePrimary(QByteArrayView a, QByteArrayView b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        const bool digitA = ca >= '0' && ca <= '9';
        const bool digitB = cb >= '0' && cb <= '9';
        // Most names are plain ASCII: compare without decoding.
        if (ca < 0x80 && cb < 0x80 && !(digitA && digitB)) {
            const char32_t ka = lowerCase(ca);
            const char32_t kb = lowerCase(cb);
            if (ka != kb)
                return ka < kb ? -1 : 1;
            ++i;
            ++j;
            continue;
        }
        if (digitA && digitB) {
            if (int r = compareNumbers(a, i, b, j))
                return r;
            continue;
        }
        const Decoded da = decodeAt(a, i);
        const Decoded db = decodeAt(b, j);
        const char32_t ka = primaryKey(da.code);
        const char32_t kb = primaryKey(db.code);
        if (ka != kb)
            return ka < kb ? -1 : 1;
        i += da.length;
        j += db.length;
    }
    return (i < a.size()) - (j < b.size());
}

// Code point by code point with a key function; the shorter name first.
template <typename Key>
int compareBy(QByteArrayView a, QByteArrayView b, Key key)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const Decoded da = decodeAt(a, i);
        const Decoded db = decodeAt(b, j);
        const auto ka = key(da.code);
        const auto kb = key(db.code);
        if (ka != kb)
            return ka < kb ? -1 : 1;
        i += da.length;
        j += db.length;
    }
    return (i < a.size()) - (j < b.size());
}

// Lower case before upper case, then code point order.
long long caseKey(char32_t c)
{
    const char32_t lower = lowerCase(c);
    return (static_cast<long long>(lower) << 1) | (lower != c ? 1 : 0);
}
}

int compareItemNames(QByteArrayView a, QByteArrayView b)
{
    if (int r = comparePrimary(a, b))
        return r;
    if (int r = compareBy(a, b, lowerCase))
        return r;
    if (int r = compareBy(a, b, caseKey))
        return r;
    return sign(a.compare(b));
}
