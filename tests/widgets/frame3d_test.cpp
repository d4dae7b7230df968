#include "widgets/frame3d.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

TEST(Frame3D, TopLeftLinesThenBottomRightLinesWhichTakeTheSharedCorners)
{
    QImage image(10, 8, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        drawFrame3D(p, QRect(1, 1, 7, 5), Qt::red, Qt::blue);
    }
    const QRgb red = qRgb(255, 0, 0);
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb white = qRgb(255, 255, 255);
    // Lines from (1,1) to (7,5).
    EXPECT_EQ(image.pixel(1, 1), red);
    EXPECT_EQ(image.pixel(4, 1), red);
    EXPECT_EQ(image.pixel(1, 3), red);
    EXPECT_EQ(image.pixel(7, 1), blue);
    EXPECT_EQ(image.pixel(1, 5), blue);
    EXPECT_EQ(image.pixel(4, 5), blue);
    EXPECT_EQ(image.pixel(7, 3), blue);
    EXPECT_EQ(image.pixel(7, 5), blue);
    // Nothing inside or outside.
    EXPECT_EQ(image.pixel(4, 3), white);
    EXPECT_EQ(image.pixel(0, 0), white);
    EXPECT_EQ(image.pixel(8, 6), white);
}
