#include "widgets/label3d.h"

#include <QPainter>
#include <QStyle>

TLabel3D::TLabel3D(QWidget* parent) : QLabel(parent) {}

TLabel3D::TLabel3D(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void TLabel3D::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = contentsRect();
    if (m_lowered) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(rect().topLeft(), rect().topRight());
        p.drawLine(rect().topLeft(), rect().bottomLeft());
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(rect().bottomLeft(), rect().bottomRight());
        p.drawLine(rect().topRight(), rect().bottomRight());
        r.adjust(2, 1, -2, -1);
    }
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width());
    const int flags = int(alignment()) | Qt::TextSingleLine;
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    if (m_style != Style::Flat) {
        const bool raised = m_style == Style::Raised;
        p.setPen(raised ? light : shadow);
        const int up = raised ? m_lightDepth : m_shadowDepth;
        p.drawText(r.translated(-up, -up), flags, shown);
        p.setPen(raised ? shadow : light);
        const int down = raised ? m_shadowDepth : m_lightDepth;
        p.drawText(r.translated(down, down), flags, shown);
    }
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(r, flags, shown);
}
