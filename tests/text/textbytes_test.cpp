#include "text/textbytes.h"

#include <gtest/gtest.h>

#include <random>

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

TEST(TextBytes, RunsWithRawBytesCountAsTheirTextReads)
{
    // Pieces that make valid stretches long enough for the block counting,
    // broken now and then by raw bytes, cut characters and stray CR and LF.
    const char* pieces[] = {"abcdefghijklmnopqrstuvwxyz", "\r\n", "\r", "\n", "\xC3\xA9", "\xE2\x82\xAC",
                            "\xF0\x9F\x98\x80", "\xE9", "\xE2\x82", "\x80", "\xF0\x9F", "\xFF"};
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes;
        const int count = int(random() % 40);
        for (int k = 0; k < count; ++k)
            bytes += pieces[random() % std::size(pieces)];
        const QString text = TextBytes::toText(bytes);
        const TextBytes::Metrics m = TextBytes::measure(bytes);
        ASSERT_EQ(m.units, text.size()) << bytes.toHex().constData();
        ASSERT_EQ(m.breaks, text.count(u'\n')) << bytes.toHex().constData();
        const bool raw = std::any_of(text.begin(), text.end(), [](QChar c) { return TextBytes::isRawByteStandIn(c.unicode()); });
        ASSERT_EQ(m.valid, !raw) << bytes.toHex().constData();
        ASSERT_EQ(m.ascii, std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }));
    }
}

TEST(TextBytes, TokensReadForwardAndBackwardAlike)
{
    // Breaks of each kind, characters of one to four bytes, raw bytes among
    // them, and characters cut short at either end.
    const QByteArray bytes("\x80" "a\r\n\r\n\nb\r\xC3\xA9\xA9\xE2\x82\xAC\xE2\x82\xF0\x9F\x98\x80\xED\xA0\x80"
                           "\xC0\xAF\xEE\xBE\x80\x80\x80\x80\x80\xF0\x9F");
    const QString text = TextBytes::toText(bytes);
    QString forward;
    std::vector<qsizetype> boundaries{0};
    for (qsizetype at = 0; at < bytes.size();) {
        const TextBytes::Decoded d = TextBytes::decodeAt(bytes, at);
        forward += QStringView(QChar::fromUcs4(d.character));
        at += d.bytes;
        boundaries.push_back(at);
    }
    EXPECT_EQ(forward, text);
    QString backward;
    for (std::size_t k = boundaries.size() - 1; k > 0; --k) {
        const TextBytes::Decoded d = TextBytes::decodeBefore(bytes, boundaries[k]);
        EXPECT_EQ(d.bytes, boundaries[k] - boundaries[k - 1]) << k;
        backward.prepend(QStringView(QChar::fromUcs4(d.character)));
    }
    EXPECT_EQ(backward, text);
}

} // namespace
