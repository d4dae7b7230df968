#pragma once

#include <QColor>
#include <cstdint>

// Colours as the program stores and exchanges them: a signed 32-bit value,
// red + 256 * green + 65536 * blue for a plain colour, negative (high bit
// set) for a system colour whose low byte is the system colour index.
using TColor = std::int32_t;

namespace Colors {

constexpr TColor rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }
constexpr TColor systemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

constexpr TColor clBlack = rgb(0, 0, 0);
constexpr TColor clWhite = rgb(255, 255, 255);
constexpr TColor clWindow = systemColor(5);
constexpr TColor clWindowText = systemColor(8);
constexpr TColor clHighlight = systemColor(13);
constexpr TColor clHighlightText = systemColor(14);
constexpr TColor clBtnFace = systemColor(15);
constexpr TColor clBtnShadow = systemColor(16);
constexpr TColor clGrayText = systemColor(17);
constexpr TColor clBtnText = systemColor(18);
constexpr TColor clBtnHighlight = systemColor(20);
constexpr TColor clInfoText = systemColor(23);
constexpr TColor clInfoBk = systemColor(24);

constexpr bool isSystemColor(TColor c) { return c < 0; }

// The colour to paint with: plain colours as given, system colours from the
// application palette.
QColor toQColor(TColor color);

// A plain colour value of a QColor (alpha ignored).
TColor fromQColor(const QColor& color);

}
