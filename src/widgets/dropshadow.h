#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

// The shadow a dialog casts below and to the right of its frame: a window
// of its own, shaped to the strip outside the dialog, showing a darkened
// copy of what lies beneath (a plain dark strip where the screen cannot be
// read). It follows the dialog and never takes input or focus.
class TDropShadow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDepth = 5;

    explicit TDropShadow(QWidget* owner);

    // The shadow's rectangle for a frame, and the part of it outside the frame.
    static QRect shadowRect(const QRect& frame);
    static QRegion shadowRegion(const QRect& frame);
    // How much a pixel at this distance from the frame's edge is darkened (0..255).
    static int darkness(int distance);

    // Places the shadow by the owner's current frame, reading afresh what lies beneath.
    void follow();

    static constexpr int kSettleMs = 100;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void grabBackground(const QRect& area);

    QPointer<QWidget> m_owner;
    // While the dialog is being moved the shadow waits, hidden, until it stops.
    QTimer m_settle;
    QRect m_frame;
    QImage m_background;
};
