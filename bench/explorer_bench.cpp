// Figures for the explorer's namespace services: enumerating a folder of
// 100,000 files, the memory an identifier costs, sorting by the name column,
// and how soon the watchers report after 10,000 files are created.
//
//   explorer_bench [folder]   (default: explorer-data next to the program)
//
// The 100,000 files are made once and kept for later runs.

#include "explorer/filenotifier.h"
#include "explorer/pidlmanager.h"
#include "explorer/shellfolder.h"
#include "explorer/shellqueries.h"
#include "explorer/threadfilenotifier.h"
#include "support/benchfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int FolderSize = 100000;
constexpr int ChurnSize = 10000;

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// Runs the event loop until done() or the time runs out.
template <typename Done>
bool spinUntil(Done done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

void enumerationFigures(const QString& folder)
{
    TSxShellFolder::Ptr shell = TSxShellFolder::bind(GetItemIDFromPath(folder));
    if (!shell) {
        std::fprintf(stderr, "cannot bind %s\n", qPrintable(folder));
        std::exit(1);
    }
    const quint32 everything = ShellContents::Folders | ShellContents::NonFolders;

    // Names only, nothing kept: the cost of reading the folder.
    QElapsedTimer t;
    t.start();
    int n = 0;
    {
        std::optional<TSxEnumIdList> list = shell->enumObjects(everything);
        while (PIDL p = list->nextRaw()) {
            ItemIdAllocator::free(p);
            ++n;
        }
    }
    std::printf("enumerate %d names (nothing kept):            %8.1f ms\n", n, ms(t));

    // As the file list keeps them: one registered identifier per item.
    const size_t heapBefore = heapInUse();
    t.start();
    std::vector<TSxPidl> items;
    items.reserve(FolderSize);
    {
        std::optional<TSxEnumIdList> list = shell->enumObjects(everything);
        while (TSxPidl item = list->next("SxExplorerListView: FillView"))
            items.push_back(std::move(item));
    }
    const double enumerateMs = ms(t);
    const size_t heapAfter = heapInUse();
    std::printf("enumerate %zu registered identifiers:          %8.1f ms\n", items.size(), enumerateMs);
    std::printf("  heap per entry (identifier + record + slot):  %8.1f bytes\n",
                double(heapAfter - heapBefore) / double(items.size()));
    std::printf("  of which the identifier block alone:          %8.1f bytes (name %lld bytes + 5)\n",
                double(malloc_usable_size(items.front().get()) + sizeof(void*)), (long long)items.front().view().lastName().size());

    t.start();
    std::sort(items.begin(), items.end(),
              [&](const TSxPidl& a, const TSxPidl& b) { return shell->compareIDs(a, b) < 0; });
    std::printf("sort %zu by the name column:                   %8.1f ms\n", items.size(), ms(t));

    t.start();
    items.clear();
    std::printf("free %d registered identifiers:               %8.1f ms\n", FolderSize, ms(t));

    // The tree asks for folders only: files are skipped by entry type.
    t.start();
    n = 0;
    {
        std::optional<TSxEnumIdList> list = shell->enumObjects(ShellContents::Folders);
        while (PIDL p = list->nextRaw()) {
            ItemIdAllocator::free(p);
            ++n;
        }
    }
    std::printf("enumerate folders only (%d found):                %8.1f ms\n", n, ms(t));

    t.start();
    const bool has = HasAttributeFromPIDL(TSxAttr::HasSubfolder, GetItemIDFromPath(folder));
    std::printf("has-subfolder test on the folder (%s):          %8.1f ms\n", has ? "yes" : "no ", ms(t));
}

void watcherFigures(const QString& base)
{
    const QString folder = base + QStringLiteral("/churn");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);

    TSxThreadFileNotifier watcher;
    QElapsedTimer clock;
    clock.start();
    qint64 nameReportAt = -1, detailReportAt = -1;
    int reports = 0;
    QObject::connect(&watcher, &TSxThreadFileNotifier::Change, [&](const QString&, TSxNotifyFilters filters) {
        ++reports;
        (filters == TSxThreadFileNotifier::NameFilters ? nameReportAt : detailReportAt) = clock.nsecsElapsed();
    });
    watcher.watch(folder);
    spinUntil([&] { return watcher.threads()[0]->isWatching() && watcher.threads()[1]->isWatching(); }, 5000);

    TSxFileNotifier notifier;
    int events = 0;
    qint64 longestSliceNs = 0;
    QObject::connect(&notifier, &TSxFileNotifier::FileChange, [&] { ++events; });
    notifier.watchFolder(GetItemIDFromPath(folder));

    const qint64 start = clock.nsecsElapsed();
    makeFiles(folder, QStringLiteral("new"), ChurnSize);
    const qint64 lastCreated = clock.nsecsElapsed();
    std::printf("create %d files:                                %8.1f ms\n", ChurnSize, double(lastCreated - start) / 1e6);

    // Deliver, timing every turn of the event loop that does work.
    while (events < ChurnSize || nameReportAt < 0) {
        const qint64 before = clock.nsecsElapsed();
        const int eventsBefore = events;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (events != eventsBefore)
            longestSliceNs = std::max(longestSliceNs, clock.nsecsElapsed() - before);
        if (clock.nsecsElapsed() - lastCreated > qint64(30) * 1000 * 1000 * 1000)
            break;
    }
    spinUntil([&] { return false; }, 300); // any late report would show now
    std::printf("directory watcher, name report after the last creation:   %6.1f ms (%d reports in all)\n",
                nameReportAt < 0 ? -1.0 : double(nameReportAt - lastCreated) / 1e6, reports);
    std::printf("directory watcher, detail report after the last creation: %6.1f ms\n",
                detailReportAt < 0 ? -1.0 : double(detailReportAt - lastCreated) / 1e6);
    std::printf("change notifier: %d of %d creations delivered, longest event-loop turn %.1f ms\n", events, ChurnSize,
                double(longestSliceNs) / 1e6);
    QDir(folder).removeRecursively();
}
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                  : QCoreApplication::applicationDirPath() + QStringLiteral("/explorer-data");
    const QString big = base + QStringLiteral("/100000");
    if (QDir(big).entryList(QDir::Files).size() != FolderSize) {
        QDir(big).removeRecursively();
        QElapsedTimer t;
        t.start();
        makeFiles(big, QStringLiteral("file-"), FolderSize);
        std::printf("made %d files in %s:                     %8.1f ms\n", FolderSize, qPrintable(big), ms(t));
    }
    std::printf("folder: %s\n", qPrintable(big));
    enumerationFigures(big);
    watcherFigures(base);
    if (TSxPidlManager::instance().count() != 0)
        std::printf("identifiers left registered: %lld\n", (long long)TSxPidlManager::instance().count());
    return 0;
}
