#include "explorer/reportqueue.h"

#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <sys/eventfd.h>
#include <unistd.h>

TSxReportQueue::TSxReportQueue() : m_doorbell(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_doorbell < 0)
        throw std::runtime_error("eventfd failed");
}

TSxReportQueue::~TSxReportQueue() { ::close(m_doorbell); }

bool TSxReportQueue::postAndWait(const std::shared_ptr<TSxWatchState>& state)
{
    std::unique_lock lock(m_mutex);
    if (state->stopped)
        return false;
    state->delivered = false;
    m_pending.push_back(state);
    const quint64 one = 1;
    while (::write(m_doorbell, &one, sizeof one) < 0 && errno == EINTR) {
    }
    m_changed.wait(lock, [&] { return state->delivered || state->stopped; });
    return !state->stopped;
}

bool TSxReportQueue::isStopped(const std::shared_ptr<TSxWatchState>& state) const
{
    std::lock_guard lock(m_mutex);
    return state->stopped;
}

void TSxReportQueue::stop(const std::shared_ptr<TSxWatchState>& state)
{
    {
        std::lock_guard lock(m_mutex);
        state->stopped = true;
        m_pending.erase(std::remove(m_pending.begin(), m_pending.end(), state), m_pending.end());
    }
    m_changed.notify_all();
}

std::shared_ptr<TSxWatchState> TSxReportQueue::take()
{
    std::lock_guard lock(m_mutex);
    while (!m_pending.empty()) {
        std::shared_ptr<TSxWatchState> next = std::move(m_pending.front());
        m_pending.pop_front();
        if (!next->stopped)
            return next;
    }
    return nullptr;
}

void TSxReportQueue::markDelivered(const std::shared_ptr<TSxWatchState>& state)
{
    {
        std::lock_guard lock(m_mutex);
        state->delivered = true;
    }
    m_changed.notify_all();
}

void TSxReportQueue::clearDoorbell()
{
    quint64 count = 0;
    while (::read(m_doorbell, &count, sizeof count) < 0 && errno == EINTR) {
    }
}

qsizetype TSxReportQueue::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return qsizetype(m_pending.size());
}
