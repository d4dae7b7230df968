#pragma once

#include "explorer/reportqueue.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

// One watcher thread: waits for changes of one kind (its filter set) in one
// folder, not its subfolders, on an inotify descriptor of its own. After a
// change it keeps waiting until the folder has been quiet for the quiet
// period, then hands one report to the user-interface thread and waits
// until that has run. Changes that go on without such a pause are reported
// at the latest after the longest delay, and again after each further one.
// A folder that cannot be watched ends the thread at once, without a
// report; so does the folder's disappearance, after a last report to a
// thread watching names.
class TSxFileThread {
public:
    TSxFileThread(TSxReportQueue& queue, const QString& path, TSxNotifyFilters filters,
                  std::chrono::milliseconds quietPeriod, std::chrono::milliseconds longestDelay);
    // Halts and joins.
    ~TSxFileThread();
    TSxFileThread(const TSxFileThread&) = delete;
    TSxFileThread& operator=(const TSxFileThread&) = delete;

    void start();
    // Stops the thread without waiting for its wait to end (the wait is
    // woken), drops a report it has queued, and joins it. It reports nothing
    // afterwards. User-interface thread only.
    void halt();

    const QString& path() const { return m_state->path; }
    TSxNotifyFilters filters() const { return m_state->filters; }
    // The thread has left its loop (halted, or nothing to watch).
    bool isFinished() const { return m_finished.load(); }
    // The folder is being watched (set once the watch is in place).
    bool isWatching() const { return m_watching.load(); }

private:
    void run();
    enum class Wait {
        Changed, // a change of this thread's kind
        Quiet,   // the time ran out without one
        Halted,  // woken to stop
        Gone,    // the folder went away, with a change of this thread's kind
        Ended,   // the folder went away (or the wait failed), nothing to report of it
    };
    // Waits up to timeout (forever when negative) for a relevant change.
    Wait waitForChange(int inotifyFd, std::chrono::milliseconds timeout);
    // After a change: waits for the quiet period or the longest delay,
    // whichever ends first.
    Wait waitForPause(int inotifyFd);
    // Reads what inotify has; true when a change of this thread's kind is
    // among it; gone set when the folder itself went away.
    bool drain(int inotifyFd, bool& gone) const;

    TSxReportQueue& m_queue;
    const std::shared_ptr<TSxWatchState> m_state;
    const std::chrono::milliseconds m_quietPeriod;
    const std::chrono::milliseconds m_longestDelay;
    int m_wake = -1; // eventfd: rung to end a wait
    std::thread m_thread;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_watching{false};
};
