#include "widgets/balloongeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace BalloonGeometry {

namespace {
constexpr int kMargin = 4;
constexpr int kTail = 12;

QRect textRectIn(const QRect& ellipse, QSize textSize)
{
    return QRect(ellipse.left() + (ellipse.width() - textSize.width()) / 2,
                 ellipse.top() + (ellipse.height() - textSize.height()) / 2, textSize.width(), textSize.height());
}
}

QSize ellipseSize(QSize textSize)
{
    // Through the corners of a w x h block the smallest ellipse has
    // semi-axes w / sqrt(2) and h / sqrt(2).
    const double w = std::max(0, textSize.width()) * std::sqrt(2.0);
    const double h = std::max(0, textSize.height()) * std::sqrt(2.0);
    return {static_cast<int>(std::ceil(w)) + 2 * kMargin, static_cast<int>(std::ceil(h)) + 2 * kMargin};
}

Layout besidePointer(QSize textSize, QPoint pointer, const QRect& screen)
{
    const QSize e = ellipseSize(textSize);
    const QSize total(e.width() + kTail, e.height() + kTail);
    // Above-left unless there is no room there.
    const bool right = screen.isValid() && pointer.x() - total.width() < screen.left();
    const bool below = screen.isValid() && pointer.y() - total.height() < screen.top();

    Layout out;
    const int wx = right ? pointer.x() : pointer.x() - total.width() + 1;
    const int wy = below ? pointer.y() : pointer.y() - total.height() + 1;
    out.window = QRect(QPoint(wx, wy), total);
    out.ellipse = QRect(QPoint(right ? kTail : 0, below ? kTail : 0), e);

    // The tail leaves the ellipse at its corner towards the pointer.
    const QPoint tip = pointer - out.window.topLeft();
    const QPointF c = QRectF(out.ellipse).center();
    const double a = e.width() / 2.0;
    const double b = e.height() / 2.0;
    const double sx = right ? -1.0 : 1.0;
    const double sy = below ? -1.0 : 1.0;
    const auto onEllipse = [&](double degrees) {
        const double t = degrees * std::numbers::pi / 180.0;
        return QPoint(static_cast<int>(std::lround(c.x() + sx * a * std::cos(t))),
                      static_cast<int>(std::lround(c.y() + sy * b * std::sin(t))));
    };
    out.tail << onEllipse(25) << tip << onEllipse(55);
    out.text = textRectIn(out.ellipse, textSize);
    return out;
}

Layout atPoint(QSize textSize, QPoint topLeft, const QRect& screen)
{
    const QSize e = ellipseSize(textSize);
    QPoint origin = topLeft;
    if (screen.isValid()) {
        origin.setX(std::clamp(origin.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - e.width())));
        origin.setY(std::clamp(origin.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - e.height())));
    }
    Layout out;
    out.window = QRect(origin, e);
    out.ellipse = QRect(QPoint(0, 0), e);
    out.text = textRectIn(out.ellipse, textSize);
    return out;
}

}
