#include "explorer/explorertest.h"

#include "explorer/threadfilenotifier.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {
constexpr int ArrivalTimeoutMs = 10000; // generous: the machine may be busy
constexpr int SilenceMs = 500;          // long past the quiet period

struct Report {
    QString path;
    TSxNotifyFilters filters;
};

class ReportLog {
public:
    explicit ReportLog(TSxThreadFileNotifier& watcher)
    {
        QObject::connect(&watcher, &TSxThreadFileNotifier::Change, &m_context,
                         [this](const QString& path, TSxNotifyFilters filters) { reports.push_back({path, filters}); });
    }
    int count(TSxNotifyFilters filters) const
    {
        return int(std::count_if(reports.begin(), reports.end(), [&](const Report& r) { return r.filters == filters; }));
    }
    int names() const { return count(TSxThreadFileNotifier::NameFilters); }
    int details() const { return count(TSxThreadFileNotifier::DetailFilters); }
    std::vector<Report> reports;

private:
    QObject m_context;
};

int threadCount() { return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size()); }

// Waits until every thread watches its folder or has ended for want of one.
void waitUntilWatching(const TSxThreadFileNotifier& watcher)
{
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(watcher.threads().begin(), watcher.threads().end(),
                               [](const auto& t) { return t->isWatching() || t->isFinished(); });
        },
        ArrivalTimeoutMs));
}

// Waits, without running the event loop, until a report is handed over.
bool waitForQueuedReport(const TSxThreadFileNotifier& watcher)
{
    for (int i = 0; i < ArrivalTimeoutMs / 5; ++i) {
        if (watcher.queuedReports() > 0)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// The most reports a thread may give for changes made while burst ran: one,
// unless the changes were slowed down (a busy machine), since between two
// reports there is at least a quiet period without a change.
int mostReportsOf(const QElapsedTimer& burst)
{
    return 1 + int(burst.elapsed() / TSxThreadFileNotifier::QuietPeriod.count());
}

void save(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    ASSERT_TRUE(file.commit());
}
}

TEST(DirectoryWatcher, BurstOfSavesGivesOneReportPerThread)
{
    TempTree tree;
    tree.write("doc.txt", "v0");
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.root());
    ASSERT_EQ(watcher.threads().size(), 2u);
    waitUntilWatching(watcher);

    QElapsedTimer burst;
    burst.start();
    for (int i = 1; i <= 3; ++i)
        save(tree.path("doc.txt"), "version " + QByteArray::number(i));
    const int most = mostReportsOf(burst);

    EXPECT_TRUE(QTest::qWaitFor([&] { return log.names() >= 1 && log.details() >= 1; }, ArrivalTimeoutMs));
    QTest::qWait(SilenceMs);
    EXPECT_GE(log.names(), 1);
    EXPECT_LE(log.names(), most);
    EXPECT_GE(log.details(), 1);
    EXPECT_LE(log.details(), most);
    for (const Report& r : log.reports)
        EXPECT_EQ(r.path, tree.root());

    // A plain write in place changes no name: only the detail thread speaks.
    const int names = log.names();
    const int details = log.details();
    burst.start();
    QFile file(tree.path("doc.txt"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("more");
    file.close();
    const int mostAfterWrite = mostReportsOf(burst);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.details() > details; }, ArrivalTimeoutMs));
    QTest::qWait(SilenceMs);
    EXPECT_EQ(log.names(), names);
    EXPECT_LE(log.details() - details, mostAfterWrite);
}

TEST(DirectoryWatcher, ThousandCreationsGiveOneReport)
{
    TempTree tree;
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.root());
    waitUntilWatching(watcher);

    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < 1000; ++i) {
        QFile file(tree.path(QStringLiteral("f%1").arg(i)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const int most = mostReportsOf(burst);
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.names() >= 1; }, ArrivalTimeoutMs));
    QTest::qWait(SilenceMs);
    EXPECT_GE(log.names(), 1);
    EXPECT_LE(log.names(), most);
    EXPECT_LE(log.details(), most);
}

