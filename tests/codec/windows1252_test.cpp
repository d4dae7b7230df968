#include "codec/textcodec.h"
#include "codec/windows1252.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

// Bytes 0x80..0x9F of Windows-1252 as the code page's published mapping
// gives them; the five it leaves unassigned stand for the C1 control of the
// same value.
TEST(Windows1252, EveryByteHasItsReferenceCharacter)
{
    const char16_t reference[32] = {
        u'€', 0x81, u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š', u'‹', u'Œ', 0x8D, u'Ž', 0x8F,
        0x90, u'‘', u'’', u'“', u'”', u'•', u'–', u'—', u'˜', u'™', u'š', u'›', u'œ', 0x9D, u'ž', u'Ÿ',
    };
    QByteArray all;
    QString expected;
    for (int b = 0; b < 256; ++b) {
        const char16_t c = (b >= 0x80 && b < 0xA0) ? reference[b - 0x80] : char16_t(b);
        EXPECT_EQ(Windows1252::toUnicode(static_cast<unsigned char>(b)), c) << std::hex << b;
        EXPECT_EQ(Windows1252::fromUnicode(c), b) << std::hex << b;
        if (b != '\r' && b != '\n') {
            all += char(b);
            expected += QChar(c);
        }
    }
    // A file of them all reads as Windows-1252 and comes back whole.
    const DecodedText decoded = decodeTextFile(all);
    EXPECT_EQ(decoded.format.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(decoded.text, expected);
    EXPECT_EQ(encodeTextFile(decoded.text, decoded.format).bytes, all);
}

TEST(Windows1252, CharactersOutsideTheCodePageHaveNoByte)
{
    // C1 controls whose bytes carry other characters, and beyond Latin-1.
    for (const char32_t c : {0x80u, 0x8Eu, 0x9Fu, 0x100u, 0x2192u, 0xFFFDu, 0xEF80u, 0x1F600u, 0xD800u})
        EXPECT_EQ(Windows1252::fromUnicode(c), -1) << std::hex << quint32(c);
}
