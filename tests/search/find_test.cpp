#include "search/searchfixture.h"

#include "widgets/pagecontrol.h"

#include <QMenu>

TEST_F(SearchTest, NextIsDisabledUntilASearchFindsSomething)
{
    setText(QStringLiteral("one cat, two cats"));
    EXPECT_FALSE(nextEnabled());
    editor()->setSelStart(2);
    next();
    EXPECT_EQ(selStart(), 2);
    EXPECT_EQ(selLength(), 0);

    // A miss keeps the selection the user had and shows nothing.
    selectByHand(4, 3);
    find(QStringLiteral("dog"));
    EXPECT_FALSE(nextEnabled());
    EXPECT_EQ(selected(), QStringLiteral("cat"));
    EXPECT_EQ(Fp->search().FoundPos, -1);

    // An empty word finds nothing either.
    find(QString());
    EXPECT_FALSE(nextEnabled());
    EXPECT_EQ(selected(), QStringLiteral("cat"));
}

TEST_F(SearchTest, FindStartsAtTheTopWhateverTheCaret)
{
    setText(QStringLiteral("cat one\ncat two\ncat three"));
    clickAt(12);
    ASSERT_EQ(selStart(), 12);
    find(QStringLiteral("cat"));
    EXPECT_EQ(selStart(), 0);
    EXPECT_EQ(selected(), QStringLiteral("cat"));
    EXPECT_TRUE(nextEnabled());
    EXPECT_EQ(Fp->search().SearchStart, 0);
    EXPECT_EQ(Fp->search().SearchLength, editor()->textLength());
    EXPECT_TRUE(Fp->search().SearchIsFind);
}

TEST_F(SearchTest, NextSelectsEachOccurrenceInTurnAndStopsAfterTheLast)
{
    setText(QStringLiteral("Cat\nthe cat sat\non the CAT mat"));
    find(QStringLiteral("cat"));
    EXPECT_EQ(selStart(), 0);
    next();
    EXPECT_EQ(selStart(), 8);
    next();
    EXPECT_EQ(selStart(), 23);
    EXPECT_EQ(selected(), QStringLiteral("CAT"));
    EXPECT_TRUE(nextEnabled());

    // No wrap-around: the last occurrence stays selected and Next turns off.
    next();
    EXPECT_EQ(selStart(), 23);
    EXPECT_EQ(selLength(), 3);
    EXPECT_FALSE(nextEnabled());
    next();
    EXPECT_EQ(selStart(), 23);

    // Only a new search turns it on again.
    find(QStringLiteral("cat"));
    EXPECT_EQ(selStart(), 0);
    EXPECT_TRUE(nextEnabled());
}

TEST_F(SearchTest, WholeWordAndMatchCaseComeFromTheFindDialog)
{
    setText(QStringLiteral("concatenate Cat cat"));
    find(QStringLiteral("cat"));
    EXPECT_EQ(selStart(), 3);
    find(QStringLiteral("cat"), true);
    EXPECT_EQ(selStart(), 12);
    EXPECT_EQ(selected(), QStringLiteral("Cat"));
    find(QStringLiteral("cat"), true, true);
    EXPECT_EQ(selStart(), 16);
    find(QStringLiteral("CAT"), false, true);
    EXPECT_FALSE(nextEnabled());
    EXPECT_EQ(selStart(), 16);

    // Next keeps the options of the last Find.
    find(QStringLiteral("CAT"), true);
    EXPECT_EQ(selStart(), 12);
    next();
    EXPECT_EQ(selStart(), 16);
    next();
    EXPECT_FALSE(nextEnabled());
}

TEST_F(SearchTest, FindUsesItsOwnOptionsNotThoseOfFindReplace)
{
    setText(QStringLiteral("concat cat"));
    findReplace(QStringLiteral("zzz"), QString(), true, true);
    find(QStringLiteral("CAT"));
    EXPECT_EQ(selStart(), 3);
    EXPECT_TRUE(FindReplace->chkboxFindReplaceWord->isChecked());
}

TEST_F(SearchTest, AClickWithoutSelectionMakesNextStartAtTheTopAgain)
{
    setText(QStringLiteral("cat and cat and cat"));
    find(QStringLiteral("cat"));
    next();
    next();
    ASSERT_EQ(selStart(), 16);
    clickAt(12);
    ASSERT_EQ(selLength(), 0);
    next();
    EXPECT_EQ(selStart(), 0);
    EXPECT_EQ(selected(), QStringLiteral("cat"));
}

TEST_F(SearchTest, NextContinuesAfterAHandMadeSelection)
{
    setText(QStringLiteral("cat cat catcat cat"));
    find(QStringLiteral("cat"));
    // The occurrence that begins inside the selection is passed over...
    selectByHand(3, 2);
    next();
    EXPECT_EQ(selStart(), 8);
    // ...and one that begins right at its end is found.
    selectByHand(8, 3);
    next();
    EXPECT_EQ(selStart(), 11);
    // A selection made backwards counts from its end as well.
    editor()->setSelStart(4);
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(editor(), Qt::Key_Left, Qt::ShiftModifier);
    ASSERT_EQ(selStart(), 0);
    next();
    EXPECT_EQ(selStart(), 4);
}

