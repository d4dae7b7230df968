#include "platform/terminationsignals.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>

namespace {
void (*handlerOf(int number))(int)
{
    struct sigaction current = {};
    ::sigaction(number, nullptr, &current);
    return current.sa_handler;
}
}

TEST(TerminationSignals, ASignalArrivesOnTheUsersThread)
{
    const auto before = handlerOf(SIGHUP);
    {
        TerminationSignals signals;
        ASSERT_TRUE(signals.isActive());
        QSignalSpy requested(&signals, &TerminationSignals::terminationRequested);
        ::raise(SIGHUP);
        QTRY_COMPARE(requested.size(), 1);
        EXPECT_EQ(requested[0][0].toInt(), SIGHUP);
        // Only one set of handlers per process.
        TerminationSignals another;
        EXPECT_FALSE(another.isActive());
    }
    EXPECT_EQ(handlerOf(SIGHUP), before);
}

TEST(TerminationSignals, ASignalIgnoredAtStartStaysIgnored)
{
    const auto before = ::signal(SIGINT, SIG_IGN);
    {
        TerminationSignals signals;
        EXPECT_EQ(handlerOf(SIGINT), SIG_IGN);
        EXPECT_NE(handlerOf(SIGTERM), SIG_DFL);
    }
    ::signal(SIGINT, before);
}
