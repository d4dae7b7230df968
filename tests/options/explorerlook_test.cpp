#include "options/explorerlook.h"

#include "platform/tfont.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

// The shape of the explorer's tree and list: a colour and a font object.
class ViewWithLook : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Color MEMBER color)
    Q_PROPERTY(TFont* Font READ font)
public:
    TFont* font() const { return m_font; }
    int color = Colors::clWindow;

private:
    TFont* m_font = new TFont(this);
};

}

TEST(ExplorerLook, AViewWithColourAndFontTakesThemThere)
{
    ViewWithLook view;
    view.font()->setName(QStringLiteral("Before"));
    const QPalette palette = view.palette();
    ExplorerLook::setBackgroundColor(&view, Colors::rgb(0, 128, 128));
    ExplorerLook::setFontColor(&view, Colors::rgb(128, 0, 0));
    ExplorerLook::setFontName(&view, QStringLiteral("Courier"));
    EXPECT_EQ(view.color, Colors::rgb(0, 128, 128));
    EXPECT_EQ(view.font()->color(), Colors::rgb(128, 0, 0));
    EXPECT_EQ(view.font()->name(), QStringLiteral("Courier"));
    ExplorerLook::setFontName(&view, QString());
    EXPECT_EQ(view.font()->name(), QStringLiteral("Courier"));
    // The widget's own palette is not where the view keeps its look.
    EXPECT_EQ(view.palette(), palette);
}

TEST(ExplorerLook, AnyOtherWidgetTakesThemInItsPaletteAndFont)
{
    QWidget page;
    const int size = page.font().pointSize();
    ExplorerLook::setBackgroundColor(&page, Colors::rgb(255, 255, 0));
    ExplorerLook::setFontColor(&page, Colors::rgb(0, 0, 128));
    ExplorerLook::setFontName(&page, QStringLiteral("Courier"));
    EXPECT_EQ(page.palette().color(QPalette::Base), QColor(255, 255, 0));
    EXPECT_EQ(page.palette().color(QPalette::Window), QColor(255, 255, 0));
    EXPECT_TRUE(page.autoFillBackground());
    EXPECT_EQ(page.palette().color(QPalette::Text), QColor(0, 0, 128));
    EXPECT_EQ(page.palette().color(QPalette::WindowText), QColor(0, 0, 128));
    EXPECT_EQ(page.font().family(), QStringLiteral("Courier"));
    EXPECT_EQ(page.font().pointSize(), size);
    ExplorerLook::setBackgroundColor(nullptr, 0); // nothing handed over yet: nothing happens
}

#include "explorerlook_test.moc"
