#include "tabcontrol/tabgeometry.h"

#include <gtest/gtest.h>

using namespace TabGeometry;

namespace {
// A caption that always measures the same, whatever box it is given.
auto fixed(QSize size)
{
    return [size](QSize) { return size; };
}
}

TEST(TabGeometry, SelectedTabStandsOutTwoPixelsAllRound)
{
    const QRect tab(10, 20, 60, 18);
    for (Side side : {Side::Top, Side::Bottom, Side::Left, Side::Right})
        EXPECT_EQ(selectedItemRect(tab, side), QRect(8, 18, 64, 22));
}

TEST(TabGeometry, ContentRectanglesFollowTheSideAndState)
{
    const QRect r1(10, 20, 60, 18);
    const QRect item = selectedItemRect(r1, Side::Top);

    // Selected, normal tabs: the background is the request's rectangle, the
    // content is nudged towards the outside.
    EXPECT_EQ(tabDrawRects(true, Style::Default, Side::Top, item, r1).fg, r1.translated(0, -1));
    EXPECT_EQ(tabDrawRects(true, Style::Default, Side::Bottom, item, r1).fg, r1);
    EXPECT_EQ(tabDrawRects(true, Style::Default, Side::Left, item, r1).fg, r1.translated(-2, 0));
    EXPECT_EQ(tabDrawRects(true, Style::Default, Side::Right, item, r1).fg, r1.translated(2, 0));
    EXPECT_EQ(tabDrawRects(true, Style::Default, Side::Top, item, r1).bg, item);

    // Other tabs fill their own rectangle; their content drops towards the pane.
    EXPECT_EQ(tabDrawRects(false, Style::Default, Side::Top, item, r1).bg, r1);
    EXPECT_EQ(tabDrawRects(false, Style::Default, Side::Top, item, r1).fg, r1.translated(0, 1));
    EXPECT_EQ(tabDrawRects(false, Style::Default, Side::Bottom, item, r1).fg, r1.translated(0, -2));
    EXPECT_EQ(tabDrawRects(false, Style::Default, Side::Left, item, r1).fg, r1);

    // Buttons: the selected one is drawn like the others, nothing moves.
    const TabRects button = tabDrawRects(true, Style::Button, Side::Top, item, r1);
    EXPECT_EQ(button.bg, r1);
    EXPECT_EQ(button.fg, r1);
}

TEST(TabGeometry, CaptionIsCentredInsideATwoPixelMargin)
{
    // 100 x 20 tab: R = (2, 2, 96, 16). A 40 x 10 caption.
    const CaptionLayout c = layoutCaption(QRect(0, 0, 100, 20), {0, 0}, Align::Center, fixed({40, 10}));
    EXPECT_EQ(c.textRect, QRect(2 + (96 - 40) / 2, 2 + (16 - 10) / 2, 40, 16 - (16 - 10) / 2));
    EXPECT_EQ(c.textPos, c.textRect.topLeft());
}

TEST(TabGeometry, CaptionAndGlyphAreCentredTogether)
{
    // A 16-pixel glyph and 5 pixels of spacing in front of a 40-pixel caption.
    const QPoint offset(21, 0);
    const CaptionLayout c = layoutCaption(QRect(0, 0, 100, 20), offset, Align::Center, fixed({40, 10}));
    const int left = 2 + 21 + (96 - 40 - 21) / 2;
    EXPECT_EQ(c.textRect.left(), left);
    EXPECT_EQ(c.textRect.width(), 40);
    // The block (glyph, spacing, caption) starts where the glyph goes.
    EXPECT_EQ(c.textPos.x(), left - 21);
    const int blockWidth = 21 + 40;
    EXPECT_LE(std::abs((c.textPos.x() - 2) - (2 + 96 - (c.textPos.x() + blockWidth))), 3);
}

TEST(TabGeometry, CaptionTooLargeIsCutToItsBox)
{
    const CaptionLayout c = layoutCaption(QRect(0, 0, 50, 12), {0, 0}, Align::Center, fixed({200, 40}));
    // R = (2, 2, 46, 8): the caption takes the whole box.
    EXPECT_EQ(c.textRect, QRect(2, 2, 46, 8));
}

