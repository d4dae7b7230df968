#include "tabcontrol/extpagecontrol.h"
#include "tabcontrol/extpagecontroltag.h"
#include "tabcontrol/extpageinvalidcall.h"
#include "tabcontrol/exttabbar.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

constexpr TColor kActive = Colors::rgb(0, 0, 255);
constexpr TColor kInactive = Colors::rgb(160, 160, 164);
constexpr TColor kHot = Colors::rgb(255, 0, 0);

// What DrawTabText was asked to draw.
struct Caption {
    QString text;
    QPoint offset;
    TabGeometry::Align align;
    bool disabled;
    QColor color;
};

// Records every caption request, then draws it as usual.
template <typename Base>
class Recording : public Base {
public:
    using Base::Base;
    std::vector<Caption> captions;

    void DrawTabText(const QRect& rect, QPoint offset, QPoint& textPos, bool disabled, TabGeometry::Align alignment,
                     const QString& caption) override
    {
        captions.push_back({caption, offset, alignment, disabled, this->canvas().fontColor});
        Base::DrawTabText(rect, offset, textPos, disabled, alignment, caption);
    }

    const Caption* find(const QString& text) const
    {
        for (auto it = captions.rbegin(); it != captions.rend(); ++it) {
            if (it->text == text)
                return &*it;
        }
        return nullptr;
    }
};

// A strip of three 16 x 16 glyphs: red, green, blue.
QImage threeGlyphs()
{
    QImage strip(48, 16, QImage::Format_RGB32);
    strip.fill(Qt::black);
    QPainter p(&strip);
    p.fillRect(0, 0, 16, 16, Qt::red);
    p.fillRect(16, 0, 16, 16, Qt::green);
    p.fillRect(32, 0, 16, 16, Qt::blue);
    return strip;
}

template <typename Control>
class PageControlFixture {
public:
    PageControlFixture()
    {
        window = std::make_unique<QWidget>();
        QPalette pal = window->palette();
        pal.setColor(QPalette::Window, QColor(0, 200, 0));
        window->setPalette(pal);
        window->resize(320, 220);
        control = new Control(window.get());
        control->setObjectName(QStringLiteral("extpageTest"));
        control->setGeometry(10, 10, 300, 200);
        control->setTabActiveColor(kActive);
        control->setTabInactiveColor(kInactive);
        for (const char* caption : {"One", "Two", "Three"}) {
            auto* page = new QWidget;
            page->setObjectName(QLatin1String(caption));
            control->addTab(page, QLatin1String(caption));
        }
        window->show();
        QApplication::processEvents();
    }

    QImage render() { return control->grab().toImage(); }

    // A point inside tab n, clear of its caption and edges.
    QPoint inside(int tab) const
    {
        const QRect r = control->GetTabRect(tab);
        return {r.left() + 4, r.center().y()};
    }

    std::unique_ptr<QWidget> window;
    Control* control = nullptr;
};

using Fixture = PageControlFixture<Recording<TExtPageControl>>;

// Qt drops a move to where the pointer already is, which a test before this
// one may have left there: the pointer first goes one pixel aside, still
// over the same tab, so that one of the two moves always arrives.
void moveOverTab(TExtPageControl* control, int tab)
{
    TExtTabBar* bar = control->extTabBar();
    const QPoint at = control->GetTabRect(tab).center() - bar->pos();
    QTest::mouseMove(bar, at + QPoint(1, 0));
    QTest::mouseMove(bar, at);
}

void leave(QWidget* widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

}

