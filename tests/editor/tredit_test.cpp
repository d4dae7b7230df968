#include "editor/tredit.h"

#include "documents/documenttable.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// An editor set up as the main window sets up a document's editor, shown.
class TREditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor = std::make_unique<TREdit>();
        DocumentTable::setUpEditor(editor.get());
        editor->resize(400, 300);
        editor->show();
        QApplication::processEvents();
    }

    void load(const QString& text, int caret = 0)
    {
        editor->setRtfText(text);
        editor->setSelStart(caret);
        QApplication::processEvents();
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(editor.get(), Qt::Key(k), mods);
    }
    QString line(int n) const { return editor->store().lineText(n); }
    // The line shown in the view's top row, and the line at its foot.
    qint64 topLine() const { return editor->store().lineOfPosition(editor->topPosition()); }
    qint64 bottomLine() const
    {
        return editor->store().lineOfPosition(editor->positionAt(QPointF(10, editor->viewport()->height() - 2)));
    }

    static QString numberedLines(int count)
    {
        QStringList lines;
        for (int i = 0; i < count; ++i)
            lines << QStringLiteral("line %1").arg(i);
        return lines.join(u'\n');
    }

    std::unique_ptr<TREdit> editor;
};

TEST_F(TREditTest, DefaultKeysInsertTabBreakAndDeleteOneCharacter)
{
    load(QStringLiteral("ab      "), 8);
    key(Qt::Key_Tab);
    key(Qt::Key_Return);
    key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(editor->rtfText(), QStringLiteral("ab      \t\n\n"));
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    EXPECT_EQ(editor->rtfText(), QStringLiteral("ab     "));
}

