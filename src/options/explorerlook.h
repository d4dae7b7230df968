#pragma once

#include "platform/colors.h"

#include <QString>

class QObject;

// Colours and font of the explorer's views as the Options dialog sets them.
// A view that has the "Color" (TColor) and "Font" (TFont*) properties takes
// the values there; any other widget (such as a page standing in for a view)
// takes them in its palette and font.
namespace ExplorerLook {

void setBackgroundColor(QObject* view, TColor color);
void setFontColor(QObject* view, TColor color);
// An empty name leaves the font as it is.
void setFontName(QObject* view, const QString& name);

}
