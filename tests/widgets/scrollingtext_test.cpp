#include "widgets/scrollingtext.h"
#include "widgets/ticksource.h"

#include "support/manualticks.h"

#include <gtest/gtest.h>

TEST(TickSource, IntervalsRoundUpToFiftyMilliseconds)
{
    EXPECT_EQ(TTickSource::roundedInterval(150), 150);
    EXPECT_EQ(TTickSource::roundedInterval(151), 200);
    EXPECT_EQ(TTickSource::roundedInterval(1), 50);
    EXPECT_EQ(TTickSource::roundedInterval(0), 50);
    TTimerTickSource timer;
    timer.start(120);
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 150);
    timer.stop();
    EXPECT_FALSE(timer.isActive());
}

TEST(ScrollingText, TextMovesFromTheBottomToTheTop)
{
    EXPECT_EQ(TScrollingText::textTop(0, 60, 49, 180), 49);
    EXPECT_EQ(TScrollingText::textTop(30, 60, 49, 180), 49 - 229 / 2);
    EXPECT_EQ(TScrollingText::textTop(60, 60, 49, 180), -180);
    // Each step moves it up, never down.
    for (int step = 1; step < 60; ++step)
        EXPECT_LT(TScrollingText::textTop(step, 60, 49, 180), TScrollingText::textTop(step - 1, 60, 49, 180));
}

TEST(ScrollingText, StepsCycleWithoutEnd)
{
    TScrollingText box;
    auto* ticks = new ManualTicks;
    box.setTickSource(ticks);
    EXPECT_FALSE(box.isScrolling());
    box.setScrolling(true);
    EXPECT_TRUE(ticks->isActive());
    EXPECT_EQ(ticks->interval(), TScrollingText::kIntervalMs);
    for (int i = 1; i < TScrollingText::kSteps; ++i) {
        ticks->fire();
        EXPECT_EQ(box.step(), i);
    }
    ticks->fire();
    EXPECT_EQ(box.step(), 0);
    ticks->fire();
    EXPECT_EQ(box.step(), 1);
    // Switched off and on: goes on from where it was.
    box.setScrolling(false);
    EXPECT_FALSE(ticks->isActive());
    box.setScrolling(true);
    EXPECT_EQ(box.step(), 1);
}

TEST(ScrollingText, ANewSourceTakesOverARunningScroll)
{
    TScrollingText box;
    box.setScrolling(true);
    auto* ticks = new ManualTicks;
    box.setTickSource(ticks);
    EXPECT_TRUE(ticks->isActive());
    EXPECT_EQ(box.tickSource(), ticks);
}
