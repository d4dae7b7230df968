#include "recovery/crc32c.h"

#include <array>
#include <cstring>

namespace {

constexpr std::uint32_t Polynomial = 0x82F63B78; // reflected 0x1EDC6F41

using Table = std::array<std::array<std::uint32_t, 256>, 8>;

// Eight tables, so the portable path takes eight bytes a step.
constexpr Table makeTables()
{
    Table t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ Polynomial : c >> 1;
        t[0][i] = c;
    }
    for (std::size_t n = 1; n < 8; ++n)
        for (std::size_t i = 0; i < 256; ++i)
            t[n][i] = (t[n - 1][i] >> 8) ^ t[0][t[n - 1][i] & 0xFF];
    return t;
}

constexpr Table Tables = makeTables();

std::uint32_t portable(const unsigned char* p, std::size_t n, std::uint32_t c)
{
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        word ^= c; // little-endian: the CRC meets the first four bytes
        c = Tables[7][word & 0xFF] ^ Tables[6][(word >> 8) & 0xFF] ^ Tables[5][(word >> 16) & 0xFF]
            ^ Tables[4][(word >> 24) & 0xFF] ^ Tables[3][(word >> 32) & 0xFF] ^ Tables[2][(word >> 40) & 0xFF]
            ^ Tables[1][(word >> 48) & 0xFF] ^ Tables[0][word >> 56];
        p += 8;
        n -= 8;
    }
    while (n--)
        c = (c >> 8) ^ Tables[0][(c ^ *p++) & 0xFF];
    return c;
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define SCRIVO_CRC32C_SSE42 1

__attribute__((target("sse4.2"))) std::uint32_t hardware(const unsigned char* p, std::size_t n, std::uint32_t c)
{
    std::uint64_t c64 = c;
    while (n >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        c64 = __builtin_ia32_crc32di(c64, word);
        p += 8;
        n -= 8;
    }
    auto c32 = static_cast<std::uint32_t>(c64);
    while (n--)
        c32 = __builtin_ia32_crc32qi(c32, *p++);
    return c32;
}

bool hasHardware()
{
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
}
#endif

} // namespace

std::uint32_t crc32c(QByteArrayView bytes, std::uint32_t previous)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto n = static_cast<std::size_t>(bytes.size());
    std::uint32_t c = ~previous;
#ifdef SCRIVO_CRC32C_SSE42
    if (hasHardware())
        return ~hardware(p, n, c);
#endif
    return ~portable(p, n, c);
}

std::uint32_t crc32cPortable(QByteArrayView bytes, std::uint32_t previous)
{
    return ~portable(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<std::size_t>(bytes.size()),
                     ~previous);
}
