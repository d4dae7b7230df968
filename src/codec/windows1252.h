#pragma once

#include <array>

// Windows-1252, the code page of files that are not UTF-8. Its five
// unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control
// of the same value, so that every byte has a character and comes back
// unchanged.
namespace Windows1252 {

// Bytes 0x80..0x9F; the rest of the code page is Latin-1.
inline constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

inline char16_t toUnicode(unsigned char byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? High[byte - 0x80] : char16_t(byte);
}

// The byte for a character, or -1 when the code page has none.
inline int fromUnicode(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return int(character);
    for (std::size_t i = 0; i < High.size(); ++i)
        if (High[i] == character)
            return int(0x80 + i);
    return -1;
}

}