TEST(ExtPageControl, StartsWithItsPublishedValues)
{
    TExtPageControl control;
    EXPECT_EQ(control.tabActiveColor(), Colors::clBtnFace);
    EXPECT_EQ(control.extTabPosition(), TExtPageControl::tabPosTop);
    EXPECT_EQ(control.initialPage(), -1);
    EXPECT_FALSE(control.hottrack()->enabled());
    EXPECT_EQ(control.hottrack()->tabInactiveColor(), Colors::clHighlight);
    EXPECT_EQ(control.tabGlyphs()->spacing(), 5);
    EXPECT_EQ(control.tabGlyphs()->transparentColor(), Colors::rgb(255, 0, 255));
    // The settings store reaches them by name.
    EXPECT_EQ(control.property("TabPosition").toInt(), int(TExtPageControl::tabPosTop));
    EXPECT_EQ(control.property("TabInactiveColor").toInt(), int(Colors::rgb(160, 160, 164)));
}

TEST(ExtPageControl, ActiveAndInactiveTabsTakeTheirColours)
{
    Fixture f;
    QImage image = f.render();
    EXPECT_EQ(image.pixelColor(f.inside(0)), Colors::toQColor(kActive));
    EXPECT_EQ(image.pixelColor(f.inside(1)), Colors::toQColor(kInactive));
    EXPECT_EQ(image.pixelColor(f.inside(2)), Colors::toQColor(kInactive));
    // The page area has the parent's colour.
    EXPECT_EQ(image.pixelColor(f.control->GetPageAreaRect().center()), QColor(0, 200, 0));

    // Another tab: the colours swap at once.
    f.control->setActivePage(f.control->widget(2));
    image = f.render();
    EXPECT_EQ(image.pixelColor(f.inside(0)), Colors::toQColor(kInactive));
    EXPECT_EQ(image.pixelColor(f.inside(2)), Colors::toQColor(kActive));

    // A colour set later repaints with it.
    f.control->setTabInactiveColor(Colors::rgb(255, 255, 0));
    EXPECT_EQ(f.render().pixelColor(f.inside(1)), QColor(255, 255, 0));
}

TEST(ExtPageControl, PageColourAndTheAreaAroundTheTabs)
{
    Fixture f;
    f.control->setColor(Colors::rgb(10, 20, 30));
    EXPECT_FALSE(f.control->parentColor());
    const QImage image = f.render();
    EXPECT_EQ(image.pixelColor(f.control->GetPageAreaRect().center()), QColor(10, 20, 30));
    // Beyond the last tab the strip shows the parent's colour.
    const QRect last = f.control->GetTabRect(2);
    EXPECT_EQ(image.pixelColor(last.right() + 10, last.center().y()), QColor(0, 200, 0));
}

TEST(ExtPageControl, CaptionsAreCentredInTheirFontColour)
{
    Fixture f;
    TFont red;
    red.setSize(9);
    red.setColor(Colors::rgb(200, 0, 0));
    f.control->setTabInactiveFont(&red);
    f.render();
    const Caption* one = f.control->find(QStringLiteral("One"));
    const Caption* two = f.control->find(QStringLiteral("Two"));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->align, TabGeometry::Align::Center);
    EXPECT_EQ(one->offset, QPoint(0, 0));
    EXPECT_FALSE(one->disabled);
    EXPECT_EQ(one->color, Colors::toQColor(Colors::clWindowText));
    EXPECT_EQ(two->color, QColor(200, 0, 0));
    // The control copied the font: changing ours later does nothing to it.
    red.setColor(Colors::rgb(0, 0, 0));
    EXPECT_EQ(f.control->tabInactiveFont()->color(), Colors::rgb(200, 0, 0));
}

TEST(ExtPageControl, TabsAreSizedForTheWiderFont)
{
    Fixture f;
    TFont small;
    small.setSize(8);
    TFont large;
    large.setSize(16);
    large.setStyle(TFont::fsBold);

    f.control->setTabActiveFont(&large);
    f.control->setTabInactiveFont(&small);
    EXPECT_EQ(f.control->stripFont().pointSize(), 16);
    const int tall = f.control->GetTabRect(1).height();
    EXPECT_GE(tall, QFontMetrics(f.control->stripFont()).height());
    // Every tab, active or not, gets the size of the wider font.
    EXPECT_EQ(f.control->GetTabRect(0).height(), f.control->GetTabRect(1).height());

    // Inactive wider: the inactive font sizes the tabs.
    f.control->setTabActiveFont(&small);
    f.control->setTabInactiveFont(&large);
    EXPECT_EQ(f.control->stripFont().pointSize(), 16);
    EXPECT_TRUE(f.control->stripFont().bold());

    // Equal widths: the active font is chosen.
    TFont underlined;
    underlined.setSize(8);
    underlined.setStyle(TFont::fsUnderline);
    f.control->setTabActiveFont(&underlined);
    f.control->setTabInactiveFont(&small);
    EXPECT_TRUE(f.control->stripFont().underline());
    EXPECT_LT(f.control->GetTabRect(1).height(), tall);
}

