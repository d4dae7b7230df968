// Figures for the explorer's file list:
//   - showing a folder of 100,000 files: time until the first screen of rows
//     is painted, the heap the list keeps per entry and the peak growth of
//     the process per entry;
//   - sorting that folder by size, and the first type-ahead search (both
//     read every row);
//   - 10,000 files created in the shown folder (an empty one, then the
//     100,000-file one): time from the last creation until the list shows
//     them all, refreshes, and the longest the user-interface thread was
//     blocked meanwhile.
//
//   list_bench [folder]   (default: list-data next to the program)
//
// Run under xvfb-run, or with QT_QPA_PLATFORM=offscreen. The 100,000 files
// are made once and kept for later runs.

#include "explorer/listview.h"
#include "explorer/pidlmanager.h"
#include "explorer/threadfilenotifier.h"
#include "support/benchfiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <dirent.h>
#include <thread>
#include <unistd.h>

namespace {
constexpr int FolderSize = 100000;
constexpr int ChurnSize = 10000;

double ms(qint64 ns) { return double(ns) / 1e6; }

// Peak resident size of the process so far, in bytes.
qint64 peakResident()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

// Counted without building a list of names, which would raise the peak
// figures before the list is measured.
int fileCount(const QString& folder)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return -1;
    int n = 0;
    while (const dirent* e = ::readdir(dir))
        n += e->d_type == DT_REG;
    ::closedir(dir);
    return n;
}

class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* widget) { widget->installEventFilter(this); }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

void waitWatching(TSxExplorerListView& list)
{
    QElapsedTimer t;
    t.start();
    const auto& threads = list.fileWatcher().threads();
    while (t.elapsed() < 10000
           && !std::all_of(threads.begin(), threads.end(), [](const auto& th) { return th->isWatching(); }))
        QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void showFigures(TSxExplorerListView& list, const QString& folder)
{
    PaintWatch watch(list.viewport());
    const size_t heapBefore = heapInUse();
    const qint64 peakBefore = peakResident();
    QElapsedTimer t;
    t.start();
    list.setDirectory(folder);
    const qint64 filled = t.nsecsElapsed();
    list.viewport()->update();
    while (!watch.painted && t.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const qint64 painted = t.nsecsElapsed();
    const size_t heapAfter = heapInUse();
    const qint64 peakAfter = peakResident();
    const int rows = list.model()->rowCount();
    std::printf("show %d entries: folder read and sorted %8.1f ms, first screen painted %8.1f ms\n", rows, ms(filled),
                ms(painted));
    std::printf("  heap kept per entry:            %8.1f bytes\n", double(heapAfter - heapBefore) / rows);
    std::printf("  peak process growth per entry:  %8.1f bytes\n", double(peakAfter - peakBefore) / rows);

    t.start();
    list.setSortColumn(TSxListColumn::Size);
    QApplication::processEvents();
    std::printf("sort %d by size (reads every row's size): %8.1f ms\n", rows, ms(t.nsecsElapsed()));
    list.setSortColumn(TSxListColumn::Name); // back to names, ascending
    t.start();
    const int found = list.FindItem(QStringLiteral("file-99999"), 0, true);
    std::printf("first type-ahead search (reads every name):   %8.1f ms (row %d)\n", ms(t.nsecsElapsed()), found);
}

// Creates files from another thread while the user-interface thread runs
// its event loop; measures how long each turn of the loop took.
void churnFigures(TSxExplorerListView& list, const QString& folder, const QString& prefix)
{
    list.setDirectory(folder);
    waitWatching(list);
    const int before = list.model()->rowCount();
    int refreshes = 0;
    const auto connection = QObject::connect(&list, &TSxExplorerListView::OnTotalSizeChange, [&] { ++refreshes; });

    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> lastCreated{-1};
    std::thread maker([&] {
        for (int i = 0; i < ChurnSize; ++i)
            touch(QFile::encodeName(folder + u'/' + prefix + QString::number(i)));
        lastCreated = clock.nsecsElapsed();
    });

    // A 5 ms ticker: the longest gap between ticks is the longest stall.
    qint64 lastTick = clock.nsecsElapsed();
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
    });
    ticker.start();
    qint64 settled = -1;
    while (clock.elapsed() < 60000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (lastCreated >= 0 && list.model()->rowCount() == before + ChurnSize) {
            settled = clock.nsecsElapsed();
            break;
        }
    }
    maker.join();
    // Late refreshes would show now.
    const qint64 quietUntil = clock.nsecsElapsed() + qint64(300) * 1000 * 1000;
    while (clock.nsecsElapsed() < quietUntil)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    ticker.stop();
    QObject::disconnect(connection);

    std::printf("create %d files in a folder of %d shown entries: made in %8.1f ms\n", ChurnSize, before,
                ms(lastCreated));
    std::printf("  list settled %8.1f ms after the last creation, %d refresh(es), rows %d\n",
                settled < 0 ? -1.0 : ms(settled - lastCreated), refreshes, list.model()->rowCount());
    std::printf("  longest user-interface stall:  %8.1f ms (ticker every 5 ms)\n", ms(longestGap));
}

}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The list writes its column widths when it goes: not into the user's settings.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QCoreApplication::applicationDirPath() + QStringLiteral("/list-data");
    const QString big = base + QStringLiteral("/100000");
    if (fileCount(big) != FolderSize) {
        QDir(big).removeRecursively();
        makeFiles(big, QStringLiteral("file-"), FolderSize);
    }
    const QString churn = base + QStringLiteral("/churn");
    QDir(churn).removeRecursively();
    QDir().mkpath(churn);

    {
        TSxExplorerListView list;
        list.resize(700, 600);
        list.show();
        QApplication::processEvents();
        std::printf("folder: %s\n", qPrintable(big));
        showFigures(list, big);
        churnFigures(list, churn, QStringLiteral("new-"));
        churnFigures(list, big, QStringLiteral("more-"));
        list.ClearView(true);
    }
    // The big folder is kept as it was made.
    for (int i = 0; i < ChurnSize; ++i)
        QFile::remove(big + QStringLiteral("/more-") + QString::number(i));
    QDir(churn).removeRecursively();
    if (TSxPidlManager::instance().count() != 0)
        std::printf("identifiers left registered: %lld\n", (long long)TSxPidlManager::instance().count());
    return 0;
}
