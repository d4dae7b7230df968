#include "widgets/statusindicators.h"

#include <gtest/gtest.h>

TEST(StatusIndicators, LockKeysShowTheirStateOrUnknown)
{
    std::optional<bool> state = true;
    TLockKeyIndicator caps(TLockKeyIndicator::Key::Caps, QStringLiteral("Caps:"));
    TLockKeyIndicator::Key asked = TLockKeyIndicator::Key::Num;
    caps.setReader([&](TLockKeyIndicator::Key key) {
        asked = key;
        return state;
    });
    EXPECT_EQ(asked, TLockKeyIndicator::Key::Caps);
    EXPECT_EQ(caps.text(), QStringLiteral("Caps: On"));
    state = false;
    caps.refresh();
    EXPECT_EQ(caps.text(), QStringLiteral("Caps: Off"));
    state = std::nullopt;
    caps.refresh();
    EXPECT_EQ(caps.text(), QStringLiteral("Caps: ?"));
}

TEST(StatusIndicators, ClockShowsDayMonthShortYearAndTime)
{
    const QDateTime t(QDate(2024, 3, 7), QTime(9, 5, 2));
    EXPECT_EQ(TClockIndicator::format(t), QStringLiteral("07/03/24 09:05:02"));
    TClockIndicator clock;
    clock.setClock([] { return QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59)); });
    EXPECT_EQ(clock.text(), QStringLiteral("31/12/99 23:59:59"));
}

TEST(StatusIndicators, ClockWakesJustAfterEachSecondBegins)
{
    EXPECT_EQ(TClockIndicator::msToNextSecond(QTime(10, 0, 0, 0)), 1002);
    EXPECT_EQ(TClockIndicator::msToNextSecond(QTime(10, 0, 0, 998)), 4);
    EXPECT_EQ(TClockIndicator::msToNextSecond(QTime(10, 0, 0, 500)), 502);
}
