#include "widgets/waitcursor.h"

#include <QApplication>
#include <gtest/gtest.h>

TEST(WaitCursor, ShowsTheHourglassForItsScopeOnly)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        const WaitCursor outer;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            const WaitCursor inner;
        }
        ASSERT_NE(QApplication::overrideCursor(), nullptr) << "an inner scope keeps the outer hourglass";
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
