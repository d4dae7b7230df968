#include "explorer/viewcolors.h"

#include <QPalette>
#include <QWidget>

void applyViewColors(QWidget* view, TColor background, TColor text)
{
    QPalette pal = view->palette();
    pal.setColor(QPalette::Base, Colors::toQColor(background));
    pal.setColor(QPalette::Text, Colors::toQColor(text));
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    view->setPalette(pal);
}
