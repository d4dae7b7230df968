#include "editor/textviewinput.h"

#include "editor/textview.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QTextCharFormat>

#include <algorithm>

namespace {

struct MoveKey {
    QKeySequence::StandardKey key;
    enum What { NextChar, PreviousChar, NextWord, PreviousWord, NextRow, PreviousRow, RowStart, RowEnd,
                Start, End, NextPage, PreviousPage } what;
    bool extend;
};

constexpr MoveKey moveKeys[] = {
    {QKeySequence::MoveToNextChar, MoveKey::NextChar, false},
    {QKeySequence::MoveToPreviousChar, MoveKey::PreviousChar, false},
    {QKeySequence::MoveToNextWord, MoveKey::NextWord, false},
    {QKeySequence::MoveToPreviousWord, MoveKey::PreviousWord, false},
    {QKeySequence::MoveToNextLine, MoveKey::NextRow, false},
    {QKeySequence::MoveToPreviousLine, MoveKey::PreviousRow, false},
    {QKeySequence::MoveToStartOfLine, MoveKey::RowStart, false},
    {QKeySequence::MoveToEndOfLine, MoveKey::RowEnd, false},
    {QKeySequence::MoveToStartOfDocument, MoveKey::Start, false},
    {QKeySequence::MoveToEndOfDocument, MoveKey::End, false},
    {QKeySequence::MoveToNextPage, MoveKey::NextPage, false},
    {QKeySequence::MoveToPreviousPage, MoveKey::PreviousPage, false},
    {QKeySequence::SelectNextChar, MoveKey::NextChar, true},
    {QKeySequence::SelectPreviousChar, MoveKey::PreviousChar, true},
    {QKeySequence::SelectNextWord, MoveKey::NextWord, true},
    {QKeySequence::SelectPreviousWord, MoveKey::PreviousWord, true},
    {QKeySequence::SelectNextLine, MoveKey::NextRow, true},
    {QKeySequence::SelectPreviousLine, MoveKey::PreviousRow, true},
    {QKeySequence::SelectStartOfLine, MoveKey::RowStart, true},
    {QKeySequence::SelectEndOfLine, MoveKey::RowEnd, true},
    {QKeySequence::SelectStartOfDocument, MoveKey::Start, true},
    {QKeySequence::SelectEndOfDocument, MoveKey::End, true},
    {QKeySequence::SelectNextPage, MoveKey::NextPage, true},
    {QKeySequence::SelectPreviousPage, MoveKey::PreviousPage, true},
};

constexpr QKeySequence::StandardKey editKeys[] = {
    QKeySequence::Undo, QKeySequence::Redo, QKeySequence::Copy, QKeySequence::Cut, QKeySequence::Paste,
    QKeySequence::SelectAll, QKeySequence::Delete, QKeySequence::DeleteEndOfWord, QKeySequence::DeleteStartOfWord,
    QKeySequence::Backspace, QKeySequence::InsertParagraphSeparator, QKeySequence::InsertLineSeparator,
};

bool isTypedText(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & Qt::ControlModifier && !(event->modifiers() & Qt::AltModifier)))
        return false;
    return text[0].isPrint() || text[0] == u'\t' || text[0].isSurrogate();
}

} // namespace

bool TextViewInput::isEditorKey(const QKeyEvent* key)
{
    return isTypedText(key)
        || std::any_of(std::begin(moveKeys), std::end(moveKeys), [&](const MoveKey& m) { return key->matches(m.key); })
        || std::any_of(std::begin(editKeys), std::end(editKeys), [&](auto k) { return key->matches(k); });
}

bool TextViewInput::keyPress(QKeyEvent* event)
{
    if (moveKey(event) || editKey(event))
        return true;
    if (!isTypedText(event))
        return false;
    m_view.typeText(event->text());
    return true;
}

bool TextViewInput::moveKey(QKeyEvent* event)
{
    TextView& v = m_view;
    const auto found = std::find_if(std::begin(moveKeys), std::end(moveKeys),
                                    [&](const MoveKey& m) { return event->matches(m.key); });
    if (found == std::end(moveKeys))
        return false;
    const bool extend = found->extend;
    qint64 target = v.m_caret;
    switch (found->what) {
    case MoveKey::NextChar:
        target = v.hasSelection() && !extend ? v.selectionEnd() : v.m_motion.nextCharacter(v.m_caret);
        break;
    case MoveKey::PreviousChar:
        target = v.hasSelection() && !extend ? v.selectionStart() : v.m_motion.previousCharacter(v.m_caret);
        break;
    case MoveKey::NextWord: target = v.m_motion.nextWord(v.m_caret); break;
    case MoveKey::PreviousWord: target = v.m_motion.previousWord(v.m_caret); break;
    case MoveKey::NextRow:
    case MoveKey::PreviousRow:
        if (v.m_desiredX < 0)
            v.m_desiredX = v.m_motion.xOf(v.m_caret);
        v.moveCaret(v.m_motion.verticalMove(v.m_caret, found->what == MoveKey::NextRow ? 1 : -1, v.m_desiredX), extend, true);
        return true;
    case MoveKey::RowStart: target = v.m_motion.rowStart(v.m_caret); break;
    case MoveKey::RowEnd: target = v.m_motion.rowEnd(v.m_caret); break;
    case MoveKey::Start: target = 0; break;
    case MoveKey::End: target = v.m_store.length(); break;
    case MoveKey::NextPage: pageMove(1, extend); return true;
    case MoveKey::PreviousPage: pageMove(-1, extend); return true;
    }
    v.moveCaret(target, extend);
    return true;
}