TEST(ExtPageControl, GlyphWidthComesFromNumGlyphs)
{
    Fixture f;
    const int plainWidth = f.control->GetTabRect(0).width();
    f.control->tabGlyphs()->setGlyph(threeGlyphs());
    f.control->tabGlyphs()->setNumGlyphs(3);
    EXPECT_EQ(f.control->tabGlyphs()->imageSize(), QSize(16, 16));
    EXPECT_EQ(f.control->tabGlyphs()->images().size(), 3);
    EXPECT_TRUE(f.control->hasImageList());
    // Every tab reserves room for a glyph.
    EXPECT_GE(f.control->GetTabRect(0).width(), plainWidth + 16);

    // Page n shows glyph n, in front of its caption.
    f.control->setActivePage(f.control->widget(1));
    const QImage image = f.render();
    const Caption* three = f.control->find(QStringLiteral("Three"));
    ASSERT_TRUE(three);
    EXPECT_EQ(three->offset, QPoint(16 + 5, 0));
    const QRect tab2 = f.control->GetTabRect(2);
    bool blue = false;
    bool red = false;
    for (int x = tab2.left(); x <= tab2.right(); ++x) {
        blue = blue || image.pixelColor(x, tab2.center().y()) == QColor(Qt::blue);
        red = red || image.pixelColor(x, tab2.center().y()) == QColor(Qt::red);
    }
    EXPECT_TRUE(blue);
    EXPECT_FALSE(red);
}

TEST(ExtPageControl, GlyphsAboveTheirCaptionsKeepTheCaptionVisible)
{
    Fixture f;
    f.control->tabGlyphs()->setGlyph(threeGlyphs());
    f.control->tabGlyphs()->setNumGlyphs(3);
    const int besideHeight = f.control->GetTabRect(1).height();
    f.control->tabGlyphs()->setPosition(TExtGlyphs::glPosTop);
    EXPECT_GE(f.control->GetTabRect(1).height(), besideHeight + 5);
    const QImage image = f.render();
    const Caption* two = f.control->find(QStringLiteral("Two"));
    ASSERT_TRUE(two);
    EXPECT_EQ(two->offset, QPoint(0, 16 + 5));
    // Green glyph above dark caption ink, both inside the tab.
    const QRect tab = f.control->GetTabRect(1);
    int glyphBottom = -1;
    int inkTop = -1;
    for (int y = tab.top(); y <= tab.bottom(); ++y) {
        for (int x = tab.left() + 2; x < tab.right() - 2; ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c == QColor(Qt::green))
                glyphBottom = y;
            else if (inkTop < 0 && glyphBottom >= 0 && y > glyphBottom && c.lightness() < 60)
                inkTop = y;
        }
    }
    EXPECT_GE(glyphBottom, 0);
    EXPECT_GT(inkTop, glyphBottom);
}

