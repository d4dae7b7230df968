#include "editor/textsearch.h"

#include "text/textstore.h"

#include <gtest/gtest.h>

namespace {

constexpr TextSearchOptions anyCase{false, false};
constexpr TextSearchOptions matchCase{false, true};
constexpr TextSearchOptions wholeWord{true, false};

qsizetype find(const QString& text, const QString& word, TextSearchOptions options = anyCase,
               qsizetype start = 0, qsizetype end = -1)
{
    return findInText(text, word, start, end < 0 ? text.size() : end, options);
}

// The same search through a text store, which reads the text in windows;
// both must agree with the flat text.
TextMatch findDoc(const QString& text, const QString& word, TextSearchOptions options = anyCase,
                  qsizetype start = 0, qsizetype end = -1)
{
    TextStore store;
    store.setText(text);
    return findInStore(store, word, start, end < 0 ? text.size() : end, options);
}

}

TEST(TextSearch, EmptyWordFindsNothing)
{
    EXPECT_EQ(find(QStringLiteral("abc"), QString()), -1);
    EXPECT_EQ(find(QString(), QString()), -1);
    EXPECT_FALSE(findDoc(QStringLiteral("abc"), QString()).found());
}

TEST(TextSearch, CaseFoldingIsUnicodeAware)
{
    EXPECT_EQ(find(QStringLiteral("Le CAFÉ"), QStringLiteral("café")), 3);
    EXPECT_EQ(find(QStringLiteral("Le CAFÉ"), QStringLiteral("café"), matchCase), -1);
    EXPECT_EQ(find(QStringLiteral("Le CAFÉ"), QStringLiteral("CAFÉ"), matchCase), 3);
    // Greek with its final sigma, Cyrillic, the Kelvin sign and the long s.
    EXPECT_EQ(find(QStringLiteral("ΟΔΥΣΣΕΥΣ"), QStringLiteral("οδυσσευς")), 0);
    EXPECT_EQ(find(QStringLiteral("Москва"), QStringLiteral("МОСКВА")), 0);
    EXPECT_EQ(find(QStringLiteral("10 \u212A"), QStringLiteral("k")), 3);
    EXPECT_EQ(find(QStringLiteral("Maſs"), QStringLiteral("mass")), 0);
    EXPECT_EQ(find(QStringLiteral("GROẞ"), QStringLiteral("groß")), 0);
}

TEST(TextSearch, FoldingNeverChangesTheLengthOfAMatch)
{
    // "ß" is not "ss", and the dotted capital I is not "i": a match has the
    // word's length and stops at whole characters.
    EXPECT_EQ(find(QStringLiteral("Straße"), QStringLiteral("STRASSE")), -1);
    EXPECT_EQ(find(QStringLiteral("İstanbul"), QStringLiteral("istanbul")), -1);
    EXPECT_EQ(find(QStringLiteral("x İstanbul"), QStringLiteral("İSTANBUL")), 2);
    // The rules the search relies on: every simple case folding keeps a code
    // point in or out of the basic plane, and nothing past the first two
    // planes has case.
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        const char32_t folded = QChar::toCaseFolded(c);
        ASSERT_EQ(QChar::requiresSurrogates(c), QChar::requiresSurrogates(folded)) << unsigned(c);
        if (c > 0x1FFFF) {
            ASSERT_EQ(folded, c) << unsigned(c);
        }
    }
}

TEST(TextSearch, SurrogatePairsAreWholeCharacters)
{
    // Deseret capital and small letters: case-insensitive across the pair.
    const QString text = QStringLiteral("ab \U00010400\U00010401 cd");
    EXPECT_EQ(find(text, QStringLiteral("\U00010428\U00010429")), 3);
    EXPECT_EQ(findDoc(text, QStringLiteral("\U00010428\U00010429")).length, 4);
    EXPECT_EQ(find(text, QStringLiteral("\U00010428\U00010429"), matchCase), -1);
    // Half a pair is never found, not even when typed alone.
    const QString pair = QStringLiteral("x\U0001F600y");
    EXPECT_EQ(find(pair, QString(QChar(pair[2]))), -1);
    EXPECT_EQ(find(pair, QString(QChar(pair[1]))), -1);
    EXPECT_EQ(find(pair, QStringLiteral("\U0001F600")), 1);
    // A range that cuts a pair holds no match of it.
    EXPECT_EQ(find(pair, QStringLiteral("\U0001F600"), anyCase, 2), -1);
}

