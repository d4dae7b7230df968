#include "editor/textview.h"

#include "editor/bytestandins.h"
#include "editor/textviewaccessible.h"
#include "editor/textviewinput.h"
#include "editor/textviewmouse.h"

#include <QAccessible>
#include <QApplication>
#include <QMetaMethod>
#include <QCursor>
#include <QGuiApplication>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextLayout>

#include <algorithm>


TextView::TextView(QWidget* parent)
    : QAbstractScrollArea(parent), m_layouts(m_store), m_motion(m_store, m_layouts),
      m_mouse(std::make_unique<TextViewMouse>(*this)), m_input(std::make_unique<TextViewInput>(*this))
{
    TextViewAccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_layouts.setFont(font());
    m_layouts.setTabStopDistance(m_tabStopDistance);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &TextView::scrollBarAction);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TextView::scrollBarMoved);
    relayoutWidth();
}

TextView::~TextView() = default;

// ---- text -----------------------------------------------------------------

void TextView::setText(QStringView text)
{
    // A text still being read first comes in whole, so that nothing of it
    // arrives after the new one.
    waitUntilLoaded();
    resetText(text);
    Q_EMIT textChanged();
    Q_EMIT selectionChanged();
}

void TextView::resetText(QStringView text)
{
    m_store.setText(text);
    m_layouts.reset();
    m_anchor = m_caret = m_top = 0;
    m_lastTop = -1;
    m_desiredX = -1;
    updateScrollBar();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent reset(this, QAccessible::TextUpdated);
        QAccessible::updateAccessibility(&reset);
    }
}

void TextView::beginLoading(TextBytes::Break style, std::function<void()> finishNow)
{
    setText({});
    m_store.setBreakStyle(style);
    m_loading = true;
    m_finishLoading = std::move(finishNow);
    m_loadProgress = 0;
}

void TextView::appendLoaded(std::vector<TextChunk> chunks)
{
    const qint64 lines = m_store.lineCount();
    for (TextChunk& c : chunks)
        m_store.appendLoaded(std::move(c));
    m_layouts.textAppended(lines);
    m_lastTop = -1;
    updateScrollBar();
    viewport()->update();
}

void TextView::setLoadProgress(qreal fraction)
{
    m_loadProgress = fraction;
    viewport()->update(0, viewport()->height() - 3, viewport()->width(), 3);
}

void TextView::finishLoading()
{
    m_loading = false;
    m_loadProgress = -1;
    m_finishLoading = nullptr;
    viewport()->update();
}

void TextView::waitUntilLoaded()
{
    // A copy: finishing the load lets go of the function.
    const auto finish = m_finishLoading;
    if (!m_loading || !finish)
        return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    finish();
    QGuiApplication::restoreOverrideCursor();
}

void TextView::waitIfKeyEdits(const QKeyEvent* event)
{
    if (m_loading && !m_readOnly && TextViewInput::mayEdit(event))
        waitUntilLoaded();
}

// ---- selection ---------------------------------------------------------------

void TextView::setSelection(qint64 anchor, qint64 caret)
{
    const qint64 oldAnchor = m_anchor;
    const qint64 oldCaret = m_caret;
    m_anchor = m_store.characterStart(anchor);
    m_caret = m_store.characterStart(caret);
    if (!m_editing)
        m_store.history().closeRun();
    selectionMoved(oldAnchor, oldCaret);
}

void TextView::selectionMoved(qint64 oldAnchor, qint64 oldCaret)
{
    if (m_anchor == oldAnchor && m_caret == oldCaret)
        return;
    restartBlink();
    viewport()->update();
    offerPrimarySelection();
    if (QAccessible::isActive()) {
        if (hasSelection() || oldAnchor != oldCaret) {
            QAccessibleTextSelectionEvent selection(this, int(selectionStart()), int(selectionEnd()));
            selection.setCursorPosition(int(m_caret));
            QAccessible::updateAccessibility(&selection);
        }
        QAccessibleTextCursorEvent moved(this, int(m_caret));
        QAccessible::updateAccessibility(&moved);
    }
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    Q_EMIT selectionChanged();
}

