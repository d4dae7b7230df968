#include "editor/textview.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QStyleHints>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

class TextViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view = std::make_unique<TextView>();
        view->resize(400, 300);
        view->show();
        view->setFocus();
        QApplication::processEvents();
    }

    void load(const QString& text, qint64 caret = 0)
    {
        view->setText(text);
        view->setCaret(caret);
        QApplication::processEvents();
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(view.get(), Qt::Key(k), mods); }
    void type(const QString& text) { QTest::keyClicks(view.get(), text); }
    QPoint pointOf(qint64 position)
    {
        const QRect r = view->cursorRect(position);
        return QPoint(r.left() + 1, r.center().y());
    }
    qint64 topLine() const { return view->store().lineOfPosition(view->topPosition()); }

    static QString lines(int count)
    {
        QStringList out;
        for (int i = 0; i < count; ++i)
            out << QStringLiteral("line %1").arg(i);
        return out.join(u'\n');
    }

    std::unique_ptr<TextView> view;
};

TEST_F(TextViewTest, ALongLineWrapsInRowsThatTheKeysFollow)
{
    // A line of 30,000 letters without a space is cut in segments and
    // wrapped: Down goes to the next row, Home and End keep to the row.
    const QString longLine(30'000, u'a');
    load(longLine + QStringLiteral("\nnext"));
    key(Qt::Key_Down);
    const qint64 secondRow = view->caretPosition();
    EXPECT_GT(secondRow, 10);
    EXPECT_LT(secondRow, 1000);
    key(Qt::Key_End);
    const qint64 thirdRow = view->caretPosition();
    EXPECT_GT(thirdRow, secondRow);
    key(Qt::Key_Home);
    EXPECT_EQ(view->caretPosition(), thirdRow); // a row wrapped inside a word ends where the next begins
    key(Qt::Key_Up);
    EXPECT_EQ(view->caretPosition(), secondRow);

    // Typing in the middle of it changes that place only.
    view->setCaret(15'000);
    type(QStringLiteral("XY"));
    EXPECT_EQ(view->text(), longLine.first(15'000) + QStringLiteral("XY") + longLine.sliced(15'000) + QStringLiteral("\nnext"));
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->caretPosition(), view->length());
}

TEST_F(TextViewTest, ClicksPlaceTheCaretAndDoubleAndTripleClicksSelect)
{
    load(QStringLiteral("alpha beta gamma\nsecond line"));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pointOf(7));
    EXPECT_EQ(view->caretPosition(), 7);
    EXPECT_FALSE(view->hasSelection());

    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, pointOf(14));
    EXPECT_EQ(view->selectedText(), QStringLiteral("eta gam"));

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, pointOf(12));
    EXPECT_EQ(view->selectedText(), QStringLiteral("gamma"));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, pointOf(12));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, pointOf(12));
    EXPECT_EQ(view->selectedText(), QStringLiteral("alpha beta gamma"));

    // A drag selects from the press to the mouse.
    QTest::qWait(QGuiApplication::styleHints()->mouseDoubleClickInterval() + 50);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, pointOf(20));
    QMouseEvent move(QEvent::MouseMove, QPointF(pointOf(25)), view->viewport()->mapToGlobal(QPointF(pointOf(25))),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, pointOf(25));
    EXPECT_EQ(view->selectedText(), QStringLiteral("ond l"));
}