// Page Up and Down move the view and the caret by one view's rows, so the
// caret keeps its place on the screen.
void TextViewInput::pageMove(int direction, bool extend)
{
    TextView& v = m_view;
    if (v.m_desiredX < 0)
        v.m_desiredX = v.m_motion.xOf(v.m_caret);
    const int rows = std::max(1, v.visibleRowCount());
    v.scrollByRows(direction * rows);
    LineLayouts::Row row = v.m_layouts.rowOf(v.m_caret);
    for (int i = 0; i < rows && (direction > 0 ? v.m_layouts.next(row) : v.m_layouts.previous(row)); ++i) {
    }
    v.moveCaret(v.m_motion.positionInRow(row, v.m_desiredX), extend, true);
}

bool TextViewInput::mayEdit(const QKeyEvent* event)
{
    const bool command = event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
        || event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)
        || event->matches(QKeySequence::Delete) || event->matches(QKeySequence::DeleteEndOfWord)
        || event->matches(QKeySequence::DeleteStartOfWord);
    const int key = event->key();
    const bool editing = key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter
        || key == Qt::Key_Tab || key == Qt::Key_Backtab;
    const bool typed = !event->text().isEmpty() && event->text().front().isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
    return command || editing || typed;
}

bool TextViewInput::editKey(QKeyEvent* event)
{
    TextView& v = m_view;
    if (event->matches(QKeySequence::Undo))
        v.undo();
    else if (event->matches(QKeySequence::Redo))
        v.redo();
    else if (event->matches(QKeySequence::Copy))
        v.copy();
    else if (event->matches(QKeySequence::Cut))
        v.cut();
    else if (event->matches(QKeySequence::Paste))
        v.paste();
    else if (event->matches(QKeySequence::SelectAll))
        v.selectAll();
    else if (!v.editable())
        return event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Backspace
            || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    else if (event->matches(QKeySequence::Delete))
        v.deleteForward(false);
    else if (event->matches(QKeySequence::DeleteEndOfWord))
        v.deleteForward(true);
    else if (event->matches(QKeySequence::DeleteStartOfWord))
        v.deleteBackward(true);
    else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & ~Qt::ShiftModifier))
        v.deleteBackward(false);
    else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
             && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier))) {
        // A new line starts a new undo step: Undo takes back one line's
        // typing at a time.
        v.m_store.history().closeRun();
        v.replaceSelection(u"\n", EditKind::Typing);
    }
    else
        return false;
    return true;
}

void TextViewInput::inputMethod(QInputMethodEvent* event)
{
    TextView& v = m_view;
    if (!v.editable()) {
        event->ignore();
        return;
    }
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        v.waitUntilLoaded();
        qint64 from = v.selectionStart();
        qint64 count = v.selectionEnd() - from;
        if (event->replacementLength() > 0 || event->replacementStart() != 0) {
            from = std::clamp<qint64>(v.m_caret + event->replacementStart(), 0, v.m_store.length());
            count = std::min<qint64>(event->replacementLength(), v.m_store.length() - from);
        }
        v.replaceRange(from, count, event->commitString(), EditKind::Typing);
    }
    QList<QTextLayout::FormatRange> formats;
    for (const QInputMethodEvent::Attribute& a : event->attributes()) {
        if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (format.isValid())
                formats.append({a.start, a.length, format});
        } else if (a.type == QInputMethodEvent::Selection && event->preeditString().isEmpty()) {
            v.setSelection(a.start, a.start + a.length);
        }
    }
    v.m_preedit = event->preeditString();
    v.m_layouts.setPreedit(v.m_preedit.isEmpty() ? -1 : v.m_caret, v.m_preedit, formats);
    v.m_lastTop = -1;
    v.viewport()->update();
    v.ensureCaretVisible();
    event->accept();
}

QVariant TextViewInput::query(Qt::InputMethodQuery query) const
{
    // The surrounding text is the caret's line, at most this far each way.
    constexpr qint64 Around = 1024;
    TextView& v = m_view;
    const qint64 line = v.m_store.lineOfPosition(v.m_caret);
    const qint64 from = std::max(v.m_store.lineStart(line), v.m_caret - Around);
    const qint64 to = std::min(v.m_store.lineEnd(line), v.m_caret + Around);
    switch (query) {
    case Qt::ImEnabled: return v.editable();
    case Qt::ImCursorRectangle: return QRectF(v.cursorRect().translated(v.viewport()->pos()));
    case Qt::ImAnchorRectangle: return QRectF(v.cursorRect(v.m_anchor).translated(v.viewport()->pos()));
    case Qt::ImFont: return v.font();
    case Qt::ImCursorPosition: return int(v.m_caret - from);
    case Qt::ImAnchorPosition: return int(std::clamp(v.m_anchor, from, to) - from);
    case Qt::ImSurroundingText: return v.m_store.text(from, to - from);
    case Qt::ImCurrentSelection: {
        const qint64 start = std::max(v.selectionStart(), from);
        return v.m_store.text(start, std::min(v.selectionEnd(), to) - start);
    }
    case Qt::ImAbsolutePosition: return qint64(v.m_caret);
    case Qt::ImMaximumTextLength: return QVariant();
    case Qt::ImHints: return int(Qt::ImhMultiLine);
    case Qt::ImReadOnly: return !v.editable();
    default: return {};
    }
}

