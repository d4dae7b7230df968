#pragma once

#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QSize>

// Shape and placement of an elliptic hint balloon.
namespace BalloonGeometry {

struct Layout {
    QRect window;   // on screen
    QRect ellipse;  // inside the window
    QPolygon tail;  // inside the window; empty when the balloon has no tail
    QRect text;     // inside the window
};

// The ellipse round a block of text: the smallest ellipse through the
// corners of the text block, plus a margin.
QSize ellipseSize(QSize textSize);

// A balloon above and to the left of the pointer, its tail pointing at it.
// It turns to the right of, or below, the pointer where the screen has no
// room on that side.
Layout besidePointer(QSize textSize, QPoint pointer, const QRect& screen);

// A balloon whose top-left corner is at the given point, without a tail,
// kept on the screen.
Layout atPoint(QSize textSize, QPoint topLeft, const QRect& screen);

}