TEST(TabGeometry, LeftAlignedCaptionStartsAfterItsOffset)
{
    QSize asked;
    const CaptionLayout c = layoutCaption(QRect(10, 10, 70, 35), {8, 0}, Align::Left, [&](QSize box) {
        asked = box;
        return QSize(30, 13);
    });
    // The caption is measured in the box left after the offset.
    EXPECT_EQ(asked, QSize(70 - 4 - 8, 35 - 4));
    EXPECT_EQ(c.textRect.left(), 10 + 2 + 8);
    EXPECT_EQ(c.textRect.right(), 10 + 70 - 2 - 1);
    EXPECT_EQ(c.textRect.top(), 12 + (31 - 13) / 2);
    EXPECT_EQ(c.textPos, QPoint(c.textRect.left() - 8, c.textRect.top()));
}

TEST(TabGeometry, ContentKindAndCaptionRequests)
{
    EXPECT_EQ(contentKind(false, true, GlyphPos::Left), ContentKind::NoGlyph);
    EXPECT_EQ(contentKind(true, true, GlyphPos::Left), ContentKind::DisabledWithGlyph);
    EXPECT_EQ(contentKind(true, false, GlyphPos::Top), ContentKind::GlyphTop);

    const QSize image(16, 14);
    EXPECT_EQ(captionRequest(ContentKind::NoGlyph, Side::Left, image, 5).offset, QPoint(8, 0));
    EXPECT_EQ(captionRequest(ContentKind::NoGlyph, Side::Left, image, 5).align, Align::Left);
    EXPECT_EQ(captionRequest(ContentKind::NoGlyph, Side::Bottom, image, 5).align, Align::Center);
    EXPECT_EQ(captionRequest(ContentKind::DisabledWithGlyph, Side::Left, image, 5).offset, QPoint(0, 0));
    EXPECT_EQ(captionRequest(ContentKind::GlyphLeft, Side::Top, image, 5).offset, QPoint(21, 0));
    EXPECT_EQ(captionRequest(ContentKind::GlyphLeft, Side::Right, image, 5).offset, QPoint(16 + 8 + 5, 0));
    EXPECT_EQ(captionRequest(ContentKind::GlyphLeft, Side::Right, image, 5).align, Align::Left);
    EXPECT_EQ(captionRequest(ContentKind::GlyphTop, Side::Top, image, 5).offset, QPoint(0, 19));
}

TEST(TabGeometry, GlyphPlacement)
{
    const QRect fg(10, 20, 80, 30);
    const QSize image(16, 14);
    const QPoint textPos(33, 27);
    // In front of the caption block, centred vertically.
    EXPECT_EQ(glyphPosition(ContentKind::GlyphLeft, Side::Top, fg, image, textPos), QPoint(33, 20 + (30 - 14) / 2));
    // Side tabs: 8 pixels from the left edge.
    EXPECT_EQ(glyphPosition(ContentKind::GlyphLeft, Side::Left, fg, image, textPos), QPoint(18, 28));
    // Above the caption block, centred horizontally.
    EXPECT_EQ(glyphPosition(ContentKind::GlyphTop, Side::Top, fg, image, textPos), QPoint(10 + 32, 27));
}

TEST(TabGeometry, GlyphWidthComesFromTheNumberOfGlyphs)
{
    EXPECT_EQ(glyphImageSize({48, 16}, 3), QSize(16, 16));
    EXPECT_EQ(glyphImageSize({50, 12}, 3), QSize(16, 12));
    EXPECT_FALSE(glyphImageSize({48, 16}, 0).isValid());
    EXPECT_FALSE(glyphImageSize({0, 0}, 3).isValid());
    // More glyphs than pixels: no image rather than empty ones.
    EXPECT_FALSE(glyphImageSize({2, 16}, 3).isValid());
}

TEST(TabGeometry, PageAreaLeavesTwoPixelsOnTheTabSide)
{
    const QRect display(10, 10, 100, 80);
    EXPECT_EQ(pageAreaRect(display, Side::Top), QRect(6, 8, 108, 86));
    EXPECT_EQ(pageAreaRect(display, Side::Bottom), QRect(6, 6, 108, 86));
    EXPECT_EQ(pageAreaRect(display, Side::Left), QRect(8, 6, 106, 88));
    EXPECT_EQ(pageAreaRect(display, Side::Right), QRect(6, 6, 106, 88));
}

