#include "widgets/ticksource.h"

#include <algorithm>

int TTickSource::roundedInterval(int ms)
{
    constexpr int quantum = 50;
    ms = std::max(1, ms);
    return (ms + quantum - 1) / quantum * quantum;
}

TTimerTickSource::TTimerTickSource(QObject* parent) : TTickSource(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &TTickSource::tick);
}

void TTimerTickSource::start(int intervalMs)
{
    m_timer.start(roundedInterval(intervalMs));
}