TEST(ExtPageControl, NoGlyphCountKeepsTheImageListEmptyButLeavesRoom)
{
    Fixture f;
    f.control->tabGlyphs()->setGlyph(threeGlyphs());
    EXPECT_TRUE(f.control->tabGlyphs()->images().isEmpty());
    EXPECT_FALSE(f.control->hasImageList());
    const QImage image = f.render();
    // The caption still leaves room for a glyph of the list's size...
    const Caption* one = f.control->find(QStringLiteral("One"));
    ASSERT_TRUE(one);
    EXPECT_EQ(one->offset, QPoint(16 + 5, 0));
    // ...but nothing is drawn there.
    const QRect tab0 = f.control->GetTabRect(0);
    for (int x = tab0.left(); x <= tab0.right(); ++x)
        EXPECT_NE(image.pixelColor(x, tab0.center().y()), QColor(Qt::red));
}

TEST(ExtPageControl, TransparentColourLetsTheTabShowThrough)
{
    Fixture f;
    QImage strip(16, 16, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    strip.setPixelColor(8, 8, Qt::black);
    f.control->tabGlyphs()->setGlyph(strip);
    f.control->tabGlyphs()->setNumGlyphs(1);
    const QImage image = f.render();
    const QRect tab0 = f.control->GetTabRect(0);
    for (int x = tab0.left(); x <= tab0.right(); ++x)
        EXPECT_NE(image.pixelColor(x, tab0.center().y()), QColor(255, 0, 255));
}

TEST(ExtPageControl, TagVariantShowsTheGlyphNumberedByTag)
{
    PageControlFixture<Recording<TExtPageControlTag>> f;
    f.control->tabGlyphs()->setGlyph(threeGlyphs());
    f.control->tabGlyphs()->setNumGlyphs(3);
    TExtPageControl::setPageTag(f.control->widget(0), 2);
    TExtPageControl::setPageTag(f.control->widget(2), 0);
    EXPECT_EQ(f.control->GetImageIndex(0), 2);
    EXPECT_EQ(f.control->GetImageIndex(1), 0);
    const QImage image = f.render();
    const QRect tab0 = f.control->GetTabRect(0);
    bool blue = false;
    for (int x = tab0.left(); x <= tab0.right(); ++x)
        blue = blue || image.pixelColor(x, tab0.center().y()) == QColor(Qt::blue);
    EXPECT_TRUE(blue);

    TExtPageControl plain;
    plain.addTab(new QWidget, QStringLiteral("a"));
    plain.addTab(new QWidget, QStringLiteral("b"));
    plain.addTab(new QWidget, QStringLiteral("c"));
    TExtPageControl::setPageTag(plain.widget(2), 0);
    EXPECT_EQ(plain.GetImageIndex(2), 2);
}

TEST(ExtPageControl, DisabledPageIsRefusedAndEtched)
{
    Fixture f;
    f.control->setTabEnabled(1, false);
    f.control->setActivePage(f.control->widget(1));
    EXPECT_EQ(f.control->currentIndex(), 0);

    // A click on its tab does nothing either.
    TExtTabBar* bar = f.control->extTabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, f.control->GetTabRect(1).center() - bar->pos());
    EXPECT_EQ(f.control->currentIndex(), 0);
    // An enabled tab is taken.
    QTest::mouseClick(bar, Qt::LeftButton, {}, f.control->GetTabRect(2).center() - bar->pos());
    EXPECT_EQ(f.control->currentIndex(), 2);

    f.render();
    const Caption* two = f.control->find(QStringLiteral("Two"));
    ASSERT_TRUE(two);
    EXPECT_TRUE(two->disabled);
    EXPECT_FALSE(f.control->find(QStringLiteral("One"))->disabled);

    // With glyphs the disabled tab shows its caption only, centred.
    f.control->captions.clear();
    f.control->tabGlyphs()->setGlyph(threeGlyphs());
    f.control->tabGlyphs()->setNumGlyphs(3);
    const QImage image = f.render();
    two = f.control->find(QStringLiteral("Two"));
    ASSERT_TRUE(two);
    EXPECT_TRUE(two->disabled);
    EXPECT_EQ(two->offset, QPoint(0, 0));
    const QRect tab1 = f.control->GetTabRect(1);
    for (int x = tab1.left(); x <= tab1.right(); ++x)
        EXPECT_NE(image.pixelColor(x, tab1.center().y()), QColor(Qt::green));
}

