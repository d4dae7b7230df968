#include "text/textstore.h"

#include <gtest/gtest.h>

namespace {

QByteArray storedBytes(const TextStore& store)
{
    QByteArray out;
    for (const TextChunk& c : store.chunks())
        out += c.bytes;
    return out;
}

TextStore loaded(const QByteArray& bytes)
{
    TextStore store;
    store.appendLoaded(TextChunk::from(bytes));
    return store;
}

TEST(TextStore, EachLineKeepsItsOwnBreak)
{
    const QByteArray file("one\ntwo\r\nthree\rfour\n");
    TextStore store = loaded(file);
    EXPECT_EQ(store.text(), QStringLiteral("one\ntwo\nthree\nfour\n"));
    EXPECT_EQ(store.lineCount(), 5);
    EXPECT_EQ(store.lineText(2), QStringLiteral("three"));
    EXPECT_EQ(store.lineStart(3), 14);
    EXPECT_EQ(store.lineEnd(3), 18);
    EXPECT_EQ(store.lineOfPosition(13), 2);
    EXPECT_EQ(store.lineOfPosition(14), 3);

    store.insert(store.lineEnd(0), QStringLiteral("!"));
    EXPECT_EQ(storedBytes(store), QByteArray("one!\ntwo\r\nthree\rfour\n"));
    store.undo();
    EXPECT_EQ(storedBytes(store), file);
}

TEST(TextStore, TypedAndPastedBreaksTakeTheStoreStyle)
{
    TextStore store;
    EXPECT_EQ(store.breakStyle(), TextBytes::Break::CRLF);
    store.insert(0, QStringLiteral("a\nb\r\nc\rd"));
    EXPECT_EQ(storedBytes(store), QByteArray("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(store.text(), QStringLiteral("a\nb\nc\nd"));

    store.setBreakStyle(TextBytes::Break::LF);
    store.insert(store.length(), QStringLiteral("\r\n"));
    EXPECT_EQ(storedBytes(store), QByteArray("a\r\nb\r\nc\r\nd\n"));
}

TEST(TextStore, ACarriageReturnAndALineFeedPutInApartStayTwoBreaks)
{
    TextStore store = loaded("x\ry");
    store.setBreakStyle(TextBytes::Break::LF);
    store.insert(2, QStringLiteral("\n")); // right after the CR
    EXPECT_EQ(storedBytes(store), QByteArray("x\r\ny"));
    EXPECT_EQ(store.text(), QStringLiteral("x\n\ny"));
    EXPECT_EQ(store.lineCount(), 3);

    // Deleting what stood between them does not join them either.
    TextStore other = loaded("x\r-\ny");
    other.remove(2, 1);
    EXPECT_EQ(storedBytes(other), QByteArray("x\r\ny"));
    EXPECT_EQ(other.lineCount(), 3);
    other.undo();
    EXPECT_EQ(other.text(), QStringLiteral("x\n-\ny"));
}

TEST(TextStore, RawBytesAreKeptAndNeverCombine)
{
    // A byte that is not UTF-8 reads as U+EF00 + byte and stays that byte.
    TextStore store = loaded("caf\xE9 ok");
    EXPECT_EQ(store.text(), QStringView(u"caf\uEFE9 ok").toString());

    // Two raw bytes that would spell "é" stay two raw bytes, put in together
    // or apart.
    store.insert(0, QStringView(u"\uEFC3\uEFA9").toString());
    store.insert(store.length(), QStringView(u"\uEFC3").toString());
    store.insert(store.length(), QStringView(u"\uEFA9").toString());
    EXPECT_EQ(storedBytes(store), QByteArray("\xC3\xA9" "caf\xE9 ok\xC3\xA9"));
    EXPECT_EQ(store.text(), QStringView(u"\uEFC3\uEFA9caf\uEFE9 ok\uEFC3\uEFA9").toString());

    // A lone surrogate has no UTF-8 form: it is kept as U+FFFD.
    TextStore other;
    other.insert(0, QString(QChar(0xD800)));
    EXPECT_EQ(other.text(), QString(QChar(QChar::ReplacementCharacter)));
}

TEST(TextStore, APositionInsideASurrogatePairMeansThePairsStart)
{
    TextStore store = loaded("a\xF0\x9F\x98\x80" "b");
    EXPECT_EQ(store.length(), 4);
    EXPECT_EQ(store.text(2, 2), QStringView(u"\xDE00" "b").toString());
    const TextStore::Change c = store.insert(2, QStringLiteral("x"));
    EXPECT_EQ(c.position, 1);
    EXPECT_EQ(store.text(), QStringView(u"ax\U0001F600b").toString());
    store.remove(3, 1); // the low half: the whole character goes
    EXPECT_EQ(store.text(), QStringLiteral("axb"));
}

TEST(TextStore, UndoStepsFollowTypingRunsPastesAndGroups)
{
    TextStore store;
    for (const char* c : {"h", "e", "l", "l", "o"})
        store.insert(store.length(), QString::fromLatin1(c), EditKind::Typing);
    store.insert(store.length(), QStringLiteral(" big world"));  // a paste
    store.history().closeRun();                                    // the caret moved
    store.insert(0, QStringLiteral(">"), EditKind::Typing);
    store.insert(1, QStringLiteral(" "), EditKind::Typing);
    EXPECT_EQ(store.text(), QStringLiteral("> hello big world"));

    store.remove(store.length() - 1, 1, EditKind::Backspace);
    store.remove(store.length() - 1, 1, EditKind::Backspace);
    EXPECT_EQ(store.text(), QStringLiteral("> hello big wor"));
    store.undo();
    EXPECT_EQ(store.text(), QStringLiteral("> hello big world"));
    store.undo();
    EXPECT_EQ(store.text(), QStringLiteral("hello big world"));
    store.undo();
    EXPECT_EQ(store.text(), QStringLiteral("hello"));
    store.undo();
    EXPECT_EQ(store.text(), QString());
    EXPECT_FALSE(store.canUndo());
    store.redo();
    store.redo();
    EXPECT_EQ(store.text(), QStringLiteral("hello big world"));

    // A group (a replace-all) is one step, whatever its edits.
    store.history().beginGroup();
    store.replace(0, 5, QStringLiteral("HELLO"));
    store.replace(10, 5, QStringLiteral("WORLD"));
    store.history().endGroup();
    EXPECT_EQ(store.text(), QStringLiteral("HELLO big WORLD"));
    EXPECT_FALSE(store.canRedo());
    store.undo();
    EXPECT_EQ(store.text(), QStringLiteral("hello big world"));
}

TEST(TextStore, LargeTextsSpreadOverChunksAndBackAgain)
{
    QByteArray file;
    for (int i = 0; i < 40'000; ++i)
        file += "line " + QByteArray::number(i) + (i % 3 == 0 ? "\r\n" : "\n");
    TextStore store;
    for (qsizetype at = 0; at < file.size();) {
        const QByteArrayView rest = QByteArrayView(file).sliced(at);
        const qsizetype cut = TextBytes::tokenBoundaryAtOrBefore(rest, 4096); // never inside a CR LF
        store.appendLoaded(TextChunk::from(rest.first(cut).toByteArray()));
        at += cut;
    }
    ASSERT_EQ(store.lineCount(), 40'001);
    EXPECT_EQ(store.lineText(39'999), QStringLiteral("line 39999"));
    const qint64 middle = store.lineStart(20'000);
    store.remove(middle - 100, 300'000); // across many chunks
    store.insert(middle - 100, QStringLiteral("joined"));
    store.undo();
    store.undo();
    EXPECT_EQ(storedBytes(store), file);
    EXPECT_EQ(store.lineText(20'000), QStringLiteral("line 20000"));
}

} // namespace
