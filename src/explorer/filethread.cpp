#include "explorer/filethread.h"

#include "platform/nativenames.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace {
quint32 inotifyMask(TSxNotifyFilters filters)
{
    quint32 mask = IN_ONLYDIR | IN_DELETE_SELF | IN_MOVE_SELF;
    if (filters & (TSxNotifyFilter::FileName | TSxNotifyFilter::DirName))
        mask |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if (filters & (TSxNotifyFilter::Attributes | TSxNotifyFilter::Security))
        mask |= IN_ATTRIB;
    if (filters & TSxNotifyFilter::Size)
        mask |= IN_MODIFY;
    // Setting a time (touch) shows as an attribute change.
    if (filters & TSxNotifyFilter::LastWrite)
        mask |= IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB;
    return mask;
}

bool isRelevant(const inotify_event& e, TSxNotifyFilters filters)
{
    const bool names = filters & (TSxNotifyFilter::FileName | TSxNotifyFilter::DirName);
    if (e.mask & IN_Q_OVERFLOW)
        return true; // changes were lost: something changed
    if (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT))
        return names;
    if (e.len == 0)
        return false; // the folder's own attributes, not its content
    if (e.mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
        return filters & ((e.mask & IN_ISDIR) ? TSxNotifyFilter::DirName : TSxNotifyFilter::FileName);
    if (e.mask & IN_ATTRIB)
        return filters & (TSxNotifyFilter::Attributes | TSxNotifyFilter::Security | TSxNotifyFilter::LastWrite);
    if (e.mask & IN_MODIFY)
        return filters & (TSxNotifyFilter::Size | TSxNotifyFilter::LastWrite);
    if (e.mask & IN_CLOSE_WRITE)
        return filters & TSxNotifyFilter::LastWrite;
    return false;
}
}

TSxFileThread::TSxFileThread(TSxReportQueue& queue, const QString& path, TSxNotifyFilters filters,
                             std::chrono::milliseconds quietPeriod, std::chrono::milliseconds longestDelay)
    : m_queue(queue),
      m_state(std::make_shared<TSxWatchState>(path, filters)),
      m_quietPeriod(quietPeriod),
      m_longestDelay(longestDelay),
      m_wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (m_wake < 0)
        throw std::runtime_error("eventfd failed");
}

TSxFileThread::~TSxFileThread()
{
    halt();
    ::close(m_wake);
}

void TSxFileThread::start()
{
    if (!m_thread.joinable() && !m_queue.isStopped(m_state))
        m_thread = std::thread([this] { run(); });
}

void TSxFileThread::halt()
{
    m_queue.stop(m_state);
    const quint64 one = 1;
    while (::write(m_wake, &one, sizeof one) < 0 && errno == EINTR) {
    }
    if (m_thread.joinable())
        m_thread.join();
}

bool TSxFileThread::drain(int inotifyFd, bool& gone) const
{
    alignas(inotify_event) char buffer[16 * 1024];
    bool relevant = false;
    for (;;) {
        const ssize_t n = ::read(inotifyFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return relevant;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            relevant = relevant || isRelevant(*e, m_state->filters);
            if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED))
                gone = true;
            at += ssize_t(sizeof(inotify_event)) + e->len;
        }
    }
}

TSxFileThread::Wait TSxFileThread::waitForChange(int inotifyFd, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        int waitMs = -1;
        if (timeout.count() >= 0) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return Wait::Quiet;
            waitMs = int(left.count());
        }
        pollfd fds[2] = {{m_wake, POLLIN, 0}, {inotifyFd, POLLIN, 0}};
        const int ready = ::poll(fds, 2, waitMs);
        if (ready < 0 && errno != EINTR)
            return Wait::Ended;
        if (fds[0].revents)
            return Wait::Halted;
        if (ready > 0 && fds[1].revents) {
            bool gone = false;
            const bool relevant = drain(inotifyFd, gone);
            if (gone)
                return relevant ? Wait::Gone : Wait::Ended;
            if (relevant)
                return Wait::Changed;
        }
    }
}

TSxFileThread::Wait TSxFileThread::waitForPause(int inotifyFd)
{
    using Clock = std::chrono::steady_clock;
    const auto reportBy = Clock::now() + m_longestDelay;
    Wait wait = Wait::Changed;
    while (wait == Wait::Changed) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(reportBy - Clock::now());
        if (left.count() <= 0)
            break; // changes without a pause: report what came so far
        wait = waitForChange(inotifyFd, std::min(m_quietPeriod, left));
    }
    return wait;
}

void TSxFileThread::run()
{
    pthread_setname_np(pthread_self(), "sx-watch");
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const QByteArray path = NativeNames::toNative(m_state->path);
    if (fd >= 0 && ::inotify_add_watch(fd, path.constData(), inotifyMask(m_state->filters)) >= 0) {
        m_watching = true;
        for (;;) {
            Wait wait = waitForChange(fd, std::chrono::milliseconds(-1));
            if (wait == Wait::Halted || wait == Wait::Ended)
                break;
            // One report per burst: wait until a whole quiet period passes
            // without a change (or the longest delay). A folder that goes
            // meanwhile still gets the report of what came before.
            if (wait == Wait::Changed)
                wait = waitForPause(fd);
            if (wait == Wait::Halted)
                break;
            const bool gone = wait == Wait::Gone || wait == Wait::Ended;
            if (!m_queue.postAndWait(m_state) || gone)
                break;
        }
    }
    if (fd >= 0)
        ::close(fd);
    m_watching = false;
    m_finished = true;
}