TEST(ExtPageControl, DisabledCaptionIsEtched)
{
    Fixture f;
    TFont big;
    big.setSize(20);
    big.setStyle(TFont::fsBold);
    f.control->setTabInactiveFont(&big);
    f.control->setTabEnabled(1, false);
    const QImage image = f.render();
    const QRect tab1 = f.control->GetTabRect(1);
    const QColor highlight = Colors::toQColor(Colors::clBtnHighlight);
    const QColor gray = Colors::toQColor(Colors::clGrayText);
    int highlights = 0;
    int grays = 0;
    for (int y = tab1.top(); y <= tab1.bottom(); ++y) {
        for (int x = tab1.left() + 3; x <= tab1.right() - 3; ++x) {
            const QColor c = image.pixelColor(x, y);
            highlights += c == highlight;
            grays += c == gray;
        }
    }
    EXPECT_GT(highlights, 5);
    EXPECT_GT(grays, 5);
}

TEST(ExtPageControl, ChangingQueryCanKeepTheCurrentPage)
{
    Fixture f;
    f.control->Loaded();
    bool allow = false;
    int asked = 0;
    f.control->OnChanging = [&](bool& allowChange) {
        ++asked;
        allowChange = allow;
    };
    f.control->setActivePage(f.control->widget(1));
    EXPECT_EQ(f.control->currentIndex(), 0);
    allow = true;
    f.control->setActivePage(f.control->widget(1));
    EXPECT_EQ(f.control->currentIndex(), 1);
    // Setting the current page again asks nothing.
    f.control->setActivePage(f.control->widget(1));
    EXPECT_EQ(asked, 2);
}

TEST(ExtPageControl, HotTrackingColoursTheCaptionUnderTheMouseOnly)
{
    Fixture f;
    f.control->hottrack()->setEnabled(true);
    f.control->hottrack()->setTabInactiveColor(kHot);
    f.control->hottrack()->setTabActiveColor(TExtPageControl::clNone);

    moveOverTab(f.control, 2);
    EXPECT_EQ(f.control->hottrack()->HotIndex, 2);
    f.control->captions.clear();
    f.render();
    EXPECT_EQ(f.control->find(QStringLiteral("Three"))->color, Colors::toQColor(kHot));
    EXPECT_NE(f.control->find(QStringLiteral("Two"))->color, Colors::toQColor(kHot));

    moveOverTab(f.control, 1);
    EXPECT_EQ(f.control->hottrack()->HotIndex, 1);
    f.control->captions.clear();
    f.render();
    EXPECT_EQ(f.control->find(QStringLiteral("Two"))->color, Colors::toQColor(kHot));
    EXPECT_NE(f.control->find(QStringLiteral("Three"))->color, Colors::toQColor(kHot));

    // clNone switches the highlight off for the active tab.
    moveOverTab(f.control, 0);
    f.control->captions.clear();
    f.render();
    EXPECT_NE(f.control->find(QStringLiteral("One"))->color, Colors::toQColor(kHot));

    // Leaving the control restores every caption.
    moveOverTab(f.control, 1);
    leave(f.control->extTabBar());
    EXPECT_EQ(f.control->hottrack()->HotIndex, -1);
    f.control->captions.clear();
    f.render();
    for (const Caption& c : f.control->captions)
        EXPECT_NE(c.color, Colors::toQColor(kHot));
}

TEST(ExtPageControl, HotTrackingRepaintGoesThroughTheOffscreenBitmap)
{
    Fixture f;
    f.control->hottrack()->setEnabled(true);
    moveOverTab(f.control, 1);
    EXPECT_TRUE(f.control->lastPaintBuffered());
}