QString TextView::selectedText() const { return m_store.text(selectionStart(), selectionEnd() - selectionStart()); }

void TextView::selectAll() { setSelection(0, m_store.length()); }

void TextView::moveCaret(qint64 position, bool extend, bool keepColumn)
{
    if (!keepColumn)
        m_desiredX = -1;
    setSelection(extend ? m_anchor : position, position);
    ensureCaretVisible();
}

// ---- editing -----------------------------------------------------------------

void TextView::replaceRange(qint64 position, qint64 count, QStringView text, EditKind kind)
{
    waitUntilLoaded();
    const TextStore::Change change = m_store.replace(position, count, text, kind);
    applied(change);
    afterEdit(change.position + change.inserted);
}

void TextView::replaceSelection(QStringView text, EditKind kind)
{
    replaceRange(selectionStart(), selectionEnd() - selectionStart(), text, kind);
}

void TextView::beginEditGroup() { m_store.history().beginGroup(); }

void TextView::endEditGroup() { m_store.history().endGroup(); }

// Everything that follows one change of the store: the rows, the top of the
// view, and those who listen.
void TextView::applied(const TextStore::Change& change)
{
    m_layouts.textChanged(change);
    const qint64 end = change.position + change.removed;
    const qint64 delta = change.inserted - change.removed;
    if (change.position < m_top)
        m_top = m_top >= end ? m_top + delta : change.position;
    // The last page moves with an edit before its first line, and is worked
    // out again otherwise.
    if (m_lastTop >= 0 && end < m_lastTopLine) {
        m_lastTop += delta;
        m_lastTopLine += delta;
    } else {
        m_lastTop = -1;
    }
    const bool wantText = QAccessible::isActive()
        || isSignalConnected(QMetaMethod::fromSignal(&TextView::contentsEdited));
    const QString inserted = wantText ? m_store.text(change.position, change.inserted) : QString();
    if (QAccessible::isActive()) {
        // One event for what was removed (its text is gone: told by length)
        // and one for what came in.
        if (change.removed > 0) {
            QAccessibleTextRemoveEvent removed(this, int(change.position), QString(int(change.removed), u' '));
            QAccessible::updateAccessibility(&removed);
        }
        if (change.inserted > 0) {
            QAccessibleTextInsertEvent added(this, int(change.position), inserted);
            QAccessible::updateAccessibility(&added);
        }
    }
    Q_EMIT contentsEdited(int(change.position), int(change.removed), inserted);
}

void TextView::afterEdit(qint64 caret)
{
    m_top = rowStartAt(std::min(m_top, m_store.length()));
    const bool wasEditing = m_editing;
    m_editing = true;
    m_desiredX = -1;
    setSelection(caret, caret);
    m_editing = wasEditing;
    updateScrollBar();
    ensureCaretVisible();
    viewport()->update();
    Q_EMIT textChanged();
}

void TextView::undo() { undoOrRedo(false); }

void TextView::redo() { undoOrRedo(true); }

// Each change of the step is followed as it is made; the caret ends after
// what the last one put in.
void TextView::undoOrRedo(bool redo)
{
    waitUntilLoaded();
    qint64 caret = -1;
    const auto each = [&](const TextStore::Change& c) {
        applied(c);
        caret = c.position + c.inserted;
    };
    const auto changes = redo ? m_store.redo(each) : m_store.undo(each);
    if (!changes.empty())
        afterEdit(caret);
}

void TextView::deleteSelection()
{
    if (hasSelection())
        replaceSelection({});
}

void TextView::setOverwriteMode(bool on)
{
    m_overwrite = on;
    viewport()->update();
}

