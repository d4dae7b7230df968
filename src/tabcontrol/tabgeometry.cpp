#include "tabcontrol/tabgeometry.h"

#include <algorithm>
#include <cmath>

namespace TabGeometry {

namespace {
// Space between the strip and the control's outer edge, so the selected
// tab can stand out without leaving the control.
constexpr int kStripMargin = 2;
// The pane's border plus the gap between border and page.
constexpr int kDisplayInset = 4;
// Space round an automatically sized caption.
constexpr int kCaptionPadX = 6;
constexpr int kCaptionPadY = 3;
// Room between an image-list glyph and its caption in an automatic size.
constexpr int kGlyphRoom = 6;

int nonNegative(int v) { return std::max(0, v); }
}

QRect selectedItemRect(const QRect& tabRect, Side)
{
    return tabRect.adjusted(-2, -2, 2, 2);
}

TabRects tabDrawRects(bool selected, Style style, Side side, const QRect& itemRect, const QRect& tabRect)
{
    if (selected && style == Style::Default) {
        QPoint shift;
        switch (side) {
        case Side::Left: shift = {-2, 0}; break;
        case Side::Right: shift = {2, 0}; break;
        case Side::Top: shift = {0, -1}; break;
        case Side::Bottom: break;
        }
        return {tabRect.translated(shift), itemRect};
    }
    QPoint shift;
    if (style == Style::Default) {
        if (side == Side::Top)
            shift = {0, 1};
        else if (side == Side::Bottom)
            shift = {0, -2};
    }
    return {tabRect.translated(shift), tabRect};
}

CaptionLayout layoutCaption(const QRect& rect, QPoint offset, Align align,
                            const std::function<QSize(QSize box)>& measure)
{
    const QRect r = rect.adjusted(2, 2, -2, -2);
    QRect t = r;
    t.setLeft(r.left() + offset.x());
    t.setTop(r.top() + offset.y());

    QSize m = measure(QSize(nonNegative(t.width()), nonNegative(t.height())));
    if (m.height() > t.height())
        m.setHeight(t.height());
    const int dy = (t.height() - m.height()) / 2;
    if (dy >= 0)
        t.setTop(t.top() + dy);
    if (m.width() > t.width())
        m.setWidth(t.width());

    if (align == Align::Center) {
        const int left = r.left() + offset.x() + (r.width() - m.width() - offset.x()) / 2;
        t.moveLeft(left);
        t.setWidth(m.width());
    }
    return {t, QPoint(t.left() - offset.x(), t.top() - offset.y())};
}

ContentKind contentKind(bool hasGlyphBitmap, bool disabled, GlyphPos glyphPos)
{
    if (!hasGlyphBitmap)
        return ContentKind::NoGlyph;
    if (disabled)
        return ContentKind::DisabledWithGlyph;
    return glyphPos == GlyphPos::Left ? ContentKind::GlyphLeft : ContentKind::GlyphTop;
}

CaptionRequest captionRequest(ContentKind kind, Side side, QSize imageSize, int spacing)
{
    switch (kind) {
    case ContentKind::NoGlyph:
        if (isVertical(side))
            return {{8, 0}, Align::Left};
        return {{0, 0}, Align::Center};
    case ContentKind::DisabledWithGlyph:
        return {{0, 0}, Align::Center};
    case ContentKind::GlyphLeft:
        if (isVertical(side))
            return {{imageSize.width() + 8 + spacing, 0}, Align::Left};
        return {{imageSize.width() + spacing, 0}, Align::Center};
    case ContentKind::GlyphTop:
        return {{0, imageSize.height() + spacing}, Align::Center};
    }
    return {{0, 0}, Align::Center};
}

QPoint glyphPosition(ContentKind kind, Side side, const QRect& fg, QSize imageSize, QPoint textPos)
{
    switch (kind) {
    case ContentKind::GlyphLeft: {
        const int x = isVertical(side) ? fg.left() + 8 : textPos.x();
        return {x, fg.top() + (fg.height() - imageSize.height()) / 2};
    }
    case ContentKind::GlyphTop:
        return {fg.left() + (fg.width() - imageSize.width()) / 2, textPos.y()};
    case ContentKind::NoGlyph:
    case ContentKind::DisabledWithGlyph:
        break;
    }
    return textPos;
}

QSize glyphImageSize(QSize stripSize, int numGlyphs)
{
    if (numGlyphs <= 0 || stripSize.isEmpty())
        return {};
    const int w = stripSize.width() / numGlyphs;
    if (w <= 0)
        return {};
    return {w, stripSize.height()};
}

QRect pageAreaRect(const QRect& displayRect, Side side)
{
    QRect r = displayRect;
    switch (side) {
    case Side::Left: r.setLeft(r.left() + 2); break;
    case Side::Right: r.setRight(r.right() - 2); break;
    case Side::Top: r.setTop(r.top() + 2); break;
    case Side::Bottom: r.setBottom(r.bottom() - 2); break;
    }
    return r.adjusted(-4, -4, 4, 4);
}

StripLayout layoutStrip(const QRect& client, Side side, QSize stripHint)
{
    const int w = client.width();
    const int h = client.height();
    const int m = kStripMargin;
    StripLayout out;
    switch (side) {
    case Side::Top: {
        const int sh = std::min(stripHint.height(), nonNegative(h - m));
        out.strip = QRect(client.left() + m, client.top() + m, std::min(stripHint.width(), nonNegative(w - 2 * m)), sh);
        out.pane = QRect(client.left(), client.top() + m + sh, w, nonNegative(h - m - sh));
        break;
    }
    case Side::Bottom: {
        const int sh = std::min(stripHint.height(), nonNegative(h - m));
        out.strip = QRect(client.left() + m, client.top() + h - m - sh,
                          std::min(stripHint.width(), nonNegative(w - 2 * m)), sh);
        out.pane = QRect(client.left(), client.top(), w, nonNegative(h - m - sh));
        break;
    }
    case Side::Left: {
        const int sw = std::min(stripHint.width(), nonNegative(w - m));
        out.strip = QRect(client.left() + m, client.top() + m, sw, std::min(stripHint.height(), nonNegative(h - 2 * m)));
        out.pane = QRect(client.left() + m + sw, client.top(), nonNegative(w - m - sw), h);
        break;
    }
    case Side::Right: {
        const int sw = std::min(stripHint.width(), nonNegative(w - m));
        out.strip = QRect(client.left() + w - m - sw, client.top() + m, sw,
                          std::min(stripHint.height(), nonNegative(h - 2 * m)));
        out.pane = QRect(client.left(), client.top(), nonNegative(w - m - sw), h);
        break;
    }
    }
    const int in = kDisplayInset;
    out.display = QRect(out.pane.left() + in, out.pane.top() + in, nonNegative(out.pane.width() - 2 * in),
                        nonNegative(out.pane.height() - 2 * in));
    return out;
}

ItemSize platformItemSize(Side side, int tabWidth, int tabHeight)
{
    if (isVertical(side))
        return {tabHeight, tabWidth};
    return {tabWidth, tabHeight};
}

QSize screenTabSize(Side side, ItemSize item, QSize automatic)
{
    if (isVertical(side))
        return {item.height > 0 ? item.height : automatic.width(), item.width > 0 ? item.width : automatic.height()};
    return {item.width > 0 ? item.width : automatic.width(), item.height > 0 ? item.height : automatic.height()};
}

QSize automaticTabSize(QSize captionSize, QSize imageSize, GlyphPos glyphPos, int spacing)
{
    int w = captionSize.width();
    int h = captionSize.height();
    if (imageSize.isValid()) {
        if (glyphPos == GlyphPos::Top) {
            w = std::max(w, imageSize.width());
            h += imageSize.height() + std::max(0, spacing);
        } else {
            w += imageSize.width() + kGlyphRoom;
            h = std::max(h, imageSize.height());
        }
    }
    return {w + 2 * kCaptionPadX, h + 2 * kCaptionPadY};
}

TabSizes sizesAfterMove(Side from, Side to, TabSizes sizes)
{
    if (!isVertical(from) && isVertical(to)) {
        if (sizes.tabHeight == 0)
            sizes.tabHeight = 35;
        if (sizes.tabWidth == 0)
            sizes.tabWidth = 70;
    }
    return sizes;
}

int scaled(int value, int multiplier, int divisor)
{
    if (divisor == 0)
        return value;
    return static_cast<int>(std::lround(double(value) * multiplier / divisor));
}

}