TEST(ExtPageControl, TabHintsBeyondTheListAreEmpty)
{
    Fixture f;
    // Set after loading: still the hint that comes back on leaving.
    f.control->setToolTip(QStringLiteral("own hint"));
    f.control->setTabHints({QStringLiteral("first page")});

    moveOverTab(f.control, 0);
    EXPECT_EQ(f.control->toolTip(), QStringLiteral("first page"));
    moveOverTab(f.control, 2);
    EXPECT_EQ(f.control->toolTip(), QString());
    leave(f.control->extTabBar());
    EXPECT_EQ(f.control->toolTip(), QStringLiteral("own hint"));

    // A hint over a tab goes just below the tab's left edge.
    const QRect tab = f.control->GetTabRect(1);
    const auto at = f.control->hintPosition(f.control->mapToGlobal(tab.center()));
    ASSERT_TRUE(at.has_value());
    EXPECT_EQ(*at, f.control->mapToGlobal(QPoint(tab.left() + 3, tab.top() + tab.height() + 1)));
    EXPECT_FALSE(f.control->hintPosition(f.control->mapToGlobal(f.control->GetPageAreaRect().center())));
}

TEST(ExtPageControl, HintsFollowPagesWhenSomeAreHidden)
{
    Fixture f;
    f.control->setTabHints({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    f.control->Loaded();
    f.control->setTabVisible(1, false);
    QApplication::processEvents();
    EXPECT_EQ(f.control->tabCount(), 2);
    moveOverTab(f.control, 1);
    EXPECT_EQ(f.control->toolTip(), QStringLiteral("three"));
}

TEST(ExtPageControl, SideTabsSwapTheirSizes)
{
    Fixture f;
    f.control->setExtTabPosition(TExtPageControl::tabPosLeft);
    EXPECT_EQ(f.control->tabHeight(), 35);
    EXPECT_EQ(f.control->tabWidth(), 70);
    EXPECT_EQ(f.control->platformItemSize().width, 35);
    EXPECT_EQ(f.control->platformItemSize().height, 70);
    EXPECT_EQ(f.control->GetTabRect(0).size(), QSize(70, 35));
    EXPECT_EQ(f.control->GetTabRect(1).top(), f.control->GetTabRect(0).top() + 35);

    f.control->setExtTabPosition(TExtPageControl::tabPosTop);
    EXPECT_EQ(f.control->platformItemSize().width, 70);
    EXPECT_EQ(f.control->platformItemSize().height, 35);
    EXPECT_EQ(f.control->GetTabRect(0).size(), QSize(70, 35));

    f.control->setExtTabPosition(TExtPageControl::tabPosLeft);
    f.control->setExtTabPosition(TExtPageControl::tabPosRight);
    EXPECT_EQ(f.control->tabHeight(), 35);
    EXPECT_EQ(f.control->tabWidth(), 70);
    EXPECT_EQ(f.control->platformItemSize().width, 35);
    // The strip is on the right.
    EXPECT_GT(f.control->GetTabRect(0).left(), f.control->width() / 2);
}

TEST(ExtPageControl, TabSizesOfTopAndBottomTabs)
{
    Fixture f;
    f.control->setTabHeight(30);
    f.control->setTabWidth(90);
    EXPECT_EQ(f.control->GetTabRect(0).size(), QSize(90, 30));
    f.control->setExtTabPosition(TExtPageControl::tabPosBottom);
    EXPECT_EQ(f.control->GetTabRect(0).size(), QSize(90, 30));
    EXPECT_GT(f.control->GetTabRect(0).top(), f.control->height() / 2);
    // Side tabs show the same sizes on screen.
    f.control->setExtTabPosition(TExtPageControl::tabPosLeft);
    EXPECT_EQ(f.control->GetTabRect(0).size(), QSize(90, 30));
}

TEST(ExtPageControl, ButtonStyleForcesTopAndOtherSidesCancelIt)
{
    Fixture f;
    f.control->setExtTabPosition(TExtPageControl::tabPosLeft);
    f.control->setTabStyle(TExtPageControl::tabStButton);
    EXPECT_EQ(f.control->extTabPosition(), TExtPageControl::tabPosTop);
    EXPECT_EQ(f.control->tabStyle(), TExtPageControl::tabStButton);
    EXPECT_LT(f.control->GetTabRect(0).top(), f.control->height() / 2);

    f.control->setExtTabPosition(TExtPageControl::tabPosBottom);
    EXPECT_EQ(f.control->tabStyle(), TExtPageControl::tabStDefault);
}

TEST(ExtPageControl, PageIndexByTabIndexSkipsHiddenPages)
{
    Fixture f;
    f.control->setTabVisible(1, false);
    EXPECT_EQ(f.control->GetPageIndexByTabIndex(0), 0);
    EXPECT_EQ(f.control->GetPageIndexByTabIndex(1), 2);
    EXPECT_EQ(f.control->tabIndexOfPage(1), -1);
    try {
        f.control->GetPageIndexByTabIndex(2);
        ADD_FAILURE() << "no error for a tab without page";
    } catch (const EExtPageInvalidCall& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Function GetPageIndexByTabIndex of component extpageTest of class "
                                           "Recording<TExtPageControl> was called with an invalid parameter "
                                           "(CurrentTabIndex = 2).")
                                .replace(QStringLiteral("Recording<TExtPageControl>"),
                                         QString::fromLatin1(f.control->metaObject()->className())));
    }
    EXPECT_THROW(f.control->GetPageIndexByTabIndex(-1), EExtPageInvalidCall);
    EXPECT_EQ(f.control->GetTabRect(7), QRect(0, 0, 0, 0));
}

