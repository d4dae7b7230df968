#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// The character rules both searches share (see textsearch.h).
namespace SearchRules {

// What a line break of the word is compared as.
inline constexpr char16_t ParagraphSeparator = 0x2029;

// A letter, a combining mark, a number or "_", in any script.
bool isWordChar(char32_t cp);

// The code points that compare equal to cp without match case (cp itself
// among them).
std::vector<char32_t> caseVariants(char32_t cp);

// The word as it is compared: each line break ("\r\n", "\r", "\n" or
// U+2029) as one U+2029, and without match case folded.
QString comparedWord(QStringView word, bool matchCase);

}
