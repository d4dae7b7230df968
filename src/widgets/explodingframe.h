#pragma once

#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <vector>

// The opening animation of a dialog: a series of outline rectangles that
// grow from the mouse pointer to the dialog's frame. It plays in a window of
// its own, shaped to one outline at a time, above the dialog, and never
// takes input or focus: the dialog works from the moment it shows.
class TExplodingFrame : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrames = 8;
    static constexpr int kFrameMs = 15;
    static constexpr int kLineWidth = 2;

    explicit TExplodingFrame(QWidget* owner);

    // The rectangles, first to last, from a point to the target frame.
    static std::vector<QRect> frames(QPoint from, const QRect& to, int count);

    // Starts the animation (screen coordinates); returns at once.
    void play(QPoint from, const QRect& to);
    void stopPlaying();
    bool isPlaying() const { return m_timer.isActive(); }
    // Frames still to show.
    int framesLeft() const { return static_cast<int>(m_frames.size()) - m_next; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void nextFrame();

    std::vector<QRect> m_frames;
    int m_next = 0;
    QTimer m_timer;
};