TEST(TextSearch, WholeWordDoesNotCutWords)
{
    const QString text = QStringLiteral("concat cat_s cats cat");
    EXPECT_EQ(find(text, QStringLiteral("cat")), 3);
    EXPECT_EQ(find(text, QStringLiteral("cat"), wholeWord), 18);
    // Letters, digits and underscores of any script count as word characters.
    EXPECT_EQ(find(QStringLiteral("cat2 cat"), QStringLiteral("cat"), wholeWord), 5);
    EXPECT_EQ(find(QStringLiteral("caté cat"), QStringLiteral("cat"), wholeWord), 5);
    EXPECT_EQ(find(QStringLiteral("кот котик"), QStringLiteral("кот"), wholeWord), 0);
    EXPECT_EQ(find(QStringLiteral("котик кот"), QStringLiteral("кот"), wholeWord), 6);
    EXPECT_EQ(find(QStringLiteral("猫猫 猫"), QStringLiteral("猫"), wholeWord), 3);
    EXPECT_EQ(find(QStringLiteral("٣cat cat"), QStringLiteral("cat"), wholeWord), 5);
    // A combining accent belongs to the letter before it.
    EXPECT_EQ(find(QStringLiteral("cate\u0301 cate"), QStringLiteral("cate"), wholeWord), 6);
    // A letter outside the basic plane is a word character too.
    EXPECT_EQ(find(QStringLiteral("\U0001D400a a"), QStringLiteral("a"), wholeWord), 4);
    // Punctuation, spaces and line breaks separate words.
    EXPECT_EQ(find(QStringLiteral("(cat)"), QStringLiteral("cat"), wholeWord), 1);
    EXPECT_EQ(find(QStringLiteral("x\ncat\ny"), QStringLiteral("cat"), wholeWord), 2);
    EXPECT_EQ(findDoc(QStringLiteral("x\ncat\ny"), QStringLiteral("cat"), wholeWord).position, 2);
    // A word that starts with punctuation may follow a letter.
    EXPECT_EQ(find(QStringLiteral("a(x) b"), QStringLiteral("(x)"), wholeWord), 1);
}

TEST(TextSearch, WholeWordLooksAtTheCharacterRightNextToEachEnd)
{
    // One word character between the occurrence and the end of the text, of
    // a line, or before it at the start of the text.
    const QString file = QStringLiteral("file");
    EXPECT_EQ(find(QStringLiteral("files"), file, wholeWord), -1);
    EXPECT_EQ(find(QStringLiteral("sfile"), file, wholeWord), -1);
    EXPECT_EQ(find(QStringLiteral("file"), file, wholeWord), 0);
    EXPECT_EQ(find(QStringLiteral("files file"), file, wholeWord), 6);
    EXPECT_EQ(find(QStringLiteral("files file"), file, wholeWord, 0, 9), -1) << "the neighbour outside the range counts";
    for (const QChar lineBreak : {QChar(u'\n'), QChar(QChar::ParagraphSeparator)}) {
        const QString text = QStringLiteral("files%1sfile%1file%1").arg(lineBreak);
        EXPECT_EQ(find(text, file, wholeWord), 12);
        EXPECT_EQ(findDoc(text, file, wholeWord).position, 12);
        EXPECT_EQ(find(QStringLiteral("file%1s").arg(lineBreak), file, wholeWord), 0);
    }
}

