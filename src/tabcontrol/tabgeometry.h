#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

// The geometry of the coloured-tab page control, kept apart from any widget
// so that it can be checked on its own. Rectangles follow QRect's
// left/top/width/height; "bottom + 1" below means top + height.
namespace TabGeometry {

enum class Side { Left, Right, Top, Bottom };
enum class Style { Default, Button };
// The caption alignments a tab may ask for (left, right, centred).
enum class Align { Left = 0, Right = 1, Center = 2 };
enum class GlyphPos { Left, Top };

constexpr bool isVertical(Side side) { return side == Side::Left || side == Side::Right; }

// The rectangle the tab strip hands over when it asks for the selected tab
// to be drawn: the selected tab stands out 2 pixels on every side, so it
// covers the pane's border next to it and joins the page.
QRect selectedItemRect(const QRect& tabRect, Side side);

// Background and content rectangles of one tab. itemRect is the rectangle of
// the draw request, tabRect the strip's own rectangle of the tab.
struct TabRects {
    QRect fg;
    QRect bg;
};
TabRects tabDrawRects(bool selected, Style style, Side side, const QRect& itemRect, const QRect& tabRect);

// Where a caption goes inside a tab rectangle. measure gives the caption's
// size when laid out in a box of the given size (word-wrapped or on one
// line); it is asked once.
struct CaptionLayout {
    QRect textRect;  // where the caption is drawn
    QPoint textPos;  // start of the caption's block, minus the offset
};
CaptionLayout layoutCaption(const QRect& rect, QPoint offset, Align align,
                            const std::function<QSize(QSize box)>& measure);

// How the content of one tab asks for its caption, and where its glyph goes.
enum class ContentKind { NoGlyph, DisabledWithGlyph, GlyphLeft, GlyphTop };
ContentKind contentKind(bool hasGlyphBitmap, bool disabled, GlyphPos glyphPos);

struct CaptionRequest {
    QPoint offset;
    Align align;
};
CaptionRequest captionRequest(ContentKind kind, Side side, QSize imageSize, int spacing);

// The glyph's top-left corner; textPos is what the caption's layout returned.
QPoint glyphPosition(ContentKind kind, Side side, const QRect& fg, QSize imageSize, QPoint textPos);

// Size of each image cut from a strip of numGlyphs equal images; an invalid
// size when the strip gives no image (no glyphs, empty strip, or a strip
// narrower than its number of glyphs).
QSize glyphImageSize(QSize stripSize, int numGlyphs);

// The area filled with the page colour: the display rectangle moved 2 pixels
// on the tab side, then enlarged by 4 on every side.
QRect pageAreaRect(const QRect& displayRect, Side side);

// Placement of the strip, the pane (with its border) and the display
// rectangle the pages get, inside the control's client rectangle.
struct StripLayout {
    QRect strip;
    QRect pane;
    QRect display;
};
StripLayout layoutStrip(const QRect& client, Side side, QSize stripHint);

// The strip's item size (width, height as it takes them): for tabs on top or
// bottom the tab width and height, for side tabs the two swapped.
struct ItemSize {
    int width = 0;
    int height = 0;
};
ItemSize platformItemSize(Side side, int tabWidth, int tabHeight);

// The size a tab takes on screen, from the strip's item size (0 = automatic)
// and the automatic size of its caption (and glyph). Side tabs keep their
// caption horizontal: their width is the item height and their height the
// item width.
QSize screenTabSize(Side side, ItemSize item, QSize automatic);

// The automatic size of a tab: its caption, plus room for a glyph when the
// strip has an image list (imageSize valid): beside the caption, or above
// it (with the spacing between) when the glyphs go on top.
QSize automaticTabSize(QSize captionSize, QSize imageSize, GlyphPos glyphPos = GlyphPos::Left, int spacing = 0);

// The tab sizes after the tabs move from one side to another: turning from
// top/bottom to a side makes a zero height 35 and a zero width 70.
struct TabSizes {
    int tabHeight = 0;
    int tabWidth = 0;
};
TabSizes sizesAfterMove(Side from, Side to, TabSizes sizes);

// The active tab font is used for the strip unless the inactive one is wider
// (widths of "W").
constexpr bool useActiveFont(int activeWidthOfW, int inactiveWidthOfW) { return activeWidthOfW >= inactiveWidthOfW; }

// Scales a size as the control scales with a change of resolution.
int scaled(int value, int multiplier, int divisor);

}
