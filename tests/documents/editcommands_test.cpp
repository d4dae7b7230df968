#include "support/programfixture.h"

#include "documents/editcommands.h"
#include "editor/tredit.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QToolButton>

TEST(DateTimeTexts, BoundaryHoursAndDates)
{
    EXPECT_EQ(dateEuropeText(QDate(2025, 2, 1), u'/'), QStringLiteral("01/02/2025"));
    EXPECT_EQ(dateUsText(QDate(2025, 2, 1), u'/'), QStringLiteral("02/01/2025"));
    EXPECT_EQ(dateUsText(QDate(987, 12, 31), u'-'), QStringLiteral("12-31-0987"));
    EXPECT_EQ(timeUsText(QTime(0, 5), u':'), QStringLiteral("12:05 am"));
    EXPECT_EQ(timeUsText(QTime(11, 59), u':'), QStringLiteral("11:59 am"));
    EXPECT_EQ(timeUsText(QTime(12, 0), u':'), QStringLiteral("12:00 pm"));
    EXPECT_EQ(timeUsText(QTime(13, 1), u'.'), QStringLiteral("01.01 pm"));
    EXPECT_EQ(timeUsText(QTime(23, 59, 59), u':'), QStringLiteral("11:59 pm"));
    EXPECT_EQ(timeEuropeText(QTime(9, 7, 30), u':'), QStringLiteral("09:07"));
    EXPECT_EQ(timeEuropeText(QTime(0, 0), u'h'), QStringLiteral("00h00"));
}

TEST(DateTimeTexts, SeparatorsComeFromTheShortFormats)
{
    EXPECT_EQ(separatorsOf(QLocale(QLocale::German, QLocale::Germany)), (RegionalSeparators{u'.', u':'}));
    EXPECT_EQ(separatorsOf(QLocale(QLocale::English, QLocale::UnitedStates)), (RegionalSeparators{u'/', u':'}));
    EXPECT_EQ(separatorsOf(QLocale(QLocale::Finnish, QLocale::Finland)).time, u'.');
    EXPECT_EQ(separatorsOf(QLocale(QLocale::Dutch, QLocale::Netherlands)).date, u'-');
}

namespace {

class EditCommandsTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Fp->editCommands().setClock([] { return QDateTime(QDate(2024, 3, 7), QTime(15, 4, 59)); });
        Fp->editCommands().setSeparators({u'/', u':'});
        editor = docs().currentEditor();
        docs().LoadingDocument = true; // as a file is read: not modified
        editor->setRtfText(QStringLiteral("hello word"));
        docs().LoadingDocument = false;
        select(6, 4); // "word"
    }

    void select(int start, int length)
    {
        editor->setSelStart(start);
        editor->setSelLength(length);
    }

    TREdit* editor = nullptr;
};

}

TEST_F(EditCommandsTest, InsertionsGoBeforeTheSelectionWhichStaysUnselected)
{
    Fp->mnuDateUs->trigger();
    EXPECT_EQ(editor->text(), QStringLiteral("hello 03/07/2024word"));
    EXPECT_EQ(editor->selLength(), 0);
    EXPECT_EQ(editor->selStart(), 16) << "the caret ends after the inserted text";
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(Fp->btSave->isEnabled());
    EXPECT_TRUE(Fp->btSaveAll->isEnabled());

    Fp->mnuDateEurope->trigger();
    Fp->mnuTimeUs->trigger();
    Fp->editCommands().setSeparators({u'.', u'h'});
    Fp->mnuTimeEurope->trigger();
    EXPECT_EQ(editor->text(), QStringLiteral("hello 03/07/202407/03/202403:04 pm15h04word"));
}

TEST_F(EditCommandsTest, CopyAndCutNeedASelection)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("before"));
    select(0, 0);
    Fp->mnuCopy->trigger();
    Fp->mnuCut->trigger();
    EXPECT_EQ(clipboard->text(), QStringLiteral("before"));
    EXPECT_EQ(docs().current().Modified, 0u);

    select(6, 4);
    Fp->mnuCopy->trigger();
    EXPECT_EQ(clipboard->text(), QStringLiteral("word"));
    EXPECT_EQ(docs().current().Modified, 0u) << "copy changes no text";

    select(0, 6);
    Fp->mnuCut->trigger();
    EXPECT_EQ(clipboard->text(), QStringLiteral("hello "));
    EXPECT_EQ(editor->text(), QStringLiteral("word"));
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(Fp->btSave->isEnabled());
    EXPECT_TRUE(Fp->mnuSaveAll->isEnabled());

    editor->setSelStart(editor->textLength());
    Fp->mnuPaste->trigger();
    EXPECT_EQ(editor->text(), QStringLiteral("wordhello "));
}

TEST_F(EditCommandsTest, ClearDeletesTheSelectionButNotTheClipboard)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("kept"));
    Fp->mnuClearUndo->trigger();
    EXPECT_EQ(editor->text(), QStringLiteral("hello "));
    EXPECT_EQ(clipboard->text(), QStringLiteral("kept"));
    EXPECT_EQ(docs().current().Modified, 1u);

    Fp->mnuUndo->trigger();
    EXPECT_EQ(editor->text(), QStringLiteral("hello word"));

    // With nothing selected, Clear does nothing.
    select(3, 0);
    Fp->mnuClearUndo->trigger();
    EXPECT_EQ(editor->text(), QStringLiteral("hello word"));
}

TEST_F(EditCommandsTest, CommandsWithNoDocumentOpenDoNothing)
{
    Fp->mnuCloseAll->trigger();
    ASSERT_EQ(docs().OpenDocumentCount(), 0);
    EditCommands& commands = Fp->editCommands();
    for (void (EditCommands::*command)() :
         {&EditCommands::Copy, &EditCommands::Cut, &EditCommands::Paste, &EditCommands::Undo, &EditCommands::ClearUndo,
          &EditCommands::DateUs, &EditCommands::DateEurope, &EditCommands::TimeUs, &EditCommands::TimeEurope})
        (commands.*command)();
    EXPECT_EQ(docs().OpenDocumentCount(), 0);
}
