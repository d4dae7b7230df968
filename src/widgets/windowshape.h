#pragma once

class QRegion;
class QWidget;

// Shapes a top-level window to a region where the window system can; the
// headless platforms used for tests and benchmarks cannot, and the window
// then keeps its rectangle.
void shapeWindow(QWidget* window, const QRegion& region);
