#pragma once

#include <QAbstractButton>
#include <QIcon>

// A flat button with a glyph and a caption: no frame until the pointer is
// over it, then a raised edge; sunken while pressed. It never takes the
// keyboard focus, so it stays out of the tab order.
class TFlatButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit TFlatButton(const QString& caption, QWidget* parent = nullptr);

    // The picture drawn left of the caption, at its own size.
    void setGlyph(const QIcon& glyph, QSize size);
    QSize glyphSize() const { return m_glyphSize; }
    bool hasGlyph() const { return !m_glyph.isNull(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Spacing between glyph and caption.
    static constexpr int Spacing = 4;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    QIcon m_glyph;
    QSize m_glyphSize;
};
