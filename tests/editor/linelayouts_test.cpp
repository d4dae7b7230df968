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

TEST(LineLayouts, LinesThatStartRightToLeftReadFromTheRightEdge)
{
    // Hebrew, then Latin after a Hebrew word, then Latin; the long line's
    // later segments follow its start.
    const QString hebrew = QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
    const QString longLine = hebrew + QStringLiteral(" word").repeated(4000);
    TextStore store;
    store.setText(hebrew + QStringLiteral("\n") + hebrew + QStringLiteral(" abc\nabc ") + hebrew + u'\n' + longLine);
    LineLayouts layouts(store);
    layouts.setWidth(400);
    const auto rowLeft = [&](int line, int segment) {
        return layouts.layout(line, segment).lineAt(0).naturalTextRect().left();
    };
    EXPECT_GT(rowLeft(0, 0), 200);
    EXPECT_GT(rowLeft(1, 0), 100);
    EXPECT_LT(rowLeft(2, 0), 1);
    ASSERT_GT(layouts.segmentCount(3), 1);
    EXPECT_EQ(layouts.layout(3, 1).textOption().textDirection(), Qt::RightToLeft);
    // The caret's place before the first letter is at the right.
    EXPECT_GT(layouts.layout(0, 0).lineAt(0).cursorToX(0), 200);
}
