#include "editor/tredit.h"

#include "documents/documenttable.h"

#include <QApplication>
#include <QClipboard>
#include <QRandomGenerator>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Keeps a copy of an editor's text up to date from its contentsEdited
// signal alone, as the recovery journal does.
class EditMirror {
public:
    explicit EditMirror(TREdit* editor) : m_text(editor->text())
    {
        m_connection = QObject::connect(editor, &TREdit::contentsEdited, editor,
                         [this](int position, int removed, const QString& inserted) {
                             ++m_count;
                             if (position < 0 || removed < 0 || position + removed > m_text.size())
                                 m_bad = true;
                             else
                                 m_text.replace(position, removed, inserted);
                         });
    }
    ~EditMirror() { QObject::disconnect(m_connection); }
    EditMirror(const EditMirror&) = delete;
    EditMirror& operator=(const EditMirror&) = delete;
    const QString& text() const { return m_text; }
    int count() const { return m_count; }
    bool bad() const { return m_bad; }

private:
    QMetaObject::Connection m_connection;
    QString m_text;
    int m_count = 0;
    bool m_bad = false;
};

class TREditEdits : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor = std::make_unique<TREdit>();
        DocumentTable::setUpEditor(editor.get());
        editor->resize(400, 300);
        editor->show();
        QApplication::processEvents();
    }
    void load(const QString& text, int caret)
    {
        editor->setRtfText(text);
        editor->setSelStart(caret);
        mirror = std::make_unique<EditMirror>(editor.get());
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(editor.get(), Qt::Key(k), mods); }
    void select(int start, int length)
    {
        editor->setSelStart(start);
        editor->setSelLength(length);
    }
    // The copy made from the signal alone is the editor's text.
    void expectMirrored(const char* step)
    {
        EXPECT_FALSE(mirror->bad()) << step;
        EXPECT_EQ(mirror->text(), editor->text()) << step;
    }

    std::unique_ptr<TREdit> editor;
    std::unique_ptr<EditMirror> mirror;
};

} // namespace

TEST_F(TREditEdits, EveryKindOfChangeIsToldExactly)
{
    const QString nbsp(QChar(0x00A0));
    load(QStringLiteral("first line\nsecond") + nbsp + QStringLiteral("line\n\nlast"), 0);
    QTest::keyClicks(editor.get(), QStringLiteral("typed "));
    expectMirrored("typing");
    key(Qt::Key_Return);
    key(Qt::Key_Return, Qt::ShiftModifier);
    expectMirrored("line breaks");
    key(Qt::Key_Backspace);
    key(Qt::Key_Delete);
    expectMirrored("deleting");
    select(3, 20);
    QTest::keyClicks(editor.get(), QStringLiteral("X"));
    expectMirrored("typing over a selection across lines");
    QApplication::clipboard()->setText(QStringLiteral("pasted\nover\r\nlines"));
    select(0, 2);
    editor->paste();
    expectMirrored("paste");
    editor->undo();
    editor->undo();
    expectMirrored("undo");
    editor->redo();
    expectMirrored("redo");
    editor->replaceSelection(QStringLiteral("replaced"), true);
    select(1, 4);
    editor->clearSelection();
    expectMirrored("replace and clear");
    editor->setSelStart(editor->textLength());
    QTest::keyClicks(editor.get(), QStringLiteral(" at the end"));
    key(Qt::Key_Return);
    expectMirrored("at the end");
    editor->selectAll();
    key(Qt::Key_Delete);
    expectMirrored("everything deleted");
    EXPECT_EQ(mirror->text(), QString());
    QTest::keyClicks(editor.get(), QStringLiteral("anew"));
    expectMirrored("an empty text");
}

TEST_F(TREditEdits, IndentingKeysAreToldToo)
{
    load(QStringLiteral("    indented\nnext"), 12);
    editor->setAutoIndent(true);
    editor->setIndentSpace(4);
    editor->setBackSpaceUnIndent(true);
    key(Qt::Key_Return);
    expectMirrored("auto-indent");
    key(Qt::Key_Tab);
    expectMirrored("soft tab");
    key(Qt::Key_Backspace);
    expectMirrored("unindent");
    key(Qt::Key_Insert);
    editor->setSelStart(editor->textLength() - 4);
    key(Qt::Key_Tab);
    expectMirrored("soft tab overwriting");
}

TEST_F(TREditEdits, ALoadOrALookIsNoEdit)
{
    load(QStringLiteral("text"), 0);
    editor->setRtfText(QStringLiteral("a whole new text"));
    EXPECT_EQ(mirror->count(), 0);
    QFont bigger = editor->font();
    bigger.setPointSize(20);
    editor->setFont(bigger);
    editor->setFontName(QStringLiteral("Monospace"));
    editor->setFontColor(255);
    editor->setBackgroundColor(0);
    EXPECT_EQ(mirror->count(), 0);
    // Edits after a load are told against the loaded text.
    mirror = std::make_unique<EditMirror>(editor.get());
    editor->setSelStart(2);
    QTest::keyClicks(editor.get(), QStringLiteral("!"));
    expectMirrored("after a load");
    EXPECT_EQ(mirror->count(), 1);
}

TEST_F(TREditEdits, ManyEditsAnywhereAddUp)
{
    QRandomGenerator random(8);
    load(QStringLiteral("seed\ntext\r\nwith\rbreaks"), 0);
    const QStringList pieces = {QStringLiteral("a"), QStringLiteral("\n"), QStringLiteral("two\nlines"),
                                QStringLiteral(" "), QString(QChar(0x2028)), QStringLiteral("\t\t")};
    for (int i = 0; i < 400; ++i) {
        const int length = editor->textLength();
        const int at = random.bounded(length + 1);
        const int count = std::min(length, at + random.bounded(8)) - at;
        const bool group = i % 5 == 0; // several changes undone as one
        if (group)
            editor->beginEditGroup();
        editor->replaceRange(at, count, pieces[random.bounded(pieces.size())]);
        if (group) {
            editor->replaceRange(random.bounded(editor->textLength() + 1), 0, QStringLiteral("more"));
            editor->endEditGroup();
        }
        if (i % 37 == 0)
            editor->undo();
        ASSERT_EQ(mirror->text(), editor->text()) << i;
    }
    EXPECT_FALSE(mirror->bad());
}
