#include "editor/textsearch.h"

#include "editor/searchrules.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using SearchRules::caseVariants;
using SearchRules::isWordChar;
using SearchRules::ParagraphSeparator;

bool isLineBreakUnit(char16_t u) { return u == u'\n' || u == ParagraphSeparator; }

// The code point that starts at i (a lone surrogate stands for itself).
char32_t codePointAt(const char16_t* p, qsizetype size, qsizetype i)
{
    if (QChar::isHighSurrogate(p[i]) && i + 1 < size && QChar::isLowSurrogate(p[i + 1]))
        return QChar::surrogateToUcs4(p[i], p[i + 1]);
    return p[i];
}

// The code point that ends just before i.
char32_t codePointBefore(const char16_t* p, qsizetype i)
{
    if (QChar::isLowSurrogate(p[i - 1]) && i >= 2 && QChar::isHighSurrogate(p[i - 2]))
        return QChar::surrogateToUcs4(p[i - 2], p[i - 1]);
    return p[i - 1];
}

bool splitsPair(const char16_t* p, qsizetype size, qsizetype i)
{
    return i > 0 && i < size && QChar::isHighSurrogate(p[i - 1]) && QChar::isLowSurrogate(p[i]);
}

// A word prepared for scanning: the candidate units of its first and last
// positions filter the text cheaply; each candidate is then verified.
class WordMatcher {
public:
    WordMatcher(QStringView word, TextSearchOptions options) : m_options(options)
    {
        m_word = SearchRules::comparedWord(word, m_options.matchCase);
        if (m_word.isEmpty())
            return;
        const auto* w = reinterpret_cast<const char16_t*>(m_word.utf16());
        const qsizetype n = m_word.size();
        m_filtered = unitsAt(w, n, 0, m_first) && unitsAt(w, n, n - 1, m_last);
    }

    bool isEmpty() const { return m_word.isEmpty(); }
    qsizetype length() const { return m_word.size(); }

    // The first match starting at or after from and ending at or before
    // limit, or -1. The whole of text is the context of the word-boundary
    // and surrogate tests.
    qsizetype find(QStringView text, qsizetype from, qsizetype limit) const
    {
        const qsizetype n = m_word.size();
        const qsizetype lastStart = std::min(limit, text.size()) - n;
        from = std::max<qsizetype>(from, 0);
        if (n == 0 || lastStart < from)
            return -1;
        const char16_t* p = text.utf16();
        const qsizetype size = text.size();
        if (!m_filtered) {
            for (qsizetype i = from; i <= lastStart; ++i)
                if (accepts(p, size, i))
                    return i;
            return -1;
        }
        // Plain copies, not structured bindings: lambdas may not capture those
        // before C++20 compilers caught up.
        const char16_t a0 = m_first[0], a1 = m_first[1], a2 = m_first[2], a3 = m_first[3];
        const char16_t b0 = m_last[0], b1 = m_last[1], b2 = m_last[2], b3 = m_last[3];
        const qsizetype tail = n - 1;
        const auto candidate = [&](qsizetype i) {
            const char16_t u = p[i];
            const char16_t v = p[i + tail];
            return ((u == a0) | (u == a1) | (u == a2) | (u == a3)) & ((v == b0) | (v == b1) | (v == b2) | (v == b3));
        };
        qsizetype i = from;
#if defined(__GNUC__)
        // Eight positions at a time with vector compares: most stretches of
        // text hold no candidate at all.
        using Lanes = char16_t __attribute__((vector_size(16)));
        constexpr qsizetype Width = 8;
        const auto splat = [](char16_t u) { return Lanes{u, u, u, u, u, u, u, u}; };
        const Lanes va0 = splat(a0), va1 = splat(a1), va2 = splat(a2), va3 = splat(a3);
        const Lanes vb0 = splat(b0), vb1 = splat(b1), vb2 = splat(b2), vb3 = splat(b3);
        for (; i + Width - 1 <= lastStart; i += Width) {
            Lanes u, v;
            std::memcpy(&u, p + i, sizeof u);
            std::memcpy(&v, p + i + tail, sizeof v);
            const auto hits = ((u == va0) | (u == va1) | (u == va2) | (u == va3))
                              & ((v == vb0) | (v == vb1) | (v == vb2) | (v == vb3));
            quint64 halves[2];
            std::memcpy(halves, &hits, sizeof halves);
            if ((halves[0] | halves[1]) == 0)
                continue;
            for (qsizetype j = 0; j < Width; ++j)
                if (candidate(i + j) && accepts(p, size, i + j))
                    return i + j;
        }
#endif
        for (; i <= lastStart; ++i)
            if (candidate(i) && accepts(p, size, i))
                return i;
        return -1;
    }

private:
    using Units = std::array<char16_t, 4>;