void TextView::setTabStopDistance(qreal distance)
{
    m_tabStopDistance = distance;
    m_layouts.setTabStopDistance(distance);
    m_lastTop = -1;
    viewport()->update();
}

// Typed text replaces the selection; in overwrite mode it takes the place
// of the character after the caret, up to the end of the line.
void TextView::typeText(const QString& text)
{
    if (!editable())
        return;
    qint64 from = selectionStart();
    qint64 count = selectionEnd() - from;
    if (m_overwrite && count == 0 && m_caret < m_store.lineEnd(m_store.lineOfPosition(m_caret)))
        count = m_motion.nextCharacter(m_caret) - m_caret;
    replaceRange(from, count, text, EditKind::Typing);
}

void TextView::deleteBackward(bool word)
{
    if (hasSelection()) {
        replaceSelection({}, EditKind::Backspace);
        return;
    }
    const qint64 from = word ? m_motion.previousWord(m_caret) : m_motion.previousCodePoint(m_caret);
    if (from < m_caret)
        replaceRange(from, m_caret - from, {}, EditKind::Backspace);
}

void TextView::deleteForward(bool word)
{
    if (hasSelection()) {
        replaceSelection({}, EditKind::Delete);
        return;
    }
    const qint64 to = word ? m_motion.nextWord(m_caret) : m_motion.nextCharacter(m_caret);
    if (to > m_caret)
        replaceRange(m_caret, to - m_caret, {}, EditKind::Delete);
}

// ---- view --------------------------------------------------------------------

int TextView::visibleRowCount() const
{
    if (!isVisible())
        return -1;
    const int fontHeight = fontMetrics().height();
    return fontHeight > 0 ? viewport()->height() / fontHeight : 0;
}

// The top at which the last row of the text sits at the foot of the view.
qint64 TextView::lastTop()
{
    if (m_lastTop >= 0)
        return m_lastTop;
    const qreal room = viewport()->height() - Margin;
    LineLayouts::Row row = m_layouts.rowOf(m_store.length());
    qreal used = m_layouts.rowHeight(row);
    for (LineLayouts::Row above = row; m_layouts.previous(above);) {
        used += m_layouts.rowHeight(above);
        if (used > room)
            break;
        row = above;
    }
    m_lastTop = m_layouts.rowStart(row);
    m_lastTopLine = m_store.lineStart(row.line);
    return m_lastTop;
}

void TextView::setTop(qint64 position)
{
    const qint64 top = rowStartAt(std::clamp<qint64>(position, 0, lastTop()));
    if (top == m_top)
        return;
    m_top = top;
    updateScrollBar();
    viewport()->update();
    if (hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImAnchorRectangle);
    Q_EMIT scrolledVertically();
}

void TextView::scrollByRows(int rows)
{
    LineLayouts::Row row = m_layouts.rowOf(m_top);
    for (; rows > 0 && m_layouts.next(row); --rows) {
    }
    for (; rows < 0 && m_layouts.previous(row); ++rows) {
    }
    setTop(m_layouts.rowStart(row));
}

void TextView::scrollToLine(qint64 line)
{
    setTop(m_store.lineStart(std::clamp<qint64>(line, 0, m_store.lineCount() - 1)));
}

void TextView::ensureCaretVisible()
{
    const LineLayouts::Row caretRow = m_layouts.rowOf(m_caret);
    const qint64 caretRowStart = m_layouts.rowStart(caretRow);
    if (caretRowStart < m_top) {
        setTop(caretRowStart);
        return;
    }
    const qreal room = viewport()->height() - Margin;
    // Far below the view: no need to walk every row in between.
    const qint64 rowsThatFit = qint64(room / std::max(1, fontMetrics().height())) + 2;
    if (caretRow.line - m_store.lineOfPosition(m_top) <= rowsThatFit) {
        qreal y = Margin;
        for (LineLayouts::Row row = m_layouts.rowOf(m_top);; ) {
            y += m_layouts.rowHeight(row);
            if (row == caretRow) {
                if (y <= room + Margin)
                    return;
                break;
            }
            if (y > room + Margin || !m_layouts.next(row))
                break;
        }
    }
    // The caret's row at the foot of the view.
    LineLayouts::Row top = caretRow;
    qreal used = m_layouts.rowHeight(caretRow);
    for (LineLayouts::Row above = caretRow; m_layouts.previous(above);) {
        used += m_layouts.rowHeight(above);
        if (used > room)
            break;
        top = above;
    }
    setTop(m_layouts.rowStart(top));
}

