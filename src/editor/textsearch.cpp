#include "editor/textsearch.h"

namespace {
bool isWordChar(QChar ch) { return ch.isLetterOrNumber() || ch == u'_'; }
}

qsizetype findInText(QStringView text, QStringView word, qsizetype start, qsizetype end,
                     TextSearchOptions options)
{
    if (word.isEmpty() || start < 0)
        return -1;
    end = std::min(end, text.size());
    const auto cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype pos = text.indexOf(word, start, cs); pos >= 0 && pos + word.size() <= end;
         pos = text.indexOf(word, pos + 1, cs)) {
        if (!options.wholeWord)
            return pos;
        const bool before = pos > 0 && isWordChar(text[pos - 1]);
        const bool after = pos + word.size() < text.size() && isWordChar(text[pos + word.size()]);
        if (!before && !after)
            return pos;
    }
    return -1;
}
