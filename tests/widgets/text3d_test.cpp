#include "widgets/label3d.h"
#include "widgets/rotatedlabel.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {
// Ink of one colour in an image: its bounding box.
QRect inkOf(const QImage& image, const QColor& color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage render(QWidget& w)
{
    w.setAttribute(Qt::WA_DontShowOnScreen);
    w.show();
    return w.grab().toImage();
}
}

TEST(Text3D, LightAndShadowSitOnOppositeSides)
{
    Text3D raised;
    raised.style = Text3D::Style::Raised;
    raised.lightDepth = 2;
    raised.shadowDepth = 3;
    EXPECT_EQ(raised.lightOffset(), QPoint(-2, -2));
    EXPECT_EQ(raised.shadowOffset(), QPoint(3, 3));
    EXPECT_EQ(raised.extent(QSize(10, 10)), QSize(15, 15));

    Text3D sunken = raised;
    sunken.style = Text3D::Style::Sunken;
    EXPECT_EQ(sunken.lightOffset(), QPoint(2, 2));
    EXPECT_EQ(sunken.shadowOffset(), QPoint(-3, -3));

    Text3D flat;
    flat.style = Text3D::Style::Flat;
    EXPECT_EQ(flat.extent(QSize(10, 10)), QSize(10, 10));
}

TEST(Text3D, SunkenLabelShowsItsLightBelowRight)
{
    TLabel3D label(QStringLiteral("IIII"));
    QFont f = label.font();
    f.setPixelSize(40);
    f.setBold(true);
    label.setFont(f);
    label.setTextStyle(TLabel3D::Style::Sunken);
    label.setDepth(3, 3);
    label.setLightColor(QColor(255, 0, 0));
    label.setShadowColor(QColor(0, 0, 255));
    label.setFaceColor(QColor(0, 0, 0));
    label.setAlignment(Qt::AlignCenter);
    label.fitToText();
    label.setAutoFillBackground(true);
    const QImage image = render(label);
    const QRect light = inkOf(image, QColor(255, 0, 0));
    const QRect shadow = inkOf(image, QColor(0, 0, 255));
    const QRect face = inkOf(image, QColor(0, 0, 0));
    ASSERT_FALSE(light.isEmpty());
    ASSERT_FALSE(shadow.isEmpty());
    ASSERT_FALSE(face.isEmpty());
    EXPECT_GT(light.right(), face.right());
    EXPECT_GT(light.bottom(), face.bottom());
    EXPECT_LT(shadow.left(), face.left());
    EXPECT_LT(shadow.top(), face.top());
    // The label is large enough for all three copies.
    EXPECT_TRUE(image.rect().contains(light | shadow | face));
}

TEST(Text3D, ArchedTextRisesInTheMiddleAndFitsItsBox)
{
    TLabel3D label(QStringLiteral("WWWWWWWWWW"));
    QFont f = label.font();
    f.setPixelSize(30);
    label.setFont(f);
    label.setTextStyle(TLabel3D::Style::Flat);
    label.setFaceColor(QColor(0, 0, 0));
    label.setShape(TLabel3D::Shape::Arch, 0.5);
    label.setAlignment(Qt::AlignCenter);
    label.setAutoFillBackground(true);
    label.resize(120, 80);  // narrower than the text
    const QImage image = render(label);
    const auto topInk = [&](int x0, int x1) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = x0; x < x1; ++x)
                if (image.pixelColor(x, y).lightness() < 100)
                    return y;
        return image.height();
    };
    const QRect ink = inkOf(image, QColor(0, 0, 0));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 0);
    EXPECT_LT(ink.right(), 120);
    const int middle = topInk(50, 70);
    const int end = topInk(ink.left(), ink.left() + 15);
    EXPECT_LT(middle, end);
}

TEST(RotateLabel, TextRunsUpwardsAndBlinks)
{
    TRotateLabel label(QStringLiteral("Scrivo 2.0"));
    QFont f = label.font();
    f.setPixelSize(24);
    f.setBold(true);
    label.setFont(f);
    label.resize(40, 173);
    QPalette pal = label.palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    pal.setColor(QPalette::Window, Qt::white);
    label.setPalette(pal);
    label.setAutoFillBackground(true);
    const QImage image = render(label);
    const QRect ink = inkOf(image, QColor(Qt::black));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GT(ink.height(), 3 * ink.width());
    // Centred.
    EXPECT_LE(std::abs(ink.center().y() - 86), 6);

    label.setBlinking(true);
    EXPECT_TRUE(label.isBlinking());
    label.setBlinking(false);
    EXPECT_FALSE(label.isBlinking());
    EXPECT_TRUE(label.isTextShown());
}
