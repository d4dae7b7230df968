#include "documents/textcodec.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace {

QString standIn(char32_t cp) { return QString::fromUcs4(&cp, 1); }

QByteArray encoded(const QString& text, TextFileFormat format = {}) { return encodeTextFile(text, format); }

}

TEST(TextCodec, RecognisesEncodingMarkAndFirstLineBreak)
{
    struct Case {
        QByteArray bytes;
        TextFileFormat format;
        QString text;
    };
    const QList<Case> cases{
        {"", {TextEncoding::Utf8, LineBreak::CRLF, false}, ""},
        {"a\nb\r\nc", {TextEncoding::Utf8, LineBreak::LF, false}, "a\nb\nc"},
        {"a\r\nb\nc\rd", {TextEncoding::Utf8, LineBreak::CRLF, false}, "a\nb\nc\nd"},
        {"a\rb\n", {TextEncoding::Utf8, LineBreak::CR, false}, "a\nb\n"},
        {"\xEF\xBB\xBF\xC3\xA9t\xC3\xA9", {TextEncoding::Utf8, LineBreak::CRLF, true}, u"\u00E9t\u00E9"_qs},
        {"\xE9t\xE9\r\n", {TextEncoding::Windows1252, LineBreak::CRLF, false}, u"\u00E9t\u00E9\n"_qs},
        {"\x80\x81\x9F", {TextEncoding::Windows1252, LineBreak::CRLF, false}, u"\u20AC\u0081\u0178"_qs},
        // Only the first mark is the file's; a second one is text.
        {"\xEF\xBB\xBF\xEF\xBB\xBF\rd", {TextEncoding::Utf8, LineBreak::CR, true}, u"\uFEFF\nd"_qs},
    };
    for (const Case& c : cases) {
        const DecodedText decoded = decodeTextFile(c.bytes);
        EXPECT_EQ(decoded.format, c.format) << c.bytes.toHex().toStdString();
        EXPECT_EQ(decoded.text, c.text);
    }
}

TEST(TextCodec, WritesEachLineBreakStyleFromTheEditorsParagraphs)
{
    const QString text = u"un\u2029deux\u2029"_qs;
    EXPECT_EQ(encoded(text), QByteArray("un\r\ndeux\r\n")) << "new documents take CRLF";
    EXPECT_EQ(encoded(text, {TextEncoding::Utf8, LineBreak::LF, false}), QByteArray("un\ndeux\n"));
    EXPECT_EQ(encoded(text, {TextEncoding::Utf8, LineBreak::CR, true}), QByteArray("\xEF\xBB\xBFun\rdeux\r"));
    EXPECT_EQ(encoded(u"a\u2028b\u00A0c"_qs), QByteArray("a\xE2\x80\xA8" "b\xC2\xA0" "c"));
}

TEST(TextCodec, Windows1252TakesUtf8OnlyForCharactersItLacks)
{
    TextFileFormat format{TextEncoding::Windows1252, LineBreak::CRLF, false};
    EXPECT_EQ(encodeTextFile(u"\u20AC\u00E9\u2029"_qs, format), QByteArray("\x80\xE9\r\n"));
    EXPECT_EQ(format.encoding, TextEncoding::Windows1252);

    EXPECT_EQ(encodeTextFile(u"\u00E9\u2192\u2029"_qs, format), QByteArray("\xC3\xA9\xE2\x86\x92\r\n"));
    EXPECT_EQ(format, (TextFileFormat{TextEncoding::Utf8, LineBreak::CRLF, false}));
}

TEST(TextCodec, CharactersTheEditorCannotHoldTravelAsStandIns)
{
    using namespace EditorStandIn;
    const DecodedText decoded = decodeTextFile("a\xE2\x80\xA9" "b\xEF\xB7\x90\xEF\xB7\x91");
    EXPECT_EQ(decoded.text, u"a"_qs + standIn(ParagraphSeparator) + u"b"_qs + standIn(FrameStart) + standIn(FrameEnd));
    EXPECT_FALSE(decoded.text.contains(QChar::ParagraphSeparator));

    // A stand-in in the file itself is quoted, and comes back alone.
    const QByteArray literal = QString(standIn(FrameStart)).toUtf8();
    EXPECT_EQ(decodeTextFile(literal).text, standIn(Quote) + standIn(FrameStart));
    TextFileFormat format = decodeTextFile(literal).format;
    EXPECT_EQ(encodeTextFile(decodeTextFile(literal).text, format), literal);

    // A quote the user left before ordinary text is just itself.
    EXPECT_EQ(encoded(standIn(Quote) + u"x"_qs), (standIn(Quote) + u"x"_qs).toUtf8());
}