TEST_F(TextViewTest, KeysSelectCutCopyPasteAndUndoInSteps)
{
    load(QStringLiteral("one two"), 3);
    key(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(view->selectedText(), QStringLiteral(" "));
    key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(view->selectedText(), QStringLiteral("one"));
    key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("one"));
    EXPECT_EQ(view->text(), QStringLiteral(" two"));
    key(Qt::Key_End);
    key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(view->text(), QStringLiteral(" twoone"));

    // A typing run is one step; moving the caret starts another.
    type(QStringLiteral("abc"));
    key(Qt::Key_Left);
    type(QStringLiteral("z"));
    EXPECT_EQ(view->text(), QStringLiteral(" twooneabzc"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->text(), QStringLiteral(" twooneabc"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->text(), QStringLiteral(" twoone"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->text(), QStringLiteral(" two"));
    key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(view->text(), QStringLiteral(" twoone"));

    // Return starts a new step, which the next line's typing joins.
    key(Qt::Key_End);
    type(QStringLiteral("ab"));
    key(Qt::Key_Return);
    type(QStringLiteral("cd"));
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view->text(), QStringLiteral(" twooneab"));
}

TEST_F(TextViewTest, BackspaceAndDeleteTakeWholeCharacters)
{
    load(QStringLiteral("a\U0001F600b\u00E9"), 3);
    key(Qt::Key_Backspace);
    EXPECT_EQ(view->text(), QStringLiteral("ab\u00E9"));
    key(Qt::Key_Delete);
    EXPECT_EQ(view->text(), QStringLiteral("a\u00E9"));
    view->setOverwriteMode(true);
    type(QStringLiteral("xyz"));
    EXPECT_EQ(view->text(), QStringLiteral("axyz")); // overwriting stops at the end of the line
}

TEST_F(TextViewTest, PageDownMovesCaretAndViewTogether)
{
    load(lines(300));
    const int page = view->visibleRowCount();
    ASSERT_GT(page, 3);
    key(Qt::Key_PageDown);
    EXPECT_EQ(topLine(), page);
    EXPECT_EQ(view->store().lineOfPosition(view->caretPosition()), page);
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(view->caretPosition(), view->length());
    // The last line at the foot of the view, no further.
    const QRect caret = view->cursorRect();
    EXPECT_LE(caret.bottom(), view->viewport()->height());
    EXPECT_GT(caret.top(), view->viewport()->height() / 2);
    view->scrollByRows(5);
    EXPECT_EQ(view->cursorRect().top(), caret.top());
}

TEST_F(TextViewTest, TheViewKeepsItsTextWhenTheWidthOrTheTextAboveChanges)
{
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("line %1 with enough words to wrap when the view is narrow\n").arg(i);
    load(text);
    view->scrollToLine(100);
    const qint64 top = view->topPosition();
    ASSERT_EQ(topLine(), 100);

    view->resize(150, 300);
    QApplication::processEvents();
    EXPECT_EQ(view->topPosition(), top);
    view->resize(400, 300);
    QApplication::processEvents();
    EXPECT_EQ(view->topPosition(), top);

    // Lines put in and taken out inside the view: the same line stays on top.
    view->setCaret(view->store().lineStart(110));
    view->replaceRange(view->caretPosition(), 0, QStringLiteral("new\nlines\n"));
    EXPECT_EQ(view->topPosition(), top);
    view->replaceRange(view->store().lineStart(105), view->store().lineStart(108) - view->store().lineStart(105), {});
    EXPECT_EQ(view->topPosition(), top);
    EXPECT_TRUE(view->store().lineText(topLine()).startsWith(QStringLiteral("line 100 ")));
}

TEST_F(TextViewTest, TheScrollBarCountsPositionsAndStepsByRows)
{
    load(lines(1000));
    QScrollBar* bar = view->verticalScrollBar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(topLine(), 1);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    const QRect last = view->cursorRect(view->length());
    EXPECT_LE(last.bottom(), view->viewport()->height());
    EXPECT_GT(last.top(), view->viewport()->height() / 2);
    bar->setValue(bar->maximum() / 2);
    EXPECT_NEAR(double(topLine()), 500.0, 60.0);
}

TEST_F(TextViewTest, EveryEditIsToldWithItsPositionsAndText)
{
    load(QStringLiteral("hello world"));
    QSignalSpy edits(view.get(), &TextView::contentsEdited);
    QSignalSpy changed(view.get(), &TextView::textChanged);
    view->setSelection(6, 11);
    type(QStringLiteral("W"));
    view->undo();
    QApplication::clipboard()->setText(QStringLiteral("a\r\nb"));
    view->setCaret(0);
    view->paste();
    ASSERT_EQ(edits.count(), 3);
    EXPECT_EQ(edits.at(0), (QList<QVariant>{6, 5, QStringLiteral("W")}));
    EXPECT_EQ(edits.at(1), (QList<QVariant>{6, 1, QStringLiteral("world")}));
    EXPECT_EQ(edits.at(2), (QList<QVariant>{0, 0, QStringLiteral("a\nb")}));
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(TextViewTest, DroppedTextGoesWhereItFallsAndEndsSelected)
{
    load(QStringLiteral("left right"));
    QMimeData data;
    data.setText(QStringLiteral("middle "));
    const QPointF at(pointOf(5));
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_EQ(view->text(), QStringLiteral("left middle right"));
    EXPECT_EQ(view->selectedText(), QStringLiteral("middle "));
}

TEST_F(TextViewTest, InputMethodsComposeAndCommitAtTheCaret)
{
    load(QStringLiteral("ab\ncd"), 1);
    QInputMethodEvent compose(QStringLiteral("ni"), {});
    QApplication::sendEvent(view.get(), &compose);
    EXPECT_EQ(view->text(), QStringLiteral("ab\ncd")); // composing is not yet text
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u4F60"));
    QApplication::sendEvent(view.get(), &commit);
    EXPECT_EQ(view->text(), QStringLiteral("a\u4F60b\ncd"));
    EXPECT_EQ(view->caretPosition(), 2);
    // What the input method asks: the caret's line around it.
    const auto ask = [&](Qt::InputMethodQuery query) {
        QInputMethodQueryEvent event(query);
        QApplication::sendEvent(view.get(), &event);
        return event.value(query);
    };
    EXPECT_EQ(ask(Qt::ImSurroundingText).toString(), QStringLiteral("a\u4F60b"));
    EXPECT_EQ(ask(Qt::ImCursorPosition).toInt(), 2);
    EXPECT_TRUE(ask(Qt::ImEnabled).toBool());
}

TEST_F(TextViewTest, ATextBeingLoadedShowsAtOnceAndTypingWaitsForTheRest)
{
    int waits = 0;
    view->beginLoading(TextBytes::Break::LF, [&] {
        ++waits;
        view->appendLoaded({TextChunk::from("third\n")});
        view->finishLoading();
    });
    view->appendLoaded({TextChunk::from("first\nsec")});
    view->appendLoaded({TextChunk::from("ond\n")});
    EXPECT_EQ(view->text(), QStringLiteral("first\nsecond\n"));
    // Moving and selecting take what is there.
    QTest::keyClick(view.get(), Qt::Key_Down);
    QTest::keyClick(view.get(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(waits, 0);
    EXPECT_TRUE(view->isLoading());
    // A key that edits first takes the rest in: nothing typed is lost.
    type(QStringLiteral("x"));
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(view->isLoading());
    EXPECT_EQ(view->text(), QStringLiteral("first\nxecond\nthird\n"));
    view->undo();
    EXPECT_EQ(view->text(), QStringLiteral("first\nsecond\nthird\n"));
    EXPECT_FALSE(view->isUndoAvailable()); // the load itself is no step
}

} // namespace
