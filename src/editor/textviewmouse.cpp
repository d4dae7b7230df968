#include "editor/textviewmouse.h"

#include "editor/textview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyleHints>

void TextViewMouse::press(QMouseEvent* event)
{
    TextView& v = m_view;
    const qint64 position = v.positionAt(event->position());
    if (event->button() == Qt::MiddleButton) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection() && v.editable()) {
            v.setCaret(position);
            v.insertFromMimeData(clipboard->mimeData(QClipboard::Selection));
        }
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPoint = m_lastPoint = event->position();
    const bool tripleClick = m_sinceDoubleClick.isValid()
        && m_sinceDoubleClick.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval();
    m_sinceDoubleClick.invalidate();
    if (tripleClick) {
        m_unit = Unit::Line;
        std::tie(m_originStart, m_originEnd) = v.motion().lineAround(position);
        v.setSelection(m_originStart, m_originEnd);
        m_selecting = true;
        return;
    }
    m_unit = Unit::Character;
    if (event->modifiers() & Qt::ShiftModifier) {
        v.moveCaret(position, true);
        m_selecting = true;
        return;
    }
    if (v.hasSelection() && position >= v.selectionStart() && position < v.selectionEnd()) {
        m_mayDrag = true; // a drag of the selection, or a click when the mouse stays
        return;
    }
    v.moveCaret(position, false);
    m_selecting = true;
}

void TextViewMouse::move(QMouseEvent* event)
{
    m_lastPoint = event->position();
    if (m_mayDrag) {
        if ((event->position() - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
            m_mayDrag = false;
            startDrag();
        }
        return;
    }
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    extendTo(m_view.positionAt(event->position()));
    autoScroll(event->position());
}

void TextViewMouse::release(QMouseEvent* event)
{
    m_scrollTimer.stop();
    if (m_mayDrag && event->button() == Qt::LeftButton)
        m_view.moveCaret(m_view.positionAt(m_pressPoint), false);
    m_mayDrag = false;
    m_selecting = false;
}

void TextViewMouse::doubleClick(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    TextView& v = m_view;
    std::tie(m_originStart, m_originEnd) = v.motion().wordAround(v.positionAt(event->position()));
    v.setSelection(m_originStart, m_originEnd);
    m_unit = Unit::Word;
    m_selecting = true;
    m_mayDrag = false;
    m_sinceDoubleClick.start();
}

// With words or lines, the selection grows by whole ones and always keeps
// the one first clicked.
void TextViewMouse::extendTo(qint64 position)
{
    TextView& v = m_view;
    if (m_unit == Unit::Character) {
        v.setSelection(v.anchorPosition(), position);
        return;
    }
    const auto [start, end] = m_unit == Unit::Word ? v.motion().wordAround(position) : v.motion().lineAround(position);
    if (start < m_originStart)
        v.setSelection(m_originEnd, start);
    else
        v.setSelection(m_originStart, std::max(end, m_originEnd));
}

void TextViewMouse::autoScroll(QPointF point)
{
    if (point.y() < 0 || point.y() > m_view.viewport()->height())
        m_scrollTimer.start(50, this);
    else
        m_scrollTimer.stop();
}

void TextViewMouse::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_scrollTimer.timerId())
        return;
    const int height = m_view.viewport()->height();
    if (m_lastPoint.y() < 0)
        m_view.scrollByRows(-1);
    else if (m_lastPoint.y() > height)
        m_view.scrollByRows(1);
    else
        m_scrollTimer.stop();
    extendTo(m_view.positionAt(m_lastPoint));
}

void TextViewMouse::startDrag()
{
    TextView& v = m_view;
    auto* drag = new QDrag(&v);
    drag->setMimeData(v.createMimeDataFromSelection());
    const Qt::DropActions actions = v.editable() ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction;
    const QPointer<TextView> alive(&v);
    const Qt::DropAction done = drag->exec(actions, Qt::MoveAction);
    // Moved to another program: the text leaves this one. (A move inside
    // this view was made by the drop itself.)
    if (alive && done == Qt::MoveAction && drag->target() != v.viewport() && drag->target() != &v)
        v.deleteSelection();
}

void TextViewMouse::drop(QDropEvent* event, qint64 position)
{
    TextView& v = m_view;
    const QString text = event->mimeData()->text();
    const bool fromHere = event->source() == &v || event->source() == v.viewport();
    if (fromHere && event->dropAction() == Qt::MoveAction) {
        const qint64 start = v.selectionStart();
        const qint64 end = v.selectionEnd();
        if (position >= start && position <= end) {
            event->ignore(); // dropped onto itself: nothing moves
            return;
        }
        v.beginEditGroup();
        v.replaceRange(start, end - start, {});
        const qint64 at = position > end ? position - (end - start) : position;
        v.replaceRange(at, 0, text);
        v.endEditGroup();
        v.setSelection(at, v.caretPosition());
    } else {
        v.replaceRange(position, 0, text);
        v.setSelection(position, v.caretPosition());
    }
    event->acceptProposedAction();
}

void TextViewMouse::contextMenu(QContextMenuEvent* event)
{
    TextView& v = m_view;
    QMenu menu(&v);
    const auto add = [&](const char* text, QKeySequence::StandardKey key, bool enabled, void (TextView::*slot)()) {
        QAction* action = menu.addAction(QCoreApplication::translate("QWidgetTextControl", text));
        action->setShortcut(key);
        action->setEnabled(enabled);
        QObject::connect(action, &QAction::triggered, &v, slot);
    };
    add("&Undo", QKeySequence::Undo, v.editable() && v.isUndoAvailable(), &TextView::undo);
    add("&Redo", QKeySequence::Redo, v.editable() && v.isRedoAvailable(), &TextView::redo);
    menu.addSeparator();
    add("Cu&t", QKeySequence::Cut, v.editable() && v.hasSelection(), &TextView::cut);
    add("&Copy", QKeySequence::Copy, v.hasSelection(), &TextView::copy);
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    add("&Paste", QKeySequence::Paste, v.editable() && clip && clip->hasText(), &TextView::paste);
    add("Delete", QKeySequence::UnknownKey, v.editable() && v.hasSelection(), &TextView::deleteSelection);
    menu.addSeparator();
    add("Select All", QKeySequence::SelectAll, v.length() > 0, &TextView::selectAll);
    menu.exec(event->globalPos());
}