TEST(DirectoryWatcher, APauseLongerThanTheQuietPeriodPartsTwoBursts)
{
    // Four quiet periods of 100 ms, yet within the longest delay of half a
    // second: the first change has been reported on its own when the second
    // one comes.
    constexpr int pauseMs = 400;
    TempTree tree;
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.root());
    waitUntilWatching(watcher);

    tree.write("one");
    QTest::qWait(pauseMs);
    tree.write("two");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.names() >= 2; }, ArrivalTimeoutMs));
    QTest::qWait(SilenceMs);
    EXPECT_EQ(log.names(), 2);
}

TEST(DirectoryWatcher, HaltedWatcherNeverReportsEvenWithAReportQueued)
{
    TempTree tree;
    tree.mkdir("a");
    tree.mkdir("b");
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.path("a"));
    watcher.watch(tree.path("b"));
    waitUntilWatching(watcher);

    // Halted in the middle of a burst.
    tree.write("a/one");
    watcher.stopWatching(tree.path("a"));
    EXPECT_EQ(watcher.threads().size(), 2u);
    QTest::qWait(SilenceMs);
    EXPECT_TRUE(log.reports.empty());

    // Halted with its report handed over but not yet run: the report goes.
    tree.write("b/two");
    ASSERT_TRUE(waitForQueuedReport(watcher));
    watcher.stopWatching(tree.path("b"));
    EXPECT_TRUE(watcher.threads().empty());
    EXPECT_EQ(watcher.queuedReports(), 0);
    tree.write("b/three");
    QTest::qWait(SilenceMs);
    EXPECT_TRUE(log.reports.empty());
}

TEST(DirectoryWatcher, StopWatchingTakesTheExactPath)
{
    TempTree tree;
    tree.mkdir("Same");
    tree.mkdir("same");
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.path("Same"));
    watcher.watch(tree.path("same"));
    waitUntilWatching(watcher);
    watcher.stopWatching(tree.path("SAME"));
    watcher.stopWatching(tree.path("same/"));
    EXPECT_EQ(watcher.threads().size(), 4u);
    watcher.stopWatching(tree.path("same"));
    ASSERT_EQ(watcher.threads().size(), 2u);
    tree.write("Same/x");
    tree.write("same/x");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.names() == 1; }, ArrivalTimeoutMs));
    QTest::qWait(SilenceMs);
    ASSERT_EQ(log.names(), 1);
    for (const Report& r : log.reports)
        EXPECT_EQ(r.path, tree.path("Same"));
}

TEST(DirectoryWatcher, UnwatchablePathsEndAtOnceWithoutReport)
{
    TempTree tree;
    tree.write("file");
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.path("missing"));
    watcher.watch(tree.path("file")); // not a folder
    ASSERT_EQ(watcher.threads().size(), 4u);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(watcher.threads().begin(), watcher.threads().end(),
                               [](const auto& t) { return t->isFinished(); });
        },
        ArrivalTimeoutMs));
    for (const auto& t : watcher.threads())
        EXPECT_FALSE(t->isWatching());
    tree.write("missing-not");
    QTest::qWait(SilenceMs);
    EXPECT_TRUE(log.reports.empty());
    watcher.stopAll();
    EXPECT_TRUE(watcher.threads().empty());
}

TEST(DirectoryWatcher, RemovedFolderGivesALastNameReport)
{
    TempTree tree;
    tree.mkdir("doomed");
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.path("doomed"));
    waitUntilWatching(watcher);
    tree.remove("doomed");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(watcher.threads().begin(), watcher.threads().end(),
                               [](const auto& t) { return t->isFinished(); });
        },
        ArrivalTimeoutMs));
    EXPECT_EQ(log.names(), 1);
    EXPECT_EQ(log.details(), 0);
}

