#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QPointF>

class QContextMenuEvent;
class QDropEvent;
class QMouseEvent;
class TextView;

// What the mouse does in a TextView: a click places the caret, Shift+click
// extends the selection, a drag selects (by words after a double click, by
// lines after a triple click) and scrolls when it leaves the view, a drag
// from inside the selection carries its text away, the middle button
// pastes the primary selection, the right one opens the context menu.
class TextViewMouse : public QObject {
public:
    explicit TextViewMouse(TextView& view) : m_view(view) {}

    void press(QMouseEvent* event);
    void move(QMouseEvent* event);
    void release(QMouseEvent* event);
    void doubleClick(QMouseEvent* event);
    // Text dropped at position: moved when it comes from this view's own
    // selection, copied otherwise; it ends selected.
    void drop(QDropEvent* event, qint64 position);
    void contextMenu(QContextMenuEvent* event);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    enum class Unit { Character, Word, Line };

    void extendTo(qint64 position);
    void startDrag();
    void autoScroll(QPointF point);

    TextView& m_view;
    Unit m_unit = Unit::Character;
    qint64 m_originStart = 0; // the word or line first clicked
    qint64 m_originEnd = 0;
    bool m_selecting = false;
    bool m_mayDrag = false;
    QPointF m_pressPoint;
    QPointF m_lastPoint;
    QBasicTimer m_scrollTimer;
    QElapsedTimer m_sinceDoubleClick;
};
