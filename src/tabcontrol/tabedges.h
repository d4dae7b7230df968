#pragma once

#include "tabcontrol/tabgeometry.h"

class QPainter;
class QPalette;
class QRect;

// The 3-D edges the coloured-tab page control draws, in the palette's
// light, midlight, dark and shadow colours.
namespace TabEdges {

// The raised edges of a tab, open on the side that joins the pane.
void drawTab(QPainter& p, const QRect& r, TabGeometry::Side side, const QPalette& pal);
// A push-button bevel: raised, or sunken for the pressed (selected) one.
void drawButton(QPainter& p, const QRect& r, bool sunken, const QPalette& pal);
// The pane's raised border, two pixels wide.
void drawPaneBorder(QPainter& p, const QRect& r, const QPalette& pal);

}
