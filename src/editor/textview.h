#pragma once

#include "editor/caretmotion.h"
#include "editor/linelayouts.h"
#include "text/textstore.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPointer>

#include <functional>
#include <memory>

class QMimeData;
class TextViewInput;
class TextViewMouse;

// A plain-text view and editor over a TextStore: only the rows on screen
// are laid out, so any file the store holds shows and edits at once.
//
// Positions are the store's (UTF-16 units, a line break counting one). The
// view scrolls by rows: its top is always the start of a row, kept as a
// position, so that edits above it and changes of width keep what the user
// sees. The vertical scroll bar counts positions: a line of megabytes takes
// the room its text does.
class TextView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TextView(QWidget* parent = nullptr);
    ~TextView() override;

    const TextStore& store() const { return m_store; }
    qint64 length() const { return m_store.length(); }
    QString text() const { return m_store.text(); }
    // The whole text replaced, as a load: no undo, caret and view at the
    // start.
    void setText(QStringView text);

    // Loading in the background: the text grows at its end while the user
    // reads; an edit, the user's or the program's, first waits for the rest
    // (finishNow), so that nothing typed is lost or lands in a text that is
    // not whole.
    void beginLoading(TextBytes::Break style, std::function<void()> finishNow);
    void appendLoaded(std::vector<TextChunk> chunks);
    // The text loaded so far goes, and the load goes on from nothing (the
    // file is read again another way); no change is told.
    void restartLoading()
    {
        resetText({});
        Q_EMIT selectionChanged();
    }
    // The style a typed line break takes (the file's first break's).
    void setBreakStyle(TextBytes::Break style) { m_store.setBreakStyle(style); }
    // Fraction read so far, shown as a thin bar at the foot of the view.
    void setLoadProgress(qreal fraction);
    void finishLoading();
    bool isLoading() const { return m_loading; }
    // Waits until the whole file is in (with the busy cursor).
    void waitUntilLoaded();

    // The selection runs from the anchor to the caret.
    qint64 anchorPosition() const { return m_anchor; }
    qint64 caretPosition() const { return m_caret; }
    qint64 selectionStart() const { return std::min(m_anchor, m_caret); }
    qint64 selectionEnd() const { return std::max(m_anchor, m_caret); }
    bool hasSelection() const { return m_anchor != m_caret; }
    void setSelection(qint64 anchor, qint64 caret);
    void setCaret(qint64 position) { setSelection(position, position); }
    QString selectedText() const;
    void selectAll();

    // Edits, each one undo step unless part of a run of typing or deleting,
    // or made inside a group.
    void replaceRange(qint64 position, qint64 count, QStringView text, EditKind kind = EditKind::Other);
    void replaceSelection(QStringView text, EditKind kind = EditKind::Other);
    void beginEditGroup();
    void endEditGroup();
    void undo();
    void redo();
    bool isUndoAvailable() const { return m_store.canUndo(); }
    bool isRedoAvailable() const { return m_store.canRedo(); }
    void cut();
    void copy();
    void paste();
    void deleteSelection();

    bool overwriteMode() const { return m_overwrite; }
    void setOverwriteMode(bool on);
    bool isReadOnly() const { return m_readOnly; }
    // Whether the user may change the text (not read-only). While a load
    // runs, an edit waits for its end.
    bool editable() const { return !m_readOnly; }
    void setReadOnly(bool on) { m_readOnly = on; }
    qreal tabStopDistance() const { return m_tabStopDistance; }
    void setTabStopDistance(qreal distance);

    // The view.
    qint64 firstVisibleLine() const { return m_store.lineOfPosition(m_top); }
    qint64 topPosition() const { return m_top; }
    // Rows that fit: the view's height over the font's height.
    int visibleRowCount() const;
    void scrollByRows(int rows);
    // The line's first row at the top, or as near as the end of the text
    // allows (the last row never climbs above the foot of the view).
    void scrollToLine(qint64 line);
    // The row holding position at the top, as near as the end allows.
    void scrollToPosition(qint64 position) { setTop(position); }
    void ensureCaretVisible();
    // In viewport coordinates; a position off the view gives a rectangle
    // off it too.
    QRect cursorRect(qint64 position);
    QRect cursorRect() { return cursorRect(m_caret); }
    qint64 positionAt(QPointF viewportPoint);

    static constexpr int Margin = 4;

Q_SIGNALS:
    // The text changed: an edit, an undo, a load (not the growth of a text
    // being read).
    void textChanged();
    // After every change of the text except a whole load, in positions of
    // the text before it.
    void contentsEdited(int position, int charsRemoved, const QString& inserted);
    void selectionChanged();
    void scrolledVertically();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void scrollContentsBy(int, int) override {}

    // What the clipboard and a drag get, and what a paste or a drop puts in.
    virtual QMimeData* createMimeDataFromSelection() const;
    virtual void insertFromMimeData(const QMimeData* source);

    CaretMotion& motion() { return m_motion; }
    LineLayouts& layouts() { return m_layouts; }
    // Moves the caret as a key does: with extend, the anchor stays.
    void moveCaret(qint64 position, bool extend, bool keepColumn = false);
    void typeText(const QString& text);
    // A key that changes the text waits for a load still running (keys
    // reach the view's handlers only after this).
    void waitIfKeyEdits(const QKeyEvent* event);

private:
    friend class TextViewInput;
    friend class TextViewMouse;
    friend class TextViewAccessible;

    void resetText(QStringView text);
    void deleteBackward(bool word);
    void deleteForward(bool word);
    void undoOrRedo(bool redo);
    void applied(const TextStore::Change& change);
    void afterEdit(qint64 caret);
    void setTop(qint64 position);
    qint64 lastTop();
    qint64 rowStartAt(qint64 position) { return m_layouts.rowStart(m_layouts.rowOf(position)); }
    qreal rowY(const LineLayouts::Row& row);
    void updateScrollBar();
    void scrollBarAction(int action);
    void scrollBarMoved(int value);
    void relayoutWidth();
    void restartBlink();
    void paintSegment(QPainter& painter, const LineLayouts::Row& row, qreal y, const QRect& clip);
    void paintLoadProgress(QPainter& painter);
    void selectionMoved(qint64 oldAnchor, qint64 oldCaret);
    // The selection offered as X11's primary selection, read only when pasted.
    void offerPrimarySelection();
    QColor color(QPalette::ColorRole role) const;

    TextStore m_store;
    LineLayouts m_layouts;
    CaretMotion m_motion;
    std::unique_ptr<TextViewMouse> m_mouse;
    std::unique_ptr<TextViewInput> m_input;

    qint64 m_anchor = 0;
    qint64 m_caret = 0;
    qint64 m_top = 0;
    qint64 m_lastTop = -1; // worked out again when -1
    qint64 m_lastTopLine = 0; // where the line holding m_lastTop starts
    qreal m_desiredX = -1; // the column kept by Up and Down
    bool m_overwrite = false;
    bool m_readOnly = false;
    bool m_loading = false;
    bool m_caretShown = false;
    bool m_updatingScrollBar = false;
    bool m_editing = false;
    qreal m_loadProgress = -1;
    qreal m_tabStopDistance = 80;
    std::function<void()> m_finishLoading;
    QBasicTimer m_blink;
    QString m_preedit;
    qint64 m_dropCaret = -1;
};