TEST(DirectoryWatcher, HandlerMayStopTheWatcherThatReports)
{
    TempTree tree;
    TSxThreadFileNotifier watcher;
    int reports = 0;
    QObject context;
    QObject::connect(&watcher, &TSxThreadFileNotifier::Change, &context, [&](const QString& path, TSxNotifyFilters) {
        ++reports;
        watcher.stopWatching(path); // as the list does when it moves to another folder
    });
    watcher.watch(tree.root());
    waitUntilWatching(watcher);
    QFile file(tree.path("x"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return reports == 1; }, ArrivalTimeoutMs));
    EXPECT_TRUE(watcher.threads().empty());
    tree.write("y");
    QTest::qWait(SilenceMs);
    EXPECT_EQ(reports, 1);
}

TEST(DirectoryWatcher, DisabledWatcherDropsReports)
{
    TempTree tree;
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.root());
    waitUntilWatching(watcher);
    watcher.setEnabled(false);
    tree.write("x");
    QTest::qWait(SilenceMs);
    EXPECT_TRUE(log.reports.empty());
    watcher.setEnabled(true);
    tree.write("y");
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.names() == 1; }, ArrivalTimeoutMs));
}

TEST(DirectoryWatcher, DestructionJoinsEveryThread)
{
    TempTree tree;
    tree.mkdir("a");
    tree.mkdir("b");
    const int before = threadCount();
    auto watcher = std::make_unique<TSxThreadFileNotifier>();
    watcher->watch(tree.path("a"));
    watcher->watch(tree.path("b"));
    watcher->watch(tree.path("missing"));
    waitUntilWatching(*watcher);
    EXPECT_EQ(threadCount(), before + 4);
    // One thread waits for its report to run, the others in their waits.
    tree.write("a/x");
    ASSERT_TRUE(waitForQueuedReport(*watcher));
    watcher.reset();
    EXPECT_EQ(threadCount(), before);
    QTest::qWait(50); // a queued doorbell must find nobody
}

TEST(DirectoryWatcher, HandlerMayDestroyTheWatcher)
{
    TempTree tree;
    tree.mkdir("a");
    tree.mkdir("b");
    const int before = threadCount();
    auto watcher = std::make_unique<TSxThreadFileNotifier>();
    int reports = 0;
    QObject context;
    QObject::connect(watcher.get(), &TSxThreadFileNotifier::Change, &context, [&] {
        ++reports;
        watcher.reset(); // the list going away while it is told
    });
    watcher->watch(tree.path("a"));
    watcher->watch(tree.path("b"));
    waitUntilWatching(*watcher);
    tree.write("a/x");
    tree.write("b/x");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !watcher; }, ArrivalTimeoutMs));
    QTest::qWait(SilenceMs);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(threadCount(), before);
}

TEST(DirectoryWatcher, ChangesWithoutPauseAreReportedWhileTheyGoOn)
{
    // A log appended and a file made every 20 ms, for two seconds: the
    // quiet period never comes, the reports still do.
    TempTree tree;
    tree.write("app.log");
    TSxThreadFileNotifier watcher;
    ReportLog log(watcher);
    watcher.watch(tree.root());
    waitUntilWatching(watcher);

    std::atomic<bool> writing{true};
    std::thread writer([&] {
        QFile file(tree.path("app.log"));
        if (!file.open(QIODevice::Append))
            return;
        for (int i = 0; i < 100; ++i) {
            file.write("line\n");
            file.flush();
            QFile made(tree.path(QStringLiteral("n%1").arg(i)));
            if (made.open(QIODevice::WriteOnly))
                made.close();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        writing = false;
    });
    int namesWhileWriting = 0;
    int detailsWhileWriting = 0;
    while (writing) {
        QTest::qWait(10);
        if (writing) {
            namesWhileWriting = log.names();
            detailsWhileWriting = log.details();
        }
    }
    writer.join();
    EXPECT_GE(namesWhileWriting, 2);
    EXPECT_GE(detailsWhileWriting, 2);
}