TEST_F(SearchTest, AnotherTabANewOrAClosedDocumentDisablesNext)
{
    setText(QStringLiteral("a cat"));
    Fp->mnuNew->trigger();
    setText(QStringLiteral("another cat"));
    find(QStringLiteral("cat"));
    ASSERT_TRUE(nextEnabled());

    // The user selects the first tab, whose document holds the word too.
    Fp->pageEdition->setCurrentIndex(0);
    EXPECT_FALSE(nextEnabled());
    next();
    EXPECT_EQ(selLength(), 0);

    find(QStringLiteral("cat"));
    ASSERT_TRUE(nextEnabled());
    Fp->mnuNew->trigger();
    EXPECT_FALSE(nextEnabled());

    Fp->pageEdition->setCurrentIndex(0);
    find(QStringLiteral("cat"));
    ASSERT_TRUE(nextEnabled());
    // Closing a modified untitled document would ask for a file name.
    docs().setModified(docs().CurrentSlot(), false);
    Fp->mnuClose->trigger();
    EXPECT_FALSE(nextEnabled());
}

TEST_F(SearchTest, CancelDisablesNextAndChangesNothing)
{
    setText(QStringLiteral("cat cat"));
    find(QStringLiteral("cat"));
    ASSERT_TRUE(nextEnabled());
    cancelFind();
    EXPECT_FALSE(nextEnabled());
    EXPECT_EQ(selStart(), 0);
    EXPECT_EQ(selected(), QStringLiteral("cat"));

    // Escape closes the dialog as well, and counts as not OK.
    find(QStringLiteral("cat"));
    answerModal<TFind>([](TFind* d) { QTest::keyClick(d->zeFindMot, Qt::Key_Escape); });
    Fp->mnuFind->trigger();
    EXPECT_FALSE(nextEnabled());
}

TEST_F(SearchTest, ReopeningFindShowsThePreviousWordWhollySelected)
{
    setText(QStringLiteral("dog and cat"));
    // The user leaves the dialog from the whole-word box.
    answerModal<TFind>([](TFind* d) {
        QTest::keyClicks(d->zeFindMot, QStringLiteral("cat"));
        QTest::keyClick(d->zeFindMot, Qt::Key_Tab);
        // Not an assertion: the dialog is still closed below when it fails.
        EXPECT_EQ(QApplication::focusWidget(), d->chkboxFindWord);
        QTest::mouseClick(d->btFindStart, Qt::LeftButton);
    });
    Fp->mnuFind->trigger();
    ASSERT_EQ(selected(), QStringLiteral("cat"));
    answerModal<TFind>([](TFind* d) {
        EXPECT_EQ(d->zeFindMot->text(), QStringLiteral("cat"));
        EXPECT_EQ(d->zeFindMot->selectedText(), QStringLiteral("cat"));
        EXPECT_TRUE(d->zeFindMot->hasFocus());
        // Typing replaces the previous word.
        QTest::keyClicks(d->zeFindMot, QStringLiteral("dog"));
        QTest::mouseClick(d->btFindStart, Qt::LeftButton);
    });
    Fp->mnuFind->trigger();
    EXPECT_EQ(Find->zeFindMot->text(), QStringLiteral("dog"));
    EXPECT_EQ(selStart(), 0);
    EXPECT_EQ(selected(), QStringLiteral("dog"));
}

TEST_F(SearchTest, FindSelectsWholeCharactersOfAnyScript)
{
    // A capital with an accent, and a letter outside the basic plane whose
    // two halves must be selected together.
    setText(QStringLiteral("\U00010400\U00010401 ÉCOLE école"));
    find(QStringLiteral("école"), true, true);
    EXPECT_EQ(selStart(), 11);
    find(QStringLiteral("école"));
    EXPECT_EQ(selStart(), 5);
    EXPECT_EQ(selected(), QStringLiteral("ÉCOLE"));
    find(QStringLiteral("\U00010428\U00010429"));
    EXPECT_EQ(selStart(), 0);
    EXPECT_EQ(selected(), QStringLiteral("\U00010400\U00010401"));
}

TEST_F(SearchTest, AWordWithALineBreakSelectsTheLineBreakOfTheText)
{
    // A word pasted with a Windows line break: the selection is the text's
    // own, one character shorter than the word.
    setText(QStringLiteral("end of one\nstart of two"));
    find(QStringLiteral("one\r\nstart"));
    EXPECT_EQ(selStart(), 7);
    EXPECT_EQ(selected(), QStringLiteral("one\nstart"));
}

TEST_F(SearchTest, WithNoDocumentTheSearchDoesNothing)
{
    Fp->mnuCloseAll->trigger();
    ASSERT_FALSE(Fp->mnuEdition->menuAction()->isEnabled());
    find(QStringLiteral("cat"));
    EXPECT_FALSE(nextEnabled());
}

TEST_F(SearchTest, WholeWordSeesTheLetterBeforeEachKindOfLineBreak)
{
    for (const QByteArray& lineBreak : {QByteArray("\r\n"), QByteArray("\n"), QByteArray("\r")}) {
        SCOPED_TRACE(lineBreak.toHex().toStdString());
        const QString path = writeFile(QStringLiteral("mots.txt"), "files" + lineBreak + "sfile" + lineBreak + "file");
        start({path});
        find(QStringLiteral("file"), true);
        EXPECT_EQ(selStart(), 12);
        EXPECT_EQ(selected(), QStringLiteral("file"));
        next();
        EXPECT_FALSE(nextEnabled());

        findReplace(QStringLiteral("file"), QStringLiteral("doc"), true);
        EXPECT_EQ(text(), QStringLiteral("files\nsfile\ndoc"));
    }
}
