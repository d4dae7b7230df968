#include "editor/textview.h"

#include <QAccessible>
#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {

// What a screen reader asks of the editor, through the text interfaces.
class TextViewAccessibleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        view = std::make_unique<TextView>();
        view->resize(300, 200);
        view->show();
        view->setText(QStringLiteral("Hello big world.\nSecond line here"));
        QApplication::processEvents();
        iface = QAccessible::queryAccessibleInterface(view.get());
        ASSERT_NE(iface, nullptr);
        text = iface->textInterface();
        ASSERT_NE(text, nullptr);
    }

    QString at(int offset, QAccessible::TextBoundaryType type)
    {
        int start = -1;
        int end = -1;
        const QString s = text->textAtOffset(offset, type, &start, &end);
        EXPECT_EQ(s, view->store().text(start, end - start));
        return s;
    }

    std::unique_ptr<TextView> view;
    QAccessibleInterface* iface = nullptr;
    QAccessibleTextInterface* text = nullptr;
};

TEST_F(TextViewAccessibleTest, ReadsTheTextByCharacterWordLineAndParagraph)
{
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_TRUE(iface->state().multiLine);
    EXPECT_TRUE(iface->state().editable);
    EXPECT_EQ(text->characterCount(), 33);
    EXPECT_EQ(text->text(6, 9), QStringLiteral("big"));
    EXPECT_EQ(at(7, QAccessible::CharBoundary), QStringLiteral("i"));
    EXPECT_EQ(at(7, QAccessible::WordBoundary), QStringLiteral("big"));
    EXPECT_EQ(at(20, QAccessible::LineBoundary), QStringLiteral("Second line here"));
    EXPECT_EQ(at(3, QAccessible::ParagraphBoundary), QStringLiteral("Hello big world.\n"));
    int start = 0;
    int end = 0;
    EXPECT_EQ(text->textAfterOffset(3, QAccessible::ParagraphBoundary, &start, &end), QStringLiteral("Second line here"));
    EXPECT_EQ(text->textBeforeOffset(20, QAccessible::WordBoundary, &start, &end), QStringLiteral("\n"));
    EXPECT_EQ(iface->text(QAccessible::Value), view->text());
}

TEST_F(TextViewAccessibleTest, FollowsAndMovesTheCaretAndTheSelection)
{
    view->setSelection(6, 9);
    EXPECT_EQ(text->cursorPosition(), 9);
    ASSERT_EQ(text->selectionCount(), 1);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    EXPECT_EQ(start, 6);
    EXPECT_EQ(end, 9);
    text->setCursorPosition(2);
    EXPECT_EQ(view->caretPosition(), 2);
    EXPECT_EQ(text->selectionCount(), 0);
    text->setSelection(0, 0, 5);
    EXPECT_EQ(view->selectedText(), QStringLiteral("Hello"));

    // Where a character is and which character is where agree.
    const QRect r = text->characterRect(18);
    EXPECT_EQ(text->offsetAtPoint(r.center()), 18);
}

TEST_F(TextViewAccessibleTest, EditsTheTextLikeTheKeyboard)
{
    QAccessibleEditableTextInterface* edit = iface->editableTextInterface();
    ASSERT_NE(edit, nullptr);
    edit->replaceText(6, 9, QStringLiteral("small"));
    edit->deleteText(0, 6);
    edit->insertText(0, QStringLiteral("A "));
    EXPECT_EQ(view->text(), QStringLiteral("A small world.\nSecond line here"));
    view->undo();
    EXPECT_EQ(view->text(), QStringLiteral("small world.\nSecond line here"));
}

} // namespace
