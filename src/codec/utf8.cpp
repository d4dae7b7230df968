#include "codec/utf8.h"

#include <cstdint>
#include <cstring>

namespace {

// Index of the first non-ASCII byte at or after i, eight bytes at a time.
qsizetype skipAscii(const unsigned char* s, qsizetype i, qsizetype n)
{
    while (i + 8 <= n) {
        std::uint64_t chunk;
        std::memcpy(&chunk, s + i, 8);
        if (chunk & 0x8080808080808080ULL)
            break;
        i += 8;
    }
    while (i < n && s[i] < 0x80)
        ++i;
    return i;
}

bool isContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}

Utf8::Piece Utf8::pieceAt(const unsigned char* s, qsizetype available)
{
    const unsigned char lead = s[0];
    int length;
    // The second byte's range rules out overlong forms, surrogates and
    // values past U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return {};
    }
    if (available < 2 || s[1] < low || s[1] > high)
        return {};
    int k = 2;
    while (k < length && k < available && isContinuation(s[k]))
        ++k;
    return {k, k == length};
}

char32_t Utf8::decodeSequence(const unsigned char* s, int length)
{
    char32_t cp = s[0] & (0x7F >> length);
    for (int k = 1; k < length; ++k)
        cp = (cp << 6) | (s[k] & 0x3F);
    return cp;
}

bool Utf8::isValid(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = skipAscii(s, 0, n); i < n; i = skipAscii(s, i, n)) {
        const Piece piece = pieceAt(s + i, n - i);
        if (!piece.wellFormed)
            return false;
        i += piece.length;
    }
    return true;
}

Utf8::Census Utf8::census(QByteArrayView bytes)
{
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    Census result;
    for (qsizetype i = skipAscii(s, 0, n); i < n; i = skipAscii(s, i, n)) {
        const Piece piece = pieceAt(s + i, n - i);
        ++(piece.wellFormed ? result.sequences : result.illFormedPieces);
        i += piece.length;
    }
    return result;
}

char* Utf8::put(char* out, char32_t cp)
{
    if (cp < 0x80) {
        *out++ = char(cp);
    } else if (cp < 0x800) {
        *out++ = char(0xC0 | (cp >> 6));
        *out++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *out++ = char(0xE0 | (cp >> 12));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    } else {
        *out++ = char(0xF0 | (cp >> 18));
        *out++ = char(0x80 | ((cp >> 12) & 0x3F));
        *out++ = char(0x80 | ((cp >> 6) & 0x3F));
        *out++ = char(0x80 | (cp & 0x3F));
    }
    return out;
}
