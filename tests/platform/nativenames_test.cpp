#include "platform/nativenames.h"

#include <gtest/gtest.h>

TEST(NativeNames, ValidNamesShowAsTheyAre)
{
    EXPECT_EQ(NativeNames::display("readme.txt"), QStringLiteral("readme.txt"));
    EXPECT_EQ(NativeNames::display("\xC3\xA9t\xC3\xA9 \xF0\x9F\x93\x84"),
              QString::fromUtf8("\xC3\xA9t\xC3\xA9 \xF0\x9F\x93\x84"));
    EXPECT_EQ(NativeNames::display(""), QString());
}

TEST(NativeNames, BytesThatDoNotDecodeShowAsHexAndStayApartFromTheReplacementCharacter)
{
    EXPECT_EQ(NativeNames::display("c\xFF.txt"), QStringLiteral("c\\xFF.txt"));
    // U+FFFD written out is a valid name of its own and shows as itself.
    EXPECT_EQ(NativeNames::display("c\xEF\xBF\xBD.txt"), QString::fromUtf8("c\xEF\xBF\xBD.txt"));
    EXPECT_EQ(NativeNames::display("inv\xFF\xFEname"), QStringLiteral("inv\\xFF\\xFEname"));
    EXPECT_EQ(NativeNames::display("dir\xE9"), QStringLiteral("dir\\xE9"));
    // Cut short, overlong, surrogate, beyond U+10FFFF: each byte on its own.
    EXPECT_EQ(NativeNames::display("a\xE2\x82"), QStringLiteral("a\\xE2\\x82"));
    EXPECT_EQ(NativeNames::display("\xC0\xAF"), QStringLiteral("\\xC0\\xAF"));
    EXPECT_EQ(NativeNames::display("\xED\xA0\x80"), QStringLiteral("\\xED\\xA0\\x80"));
    EXPECT_EQ(NativeNames::display("\xF4\x90\x80\x80"), QStringLiteral("\\xF4\\x90\\x80\\x80"));
}

TEST(NativeNames, LineBreaksAndOtherControlsShowAsTheirPictures)
{
    EXPECT_EQ(NativeNames::display("two\nlines"), QString::fromUtf8("two\xE2\x90\x8Alines"));
    EXPECT_EQ(NativeNames::display("cr\r\ttab\x7F"), QString::fromUtf8("cr\xE2\x90\x8D\xE2\x90\x89tab\xE2\x90\xA1"));
    EXPECT_EQ(NativeNames::display("sep\xE2\x80\xA8x"), QString::fromUtf8("sep\xE2\x90\xA4x"));
    EXPECT_FALSE(NativeNames::display("a\nb\r\nc").contains(u'\n'));
}

TEST(NativeNames, EveryPathComesBackByteForByte)
{
    const QByteArray paths[] = {
        "/home/user/readme.txt",
        "/tmp/c\xFF.txt",
        "/tmp/c\xEF\xBF\xBD.txt",
        "/tmp/inv\xFF\xFEname.txt",
        "/tmp/dir\xE9/file",
        "/tmp/\xEE\xBE\x80 and \xEE\xBD\xBF are stand-in code points spelled out",
        "/tmp/\xEE\xBD\xBF\xFF",
        "/tmp/two\nlines \xF0\x9F\x93\x84",
        "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80\xE2\x82",
    };
    for (const QByteArray& path : paths) {
        const QString carried = NativeNames::fromNative(path);
        EXPECT_EQ(NativeNames::toNative(carried), path) << path.toHex().toStdString();
    }
    // Two names that differ in bytes stay apart.
    EXPECT_NE(NativeNames::fromNative("c\xFF.txt"), NativeNames::fromNative("c\xEF\xBF\xBD.txt"));
    // A valid UTF-8 path is carried as Qt reads it.
    EXPECT_EQ(NativeNames::fromNative("/tmp/\xC3\xA9t\xC3\xA9"), QString::fromUtf8("/tmp/\xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(NativeNames::displayPath(NativeNames::fromNative("/tmp/c\xFF.txt")), QStringLiteral("/tmp/c\\xFF.txt"));
}
