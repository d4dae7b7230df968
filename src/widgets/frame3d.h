#pragma once

class QColor;
class QPainter;
class QRect;

// A one-pixel 3-D edge on the lines of r: topLeft on the top and left lines,
// bottomRight on the bottom and right ones (drawn last, so they take the
// corners they share). Raised with a light topLeft, sunken with a dark one.
void drawFrame3D(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight);
