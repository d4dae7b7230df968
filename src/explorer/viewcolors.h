#pragma once

#include "platform/colors.h"

class QWidget;

// The background and text colours of an explorer view. The selection keeps
// its active colours when the view has no focus, so it stays as visible.
void applyViewColors(QWidget* view, TColor background, TColor text);
