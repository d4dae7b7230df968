#pragma once

#include <QStringView>

// Forward search for a word in a text, as the editor's find over a range
// does it: the first occurrence lying wholly inside [start, end), or -1.
struct TextSearchOptions {
    bool wholeWord = false;
    bool matchCase = false;
};

qsizetype findInText(QStringView text, QStringView word, qsizetype start, qsizetype end,
                     TextSearchOptions options);
