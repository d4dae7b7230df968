#include "settings/propertycodec.h"

#include "platform/tfont.h"
#include "widgets/pagecontrol.h"

#include <QObject>
#include <gtest/gtest.h>

namespace {

class CodecSample : public QObject {
    Q_OBJECT
    Q_PROPERTY(int Number MEMBER number)
    Q_PROPERTY(uint Unsigned MEMBER unsignedNumber)
    Q_PROPERTY(short Small MEMBER small)
    Q_PROPERTY(bool Flag MEMBER flag)
    Q_PROPERTY(QString Text MEMBER text)
    Q_PROPERTY(double Real MEMBER real)
    Q_PROPERTY(TFont* Font MEMBER font)
    Q_PROPERTY(QRect Box MEMBER box)

public:
    int number = 0;
    uint unsignedNumber = 0;
    short small = 0;
    bool flag = false;
    QString text;
    double real = 0;
    TFont* font = nullptr;
    QRect box;
};

QMetaProperty propertyOf(const QObject& object, const char* name)
{
    const int index = object.metaObject()->indexOfProperty(name);
    EXPECT_GE(index, 0) << name;
    return object.metaObject()->property(index);
}

std::optional<QString> encodeOf(const QObject& object, const char* name)
{
    const QMetaProperty property = propertyOf(object, name);
    return PropertyCodec::encode(property, property.read(&object));
}

// Decodes text and writes it as a settings store does; false when the
// property is left as it was.
bool apply(QObject& object, const char* name, const QString& text)
{
    const QMetaProperty property = propertyOf(object, name);
    const std::optional<QVariant> value = PropertyCodec::decode(property, text);
    if (!value)
        return false;
    EXPECT_TRUE(property.write(&object, *value)) << name << " " << text.toStdString();
    return true;
}

}

TEST(PropertyCodec, IntegersAndColoursAreDecimal)
{
    CodecSample sample;
    sample.number = 16777215;
    EXPECT_EQ(encodeOf(sample, "Number"), QStringLiteral("16777215"));
    sample.number = -2147483643; // the window's system colour
    EXPECT_EQ(encodeOf(sample, "Number"), QStringLiteral("-2147483643"));
    ASSERT_TRUE(apply(sample, "Number", QStringLiteral("-2147483643")));
    EXPECT_EQ(sample.number, -2147483643);
    ASSERT_TRUE(apply(sample, "Number", QStringLiteral("255")));
    EXPECT_EQ(sample.number, 255);
    ASSERT_TRUE(apply(sample, "Number", QStringLiteral("+7")));
    EXPECT_EQ(sample.number, 7);

    // Anything that is not an integer of the type reads as 0.
    for (const QString& bad : {QStringLiteral("12px"), QStringLiteral("x"), QString(), QStringLiteral("0x10"),
                               QStringLiteral("2147483648"), QStringLiteral("1.5")}) {
        sample.number = 99;
        ASSERT_TRUE(apply(sample, "Number", bad));
        EXPECT_EQ(sample.number, 0) << bad.toStdString();
    }
    sample.unsignedNumber = 5;
    ASSERT_TRUE(apply(sample, "Unsigned", QStringLiteral("-1")));
    EXPECT_EQ(sample.unsignedNumber, 0u);
    ASSERT_TRUE(apply(sample, "Unsigned", QStringLiteral("4294967295")));
    EXPECT_EQ(sample.unsignedNumber, 4294967295u);
    ASSERT_TRUE(apply(sample, "Small", QStringLiteral("40000")));
    EXPECT_EQ(sample.small, 0);
    ASSERT_TRUE(apply(sample, "Small", QStringLiteral("-32768")));
    EXPECT_EQ(sample.small, -32768);
}

TEST(PropertyCodec, BooleansByNameWithoutRegardToCase)
{
    CodecSample sample;
    EXPECT_EQ(encodeOf(sample, "Flag"), QStringLiteral("False"));
    sample.flag = true;
    EXPECT_EQ(encodeOf(sample, "Flag"), QStringLiteral("True"));
    ASSERT_TRUE(apply(sample, "Flag", QStringLiteral("false")));
    EXPECT_FALSE(sample.flag);
    ASSERT_TRUE(apply(sample, "Flag", QStringLiteral("TRUE")));
    EXPECT_TRUE(sample.flag);
    for (const QString& other : {QStringLiteral("yes"), QStringLiteral("1"), QString(), QStringLiteral("Truth")})
        EXPECT_FALSE(apply(sample, "Flag", other)) << other.toStdString();
    EXPECT_TRUE(sample.flag);
}

