#include "widgets/flatbutton.h"

#include "widgets/frame3d.h"

#include <QEvent>
#include <QPainter>

TFlatButton::TFlatButton(const QString& caption, QWidget* parent) : QAbstractButton(parent)
{
    setText(caption);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void TFlatButton::setGlyph(const QIcon& glyph, QSize size)
{
    m_glyph = glyph;
    m_glyphSize = glyph.isNull() ? QSize() : size;
    updateGeometry();
    update();
}

QSize TFlatButton::sizeHint() const
{
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    int width = textSize.width() + 8;
    int height = textSize.height() + 6;
    if (hasGlyph()) {
        width += m_glyphSize.width() + (text().isEmpty() ? 0 : Spacing);
        height = std::max(height, m_glyphSize.height() + 2);
    }
    return {width, height};
}

QSize TFlatButton::minimumSizeHint() const { return sizeHint(); }

bool TFlatButton::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::EnabledChange:
        update();
        break;
    default:
        break;
    }
    return QAbstractButton::event(event);
}

void TFlatButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QPalette& pal = palette();
    const bool enabled = isEnabled();
    const bool sunken = enabled && (isDown() || isChecked());
    const bool raised = enabled && !sunken && underMouse();

    const QRect frame = rect().adjusted(0, 0, -1, -1);
    if (sunken || raised)
        drawFrame3D(p, frame, pal.color(sunken ? QPalette::Dark : QPalette::Light),
                    pal.color(sunken ? QPalette::Light : QPalette::Dark));

    // Glyph and caption are centred together; pressing shifts them by one pixel.
    const QSize textSize = fontMetrics().size(Qt::TextShowMnemonic, text());
    const int gap = hasGlyph() && !text().isEmpty() ? Spacing : 0;
    const int contentWidth = (hasGlyph() ? m_glyphSize.width() : 0) + gap + textSize.width();
    const int shift = sunken ? 1 : 0;
    int x = (width() - contentWidth) / 2 + shift;
    if (hasGlyph()) {
        const QRect glyphRect(QPoint(x, (height() - m_glyphSize.height()) / 2 + shift), m_glyphSize);
        m_glyph.paint(&p, glyphRect, Qt::AlignCenter, enabled ? QIcon::Normal : QIcon::Disabled);
        x += m_glyphSize.width() + gap;
    }
    const QRect textRect(x, shift, width() - x, height());
    p.setPen(pal.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, text());
}
