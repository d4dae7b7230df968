#pragma once

#include <QFrame>

class QSplitter;

// A panel with the classic two bevels (outer and inner), each none, lowered
// or raised. Exposes "Width" and "Visible" under those names so a settings
// store can keep them; Visible is the panel's own flag, true even while its
// window is hidden.
class TPanel : public QFrame {
    Q_OBJECT
    Q_PROPERTY(int Width READ panelWidth WRITE setPanelWidth)
    Q_PROPERTY(bool Visible READ isVisibleFlag WRITE setVisible)

public:
    enum class Bevel { None, Lowered, Raised };

    explicit TPanel(QWidget* parent = nullptr);

    void setBevels(Bevel outer, Bevel inner, int bevelWidth = 1);
    Bevel bevelOuter() const { return m_outer; }
    Bevel bevelInner() const { return m_inner; }
    int bevelWidth() const { return m_bevelWidth; }

    // Width as laid out; while the panel is hidden, the width it had (or was given).
    int panelWidth() const;
    // Sets the width; inside a splitter the neighbour gives or takes the difference.
    void setPanelWidth(int width);
    bool isVisibleFlag() const { return !isHidden(); }

    // Extent of both bevels on each side; the layout margin of the contents.
    int bevelExtent() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyMargins();
    void applyWidthToSplitter(QSplitter* splitter);

    Bevel m_outer = Bevel::Raised;
    Bevel m_inner = Bevel::None;
    int m_bevelWidth = 1;
    int m_width = -1;
};
