#pragma once

#include "widgets/label3d.h"

#include <QStringList>
#include <QWidget>

class TTickSource;

// A box whose lines of text scroll from its bottom to its top, one step per
// tick, a pass taking a fixed number of steps; after the last step the text
// starts again from the bottom, without end, until scrolling is switched
// off. The text is drawn in three dimensions.
class TScrollingText : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSteps = 60;
    static constexpr int kIntervalMs = 150;

    explicit TScrollingText(QWidget* parent = nullptr);

    void setLines(const QStringList& lines);
    QStringList lines() const { return m_lines; }
    void setBackground(const QColor& color);

    // Scrolling on or off; switching it on again goes on from the current step.
    void setScrolling(bool on);
    bool isScrolling() const;
    int step() const { return m_step; }
    // One step, as a tick does.
    void advance();

    // Test seam: replaces what drives the steps, a timer unless a test hands
    // in a source it ticks by hand (the control takes ownership).
    void setTickSource(TTickSource* source);
    TTickSource* tickSource() const { return m_ticks; }

    // Top of the text block at a step: the block enters at the bottom at
    // step 0 and has moved up by (box + text height) * step / steps.
    static int textTop(int step, int steps, int boxHeight, int textHeight);
    int textHeight() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QStringList m_lines;
    Text3D m_look;
    TTickSource* m_ticks = nullptr;
    int m_step = 0;
};