void TextView::updateScrollBar()
{
    m_updatingScrollBar = true;
    QScrollBar* bar = verticalScrollBar();
    const qint64 maximum = lastTop();
    bar->setRange(0, int(std::min<qint64>(maximum, INT_MAX)));
    // A page of positions, as far as the text on screen tells.
    const qint64 onScreen = std::max<qint64>(1, qint64(visibleRowCount()) * 64);
    bar->setPageStep(int(std::min<qint64>(onScreen, INT_MAX / 2)));
    bar->setSingleStep(64);
    bar->setValue(int(std::min<qint64>(m_top, INT_MAX)));
    m_updatingScrollBar = false;
}

// Steps and pages of the scroll bar move by rows, not by positions.
void TextView::scrollBarAction(int action)
{
    int rows = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: rows = 1; break;
    case QAbstractSlider::SliderSingleStepSub: rows = -1; break;
    case QAbstractSlider::SliderPageStepAdd: rows = std::max(1, visibleRowCount() - 1); break;
    case QAbstractSlider::SliderPageStepSub: rows = -std::max(1, visibleRowCount() - 1); break;
    default: return;
    }
    scrollByRows(rows);
    verticalScrollBar()->setSliderPosition(int(std::min<qint64>(m_top, INT_MAX)));
}

void TextView::scrollBarMoved(int value)
{
    if (m_updatingScrollBar || value == m_top)
        return;
    setTop(value);
}

void TextView::relayoutWidth()
{
    m_layouts.setWidth(viewport()->width() - 2 * Margin);
    m_lastTop = -1;
    // The row that held the top holds it still.
    m_top = rowStartAt(m_top);
    updateScrollBar();
}

void TextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const bool caretWasShown = cursorRect().intersects(viewport()->rect());
    relayoutWidth();
    if (caretWasShown)
        ensureCaretVisible();
}

void TextView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) {
        event->ignore();
        return;
    }
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        scrollByRows(-steps * QApplication::wheelScrollLines());
    event->accept();
}

// The y of a row's top in the viewport: rows above the view are negative;
// a row more than a page away gives a y beyond the page.
qreal TextView::rowY(const LineLayouts::Row& target)
{
    LineLayouts::Row row = m_layouts.rowOf(m_top);
    qreal y = Margin;
    const int limit = std::max(visibleRowCount(), 1) + 2;
    if (m_layouts.rowStart(target) >= m_top) {
        for (int i = 0; !(row == target); ++i) {
            y += m_layouts.rowHeight(row);
            if (i > limit || !m_layouts.next(row))
                return std::max<qreal>(y, viewport()->height() + 1);
        }
        return y;
    }
    for (int i = 0; !(row == target); ++i) {
        if (i > limit || !m_layouts.previous(row))
            return std::min<qreal>(y, -viewport()->height() - 1);
        y -= m_layouts.rowHeight(row);
    }
    return y;
}

QRect TextView::cursorRect(qint64 position)
{
    const LineLayouts::Place p = m_layouts.placeOf(position);
    const QTextLine line = m_layouts.textLine(p.row);
    const qreal x = Margin + line.cursorToX(p.offset);
    return QRect(int(x), int(rowY(p.row)), 1, int(line.height()));
}

