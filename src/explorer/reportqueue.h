#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

// What the directory watcher watches for (a thread's filter set).
namespace TSxNotifyFilter {
enum : quint32 {
    FileName = 1,
    DirName = 2,
    Attributes = 4,
    Size = 8,
    LastWrite = 16,
    Security = 256,
};
}
using TSxNotifyFilters = quint32;

// One watcher thread's side of the hand-over: what it watches and where the
// hand-over stands. The flags are guarded by the queue's mutex.
struct TSxWatchState {
    TSxWatchState(QString p, TSxNotifyFilters f) : path(std::move(p)), filters(f) {}
    const QString path;
    const TSxNotifyFilters filters;
    bool stopped = false;   // halted: never report again
    bool delivered = false; // the last report has been run
};

// Carries reports from watcher threads to the user-interface thread, which
// runs them while the watcher waits. The watcher queues its report and rings
// the doorbell (an eventfd the user-interface thread listens to); a halted
// watcher's queued report is dropped and its wait ends at once.
class TSxReportQueue {
public:
    TSxReportQueue();
    ~TSxReportQueue();
    TSxReportQueue(const TSxReportQueue&) = delete;
    TSxReportQueue& operator=(const TSxReportQueue&) = delete;

    int doorbell() const { return m_doorbell; }

    // Watcher thread: queues a report and waits until it has been run or
    // the watcher is halted. False when halted.
    bool postAndWait(const std::shared_ptr<TSxWatchState>& state);
    bool isStopped(const std::shared_ptr<TSxWatchState>& state) const;

    // User-interface thread.
    void stop(const std::shared_ptr<TSxWatchState>& state);
    // The next queued report of a watcher not halted; null when none.
    std::shared_ptr<TSxWatchState> take();
    void markDelivered(const std::shared_ptr<TSxWatchState>& state);
    // Empties the doorbell before the queue is read.
    void clearDoorbell();
    qsizetype pendingCount() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::shared_ptr<TSxWatchState>> m_pending;
    int m_doorbell = -1;
};
