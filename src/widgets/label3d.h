#pragma once

#include <QColor>
#include <QLabel>

class QPainter;

// Three-dimensional text: raised text has a light edge above-left and a
// shadow below-right, sunken text the reverse. The depths are the offsets
// of light and shadow in pixels; an arched shape bends the letters along a
// curve.
struct Text3D {
    enum class Style { Flat, Raised, Sunken };
    enum class Shape { Straight, Arch };

    Style style = Style::Raised;
    int lightDepth = 1;
    int shadowDepth = 1;
    QColor light;   // invalid: the palette's light colour
    QColor shadow;  // invalid: the palette's dark colour
    QColor face;    // invalid: the palette's text colour
    Shape shape = Shape::Straight;
    // How far the middle of an arch rises, as a share of the text height.
    double arch = 0.35;

    // The size text of the given size takes once light and shadow are added.
    QSize extent(QSize textSize) const;
    // Offsets of the light and the shadow copies.
    QPoint lightOffset() const;
    QPoint shadowOffset() const;
};

// Draws text in rect (with Qt alignment flags) in three dimensions.
void drawText3D(QPainter& p, const QRect& rect, int flags, const QString& text, const Text3D& look,
                const QPalette& palette, bool enabled = true);

// A label whose text is drawn in three dimensions; optionally with a single
// lowered bevel round it.
class TLabel3D : public QLabel {
    Q_OBJECT
public:
    using Style = Text3D::Style;
    using Shape = Text3D::Shape;

    explicit TLabel3D(QWidget* parent = nullptr);
    TLabel3D(const QString& text, QWidget* parent = nullptr);

    void setTextStyle(Style style);
    Style textStyle() const { return m_look.style; }
    void setDepth(int shadowDepth, int lightDepth);
    int shadowDepth() const { return m_look.shadowDepth; }
    int lightDepth() const { return m_look.lightDepth; }
    void setLightColor(const QColor& color);
    void setShadowColor(const QColor& color);
    void setFaceColor(const QColor& color);
    void setShape(Shape shape, double arch = 0.35);
    const Text3D& look() const { return m_look; }
    // A single lowered bevel round the label.
    void setLoweredBevel(bool on);

    // Sizes the label to its text, light and shadow included.
    void fitToText();
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Text3D m_look;
    bool m_lowered = false;
};
