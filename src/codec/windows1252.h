#pragma once

// Windows-1252, the code page of files that are not UTF-8. Its five
// unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the C1 control
// of the same value, so that every byte has a character and comes back
// unchanged.
namespace Windows1252 {

char16_t toUnicode(unsigned char byte);

// The byte for a character, or -1 when the code page has none.
int fromUnicode(char32_t character);

}
