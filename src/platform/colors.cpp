#include "platform/colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace Colors {

namespace {
QColor systemQColor(int index)
{
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case 0: return pal.color(QPalette::Button);            // scroll bar
    case 1: return pal.color(QPalette::Window);            // desktop
    case 2: return pal.color(QPalette::Highlight);         // active caption
    case 3: return pal.color(QPalette::Mid);               // inactive caption
    case 4: return pal.color(QPalette::Window);            // menu
    case 5: return pal.color(QPalette::Base);              // window
    case 6: return pal.color(QPalette::Shadow);            // window frame
    case 7: return pal.color(QPalette::WindowText);        // menu text
    case 8: return pal.color(QPalette::Text);              // window text
    case 9: return pal.color(QPalette::HighlightedText);   // caption text
    case 10: return pal.color(QPalette::Button);           // active border
    case 11: return pal.color(QPalette::Button);           // inactive border
    case 12: return pal.color(QPalette::Dark);             // application workspace
    case 13: return pal.color(QPalette::Highlight);
    case 14: return pal.color(QPalette::HighlightedText);
    case 15: return pal.color(QPalette::Button);           // button face
    case 16: return pal.color(QPalette::Dark);             // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::Text);
    case 18: return pal.color(QPalette::ButtonText);
    case 19: return pal.color(QPalette::Disabled, QPalette::WindowText);
    case 20: return pal.color(QPalette::Light);            // button highlight
    case 21: return pal.color(QPalette::Shadow);           // 3-D dark shadow
    case 22: return pal.color(QPalette::Midlight);         // 3-D light
    case 23: return pal.color(QPalette::ToolTipText);
    case 24: return pal.color(QPalette::ToolTipBase);
    default: return pal.color(QPalette::Window);
    }
}
}

QColor toQColor(TColor color)
{
    if (isSystemColor(color))
        return systemQColor(color & 0xFF);
    const auto v = static_cast<std::uint32_t>(color);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

TColor fromQColor(const QColor& color)
{
    return rgb(color.red(), color.green(), color.blue());
}

}
