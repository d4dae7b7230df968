// Figures for the folder tree's watches against inotify's per-user limits:
// whether a folder's own watch sees a subfolder made inside one of its
// subfolders (it does not: a closed node's expand button follows the disk
// only when the node is watched itself), what one watch costs to add, and
// how many watches the tree holds, and how long it takes, after opening a
// folder of many subfolders.
//
//   watch_bench [folder]   (default: a fresh temporary folder)

#include "explorer/filenotifier.h"
#include "explorer/pidlmanager.h"
#include "explorer/shellqueries.h"
#include "explorer/treeviewloader.h"
#include "explorer/treeviewmodel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int Subfolders = 5000;

bool makeFolder(const QByteArray& path) { return ::mkdir(path.constData(), 0755) == 0; }

QByteArray limit(const char* name)
{
    QFile file(QStringLiteral("/proc/sys/fs/inotify/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("?");
}

// Watches base, makes a folder inside base/s0 and says whether base's
// watch reported anything within 300 ms.
bool parentSeesGrandchild(const QByteArray& base)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(fd, base.constData(), IN_ALL_EVENTS | IN_ONLYDIR);
    makeFolder(base + "/s0/probe");
    pollfd events{fd, POLLIN, 0};
    const bool seen = ::poll(&events, 1, 300) > 0;
    ::rmdir((base + "/s0/probe").constData());
    ::close(fd);
    return seen;
}

double microsecondsPerWatch(const QByteArray& base)
{
    const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Subfolders; ++i)
        ::inotify_add_watch(fd, (base + "/s" + QByteArray::number(i)).constData(),
                            IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ONLYDIR);
    const double us = double(clock.nsecsElapsed()) / 1e3 / Subfolders;
    ::close(fd);
    return us;
}
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    const QByteArray base = QFile::encodeName(root) + "/wide";
    makeFolder(base);
    for (int i = 0; i < Subfolders; ++i)
        makeFolder(base + "/s" + QByteArray::number(i));

    std::printf("inotify limits here: %s instances, %s watches per user\n", limit("max_user_instances").constData(),
                limit("max_user_watches").constData());
    std::printf("a folder's watch sees a folder made in its subfolder: %s\n",
                parentSeesGrandchild(base) ? "yes" : "no");
    std::printf("adding a watch: %.1f us (over %d folders)\n", microsecondsPerWatch(base), Subfolders);

    {
        TSxTreeModel model;
        TSxTreeLoader loader(model);
        loader.setContents(ShellContents::Folders, false);
        loader.load(TSxTreeLoader::CustomRoot, root, QString());
        loader.setOpen(model.root(), true);
        TSxTreeNode* wide = model.find(GetItemIDFromPath(QFile::decodeName(base)));
        QElapsedTimer clock;
        clock.start();
        loader.setOpen(wide, true);
        loader.refresh(wide);
        const double openMs = double(clock.nsecsElapsed()) / 1e6;
        std::printf("opening a folder of %d subfolders: %.1f ms; the tree then watches %d folders "
                    "(budget %d for closed nodes, one inotify instance)\n",
                    Subfolders, openMs, loader.notifier()->watchedFolderCount(), TSxTreeLoader::WatchBudget);
        clock.restart();
        loader.setOpen(wide, false);
        std::printf("closing it: %.1f ms; watches left: %d\n", double(clock.nsecsElapsed()) / 1e6,
                    loader.notifier()->watchedFolderCount());
    }
    QDir(QFile::decodeName(base)).removeRecursively();
    return TSxPidlManager::instance().count() == 0 ? 0 : 1;
}
