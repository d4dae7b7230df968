#include "editor/searchrules.h"

#include <QChar>

#include <algorithm>
#include <utility>

namespace SearchRules {

namespace {

// Every cased letter lies in the first two planes.
constexpr char32_t LastCasedCodePoint = 0x1FFFF;

// Every code point grouped with the ones that fold to the same code point.
// Built once: about 1,400 groups, none larger than four.
const std::vector<std::pair<char32_t, char32_t>>& foldGroups()
{
    static const std::vector<std::pair<char32_t, char32_t>> groups = [] {
        std::vector<std::pair<char32_t, char32_t>> list; // (folded, code point)
        for (char32_t c = 0; c <= LastCasedCodePoint; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const char32_t folded = QChar::toCaseFolded(c);
            if (folded != c) {
                list.emplace_back(folded, c);
                list.emplace_back(folded, folded);
            }
        }
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        return list;
    }();
    return groups;
}

}

bool isWordChar(char32_t cp) { return cp == U'_' || QChar::isLetterOrNumber(cp) || QChar::isMark(cp); }

std::vector<char32_t> caseVariants(char32_t cp)
{
    const char32_t folded = QChar::toCaseFolded(cp);
    const auto& groups = foldGroups();
    const auto range = std::equal_range(groups.begin(), groups.end(), std::pair<char32_t, char32_t>(folded, 0),
                                        [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<char32_t> variants;
    for (auto it = range.first; it != range.second; ++it)
        variants.push_back(it->second);
    if (variants.empty())
        variants.push_back(cp);
    return variants;
}

QString comparedWord(QStringView word, bool matchCase)
{
    QString out;
    out.reserve(word.size());
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar ch = word[i];
        if (ch == u'\r') {
            if (i + 1 < word.size() && word[i + 1] == u'\n')
                ++i;
            out.append(QChar(ParagraphSeparator));
        } else if (ch == u'\n') {
            out.append(QChar(ParagraphSeparator));
        } else {
            out.append(ch);
        }
    }
    return matchCase ? out : out.toCaseFolded();
}

}
