#include "text/textbytes.h"

#include <gtest/gtest.h>

namespace {

TEST(TextBytes, EachBreakIsOnePositionAndRawBytesStandForThemselves)
{
    const TextBytes::Metrics m = TextBytes::measure("a\r\nb\rc\n\xF0\x9F\x98\x80\xE9");
    EXPECT_EQ(m.units, 9); // a, CR LF, b, CR, c, LF, a surrogate pair, a raw byte
    EXPECT_EQ(m.breaks, 3);
    EXPECT_FALSE(m.ascii);
    EXPECT_FALSE(m.valid);
    EXPECT_EQ(TextBytes::toText("a\r\nb\rc\n\xE9"), QStringView(u"a\nb\nc\n\uEFE9").toString());
}

TEST(TextBytes, AJunctionIsCleanUnlessATokenWouldSpanIt)
{
    EXPECT_FALSE(TextBytes::cleanJunction("x\r", "\ny"));
    EXPECT_FALSE(TextBytes::cleanJunction("\xE2\x82", "\xAC"));   // "€" cut in two
    EXPECT_FALSE(TextBytes::cleanJunction("\xF0", "\x9F\x98\x80")); // "😀" cut after its lead
    EXPECT_TRUE(TextBytes::cleanJunction("\xE2", "\x82"));          // still not a whole character
    EXPECT_TRUE(TextBytes::cleanJunction("\xC3\xA9", "\xA9"));      // "é" is whole already
    EXPECT_TRUE(TextBytes::cleanJunction("\n", "\r"));
}

TEST(TextBytes, RawBytesThatWouldSpellACharacterAreKeptInRunsOfTheirOwn)
{
    const auto runs = TextBytes::encode(QStringView(u"a\uEFE2\uEF82\uEFAC\n"), TextBytes::Break::CR, 100);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].bytes, QByteArray("a\xE2\x82"));
    EXPECT_EQ(runs[1].bytes, QByteArray("\xAC\r"));
    EXPECT_EQ(TextBytes::toText(runs[0].bytes) + TextBytes::toText(runs[1].bytes), QStringView(u"a\uEFE2\uEF82\uEFAC\n").toString());
    EXPECT_EQ(runs[1].metrics.units, 2);
    EXPECT_EQ(runs[1].metrics.breaks, 1);
    EXPECT_FALSE(runs[1].metrics.valid);
}

} // namespace
