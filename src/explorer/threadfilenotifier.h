#pragma once

#include "explorer/filethread.h"
#include "explorer/reportqueue.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QSocketNotifier;

// The directory watcher: two watcher threads per watched folder, one for
// names (files and folders created, deleted, renamed), one for attributes,
// last write and size. Each reports a burst of changes once, a quiet period
// (100 ms) after its last change, and changes that go on without such a
// pause at least every half second, through Change on the user-interface
// thread. Lives on, and is used from, the user-interface thread; halting
// never waits on a thread's wait, a halted thread never reports, and every
// thread is joined before the watcher is gone.
class TSxThreadFileNotifier : public QObject {
    Q_OBJECT
public:
    static constexpr TSxNotifyFilters NameFilters = TSxNotifyFilter::DirName | TSxNotifyFilter::FileName;
    static constexpr TSxNotifyFilters DetailFilters =
        TSxNotifyFilter::Attributes | TSxNotifyFilter::LastWrite | TSxNotifyFilter::Size;
    static constexpr std::chrono::milliseconds QuietPeriod{100};
    static constexpr std::chrono::milliseconds LongestDelay{500};

    explicit TSxThreadFileNotifier(QObject* parent = nullptr);
    ~TSxThreadFileNotifier() override;

    // Starts the two threads for path. A path that cannot be watched ends its
    // threads at once; they report nothing.
    void watch(const QString& path);
    // Halts and removes every thread watching exactly this path.
    void stopWatching(const QString& path);
    void stopAll();

    // While disabled, reports are dropped.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }

    const std::vector<std::unique_ptr<TSxFileThread>>& threads() const { return m_threads; }
    // Reports handed over and not yet run.
    qsizetype queuedReports() const { return m_queue.pendingCount(); }

Q_SIGNALS:
    // A change in a watched folder: its path and the filter set of the
    // thread that saw it.
    void Change(const QString& path, TSxNotifyFilters filters);

private:
    void deliverReports();

    TSxReportQueue m_queue;
    QSocketNotifier* m_doorbell = nullptr;
    std::vector<std::unique_ptr<TSxFileThread>> m_threads;
    bool m_enabled = true;
};