qint64 TextView::positionAt(QPointF point)
{
    LineLayouts::Row row = m_layouts.rowOf(m_top);
    qreal y = Margin;
    if (point.y() < y) {
        while (point.y() < y && m_layouts.previous(row))
            y -= m_layouts.rowHeight(row);
    } else {
        for (;;) {
            const qreal h = m_layouts.rowHeight(row);
            if (point.y() < y + h)
                break;
            LineLayouts::Row below = row;
            if (!m_layouts.next(below))
                break;
            y += h;
            row = below;
        }
    }
    return m_motion.positionInRow(row, point.x() - Margin);
}

// ---- painting ------------------------------------------------------------------

QColor TextView::color(QPalette::ColorRole role) const
{
    const QPalette::ColorGroup group = !isEnabled() ? QPalette::Disabled
        : isActiveWindow()                          ? QPalette::Active
                                                    : QPalette::Inactive;
    return palette().color(group, role);
}

void TextView::paintEvent(QPaintEvent* event)
{
    QPainter painter(viewport());
    const QRect clip = event->rect();
    LineLayouts::Row row = m_layouts.rowOf(m_top);
    const qint64 firstLine = row.line;
    qint64 lastLine = row.line;
    qreal y = Margin;
    while (y < viewport()->height()) {
        paintSegment(painter, row, y, clip);
        const QTextLayout& layout = m_layouts.layout(row.line, row.segment);
        const QTextLine last = layout.lineAt(layout.lineCount() - 1);
        y += last.y() + last.height() - layout.lineAt(row.row).y();
        lastLine = row.line;
        row.row = layout.lineCount() - 1;
        if (!m_layouts.next(row))
            break;
    }
    if (m_dropCaret >= 0) {
        const QRect r = cursorRect(m_dropCaret);
        painter.fillRect(QRect(r.x(), r.y(), 2, r.height()), color(QPalette::Text));
    }
    paintLoadProgress(painter);
    m_layouts.trim(firstLine - 2, lastLine + 2, m_store.lineOfPosition(m_caret));
}

// One segment from the given row on: its text, the selection over it and
// the caret when it stands there.
void TextView::paintSegment(QPainter& painter, const LineLayouts::Row& row, qreal y, const QRect& clip)
{
    QTextLayout& layout = m_layouts.layout(row.line, row.segment);
    const qint64 start = m_store.lineStart(row.line) + m_layouts.segmentStart(row.line, row.segment);
    const qint64 end = start + layout.text().size() - m_preedit.size() * (layout.preeditAreaText().isEmpty() ? 0 : 1);
    const bool lastOfLine = row.segment == m_layouts.segmentCount(row.line) - 1;
    const QPointF origin(Margin, y - layout.lineAt(row.row).y());
    QList<QTextLayout::FormatRange> selections;
    const qint64 from = selectionStart();
    const qint64 to = selectionEnd();
    if (hasSelection() && to > start && from < end) {
        QTextLayout::FormatRange r;
        r.start = int(std::max(from, start) - start);
        r.length = int(std::min(to, end) - start) - r.start;
        r.format.setBackground(color(QPalette::Highlight));
        r.format.setForeground(color(QPalette::HighlightedText));
        selections << r;
    }
    painter.setPen(color(QPalette::Text));
    layout.draw(&painter, origin, selections, clip);
    ByteStandIns::paint(painter, {&layout, layout.text(), origin, int(from - start), int(to - start)}, clip, palette());
    if (lastOfLine && hasSelection() && from <= end && to > end && row.line + 1 < m_store.lineCount()) {
        // The selected line break, as a space's width after the line.
        const QTextLine last = layout.lineAt(layout.lineCount() - 1);
        const QRectF mark(origin.x() + last.naturalTextWidth(), origin.y() + last.y(),
                          QFontMetricsF(font()).horizontalAdvance(u' '), last.height());
        painter.fillRect(mark, color(QPalette::Highlight));
    }
    const bool caretHere = m_caret >= start && (m_caret < end || (m_caret == end && lastOfLine));
    if (m_caretShown && caretHere) {
        int offset = int(m_caret - start);
        int width = 1;
        if (!m_preedit.isEmpty()) {
            offset += int(m_preedit.size());
        } else if (m_overwrite && !hasSelection() && offset < layout.text().size()) {
            const QTextLine line = layout.lineForTextPosition(offset);
            width = std::max(1, int(line.cursorToX(layout.nextCursorPosition(offset)) - line.cursorToX(offset)));
        }
        layout.drawCursor(&painter, origin, offset, width);
    }
}

