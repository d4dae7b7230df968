#pragma once

#include <QLabel>

// A label whose text is drawn with a three-dimensional effect: raised text
// has a light edge above-left and a shadow below-right, sunken text the
// reverse. Depth is the offset of light and shadow in pixels.
class TLabel3D : public QLabel {
    Q_OBJECT
public:
    enum class Style { Flat, Raised, Sunken };

    explicit TLabel3D(QWidget* parent = nullptr);
    TLabel3D(const QString& text, QWidget* parent = nullptr);

    void setTextStyle(Style style) { m_style = style; update(); }
    Style textStyle() const { return m_style; }
    void setDepth(int shadowDepth, int lightDepth) { m_shadowDepth = shadowDepth; m_lightDepth = lightDepth; update(); }
    // A single lowered bevel round the label.
    void setLoweredBevel(bool on) { m_lowered = on; update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Style m_style = Style::Raised;
    int m_shadowDepth = 1;
    int m_lightDepth = 1;
    bool m_lowered = false;
};