TEST(ExtPageControl, InvalidCallNamesTheControlAndItsClass)
{
    TExtPageControlTag control;
    control.setObjectName(QStringLiteral("extpageExplorateur"));
    EXPECT_THROW(
        {
            try {
                control.GetPageIndexByTabIndex(0);
            } catch (const EExtPageInvalidCall& e) {
                EXPECT_EQ(e.text(), QStringLiteral("Function GetPageIndexByTabIndex of component extpageExplorateur "
                                                   "of class TExtPageControlTag was called with an invalid parameter "
                                                   "(CurrentTabIndex = 0)."));
                throw;
            }
        },
        ScrivoError);
}

TEST(ExtPageControl, InitialPageIsShownOnceLoaded)
{
    auto window = std::make_unique<QWidget>();
    auto* control = new TExtPageControl(window.get());
    for (int i = 0; i < 3; ++i)
        control->addTab(new QWidget, QString::number(i));
    control->setInitialPage(2);
    EXPECT_EQ(control->currentIndex(), 0);
    control->Loaded();
    EXPECT_EQ(control->currentIndex(), 2);
    EXPECT_FALSE(control->isLoading());

    // Out of range: nothing happens.
    auto* other = new TExtPageControl(window.get());
    other->addTab(new QWidget, QStringLiteral("x"));
    other->setInitialPage(5);
    other->Loaded();
    EXPECT_EQ(other->currentIndex(), 0);
}

TEST(ExtPageControl, LockedDrawingPaintsNothingUntilUnlocked)
{
    Fixture f;
    f.control->BeginUpdate();
    f.control->BeginUpdate();
    EXPECT_NE(f.render().pixelColor(f.inside(1)), Colors::toQColor(kInactive));
    f.control->EndUpdate();
    EXPECT_NE(f.render().pixelColor(f.inside(1)), Colors::toQColor(kInactive));
    f.control->EndUpdate();
    EXPECT_EQ(f.render().pixelColor(f.inside(1)), Colors::toQColor(kInactive));
    // More unlocks than locks do no harm.
    f.control->EndUpdate();
    EXPECT_EQ(f.render().pixelColor(f.inside(1)), Colors::toQColor(kInactive));
}

