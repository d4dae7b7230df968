#include "codec/textcodec.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <random>

namespace {

QString ch(char32_t c) { return QString::fromUcs4(&c, 1); }
QString quoted(char32_t c) { return ch(StandIn::Quote) + ch(c); }

QByteArray encoded(const QString& text, const TextFileFormat& format = {})
{
    const EncodedText out = encodeTextFile(text, format);
    EXPECT_FALSE(out.unencodable) << "refused U+" << std::hex << quint32(out.unencodable->character);
    return out.bytes;
}

// The bytes a file gives back when it is read and written untouched.
QByteArray writtenBack(const QByteArray& bytes)
{
    const DecodedText decoded = decodeTextFile(bytes);
    return encoded(decoded.text, decoded.format);
}

std::optional<Unencodable> refusal(const QString& text, TextEncoding encoding)
{
    const EncodedText out = encodeTextFile(text, {encoding, LineBreak::CRLF, false});
    if (out.unencodable) {
        EXPECT_TRUE(out.bytes.isEmpty());
    }
    return out.unencodable;
}

constexpr TextFileFormat utf8{TextEncoding::Utf8, LineBreak::CRLF, false};
constexpr TextFileFormat cp1252{TextEncoding::Windows1252, LineBreak::CRLF, false};

}

TEST(TextCodec, RecognisesEncodingMarkAndFirstLineBreak)
{
    struct Case {
        QByteArray bytes;
        TextFileFormat format;
        QString text;
    };
    using E = TextEncoding;
    using B = LineBreak;
    const QList<Case> cases{
        {"", utf8, ""},
        {"a\nb\r\nc", {E::Utf8, B::LF, false}, "a\nb\nc"},
        {"a\r\nb\nc\rd", {E::Utf8, B::CRLF, false}, "a\nb\nc\nd"},
        {"a\rb\n", {E::Utf8, B::CR, false}, "a\nb\n"},
        {"\xEF\xBB\xBF\xC3\xA9t\xC3\xA9", {E::Utf8, B::CRLF, true}, u"\u00E9t\u00E9"_qs},
        {"\xE9t\xE9\r\n", cp1252, u"\u00E9t\u00E9\n"_qs},
        {"\x80\x81\x9F", cp1252, u"\u20AC\u0081\u0178"_qs},
        // Only the first mark is the file's; a second one is text.
        {"\xEF\xBB\xBF\xEF\xBB\xBF\rd", {E::Utf8, B::CR, true}, u"\uFEFF\nd"_qs},
        // UTF-16: the bytes 0A and 0D inside a unit are no line break.
        {QByteArray("\xFF\xFE" "A\0\r\0\n\0\x0A\x01\x3D\xD8\x00\xDE", 14), {E::Utf16LE, B::CRLF, true},
         u"A\n\u010A"_qs + ch(0x1F600)},
        {QByteArray("\xFE\xFF\0A\0\r\x0D\x01", 8), {E::Utf16BE, B::CR, true}, u"A\n\u0D01"_qs},
        {QByteArray("\xFF\xFE", 2), {E::Utf16LE, B::CRLF, true}, ""},
        {QByteArray("\xFF\xFE\0\0A\0\0\0\n\0\0\0\x00\xF6\x01\x00", 16), {E::Utf32LE, B::LF, true},
         u"A\n"_qs + ch(0x1F600)},
        {QByteArray("\0\0\xFE\xFF\0\x01\xF6\0", 8), {E::Utf32BE, B::CRLF, true}, ch(0x1F600)},
        {QByteArray("\xFF\xFE\0\0\xFF\xFF\x10\0", 8), {E::Utf32LE, B::CRLF, true}, ch(0x10FFFF)},
        // FF FE 00 00 before whole UTF-16 units that are no UTF-32: UTF-16 LE
        // beginning with a NUL.
        {QByteArray("\xFF\xFE\0\0A\0", 6), {E::Utf16LE, B::CRLF, true}, QString(u"\0A"_qs)},
        {QByteArray("\xFF\xFE\0\0\0\0\x11\0", 8), {E::Utf16LE, B::CRLF, true}, QString(u"\0\0\u0011"_qs)},
        // A mark before a cut unit is no mark: the bytes are read as 8-bit text.
        {QByteArray("\xFE\xFF\0A\0", 5), cp1252, QString(u"\u00FE\u00FF\0A\0"_qs)},
    };
    for (const Case& c : cases) {
        const DecodedText decoded = decodeTextFile(c.bytes);
        EXPECT_EQ(decoded.format, c.format) << c.bytes.toHex().toStdString();
        EXPECT_EQ(decoded.text, c.text) << c.bytes.toHex().toStdString();
        if (!decoded.mixedLineBreaks) {
            EXPECT_EQ(writtenBack(c.bytes), c.bytes);
        }
    }
}