TEST(PropertyCodec, EnumerationsByName)
{
    TFont font;
    TPageControl page;
    EXPECT_EQ(encodeOf(font, "Pitch"), QStringLiteral("fpDefault"));
    EXPECT_EQ(encodeOf(page, "TabPosition"), QStringLiteral("tpTop"));
    ASSERT_TRUE(apply(font, "Pitch", QStringLiteral("FPFIXED")));
    EXPECT_EQ(font.pitch(), TFont::fpFixed);
    EXPECT_EQ(encodeOf(font, "Pitch"), QStringLiteral("fpFixed"));
    ASSERT_TRUE(apply(page, "TabPosition", QStringLiteral("tpbottom")));
    EXPECT_EQ(page.tabSide(), TPageControl::tpBottom);
    // A name the type does not have leaves the value as it is.
    EXPECT_FALSE(apply(page, "TabPosition", QStringLiteral("tpMiddle")));
    EXPECT_FALSE(apply(page, "TabPosition", QStringLiteral("1")));
    EXPECT_EQ(page.tabSide(), TPageControl::tpBottom);
}

TEST(PropertyCodec, SetsInBrackets)
{
    TFont font;
    EXPECT_EQ(encodeOf(font, "Style"), QStringLiteral("[]"));
    font.setStyle(TFont::fsBold);
    EXPECT_EQ(encodeOf(font, "Style"), QStringLiteral("[fsBold]"));
    font.setStyle(TFont::fsBold | TFont::fsItalic | TFont::fsStrikeOut);
    EXPECT_EQ(encodeOf(font, "Style"), QStringLiteral("[fsBold,fsItalic,fsStrikeOut]"));

    const auto styleRead = [&font](const QString& text) {
        font.setStyle(TFont::fsUnderline);
        EXPECT_TRUE(apply(font, "Style", text));
        return font.style();
    };
    const TFont::TFontStyles boldItalic = TFont::fsBold | TFont::fsItalic;
    EXPECT_EQ(styleRead(QStringLiteral("[fsBold,fsItalic]")), boldItalic);
    EXPECT_EQ(styleRead(QStringLiteral("[fsBold, fsItalic]")), boldItalic);
    EXPECT_EQ(styleRead(QStringLiteral("fsitalic FSBOLD")), boldItalic);
    EXPECT_EQ(styleRead(QStringLiteral("[fsBold,fsWide,fsItalic]")), boldItalic);
    EXPECT_EQ(styleRead(QStringLiteral("[[fsBold,,]")), TFont::TFontStyles(TFont::fsBold));
    EXPECT_EQ(styleRead(QStringLiteral("[]")), TFont::TFontStyles());
    EXPECT_EQ(styleRead(QStringLiteral("nothing")), TFont::TFontStyles());
}

TEST(PropertyCodec, StringsAndFloatingPointNumbers)
{
    CodecSample sample;
    sample.text = QStringLiteral("  Arial  ");
    EXPECT_EQ(encodeOf(sample, "Text"), QStringLiteral("Arial"));
    sample.text.clear();
    EXPECT_EQ(encodeOf(sample, "Text"), QString());
    ASSERT_TRUE(apply(sample, "Text", QStringLiteral("'Courier New'")));
    EXPECT_EQ(sample.text, QStringLiteral("'Courier New'"));
    sample.real = 0.1;
    EXPECT_EQ(encodeOf(sample, "Real"), QStringLiteral("0.1"));
    ASSERT_TRUE(apply(sample, "Real", QStringLiteral("2.5")));
    EXPECT_EQ(sample.real, 2.5);
    ASSERT_TRUE(apply(sample, "Real", QStringLiteral("2,5"))); // the separator is "."
    EXPECT_EQ(sample.real, 0.0);
}

TEST(PropertyCodec, ObjectsAndOtherTypesHaveNoText)
{
    CodecSample sample;
    TFont font;
    sample.font = &font;
    EXPECT_TRUE(PropertyCodec::isObject(propertyOf(sample, "Font")));
    EXPECT_FALSE(PropertyCodec::isObject(propertyOf(sample, "Text")));
    EXPECT_TRUE(PropertyCodec::isString(propertyOf(sample, "Text")));
    EXPECT_EQ(encodeOf(sample, "Font"), std::nullopt);
    EXPECT_EQ(encodeOf(sample, "Box"), std::nullopt);
    EXPECT_FALSE(apply(sample, "Box", QStringLiteral("1,2,3,4")));
}

#include "propertycodec_test.moc"