TEST_F(TREditTest, CtrlArrowsScrollTheViewByOneRowAndLeaveTheCaret)
{
    load(numberedLines(200), 3);
    QSignalSpy scrolled(editor.get(), &TREdit::OnScrollV);
    key(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(editor->firstVisibleLine(), 0);
    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(editor->firstVisibleLine(), 1);
    EXPECT_EQ(topLine(), 1);
    EXPECT_EQ(editor->selStart(), 3);
    EXPECT_EQ(scrolled.count(), 2); // once per key, even when nothing moved
    key(Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(topLine(), 0);
    EXPECT_EQ(editor->selLength(), 0);
}

TEST_F(TREditTest, CtrlDownOverAWrappedParagraphShowsItsNextRow)
{
    load(QString(2000, u'w') + QStringLiteral("\nnext"));
    key(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(topLine(), 0);
    EXPECT_GT(editor->topPosition(), 0); // the second row of the first line
    EXPECT_EQ(editor->selStart(), 0);
}

TEST_F(TREditTest, CtrlPageKeysMoveByAPageAndStopAtTheEnd)
{
    load(numberedLines(200), 5);
    const int page = editor->visibleLineCount();
    ASSERT_GT(page, 3);
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(editor->firstVisibleLine(), page);
    for (int i = 0; i < 200 / page + 2; ++i)
        key(Qt::Key_PageDown, Qt::ControlModifier);
    const int last = editor->firstVisibleLine();
    EXPECT_GE(last, 200 - page - 1);
    EXPECT_EQ(bottomLine(), 199);
    key(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(editor->firstVisibleLine(), last);
    key(Qt::Key_PageUp, Qt::ControlModifier);
    key(Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(editor->firstVisibleLine(), last - 2 * page);
    EXPECT_EQ(editor->selStart(), 5);

    editor->hide();
    EXPECT_EQ(editor->visibleLineCount(), -1);
}

TEST_F(TREditTest, SoftTabsReachTheNextMultipleOfIndentSpace)
{
    editor->setIndentSpace(4);
    load(QStringLiteral("abcdef\nabcdefgh\n"), 6);
    key(Qt::Key_Tab);
    EXPECT_EQ(line(0), QStringLiteral("abcdef  "));
    editor->setSelStart(17);
    key(Qt::Key_Tab);
    EXPECT_EQ(line(1), QStringLiteral("abcdefgh    "));
    key(Qt::Key_Right);
    key(Qt::Key_Tab);
    EXPECT_EQ(line(2), QStringLiteral("    "));
    EXPECT_EQ(editor->currentColumn(), 4);

    // Typed like space keys: in overwrite mode they cover what follows.
    load(QStringLiteral("xabcdefg"), 1);
    key(Qt::Key_Insert);
    key(Qt::Key_Tab);
    EXPECT_EQ(editor->rtfText(), QStringLiteral("x   defg"));
}

TEST_F(TREditTest, AutoIndentCopiesTheIndentOfTheNearestNonBlankLineAbove)
{
    editor->setAutoIndent(true);
    load(QStringLiteral("  word\n \t\n"));
    editor->setSelStart(editor->textLength());
    key(Qt::Key_Return);
    EXPECT_EQ(line(3), QStringLiteral("  "));
    EXPECT_EQ(editor->currentColumn(), 2);

    load(QStringLiteral("\tfoobar"), 4);
    key(Qt::Key_Return);
    EXPECT_EQ(editor->rtfText(), QStringLiteral("\tfoo\n\tbar"));

    load(QStringLiteral("  \n"), 3);
    key(Qt::Key_Return);
    EXPECT_EQ(editor->rtfText(), QStringLiteral("  \n\n")); // only blank lines above

    editor->setAutoIndent(false);
    load(QStringLiteral("  word"), 6);
    key(Qt::Key_Return);
    EXPECT_EQ(line(1), QString());
}

TEST_F(TREditTest, BackspaceUnindentsToThePreviousMultiple)
{
    editor->setIndentSpace(4);
    editor->setBackSpaceUnIndent(true);
    load(QStringLiteral("x\n        "), 10);
    key(Qt::Key_Backspace);
    EXPECT_EQ(line(1), QStringLiteral("    "));
    load(QStringLiteral("x\n      "), 8);
    key(Qt::Key_Backspace);
    EXPECT_EQ(line(1), QStringLiteral("    "));
    load(QStringLiteral("x\nabcde   "), 10);
    key(Qt::Key_Backspace);
    EXPECT_EQ(line(1), QStringLiteral("abcde  ")); // not all spaces back to the multiple

    editor->setBackSpaceUnIndent(false);
    load(QStringLiteral("x\n        "), 10);
    key(Qt::Key_Backspace);
    EXPECT_EQ(line(1), QStringLiteral("       "));
}

TEST_F(TREditTest, NegativeIndentSpaceIsRefused)
{
    editor->setIndentSpace(4);
    editor->setIndentSpace(-1);
    EXPECT_EQ(editor->indentSpace(), 4);
    editor->setProperty("IndentSpace", -8);
    EXPECT_EQ(editor->property("IndentSpace").toInt(), 4);
}

TEST_F(TREditTest, InsertTogglesOverwriteAndTellsIt)
{
    QSignalSpy mode(editor.get(), &TREdit::OnModeChange);
    load(QStringLiteral("abc"));
    key(Qt::Key_Insert);
    ASSERT_EQ(mode.count(), 1);
    EXPECT_TRUE(mode.at(0).at(0).toBool());
    EXPECT_TRUE(editor->isOverwriteFlag());
    QTest::keyClicks(editor.get(), QStringLiteral("XY"));
    EXPECT_EQ(editor->rtfText(), QStringLiteral("XYc"));

    key(Qt::Key_Insert, Qt::AltModifier);
    EXPECT_EQ(mode.count(), 1);
    key(Qt::Key_Insert);
    ASSERT_EQ(mode.count(), 2);
    EXPECT_FALSE(mode.at(1).at(0).toBool());
    QTest::keyClicks(editor.get(), QStringLiteral("Z"));
    EXPECT_EQ(editor->rtfText(), QStringLiteral("XYZc"));
}

TEST_F(TREditTest, PosChangeTellsLineAndColumnOfTheSelectionStart)
{
    QSignalSpy pos(editor.get(), &TREdit::OnPosChange);
    load(QStringLiteral("ab\ncdef\n"));
    editor->setSelStart(5);
    ASSERT_FALSE(pos.isEmpty());
    EXPECT_EQ(pos.last(), (QList<QVariant>{1, 2}));
    key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(pos.last(), (QList<QVariant>{1, 1}));
    key(Qt::Key_Down);
    EXPECT_EQ(pos.last(), (QList<QVariant>{2, 0}));
    EXPECT_EQ(editor->currentLine(), 2);
}

TEST_F(TREditTest, TextComesBackUnaltered)
{
    const QString text = QStringLiteral("a\u00a0b\tc") + QChar(0) + QStringLiteral("d\u2028e\n\nf\ufeff ");
    editor->setProperty("RTFText", text);
    EXPECT_EQ(editor->property("RTFText").toString(), text);
    EXPECT_EQ(editor->textLength(), text.size());
    load(QStringLiteral("a\r\nb\rc"));
    EXPECT_EQ(editor->text(), QStringLiteral("a\nb\nc"));
}

TEST_F(TREditTest, CutAndPasteKeepNoBreakSpacesAndLineBreaks)
{
    const QString text = QStringLiteral("x\u00a0y\nz\u00a0");
    load(text);
    editor->selectAll();
    editor->cut();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), text);
    EXPECT_EQ(editor->text(), QString());
    editor->paste();
    EXPECT_EQ(editor->text(), text);
}

TEST_F(TREditTest, ReplaceSelectionLeavesTheCaretAfterTheText)
{
    QSignalSpy changed(editor.get(), &TREdit::Change);
    load(QStringLiteral("hello world"), 6);
    editor->setSelLength(5);
    EXPECT_EQ(editor->selLength(), 5);
    changed.clear();
    editor->replaceSelection(QStringLiteral("there"), false);
    EXPECT_EQ(editor->text(), QStringLiteral("hello there"));
    EXPECT_EQ(editor->selStart(), 11);
    EXPECT_EQ(editor->selLength(), 0);
    EXPECT_FALSE(changed.isEmpty());

    editor->setSelStart(0);
    editor->setSelLength(5);
    editor->collapseSelection();
    editor->replaceSelection(QStringLiteral("oh "), false);
    EXPECT_EQ(editor->text(), QStringLiteral("oh hello there"));
    EXPECT_EQ(editor->selStart(), 3);
    editor->undo(); // undoing it never lands elsewhere
    EXPECT_EQ(editor->text(), QStringLiteral("hello there"));

    editor->setSelStart(6);
    editor->setSelLength(5);
    editor->clearSelection();
    EXPECT_EQ(editor->text(), QStringLiteral("hello "));
}

TEST_F(TREditTest, SetSelLengthScrollsTheSelectionIntoView)
{
    load(numberedLines(300));
    editor->setSelLength(editor->textLength());
    EXPECT_GT(editor->firstVisibleLine(), 200);
    EXPECT_EQ(editor->selLength(), editor->textLength());
}

TEST_F(TREditTest, FindLooksOnlyInsideTheRange)
{
    load(QStringLiteral("cat concat cat"));
    EXPECT_EQ(editor->findText(QStringLiteral("cat"), 1, 13, TREdit::FindWholeWord), 11);
    EXPECT_EQ(editor->findText(QStringLiteral("cat"), 1, 12, TREdit::FindWholeWord), -1);
    EXPECT_EQ(editor->findText(QStringLiteral("CAT"), 1, 9, {}), 7);
    EXPECT_EQ(editor->findText(QStringLiteral("CAT"), 1, 9, TREdit::FindMatchCase), -1);
}

TEST_F(TREditTest, LookChangesDoNotCountAsTextChanges)
{
    load(QStringLiteral("text"));
    QSignalSpy changed(editor.get(), &TREdit::Change);
    editor->setFontName(QStringLiteral("DejaVu Sans Mono"));
    editor->setFontName(QString());
    editor->setBackgroundColor(Colors::rgb(0, 0, 128));
    editor->setFontColor(Colors::clWhite);
    QApplication::processEvents();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(editor->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(editor->font().pointSize(), 10);
    EXPECT_EQ(editor->palette().color(QPalette::Base), QColor(0, 0, 128));
}

TEST_F(TREditTest, ReloadingShowsTheNewTextFromItsStart)
{
    load(numberedLines(300));
    editor->setSelStart(editor->textLength());
    load(numberedLines(250));
    EXPECT_EQ(editor->firstVisibleLine(), 0);
    EXPECT_EQ(editor->selStart(), 0);
    EXPECT_FALSE(editor->isUndoAvailable());
}

TEST_F(TREditTest, EditingInsideAVeryLongLineKeepsTheText)
{
    const QString longLine = QString(100'000, u'a');
    load(longLine, 50'000);
    QTest::keyClicks(editor.get(), QStringLiteral("xy"));
    key(Qt::Key_Backspace);
    EXPECT_EQ(editor->text(), longLine.first(50'000) + u'x' + longLine.sliced(50'000));
    EXPECT_EQ(editor->currentColumn(), 50'001);
}

} // namespace

TEST_F(TREditTest, BytesKeptFromAFileAreDrawnAsBoxes)
{
    // U+EFE9 holds the byte E9 of a damaged UTF-8 file; fonts draw nothing
    // for it, the editor a framed box.
    load(QStringLiteral("x\uEFE9y"));
    const QRect start = editor->cursorRect(1);
    const QRect end = editor->cursorRect(2);
    ASSERT_GT(end.left(), start.left());

    const QImage shot = editor->viewport()->grab().toImage();
    const QColor background = editor->palette().color(QPalette::Base);
    int inked = 0;
    for (int y = start.top(); y <= start.bottom(); ++y)
        for (int x = start.left() + 1; x < end.left(); ++x)
            inked += shot.pixelColor(x, y) != background;
    EXPECT_GT(inked, start.height()) << "an empty gap where the byte is";
}
