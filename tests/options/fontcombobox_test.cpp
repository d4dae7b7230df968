#include "options/fontcombobox.h"

#include "support/secondfoundry.h"

#include <QFontDatabase>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QStringList itemsOf(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

const QString serifFile = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf");

}

TEST(FontComboBox, NamesAreFamiliesWithoutTheirFoundry)
{
    EXPECT_EQ(TFontComboBox::familyNames({QStringLiteral("Nimbus Sans [UKWN]"), QStringLiteral("Nimbus Sans [URW ]"),
                                          QStringLiteral("Nimbus Sans [urw]"), QStringLiteral("DejaVu Sans"),
                                          QStringLiteral("arial"), QStringLiteral("Arial [Monotype]")}),
              (QStringList{QStringLiteral("arial"), QStringLiteral("DejaVu Sans"), QStringLiteral("Nimbus Sans")}));
    EXPECT_EQ(TFontComboBox::familyName(QStringLiteral("Nimbus Mono PS [UKWN]")), QStringLiteral("Nimbus Mono PS"));
    // Brackets that are the whole name, or not at its end, are the name.
    EXPECT_EQ(TFontComboBox::familyName(QStringLiteral("[Odd]")), QStringLiteral("[Odd]"));
    EXPECT_EQ(TFontComboBox::familyName(QStringLiteral("A [b] c")), QStringLiteral("A [b] c"));
}

TEST(FontComboBox, AFamilyFromTwoFoundriesIsListedOnceAndFoundByItsName)
{
    const SecondFoundryFont second(serifFile);
    ASSERT_TRUE(second.isLoaded()) << "cannot register a copy of " << serifFile.toStdString();
    // The database tells the two foundries apart.
    ASSERT_TRUE(QFontDatabase::families().contains(QStringLiteral("DejaVu Serif [ZZTS]")));

    TFontComboBox combo;
    combo.setFontName(QStringLiteral("dejavu serif"));
    EXPECT_EQ(combo.fontName(), QStringLiteral("DejaVu Serif"));
    EXPECT_FALSE(combo.isNotInstalled());
    const QStringList items = itemsOf(combo);
    EXPECT_EQ(items.count(QStringLiteral("DejaVu Serif")), 1);
    EXPECT_TRUE(items.filter(QStringLiteral(" [")).isEmpty()) << items.join(u',').toStdString();

    // A name stored with its foundry by an older run finds its family.
    combo.setFontName(QStringLiteral("DejaVu Serif [ZZTS]"));
    EXPECT_EQ(combo.fontName(), QStringLiteral("DejaVu Serif"));
}

TEST(FontComboBox, ANameNotInstalledIsKeptUntilTheUserPicksAnother)
{
    TFontComboBox combo;
    QSignalSpy clicks(&combo, &TFontComboBox::Click);
    combo.setFontName(QStringLiteral("Font Removed Since"));
    EXPECT_EQ(combo.fontName(), QStringLiteral("Font Removed Since"));
    EXPECT_TRUE(combo.isNotInstalled());
    EXPECT_EQ(clicks.count(), 0);

    // Setting another name lets it go; setting it again brings it back once.
    combo.setFontName(QStringLiteral("DejaVu Sans"));
    EXPECT_FALSE(combo.isNotInstalled());
    EXPECT_EQ(combo.findText(QStringLiteral("Font Removed Since")), -1);
    combo.setFontName(QStringLiteral("Font Removed Since"));
    combo.setFontName(QStringLiteral("Font Removed Since"));
    EXPECT_EQ(itemsOf(combo).count(QStringLiteral("Font Removed Since")), 1);

    // The user's pick of an installed family replaces it for good.
    QTest::keyClick(&combo, Qt::Key_Down);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(combo.isNotInstalled());
    EXPECT_EQ(combo.findText(QStringLiteral("Font Removed Since")), -1);
    EXPECT_EQ(combo.fontName(), combo.itemText(combo.currentIndex()));
    EXPECT_FALSE(combo.fontName().isEmpty());

    combo.setFontName(QString());
    EXPECT_EQ(combo.fontName(), QString());
}