TEST(TextSearch, RangeHoldsTheWholeMatch)
{
    const QString text = QStringLiteral("cat cat cat");
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, 1), 4);
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, 4), 4);
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, 5), 8);
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, 0, 2), -1);
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, 0, 3), 0);
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, 9), -1);
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, 11), -1);
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, 12, 100), -1);
    EXPECT_EQ(find(text, QStringLiteral("cat"), anyCase, -1), -1);
    // The neighbours outside the range still decide what a whole word is.
    EXPECT_EQ(find(QStringLiteral("concat cat"), QStringLiteral("cat"), wholeWord, 3, 6), -1);
    EXPECT_EQ(findDoc(QStringLiteral("concat cat"), QStringLiteral("cat"), wholeWord, 3, 6).position, -1);
    EXPECT_EQ(find(QStringLiteral("cats cat"), QStringLiteral("cat"), wholeWord, 0, 3), -1);
}

TEST(TextSearch, LineBreaksInTheWordMatchLineBreaks)
{
    const QString text = QStringLiteral("one\ntwo\nthree");
    for (const QString& word : {QStringLiteral("one\ntwo"), QStringLiteral("one\r\ntwo"), QStringLiteral("one\rtwo")}) {
        const TextMatch match = findDoc(text, word);
        EXPECT_EQ(match.position, 0);
        EXPECT_EQ(match.length, 7);
    }
    EXPECT_EQ(findDoc(text, QStringLiteral("o\nt"), anyCase, 1).position, 6);
    EXPECT_EQ(find(text, QStringLiteral("TWO\nTHREE")), 4);
    EXPECT_EQ(find(text, QStringLiteral("TWO\nTHREE"), matchCase), -1);
}

TEST(TextSearch, StoreSearchReadsAcrossItsWindows)
{
    // More than the largest window, with the needle across the first
    // megabyte's end: every window must give the same positions.
    QString text;
    for (int i = 0; text.size() < (1 << 20) - 40; ++i)
        text += QStringLiteral("line %1 with some words in it\n").arg(i);
    text += QString((1 << 20) - 3 - text.size(), u' ');
    text += QStringLiteral("Needle\u00A0here at the end\n");
    for (int i = 0; i < 20'000; ++i)
        text += QStringLiteral("more %1 with words\n").arg(i);
    TextStore store;
    store.setText(text);
    const qint64 length = store.length();
    ASSERT_EQ(length, text.size());

    const qsizetype expected = (1 << 20) - 3;
    ASSERT_EQ(text.indexOf(QStringLiteral("Needle")), expected);
    EXPECT_EQ(findInStore(store, QStringLiteral("needle"), 0, length, anyCase).position, expected);
    EXPECT_EQ(findInStore(store, QStringLiteral("needle\u00A0here"), 0, length, wholeWord).position, expected);
    EXPECT_EQ(findInStore(store, QStringLiteral("needle"), 0, length, matchCase).position, -1);
    EXPECT_EQ(findInStore(store, QStringLiteral("needle"), expected + 1, length, anyCase).position, -1);
    EXPECT_EQ(findInStore(store, QStringLiteral("Needle"), 0, expected + 5, anyCase).position, -1);
    EXPECT_EQ(findInStore(store, QStringLiteral("eedle"), 0, length, wholeWord).position, -1);

    // Every occurrence in turn, from the end of the previous one.
    qint64 from = 0;
    int hits = 0;
    for (TextMatch m; (m = findInStore(store, QStringLiteral("WITH"), from, length, wholeWord)).found();) {
        ASSERT_EQ(m.position, text.indexOf(QStringLiteral("with"), from));
        from = m.position + m.length;
        ++hits;
    }
    EXPECT_EQ(hits, text.count(QStringLiteral(" with ")));
    const QString last = QStringLiteral("more 19999");
    EXPECT_EQ(findInStore(store, last, 0, length, wholeWord).position, text.indexOf(last));
}

TEST(TextSearch, DocumentSearchAgreesWithFlatText)
{
    const QString text = QStringLiteral("Ab ab\nAB_ab\n\nab\U00010400 ab\n(ab)ab");
    for (TextSearchOptions options : {anyCase, matchCase, wholeWord, TextSearchOptions{true, true}})
        for (qsizetype start = 0; start <= text.size(); ++start) {
            const qsizetype flat = find(text, QStringLiteral("ab"), options, start);
            const TextMatch doc = findDoc(text, QStringLiteral("ab"), options, start);
            EXPECT_EQ(doc.position, flat) << start << " " << options.wholeWord << options.matchCase;
        }
}