TEST(ExtPageControl, DrawingEventsReplaceOrFollowTheirParts)
{
    Fixture f;
    int tabs = 0;
    QRect inside;
    QRegion outside;
    f.control->OnDrawTab = [&](TExtPageControl* control, int, bool, const QRect&, const QRect& bg, unsigned) {
        ++tabs;
        control->canvas().painter->fillRect(bg, Qt::magenta);
    };
    f.control->OnDrawBkgndInside = [&](TExtPageControl*, QPainter&, int page, const QRect& r) {
        EXPECT_EQ(page, 0);
        inside = r;
    };
    f.control->OnDrawBkgndOutside = [&](TExtPageControl*, QPainter&, const QRegion& r) { outside = r; };
    f.control->captions.clear();
    const QImage image = f.render();
    EXPECT_EQ(tabs, 3);
    EXPECT_TRUE(f.control->captions.empty());
    EXPECT_EQ(image.pixelColor(f.inside(1)), QColor(Qt::magenta));
    EXPECT_EQ(inside, f.control->GetPageAreaRect());
    EXPECT_FALSE(outside.contains(f.control->GetPageAreaRect().center()));
    EXPECT_TRUE(outside.contains(QPoint(f.control->width() - 2, 4)));
}

TEST(ExtPageControl, WordWrapAndGlyphsRepaintWhenSet)
{
    Fixture f;
    f.control->setTabHeight(40);
    f.control->setTabWidth(40);
    f.control->setTabWordWrap(true);
    f.control->removeTab(2);
    f.control->addTab(new QWidget, QStringLiteral("Long caption"));
    const QImage image = f.render();
    // Two lines: ink on the upper and the lower half of the tab.
    const QRect tab = f.control->GetTabRect(2);
    const auto inkIn = [&](int top, int bottom) {
        for (int y = top; y <= bottom; ++y)
            for (int x = tab.left() + 3; x < tab.right() - 3; ++x)
                if (image.pixelColor(x, y).lightness() < 80)
                    return true;
        return false;
    };
    EXPECT_TRUE(inkIn(tab.top() + 3, tab.center().y() - 1));
    EXPECT_TRUE(inkIn(tab.center().y() + 1, tab.bottom() - 3));
}

TEST(ExtPageControl, ScalingScalesSizesAndFonts)
{
    Fixture f;
    f.control->setTabHeight(20);
    f.control->setTabWidth(60);
    const int fontHeight = f.control->tabActiveFont()->height();
    f.control->ChangeScale(2, 1);
    EXPECT_EQ(f.control->tabHeight(), 40);
    EXPECT_EQ(f.control->tabWidth(), 120);
    EXPECT_NEAR(f.control->tabActiveFont()->height(), 2 * fontHeight, 1);
    EXPECT_EQ(f.control->GetTabRect(0).size(), QSize(120, 40));
}

TEST(ExtPageControl, InactivePagesLoseTheirNativeWindows)
{
    Fixture f;
    QWidget* page = f.control->widget(1);
    page->setAttribute(Qt::WA_NativeWindow);
    page->winId();
    ASSERT_NE(page->windowHandle(), nullptr);
    ASSERT_NE(page->windowHandle()->handle(), nullptr);
    f.control->DestroyInactivePageHandles();
    EXPECT_EQ(page->windowHandle()->handle(), nullptr);
    // Shown again, the page gets a new one.
    f.control->setActivePage(page);
    QApplication::processEvents();
    EXPECT_TRUE(page->isVisible());
    EXPECT_NE(page->windowHandle()->handle(), nullptr);
}

TEST(ExtPageControl, AcceleratorGoesThroughActivePage)
{
    Fixture f;
    f.control->setTabText(1, QStringLiteral("&Two"));
    f.control->Loaded();
    f.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.window.get()));
    int asked = 0;
    f.control->OnChanging = [&](bool&) { ++asked; };

    f.control->setTabEnabled(1, false);
    QTest::keyClick(f.window.get(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(f.control->currentIndex(), 0);

    f.control->setTabEnabled(1, true);
    QTest::keyClick(f.window.get(), Qt::Key_T, Qt::AltModifier);
    EXPECT_EQ(f.control->currentIndex(), 1);
    EXPECT_EQ(asked, 1);
}
