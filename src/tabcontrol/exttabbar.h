#pragma once

#include <QTabBar>

class TExtPageControl;

// The tab strip of a coloured-tab page control. It lays out and hit-tests
// the tabs and scrolls them when they do not fit; it paints nothing itself:
// the control paints the tabs and the background round them.
class TExtTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit TExtTabBar(TExtPageControl* control);

    // Lays the tabs out again after their sizes changed.
    void relayoutTabs();

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;
    void tabLayoutChange() override;

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    TExtPageControl* m_control;
};
