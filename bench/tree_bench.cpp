// Figures for the explorer's folder tree: building the default root, opening
// a folder of 10,000 subfolders (and opening it again), opening "/", and a
// burst of 10,000 folder creations in a shown folder made by another thread
// while the user-interface loop runs (time until the tree shows them all,
// and the longest time the loop was kept from running).
//
//   tree_bench [folder]   (default: a fresh temporary folder)
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "explorer/pidlmanager.h"
#include "explorer/shellqueries.h"
#include "explorer/treeview.h"
#include "explorer/treeviewmodel.h"
#include "support/benchfiles.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <sys/stat.h>
#include <thread>

namespace {
constexpr int Subfolders = 10000;
constexpr int BurstSize = 10000;

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

bool makeFolder(const QString& path) { return ::mkdir(QFile::encodeName(path).constData(), 0755) == 0; }

// Measures the longest gap between two turns of the event loop.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setInterval(0);
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return double(m_longest) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Runs the loop until the condition holds; false after a minute.
bool runUntil(const std::function<bool()>& done)
{
    QElapsedTimer limit;
    limit.start();
    while (!done()) {
        if (limit.elapsed() > 60000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/scrivo-tree-bench-XXXXXX"));
    const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path();
    const QString wide = base + QStringLiteral("/wide");
    const QString burst = base + QStringLiteral("/burst");
    QDir().mkpath(wide);
    QDir().mkpath(burst + QStringLiteral("/seed"));
    for (int i = 0; i < Subfolders; ++i) {
        const QString path = wide + QStringLiteral("/folder %1").arg(i * 7919 % Subfolders);
        if (!makeFolder(path) && !QFileInfo(path).isDir()) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(path));
            return 1;
        }
    }

    {
        // The tree as the main window makes it at start-up.
        QElapsedTimer t;
        t.start();
        TSxExplorerTreeView startup;
        startup.setFolderTypes(TSxExplorerTreeView::ftFolders);
        startup.setCustomRootDirectory(QString());
        startup.Loaded();
        std::printf("start-up tree (home and /):           %8.2f ms\n", ms(t));
        startup.resize(250, 600);
        startup.show();
        t.restart();
        settle();
        std::printf("  first paint:                         %8.2f ms\n", ms(t));

        TSxTreeNode* slash = startup.rootNode()->child(startup.rootNode()->childCount() - 1);
        t.restart();
        startup.expand(startup.indexOfNode(slash));
        std::printf("open \"/\" (%4d subfolders):            %8.2f ms\n", slash->childCount(), ms(t));
    }

    TSxExplorerTreeView tree;
    tree.setFolderTypes(TSxExplorerTreeView::ftFolders);
    tree.setCustomRootDirectory(base);
    tree.Loaded();
    tree.resize(250, 600);
    tree.show();
    settle();

    TSxTreeNode* wideNode = tree.LocateNode(GetItemIDFromPath(wide));
    const std::size_t heapBefore = heapInUse();
    QElapsedTimer t;
    t.start();
    tree.expand(tree.indexOfNode(wideNode));
    const double opened = ms(t);
    const std::size_t heapAfter = heapInUse();
    t.restart();
    settle();
    const double painted = ms(t);
    std::printf("open a folder of %d subfolders:     %8.2f ms (%d nodes), first paint %.2f ms\n", Subfolders, opened,
                wideNode->childCount(), painted);
    std::printf("  memory per node:                     %8.0f bytes\n",
                double(heapAfter - heapBefore) / std::max(1, wideNode->childCount()));

    tree.collapse(tree.indexOfNode(wideNode));
    t.restart();
    tree.expand(tree.indexOfNode(wideNode));
    std::printf("  open it again (re-read and merge):   %8.2f ms\n", ms(t));
    t.restart();
    tree.scrollTo(tree.indexOfNode(wideNode->child(wideNode->childCount() - 1)));
    settle();
    std::printf("  scroll to the last node and paint:   %8.2f ms\n", ms(t));
    tree.collapse(tree.indexOfNode(wideNode));

    // The burst: another process fills a shown folder.
    TSxTreeNode* burstNode = tree.LocateNode(GetItemIDFromPath(burst));
    tree.expand(tree.indexOfNode(burstNode));
    settle();
    const int refreshesBefore = tree.refreshCount();
    StallMeter stalls;
    stalls.start();
    t.restart();
    std::atomic<bool> made{false};
    std::thread maker([&] {
        for (int i = 0; i < BurstSize; ++i)
            makeFolder(burst + QStringLiteral("/new %1").arg(i));
        made = true;
    });
    const bool done = runUntil([&] { return made && burstNode->childCount() == BurstSize + 1; });
    const double settled = ms(t);
    const double longest = stalls.stop();
    maker.join();
    std::printf("burst of %d creations in a shown folder: %s after %.2f ms, %d refreshes, longest stall %.2f ms\n",
                BurstSize, done ? "all shown" : "NOT ALL SHOWN", settled, tree.refreshCount() - refreshesBefore,
                longest);

    // And gone again.
    stalls.start();
    t.restart();
    std::thread remover([&] {
        for (int i = 0; i < BurstSize; ++i)
            ::rmdir(QFile::encodeName(burst + QStringLiteral("/new %1").arg(i)).constData());
    });
    const bool gone = runUntil([&] { return burstNode->childCount() == 1; });
    remover.join();
    std::printf("burst of %d removals:                 %s after %.2f ms, longest stall %.2f ms\n", BurstSize,
                gone ? "all gone" : "NOT ALL GONE", ms(t), stalls.stop());

    tree.setListView(nullptr);
    return done && gone ? 0 : 1;
}