TEST(TabGeometry, StripPaneAndDisplayShareTheClient)
{
    const QRect client(0, 0, 200, 150);
    const QSize hint(120, 20);

    const StripLayout top = layoutStrip(client, Side::Top, hint);
    EXPECT_EQ(top.strip, QRect(2, 2, 120, 20));
    EXPECT_EQ(top.pane, QRect(0, 22, 200, 128));
    EXPECT_EQ(top.display, QRect(4, 26, 192, 120));

    const StripLayout bottom = layoutStrip(client, Side::Bottom, hint);
    EXPECT_EQ(bottom.strip, QRect(2, 128, 120, 20));
    EXPECT_EQ(bottom.pane, QRect(0, 0, 200, 128));

    const StripLayout left = layoutStrip(client, Side::Left, QSize(70, 105));
    EXPECT_EQ(left.strip, QRect(2, 2, 70, 105));
    EXPECT_EQ(left.pane, QRect(72, 0, 128, 150));

    const StripLayout right = layoutStrip(client, Side::Right, QSize(70, 105));
    EXPECT_EQ(right.strip, QRect(128, 2, 70, 105));
    EXPECT_EQ(right.pane, QRect(0, 0, 128, 150));

    // Tabs longer than the control: the strip keeps inside it (and scrolls).
    EXPECT_EQ(layoutStrip(client, Side::Top, QSize(900, 20)).strip.width(), 196);
    // A control too small for anything gives empty, not negative, areas.
    const StripLayout tiny = layoutStrip(QRect(0, 0, 3, 3), Side::Top, hint);
    EXPECT_GE(tiny.pane.height(), 0);
    EXPECT_GE(tiny.display.width(), 0);
}

TEST(TabGeometry, SideTabsSwapWidthAndHeight)
{
    EXPECT_EQ(platformItemSize(Side::Top, 70, 35).width, 70);
    EXPECT_EQ(platformItemSize(Side::Top, 70, 35).height, 35);
    EXPECT_EQ(platformItemSize(Side::Left, 70, 35).width, 35);
    EXPECT_EQ(platformItemSize(Side::Left, 70, 35).height, 70);

    // On screen a side tab is TabWidth wide and TabHeight high.
    EXPECT_EQ(screenTabSize(Side::Left, platformItemSize(Side::Left, 70, 35), QSize(50, 20)), QSize(70, 35));
    EXPECT_EQ(screenTabSize(Side::Bottom, platformItemSize(Side::Bottom, 0, 0), QSize(50, 20)), QSize(50, 20));
    EXPECT_EQ(screenTabSize(Side::Top, platformItemSize(Side::Top, 0, 30), QSize(50, 20)), QSize(50, 30));
}

TEST(TabGeometry, AutomaticSizeMakesRoomForAGlyph)
{
    const QSize plain = automaticTabSize({40, 13}, QSize());
    const QSize withGlyph = automaticTabSize({40, 13}, QSize(16, 20));
    EXPECT_GT(plain.width(), 40);
    EXPECT_GT(plain.height(), 13);
    EXPECT_GE(withGlyph.width(), plain.width() + 16);
    EXPECT_GT(withGlyph.height(), 20);
    // Glyphs above their captions: room for both, one over the other.
    const QSize above = automaticTabSize({40, 13}, QSize(16, 20), GlyphPos::Top, 5);
    EXPECT_EQ(above.width(), plain.width());
    EXPECT_EQ(above.height(), plain.height() + 20 + 5);
}

TEST(TabGeometry, TurningToASideGivesDefaultSizes)
{
    EXPECT_EQ(sizesAfterMove(Side::Top, Side::Left, {0, 0}).tabHeight, 35);
    EXPECT_EQ(sizesAfterMove(Side::Top, Side::Left, {0, 0}).tabWidth, 70);
    EXPECT_EQ(sizesAfterMove(Side::Bottom, Side::Right, {20, 0}).tabHeight, 20);
    EXPECT_EQ(sizesAfterMove(Side::Bottom, Side::Right, {20, 0}).tabWidth, 70);
    // Within one orientation nothing changes.
    EXPECT_EQ(sizesAfterMove(Side::Top, Side::Bottom, {0, 0}).tabHeight, 0);
    EXPECT_EQ(sizesAfterMove(Side::Left, Side::Right, {0, 0}).tabWidth, 0);
    // Back from a side: the sizes stay as they are.
    EXPECT_EQ(sizesAfterMove(Side::Left, Side::Top, {35, 70}).tabHeight, 35);
}

TEST(TabGeometry, FontChoiceAndScaling)
{
    EXPECT_TRUE(useActiveFont(10, 8));
    EXPECT_TRUE(useActiveFont(9, 9));
    EXPECT_FALSE(useActiveFont(8, 10));
    EXPECT_EQ(scaled(35, 120, 96), 44);
    EXPECT_EQ(scaled(70, 96, 120), 56);
    EXPECT_EQ(scaled(12, 1, 0), 12);
}
