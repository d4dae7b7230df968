#include "tabcontrol/tabedges.h"

#include "widgets/frame3d.h"

#include <QPainter>
#include <QPalette>

namespace TabEdges {

using TabGeometry::Side;

void drawTab(QPainter& p, const QRect& r, Side side, const QPalette& pal)
{
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);
    const QColor shadow = pal.color(QPalette::Shadow);
    const int l = r.left();
    const int t = r.top();
    const int rt = r.right();
    const int b = r.bottom();
    const auto line = [&p](const QColor& c, int x1, int y1, int x2, int y2) {
        p.setPen(c);
        p.drawLine(x1, y1, x2, y2);
    };
    switch (side) {
    case Side::Top:
        line(light, l, t + 2, l, b);
        line(light, l + 2, t, rt - 2, t);
        line(light, l + 1, t + 1, l + 1, t + 1);
        line(dark, rt - 1, t + 1, rt - 1, b);
        line(shadow, rt, t + 2, rt, b);
        break;
    case Side::Bottom:
        line(light, l, t, l, b - 2);
        line(shadow, l + 2, b, rt - 2, b);
        line(dark, l + 1, b - 1, rt - 1, b - 1);
        line(dark, rt - 1, t, rt - 1, b - 1);
        line(shadow, rt, t, rt, b - 2);
        break;
    case Side::Left:
        line(light, l + 2, t, rt, t);
        line(light, l, t + 2, l, b - 2);
        line(light, l + 1, t + 1, l + 1, t + 1);
        line(dark, l + 1, b - 1, rt, b - 1);
        line(shadow, l + 2, b, rt, b);
        break;
    case Side::Right:
        line(light, l, t, rt - 2, t);
        line(dark, rt - 1, t + 1, rt - 1, b - 1);
        line(shadow, rt, t + 2, rt, b - 2);
        line(dark, l, b - 1, rt - 1, b - 1);
        line(shadow, l, b, rt - 2, b);
        break;
    }
}

void drawButton(QPainter& p, const QRect& r, bool sunken, const QPalette& pal)
{
    drawFrame3D(p, r, pal.color(sunken ? QPalette::Shadow : QPalette::Light),
                pal.color(sunken ? QPalette::Light : QPalette::Shadow));
}

void drawPaneBorder(QPainter& p, const QRect& r, const QPalette& pal)
{
    if (r.width() < 4 || r.height() < 4)
        return;
    drawFrame3D(p, r, pal.color(QPalette::Light), pal.color(QPalette::Shadow));
    drawFrame3D(p, r.adjusted(1, 1, -1, -1), pal.color(QPalette::Midlight), pal.color(QPalette::Dark));
}

}
