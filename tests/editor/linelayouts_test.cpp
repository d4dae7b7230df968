#include "editor/linelayouts.h"

#include "text/textstore.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QTextLayout>
#include <gtest/gtest.h>

TEST(LineLayouts, ScriptsThatNeedShapingAreShapedWhateverTheFontPrefers)
{
    // The editor's font asks to skip shaping, for speed on Latin lines;
    // Arabic letters must still join.
    TextStore store;
    store.setText(QStringLiteral("plain latin text\n\u0628\u0628\u0628\nemoji \U0001F600"));
    LineLayouts layouts(store);
    QFont font;
    font.setStyleStrategy(QFont::PreferNoShaping);
    layouts.setFont(font);
    layouts.setWidth(400);
    const auto shaped = [&](int line) {
        return !(layouts.layout(line, 0).font().styleStrategy() & QFont::PreferNoShaping);
    };
    EXPECT_FALSE(shaped(0));
    EXPECT_TRUE(shaped(1));
    EXPECT_TRUE(shaped(2));
    if (QFontDatabase::families(QFontDatabase::Arabic).isEmpty())
        GTEST_SKIP() << "no Arabic font here to see the joined forms";
    // Three behs: initial, medial and final forms, three different glyphs.
    const QList<QGlyphRun> runs = layouts.layout(1, 0).glyphRuns();
    ASSERT_EQ(runs.size(), 1);
    const QList<quint32> glyphs = runs.front().glyphIndexes();
    ASSERT_EQ(glyphs.size(), 3);
    EXPECT_NE(glyphs[0], glyphs[1]);
    EXPECT_NE(glyphs[1], glyphs[2]);
}
