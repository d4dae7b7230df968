#include "explorer/threadfilenotifier.h"

#include "platform/errors.h"

#include <QPointer>
#include <QSocketNotifier>

#include <algorithm>

TSxThreadFileNotifier::TSxThreadFileNotifier(QObject* parent) : QObject(parent)
{
    m_doorbell = new QSocketNotifier(m_queue.doorbell(), QSocketNotifier::Read, this);
    connect(m_doorbell, &QSocketNotifier::activated, this, [this] { deliverReports(); });
}

TSxThreadFileNotifier::~TSxThreadFileNotifier()
{
    stopAll();
}

void TSxThreadFileNotifier::watch(const QString& path)
{
    for (TSxNotifyFilters filters : {NameFilters, DetailFilters}) {
        auto thread = std::make_unique<TSxFileThread>(m_queue, path, filters, QuietPeriod, LongestDelay);
        thread->start();
        m_threads.push_back(std::move(thread));
    }
}

void TSxThreadFileNotifier::stopWatching(const QString& path)
{
    auto watching = [&](const std::unique_ptr<TSxFileThread>& t) { return t->path() == path; };
    for (auto& thread : m_threads) {
        if (watching(thread))
            thread->halt();
    }
    m_threads.erase(std::remove_if(m_threads.begin(), m_threads.end(), watching), m_threads.end());
}

void TSxThreadFileNotifier::stopAll()
{
    // Halt them all first, so none waits on another's join.
    for (auto& thread : m_threads)
        thread->halt();
    m_threads.clear();
}

void TSxThreadFileNotifier::deliverReports()
{
    m_queue.clearDoorbell();
    const QPointer<TSxThreadFileNotifier> alive(this);
    while (std::shared_ptr<TSxWatchState> report = m_queue.take()) {
        // The handler may halt watchers, this one included (the queue then
        // drops their reports), or destroy the whole watcher, which halts
        // and joins every thread on its way out.
        if (m_enabled)
            runGuarded([&] { Q_EMIT Change(report->path, report->filters); });
        if (!alive)
            return;
        m_queue.markDelivered(report);
    }
}
