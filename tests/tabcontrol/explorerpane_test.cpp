#include "support/programfixture.h"

#include "explorer/listview.h"
#include "tabcontrol/extpagecontroltag.h"

#include <QApplication>

namespace {
QPoint insideTab(TExtPageControl* control, int tab)
{
    const QRect r = control->GetTabRect(tab);
    return {r.left() + 3, r.center().y()};
}
}

TEST_F(ProgramTest, ExplorerPaneTabsAreColouredByState)
{
    TExtPageControlTag* tabs = Fp->extpageExplorateur;
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(tabs->objectName(), QStringLiteral("extpageExplorateur"));
    EXPECT_EQ(tabs->extTabPosition(), TExtPageControl::tabPosBottom);
    EXPECT_EQ(tabs->tabActiveColor(), Colors::clBtnFace);
    EXPECT_EQ(tabs->tabInactiveColor(), Colors::rgb(160, 160, 164));
    for (const TFont* font : {tabs->tabActiveFont(), tabs->tabInactiveFont()}) {
        EXPECT_EQ(font->name(), QStringLiteral("MS Sans Serif"));
        EXPECT_EQ(font->size(), 8);
        EXPECT_EQ(font->color(), Colors::clWindowText);
    }
    EXPECT_FALSE(tabs->hottrack()->enabled());
    EXPECT_TRUE(tabs->tabHints().isEmpty());
    EXPECT_FALSE(tabs->tabGlyphs()->hasBitmap());

    // The pages keep their names and French captions.
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->widget(0), Fp->tabsheetFpExplorateurDirectory);
    EXPECT_EQ(tabs->widget(1), Fp->tabsheetFpExplorateurFiles);
    EXPECT_EQ(Fp->tabsheetFpExplorateurDirectory->objectName(), QStringLiteral("tabsheetFpExplorateurDirectory"));
    EXPECT_EQ(Fp->tabsheetFpExplorateurFiles->objectName(), QStringLiteral("tabsheetFpExplorateurFiles"));
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Répertoires"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Fichiers"));

    // Tabs at the bottom, the selected one in the button-face colour.
    EXPECT_GT(tabs->GetTabRect(0).top(), tabs->height() / 2);
    QImage image = tabs->grab().toImage();
    EXPECT_EQ(image.pixelColor(insideTab(tabs, 0)), Colors::toQColor(Colors::clBtnFace));
    EXPECT_EQ(image.pixelColor(insideTab(tabs, 1)), QColor(160, 160, 164));

    // Switching tabs swaps the colours at once.
    tabs->setActivePage(Fp->tabsheetFpExplorateurFiles);
    image = tabs->grab().toImage();
    EXPECT_EQ(image.pixelColor(insideTab(tabs, 0)), QColor(160, 160, 164));
    EXPECT_EQ(image.pixelColor(insideTab(tabs, 1)), Colors::toQColor(Colors::clBtnFace));
}

TEST_F(ProgramTest, ExplorerPagesTakeALayoutAndWidget)
{
    // The tree and the list go on the pages: each fills its page.
    QWidget* content = Fp->listviewFp;
    ASSERT_NE(content, nullptr);
    Fp->extpageExplorateur->setActivePage(Fp->tabsheetFpExplorateurFiles);
    QApplication::processEvents();
    EXPECT_TRUE(content->isVisible());
    EXPECT_EQ(content->size(), Fp->tabsheetFpExplorateurFiles->size());
    EXPECT_GT(content->height(), 100);
}
