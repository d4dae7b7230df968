#pragma once

#include "widgets/balloongeometry.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

// An elliptic hint balloon: the hint text on the tooltip colours inside an
// ellipse with a tail pointing at the mouse pointer. The window is shaped to
// the ellipse, so it needs no compositing window manager.
class THintBalloon : public QWidget {
    Q_OBJECT
public:
    explicit THintBalloon(QWidget* parent = nullptr);
    ~THintBalloon() override;

    // Above and to the left of the pointer (screen coordinates).
    void showBesidePointer(const QString& text, QPoint pointer);
    // With its top-left corner at a screen point.
    void showAt(const QString& text, QPoint topLeft);

    QString text() const { return m_text; }
    const BalloonGeometry::Layout& layout() const { return m_layout; }

    // How long a balloon stays up without a reason to go.
    static constexpr int kHidePauseMs = 5000;

    // Hides whichever balloon is showing.
    static void cancelHint();
    static THintBalloon* current();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place(const QString& text, const BalloonGeometry::Layout& layout);
    QSize textSize(const QString& text) const;

    QString m_text;
    BalloonGeometry::Layout m_layout;
    QTimer m_hideTimer;
};