    // The text units that may stand at index k of the word. False when they
    // do not fit the filter.
    bool unitsAt(const char16_t* w, qsizetype n, qsizetype k, Units& units) const
    {
        std::vector<char16_t> list;
        const char16_t u = w[k];
        if (u == ParagraphSeparator) {
            list = {u'\n', ParagraphSeparator};
        } else if (m_options.matchCase) {
            list = {u};
        } else if (QChar::isHighSurrogate(u) && k + 1 < n && QChar::isLowSurrogate(w[k + 1])) {
            for (char32_t cp : caseVariants(QChar::surrogateToUcs4(u, w[k + 1])))
                list.push_back(QChar::highSurrogate(cp));
        } else if (QChar::isLowSurrogate(u) && k > 0 && QChar::isHighSurrogate(w[k - 1])) {
            for (char32_t cp : caseVariants(QChar::surrogateToUcs4(w[k - 1], u)))
                list.push_back(QChar::lowSurrogate(cp));
        } else if (QChar::isSurrogate(u)) {
            list = {u};
        } else {
            for (char32_t cp : caseVariants(u))
                if (!QChar::requiresSurrogates(cp))
                    list.push_back(char16_t(cp));
        }
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
        if (list.empty() || list.size() > units.size())
            return false;
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i] = list[std::min(i, list.size() - 1)];
        return true;
    }

    bool accepts(const char16_t* p, qsizetype size, qsizetype i) const
    {
        const qsizetype n = m_word.size();
        if (!equalsAt(p, size, i))
            return false;
        if (splitsPair(p, size, i) || splitsPair(p, size, i + n))
            return false;
        if (m_options.wholeWord) {
            if (i > 0 && isWordChar(codePointBefore(p, i)) && isWordChar(codePointAt(p, size, i)))
                return false;
            if (i + n < size && isWordChar(codePointBefore(p, i + n)) && isWordChar(codePointAt(p, size, i + n)))
                return false;
        }
        return true;
    }

    bool equalsAt(const char16_t* p, qsizetype size, qsizetype i) const
    {
        const auto* w = reinterpret_cast<const char16_t*>(m_word.utf16());
        const qsizetype n = m_word.size();
        const char16_t* t = p + i;
        for (qsizetype k = 0; k < n;) {
            const char16_t wu = w[k];
            if (wu == ParagraphSeparator) {
                if (!isLineBreakUnit(t[k]))
                    return false;
                ++k;
                continue;
            }
            if (m_options.matchCase) {
                if (t[k] != wu)
                    return false;
                ++k;
                continue;
            }
            // Compare code point against code point; the word is folded already.
            const qsizetype wordUnits = QChar::isHighSurrogate(wu) && k + 1 < n && QChar::isLowSurrogate(w[k + 1]) ? 2 : 1;
            const qsizetype textUnits = QChar::isHighSurrogate(t[k]) && i + k + 1 < size && QChar::isLowSurrogate(t[k + 1]) ? 2 : 1;
            if (wordUnits != textUnits)
                return false;
            const char32_t wcp = wordUnits == 2 ? QChar::surrogateToUcs4(wu, w[k + 1]) : wu;
            const char32_t tcp = textUnits == 2 ? QChar::surrogateToUcs4(t[k], t[k + 1]) : t[k];
            if (tcp != wcp && QChar::toCaseFolded(tcp) != wcp)
                return false;
            k += wordUnits;
        }
        return true;
    }

    TextSearchOptions m_options;
    QString m_word; // line breaks as U+2029, folded without match case
    bool m_filtered = false;
    Units m_first{};
    Units m_last{};
};

}

TextMatch findMatchInText(QStringView text, QStringView word, qsizetype start, qsizetype end,
                          TextSearchOptions options)
{
    const WordMatcher matcher(word, options);
    if (matcher.isEmpty() || start < 0)
        return {};
    const qsizetype pos = matcher.find(text, start, std::min(end, text.size()));
    if (pos < 0)
        return {};
    return {pos, matcher.length()};
}

qsizetype findInText(QStringView text, QStringView word, qsizetype start, qsizetype end,
                     TextSearchOptions options)
{
    return findMatchInText(text, word, start, end, options).position;
}