TEST(TextCodec, Utf8WithAFewInvalidBytesStaysUtf8)
{
    struct Case {
        QByteArray bytes;
        TextEncoding encoding;
        QString text;
    };
    const auto byte = [](unsigned char b) { return QString(QChar(char16_t(StandIn::ByteBase + b))); };
    const QList<Case> cases{
        // One well-formed sequence, one bad byte: UTF-8, the byte kept.
        {"caf\xC3\xA9 cr\xE8me", TextEncoding::Utf8, u"caf\u00E9 cr"_qs + byte(0xE8) + u"me"_qs},
        // A sequence cut short is one ill-formed piece, whatever its length.
        {"\xC3\xA9t\xC3\xA9 \xE2\x82", TextEncoding::Utf8, u"\u00E9t\u00E9 "_qs + byte(0xE2) + byte(0x82)},
        {"\xC3\xA9\xF0\x9F\x98", TextEncoding::Utf8, u"\u00E9"_qs + byte(0xF0) + byte(0x9F) + byte(0x98)},
        {"\xEF\xBB\xBF\xC3\xA9\xFF", TextEncoding::Utf8, u"\u00E9"_qs + byte(0xFF)},
        // Overlong forms, encoded surrogates and values past U+10FFFF are no
        // UTF-8: each of their bytes is kept.
        {"\xC3\xA9\xC3\xA9\xC0\xAF", TextEncoding::Utf8, u"\u00E9\u00E9"_qs + byte(0xC0) + byte(0xAF)},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xED\xA0\x80", TextEncoding::Utf8,
         u"\u00E9\u00E9\u00E9"_qs + byte(0xED) + byte(0xA0) + byte(0x80)},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xF0\x8F\xBF\xBF", TextEncoding::Utf8,
         u"\u00E9\u00E9\u00E9\u00E9"_qs + byte(0xF0) + byte(0x8F) + byte(0xBF) + byte(0xBF)},
        {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xF4\x90\x80\x80", TextEncoding::Utf8,
         u"\u00E9\u00E9\u00E9\u00E9"_qs + byte(0xF4) + byte(0x90) + byte(0x80) + byte(0x80)},
        // More bad pieces than sequences, or none of these: Windows-1252.
        {"\xC3\xA9 \xE9 \xE8", TextEncoding::Windows1252, u"\u00C3\u00A9 \u00E9 \u00E8"_qs},
        {"caf\xE9", TextEncoding::Windows1252, u"caf\u00E9"_qs},
        {"\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80", TextEncoding::Windows1252,
         u"\u00C0\u00AF \u00ED\u00A0\u20AC \u00F4\u0090\u20AC\u20AC"_qs},
        // A UTF-8 mark before text that is not UTF-8: all Windows-1252.
        {"\xEF\xBB\xBF\xFF\xFE", TextEncoding::Windows1252, u"\u00EF\u00BB\u00BF\u00FF\u00FE"_qs},
    };
    for (const Case& c : cases) {
        const DecodedText decoded = decodeTextFile(c.bytes);
        EXPECT_EQ(decoded.format.encoding, c.encoding) << c.bytes.toHex().toStdString();
        EXPECT_EQ(decoded.text, c.text) << c.bytes.toHex().toStdString();
        EXPECT_EQ(writtenBack(c.bytes), c.bytes);
    }
}

