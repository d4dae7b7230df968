#include "widgets/panel.h"

#include "widgets/frame3d.h"

#include <QPainter>
#include <QSplitter>

TPanel::TPanel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
    applyMargins();
}

void TPanel::setBevels(Bevel outer, Bevel inner, int bevelWidth)
{
    m_outer = outer;
    m_inner = inner;
    m_bevelWidth = std::max(1, bevelWidth);
    applyMargins();
    update();
}

int TPanel::bevelExtent() const
{
    return (m_outer != Bevel::None ? m_bevelWidth : 0) + (m_inner != Bevel::None ? m_bevelWidth : 0);
}

void TPanel::applyMargins()
{
    const int m = bevelExtent();
    setContentsMargins(m, m, m, m);
}

int TPanel::panelWidth() const
{
    return m_width >= 0 ? m_width : width();
}

void TPanel::setPanelWidth(int w)
{
    if (w < 0)
        return;
    m_width = w;
    if (auto* splitter = qobject_cast<QSplitter*>(parentWidget()))
        applyWidthToSplitter(splitter);
    else
        resize(w, height());
}

void TPanel::applyWidthToSplitter(QSplitter* splitter)
{
    const int index = splitter->indexOf(this);
    if (index < 0 || isHidden())
        return;
    QList<int> sizes = splitter->sizes();
    int total = 0;
    for (int s : sizes)
        total += s;
    if (total <= 0) {
        // Not laid out yet: the rest is shared by the others at show time.
        sizes.fill(0);
        sizes[index] = m_width;
        for (int i = 0; i < sizes.size(); ++i)
            if (i != index)
                sizes[i] = 10000;
    } else {
        const int delta = m_width - sizes[index];
        sizes[index] = m_width;
        const int other = index + 1 < sizes.size() ? index + 1 : index - 1;
        if (other >= 0)
            sizes[other] = std::max(0, sizes[other] - delta);
    }
    splitter->setSizes(sizes);
}

void TPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    if (isVisible())
        m_width = width();
}

void TPanel::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (m_width >= 0)
        if (auto* splitter = qobject_cast<QSplitter*>(parentWidget()))
            if (splitter->sizes().value(splitter->indexOf(this)) != m_width)
                applyWidthToSplitter(splitter);
}

namespace {
void drawBevel(QPainter& p, QRect r, TPanel::Bevel bevel, int width, const QPalette& pal)
{
    if (bevel == TPanel::Bevel::None)
        return;
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    const QColor topLeft = bevel == TPanel::Bevel::Raised ? light : dark;
    const QColor bottomRight = bevel == TPanel::Bevel::Raised ? dark : light;
    for (int i = 0; i < width; ++i) {
        drawFrame3D(p, r, topLeft, bottomRight);
        r.adjust(1, 1, -1, -1);
    }
}
}

void TPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    QRect r = rect();
    drawBevel(p, r, m_outer, m_bevelWidth, palette());
    if (m_outer != Bevel::None)
        r.adjust(m_bevelWidth, m_bevelWidth, -m_bevelWidth, -m_bevelWidth);
    drawBevel(p, r, m_inner, m_bevelWidth, palette());
}
