#include "widgets/label3d.h"

#include "widgets/frame3d.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

QSize Text3D::extent(QSize textSize) const
{
    if (style == Style::Flat)
        return textSize;
    return textSize + QSize(lightDepth + shadowDepth, lightDepth + shadowDepth);
}

QPoint Text3D::lightOffset() const
{
    return style == Style::Raised ? QPoint(-lightDepth, -lightDepth) : QPoint(lightDepth, lightDepth);
}

QPoint Text3D::shadowOffset() const
{
    return style == Style::Raised ? QPoint(shadowDepth, shadowDepth) : QPoint(-shadowDepth, -shadowDepth);
}

namespace {

// The text as an outline bent along an arch: the middle rises, the ends
// stay on the baseline.
QPainterPath archedText(const QRect& rect, int flags, const QString& text, const QFont& font, double arch)
{
    const QFontMetrics fm(font);
    const QRect bounds = fm.boundingRect(rect, flags, text);
    QPainterPath path;
    path.addText(QPointF(bounds.left(), bounds.top() + fm.ascent()), font, text);
    // Letters that do not fit the box are narrowed to it.
    const double squeeze = bounds.width() > rect.width() && bounds.width() > 0
                               ? double(rect.width()) / bounds.width()
                               : 1.0;
    if (squeeze < 1.0) {
        const double x0 = rect.left() + (rect.width() - bounds.width() * squeeze) / 2;
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            path.setElementPositionAt(i, x0 + (e.x - bounds.left()) * squeeze, e.y);
        }
    }
    const QRectF shaped = path.boundingRect();
    const double rise = arch * fm.height();
    const double cx = shaped.center().x();
    const double half = std::max(1.0, shaped.width() / 2.0);
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const double u = (e.x - cx) / half;
        path.setElementPositionAt(i, e.x, e.y - rise * (1.0 - u * u) + rise / 2);
    }
    return path;
}

}

void drawText3D(QPainter& p, const QRect& rect, int flags, const QString& text, const Text3D& look,
                const QPalette& palette, bool enabled)
{
    const QColor light = look.light.isValid() ? look.light : palette.color(QPalette::Light);
    const QColor shadow = look.shadow.isValid() ? look.shadow : palette.color(QPalette::Dark);
    const QColor face = look.face.isValid()
                            ? look.face
                            : palette.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    // The copies lie inside rect: the face is inset by their offsets.
    QRect box = rect;
    if (look.style == Text3D::Style::Raised)
        box.adjust(look.lightDepth, look.lightDepth, -look.shadowDepth, -look.shadowDepth);
    else if (look.style == Text3D::Style::Sunken)
        box.adjust(look.shadowDepth, look.shadowDepth, -look.lightDepth, -look.lightDepth);

    p.save();
    if (look.shape == Text3D::Shape::Arch) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        const QPainterPath path = archedText(box, flags, text, p.font(), look.arch);
        if (look.style != Text3D::Style::Flat) {
            p.setBrush(light);
            p.drawPath(path.translated(look.lightOffset()));
            p.setBrush(shadow);
            p.drawPath(path.translated(look.shadowOffset()));
        }
        p.setBrush(face);
        p.drawPath(path);
    } else {
        if (look.style != Text3D::Style::Flat) {
            p.setPen(light);
            p.drawText(box.translated(look.lightOffset()), flags, text);
            p.setPen(shadow);
            p.drawText(box.translated(look.shadowOffset()), flags, text);
        }
        p.setPen(face);
        p.drawText(box, flags, text);
    }
    p.restore();
}

TLabel3D::TLabel3D(QWidget* parent) : QLabel(parent) {}

TLabel3D::TLabel3D(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void TLabel3D::setTextStyle(Style style)
{
    m_look.style = style;
    updateGeometry();
    update();
}

void TLabel3D::setDepth(int shadowDepth, int lightDepth)
{
    m_look.shadowDepth = std::max(0, shadowDepth);
    m_look.lightDepth = std::max(0, lightDepth);
    updateGeometry();
    update();
}

void TLabel3D::setLightColor(const QColor& color)
{
    m_look.light = color;
    update();
}

void TLabel3D::setShadowColor(const QColor& color)
{
    m_look.shadow = color;
    update();
}

void TLabel3D::setFaceColor(const QColor& color)
{
    m_look.face = color;
    update();
}

void TLabel3D::setShape(Shape shape, double arch)
{
    m_look.shape = shape;
    m_look.arch = arch;
    updateGeometry();
    update();
}

void TLabel3D::setLoweredBevel(bool on)
{
    m_lowered = on;
    update();
}

QSize TLabel3D::sizeHint() const
{
    const QFontMetrics fm(font());
    QSize text = fm.size(0, this->text());
    if (m_look.shape == Shape::Arch)
        text.rheight() += static_cast<int>(m_look.arch * fm.height() + 1);
    const QSize bevel = m_lowered ? QSize(4, 2) : QSize();
    return m_look.extent(text) + bevel;
}

QSize TLabel3D::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void TLabel3D::fitToText()
{
    resize(sizeHint());
}

void TLabel3D::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = contentsRect();
    if (m_lowered) {
        drawFrame3D(p, rect(), palette().color(QPalette::Dark), palette().color(QPalette::Light));
        r.adjust(2, 1, -2, -1);
    }
    const int room = m_look.style == Style::Flat ? 0 : m_look.lightDepth + m_look.shadowDepth;
    const QString shown = m_look.shape == Shape::Straight && !text().contains(QLatin1Char('\n'))
                              ? fontMetrics().elidedText(text(), Qt::ElideMiddle, std::max(0, r.width() - room))
                              : text();
    int flags = int(alignment());
    if (!shown.contains(QLatin1Char('\n')))
        flags |= Qt::TextSingleLine;
    p.setFont(font());
    drawText3D(p, r, flags, shown, m_look, palette(), isEnabled());
}