TEST(TextCodec, CharactersThatLookLikeStandInsAreQuoted)
{
    using namespace StandIn;
    // What the editor cannot hold travels as stand-ins.
    const DecodedText held = decodeTextFile("a\xE2\x80\xA9" "b\xEF\xB7\x90\xEF\xB7\x91");
    EXPECT_EQ(held.text, u"a"_qs + ch(ParagraphSeparator) + u"b"_qs + ch(FrameStart) + ch(FrameEnd));

    // The file's own stand-in characters are quoted and come back alone, in
    // valid and in damaged UTF-8 alike.
    const QByteArray literal = "\xEE\xBE\x80" + ch(FrameStart).toUtf8() + "\xEE\xBF\xBF";
    EXPECT_EQ(decodeTextFile(literal).text, quoted(0xEF80) + quoted(FrameStart) + quoted(0xEFFF));
    EXPECT_EQ(writtenBack(literal), literal);
    const QByteArray damaged = "\xEE\xBE\x80\x80\xC3\xA9";
    EXPECT_EQ(decodeTextFile(damaged).text, quoted(0xEF80) + QChar(0xEF80) + u"\u00E9"_qs);
    EXPECT_EQ(writtenBack(damaged), damaged);

    // Outside UTF-8 no byte is kept, so U+EF80 is just a character.
    const QByteArray wide("\xFF\xFE\x80\xEF", 4);
    EXPECT_EQ(decodeTextFile(wide).text, QString(QChar(0xEF80)));
    EXPECT_EQ(writtenBack(wide), wide);

    // A quote the user left before ordinary text is just itself.
    EXPECT_EQ(encoded(ch(Quote) + u"x"_qs), (ch(Quote) + u"x"_qs).toUtf8());
    EXPECT_EQ(encoded(ch(Quote)), ch(Quote).toUtf8());
}

TEST(TextCodec, WritesEachLineBreakStyleInTheFilesEncoding)
{
    const QString text = u"un\u2029deux\n"_qs;
    EXPECT_EQ(encoded(text), QByteArray("un\r\ndeux\r\n")) << "new documents take CRLF";
    EXPECT_EQ(encoded(text, {TextEncoding::Utf8, LineBreak::LF, false}), QByteArray("un\ndeux\n"));
    EXPECT_EQ(encoded(text, {TextEncoding::Utf8, LineBreak::CR, true}), QByteArray("\xEF\xBB\xBFun\rdeux\r"));
    EXPECT_EQ(encoded(u"a\u2028b\u00A0c"_qs), QByteArray("a\xE2\x80\xA8" "b\xC2\xA0" "c"));
    EXPECT_EQ(encoded(u"\u00E9\n"_qs, {TextEncoding::Utf16BE, LineBreak::CRLF, true}),
              QByteArray("\xFE\xFF\x00\xE9\x00\r\x00\n", 8));
    EXPECT_EQ(encoded(ch(0x1F600) + u"\n"_qs, {TextEncoding::Utf16LE, LineBreak::LF, true}),
              QByteArray("\xFF\xFE\x3D\xD8\x00\xDE\n\x00", 8));
    EXPECT_EQ(encoded(u"\u00E9\n"_qs, {TextEncoding::Utf32LE, LineBreak::CR, true}),
              QByteArray("\xFF\xFE\0\0\xE9\0\0\0\r\0\0\0", 12));
    EXPECT_EQ(encoded(ch(0x1F600), {TextEncoding::Utf32BE, LineBreak::CR, true}),
              QByteArray("\0\0\xFE\xFF\0\x01\xF6\0", 8));
}