void TextView::paintLoadProgress(QPainter& painter)
{
    if (m_loadProgress < 0)
        return;
    const int h = 3;
    const QRect bar(0, viewport()->height() - h, viewport()->width(), h);
    painter.fillRect(bar, color(QPalette::Mid));
    painter.fillRect(QRect(bar.x(), bar.y(), int(bar.width() * std::clamp<qreal>(m_loadProgress, 0, 1)), h),
                     color(QPalette::Highlight));
}

// ---- keyboard and input methods ------------------------------------------------

bool TextView::event(QEvent* event)
{
    // Keys the editor uses are not taken by shortcuts of the window.
    if (event->type() == QEvent::ShortcutOverride && TextViewInput::isEditorKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void TextView::keyPressEvent(QKeyEvent* event)
{
    waitIfKeyEdits(event);
    if (m_input->keyPress(event))
        event->accept();
    else
        event->ignore();
}

void TextView::inputMethodEvent(QInputMethodEvent* event) { m_input->inputMethod(event); }

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const QVariant answer = m_input->query(query);
    return answer.isValid() || query == Qt::ImMaximumTextLength ? answer : QAbstractScrollArea::inputMethodQuery(query);
}

// ---- focus, caret blink, look ----------------------------------------------------

void TextView::restartBlink()
{
    m_caretShown = hasFocus();
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
    viewport()->update();
}

void TextView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
}

void TextView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blink.stop();
    m_caretShown = false;
    viewport()->update();
}

void TextView::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_blink.timerId()) {
        QAbstractScrollArea::timerEvent(event);
        return;
    }
    m_caretShown = !m_caretShown;
    const QRect caret = cursorRect();
    viewport()->update(QRect(0, caret.y(), viewport()->width(), caret.height() + 1));
}

void TextView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
        m_layouts.setFont(font());
        m_lastTop = -1;
        m_top = rowStartAt(m_top);
        updateScrollBar();
        viewport()->update();
        break;
    case QEvent::PaletteChange:
    case QEvent::EnabledChange:
    case QEvent::ActivationChange: viewport()->update(); break;
    default: break;
    }
}

void TextView::contextMenuEvent(QContextMenuEvent* event) { m_mouse->contextMenu(event); }

// ---- mouse, drag and drop --------------------------------------------------------

void TextView::mousePressEvent(QMouseEvent* event) { m_mouse->press(event); }

void TextView::mouseMoveEvent(QMouseEvent* event) { m_mouse->move(event); }

void TextView::mouseReleaseEvent(QMouseEvent* event) { m_mouse->release(event); }

void TextView::mouseDoubleClickEvent(QMouseEvent* event) { m_mouse->doubleClick(event); }

void TextView::dragEnterEvent(QDragEnterEvent* event)
{
    if (editable() && event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void TextView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!editable() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    m_dropCaret = positionAt(event->position());
    viewport()->update();
    event->acceptProposedAction();
}

void TextView::dragLeaveEvent(QDragLeaveEvent*)
{
    m_dropCaret = -1;
    viewport()->update();
}

void TextView::dropEvent(QDropEvent* event)
{
    m_dropCaret = -1;
    viewport()->update();
    if (!editable() || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    m_mouse->drop(event, positionAt(event->position()));
}
