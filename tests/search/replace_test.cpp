#include "search/searchfixture.h"

#include <QFile>
#include <QToolButton>

TEST_F(SearchTest, ReplaceChangesOneOccurrencePerCommandFromTheTop)
{
    setText(QStringLiteral("cat, cat and cat"));
    // The caret after the first occurrence does not matter.
    editor()->setSelStart(10);
    findReplace(QStringLiteral("cat"), QStringLiteral("dog"));
    EXPECT_EQ(text(), QStringLiteral("dog, cat and cat"));
    EXPECT_FALSE(Fp->search().SearchIsFind);
    EXPECT_TRUE(nextEnabled());
    // The caret stands after the replacement, nothing selected.
    EXPECT_EQ(selStart(), 3);
    EXPECT_EQ(selLength(), 0);

    next();
    EXPECT_EQ(text(), QStringLiteral("dog, dog and cat"));
    next();
    EXPECT_EQ(text(), QStringLiteral("dog, dog and dog"));
    EXPECT_TRUE(nextEnabled());
    next();
    EXPECT_EQ(text(), QStringLiteral("dog, dog and dog"));
    EXPECT_FALSE(nextEnabled());
}

TEST_F(SearchTest, ReplaceMissChangesNothing)
{
    setText(QStringLiteral("cat"));
    selectByHand(1, 2);
    findReplace(QStringLiteral("dog"), QStringLiteral("cat"));
    EXPECT_EQ(text(), QStringLiteral("cat"));
    EXPECT_EQ(selected(), QStringLiteral("at"));
    EXPECT_FALSE(nextEnabled());
    findReplace(QString(), QStringLiteral("x"));
    EXPECT_EQ(text(), QStringLiteral("cat"));
    EXPECT_FALSE(nextEnabled());
}

TEST_F(SearchTest, AReplacementHoldingTheWordIsFoundAgainByNext)
{
    setText(QStringLiteral("the cat sat"));
    findReplace(QStringLiteral("cat"), QStringLiteral("cats"));
    EXPECT_EQ(text(), QStringLiteral("the cats sat"));
    next();
    EXPECT_EQ(text(), QStringLiteral("the catss sat"));
    next();
    EXPECT_EQ(text(), QStringLiteral("the catsss sat"));
    EXPECT_TRUE(nextEnabled());

    // As a whole word, "cats" no longer holds "cat".
    setText(QStringLiteral("the cat sat"));
    findReplace(QStringLiteral("cat"), QStringLiteral("cats"), true);
    EXPECT_EQ(text(), QStringLiteral("the cats sat"));
    next();
    EXPECT_EQ(text(), QStringLiteral("the cats sat"));
    EXPECT_FALSE(nextEnabled());
}

TEST_F(SearchTest, AnEmptyReplacementDeletesOneOccurrencePerCommand)
{
    setText(QStringLiteral("a-x-b-x-c"));
    findReplace(QStringLiteral("-x"), QString());
    EXPECT_EQ(text(), QStringLiteral("a-b-x-c"));
    next();
    EXPECT_EQ(text(), QStringLiteral("a-b-c"));
    next();
    EXPECT_FALSE(nextEnabled());
}

TEST_F(SearchTest, ReplaceUsesTheOptionsOfItsOwnDialog)
{
    // Whole word in the Find dialog, not in the Find/Replace dialog: the
    // replacement also hits parts of longer words.
    setText(QStringLiteral("concat Cat"));
    find(QStringLiteral("cat"), true);
    ASSERT_EQ(selStart(), 7);
    findReplace(QStringLiteral("cat"), QStringLiteral("dog"));
    EXPECT_EQ(text(), QStringLiteral("condog Cat"));
    next();
    EXPECT_EQ(text(), QStringLiteral("condog dog"));

    // Match case of the Find/Replace dialog holds for its Next too.
    setText(QStringLiteral("Cat cat Cat"));
    findReplace(QStringLiteral("Cat"), QStringLiteral("x"), false, true);
    EXPECT_EQ(text(), QStringLiteral("x cat Cat"));
    next();
    EXPECT_EQ(text(), QStringLiteral("x cat x"));
    EXPECT_TRUE(Find->chkboxFindWord->isChecked());
}

TEST_F(SearchTest, NextReplacesAfterAHandMadeSelection)
{
    setText(QStringLiteral("cat x cat y cat"));
    findReplace(QStringLiteral("cat"), QStringLiteral("dog"));
    ASSERT_EQ(text(), QStringLiteral("dog x cat y cat"));
    // The selection ends inside the second occurrence: the third is next.
    selectByHand(4, 3);
    next();
    EXPECT_EQ(text(), QStringLiteral("dog x cat y dog"));
    // Nothing selected: the first occurrence left from the top.
    next();
    EXPECT_EQ(text(), QStringLiteral("dog x dog y dog"));
}

TEST_F(SearchTest, FindAfterReplaceTurnsNextBackToFinding)
{
    setText(QStringLiteral("cat cat cat"));
    findReplace(QStringLiteral("cat"), QStringLiteral("dog"));
    ASSERT_TRUE(nextEnabled());
    cancelFind();
    EXPECT_FALSE(nextEnabled());
    EXPECT_EQ(text(), QStringLiteral("dog cat cat"));

    find(QStringLiteral("cat"));
    EXPECT_EQ(selStart(), 4);
    next();
    EXPECT_EQ(selStart(), 8);
    EXPECT_EQ(text(), QStringLiteral("dog cat cat"));

    // Cancelling Find / Replace leaves Next off as well, and replaces nothing.
    cancelFindReplace();
    EXPECT_FALSE(nextEnabled());
    EXPECT_EQ(text(), QStringLiteral("dog cat cat"));
}

TEST_F(SearchTest, AReplacementMarksTheDocumentModified)
{
    const QString path = writeFile(QStringLiteral("pets.txt"), "one cat\r\ntwo cats\r\n");
    start({path});
    ASSERT_EQ(docs().current().Modified, 0u);
    ASSERT_FALSE(Fp->btSave->isEnabled());

    // Finding alone changes nothing.
    find(QStringLiteral("cat"));
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_FALSE(Fp->mnuSave->isEnabled());

    findReplace(QStringLiteral("cat"), QStringLiteral("dog"));
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(Fp->btSave->isEnabled());
    EXPECT_TRUE(Fp->mnuSave->isEnabled());
    EXPECT_TRUE(Fp->btSaveAll->isEnabled());
    EXPECT_TRUE(Fp->mnuSaveAll->isEnabled());
    EXPECT_EQ(text(), QStringLiteral("one dog\ntwo cats\n"));
}