TEST(TextCodec, AnEncodingNeverChangesByItself)
{
    EXPECT_EQ(encoded(u"\u20AC\u00E9\u2029"_qs, cp1252), QByteArray("\x80\xE9\r\n"));

    // A character Windows-1252 lacks: no bytes, but which one and where.
    std::optional<Unencodable> refused = refusal(u"caf\u00E9\n\u00E9 \u2192"_qs, TextEncoding::Windows1252);
    ASSERT_TRUE(refused);
    EXPECT_EQ(quint32(refused->character), 0x2192u);
    EXPECT_EQ(refused->line, 2);
    EXPECT_EQ(describeUnencodable(*refused, TextEncoding::Windows1252),
              u"the character \"\u2192\" (U+2192) on line 2 has no form in Windows-1252"_qs);

    // A C1 control Windows-1252 uses for another character, a byte kept
    // from a damaged UTF-8 file, a character past the BMP.
    EXPECT_EQ(quint32(refusal(u"\u0080"_qs, TextEncoding::Windows1252).value().character), 0x80u);
    EXPECT_EQ(refusal(u"a\u2029b\u2029"_qs + QChar(0xEF80), TextEncoding::Windows1252).value().line, 3);
    const Unencodable smiley = refusal(ch(0x1F600), TextEncoding::Windows1252).value();
    EXPECT_EQ(describeUnencodable(smiley, TextEncoding::Windows1252),
              u"the character \""_qs + ch(0x1F600) + u"\" (U+1F600) on line 1 has no form in Windows-1252"_qs);

    // A lone surrogate has a form in UTF-16 only.
    const QString lone = u"x\n"_qs + QChar(0xD800);
    const Unencodable surrogate = refusal(lone, TextEncoding::Utf8).value();
    EXPECT_EQ(describeUnencodable(surrogate, TextEncoding::Utf8),
              u"the character U+D800 on line 2 has no form in UTF-8"_qs);
    EXPECT_TRUE(refusal(lone, TextEncoding::Utf32BE));
    EXPECT_EQ(encoded(lone, {TextEncoding::Utf16BE, LineBreak::LF, true}),
              QByteArray("\xFE\xFF\0x\0\n\xD8\x00", 8));
    EXPECT_EQ(writtenBack(QByteArray("\xFF\xFE\x00\xDC\x00\xD8", 6)), QByteArray("\xFF\xFE\x00\xDC\x00\xD8", 6));
}

TEST(TextCodec, TellsWhetherTheLineBreaksAreMixed)
{
    const QList<std::pair<QByteArray, bool>> cases{
        {"a", false}, {"a\nb\n", false}, {"a\r\nb\r\n", false}, {"a\rb\r", false}, {"\r", false},
        {"a\r\nb\n", true}, {"a\nb\r\n", true}, {"a\rb\r\n", true}, {"a\r\r\n", true}, {"a\n\r", true},
        {QByteArray("\xFF\xFE\r\0\n\0\n\0", 8), true},
    };
    for (const auto& [bytes, mixed] : cases) {
        const DecodedText decoded = decodeTextFile(bytes);
        EXPECT_EQ(decoded.mixedLineBreaks, mixed) << bytes.toHex().toStdString();
        EXPECT_EQ(writtenBack(bytes) == bytes, !mixed) << bytes.toHex().toStdString();
    }
}

TEST(TextCodec, RandomFilesComeBackByteForByte)
{
    // Short files of bytes that matter to the decoders, after each mark.
    const QByteArray alphabet("\x00\x0A\x0D" "a\x80\x81\x9F\xA0\xA9\xBE\xBF\xC3\xD8\xDB\xDC\xDF\xE2\xED\xEE\xEF"
                              "\xF0\xF4\xF5\xFE\xFF",
                              25);
    const QList<QByteArray> marks{
        {}, "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF", QByteArray("\xFF\xFE\0\0", 4), QByteArray("\0\0\xFE\xFF", 4)};
    std::mt19937 random(19);
    for (int round = 0; round < 6000; ++round) {
        QByteArray bytes = marks[round % marks.size()];
        const int length = int(random() % 24);
        for (int i = 0; i < length; ++i)
            bytes += alphabet[int(random() % alphabet.size())];
        const DecodedText decoded = decodeTextFile(bytes);
        const EncodedText back = encodeTextFile(decoded.text, decoded.format);
        ASSERT_FALSE(back.unencodable) << bytes.toHex().toStdString();
        if (!decoded.mixedLineBreaks) {
            ASSERT_EQ(back.bytes, bytes);
        } else {
            // Breaks written in one style can change what a mark is read
            // as (a cut UTF-16 unit may become whole); else the text stays.
            const DecodedText again = decodeTextFile(back.bytes);
            if (again.format == decoded.format) {
                ASSERT_EQ(again.text, decoded.text) << bytes.toHex().toStdString();
            }
        }
    }
}
