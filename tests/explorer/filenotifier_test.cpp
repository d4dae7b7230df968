#include "explorer/explorertest.h"

#include "explorer/filenotifier.h"
#include "explorer/shellfolder.h"
#include "explorer/shellqueries.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

#include <memory>

namespace {
constexpr int ArrivalTimeoutMs = 10000;
constexpr int SilenceMs = 300;

struct Event {
    TSxShellChangeEvents events;
    QString first;  // file-system paths of the identifiers
    QString second;
    QByteArray firstBytes;
    bool firstIsFolder = false;
};

class EventLog {
public:
    explicit EventLog(TSxFileNotifier& notifier)
    {
        QObject::connect(&notifier, &TSxFileNotifier::FileChange, &m_context,
                         [this](TSxShellChangeEvents events, PidlView first, PidlView second) {
                             log.push_back({events, pathFromIdList(first), pathFromIdList(second),
                                            first.bytes().toByteArray(), first.lastIsFolder()});
                         });
    }
    int count(TSxShellChangeEvent e) const
    {
        return int(std::count_if(log.begin(), log.end(), [&](const Event& x) { return x.events.contains(e); }));
    }
    bool waitFor(TSxShellChangeEvent e, int n = 1) const
    {
        return QTest::qWaitFor([&] { return count(e) >= n; }, ArrivalTimeoutMs);
    }
    std::vector<Event> log;

private:
    QObject m_context;
};

bool rename(const QString& from, const QString& to) { return QFile::rename(from, to); }
}

TEST(NamespaceWatcher, EventMasksBecomeEventSets)
{
    const TSxShellChangeEvents mkdir = TSxShellChangeEvents::fromMask(TSxChangeMask::MakeFolder);
    EXPECT_TRUE(mkdir.contains(TSxShellChangeEvent::MakeFolder));
    EXPECT_FALSE(mkdir.contains(TSxShellChangeEvent::Create));
    EXPECT_FALSE(mkdir.contains(TSxShellChangeEvent::DiskEvents));
    const TSxShellChangeEvents disk = TSxShellChangeEvents::fromMask(TSxChangeMask::DiskEvents);
    EXPECT_TRUE(disk.contains(TSxShellChangeEvent::DiskEvents));
    EXPECT_TRUE(disk.contains(TSxShellChangeEvent::RenameFolder));
    EXPECT_FALSE(disk.contains(TSxShellChangeEvent::GlobalEvents));
    const TSxShellChangeEvents all = TSxShellChangeEvents::fromMask(0xFFFFFFFFu);
    for (int e = 0; e <= int(TSxShellChangeEvent::Interrupt); ++e)
        EXPECT_TRUE(all.contains(TSxShellChangeEvent(e)));
    EXPECT_TRUE(TSxShellChangeEvents::fromMask(0).isEmpty());
}

TEST(NamespaceWatcher, ReportsCreationsDeletionsAndRenamesInShownFolders)
{
    RegistryBalance balance;
    TempTree tree;
    tree.mkdir("shown");
    tree.mkdir("other");
    tree.mkdir("hidden-from-tree");
    TSxFileNotifier notifier;
    EventLog events(notifier);
    TSxPidl shown = GetItemIDFromPath(tree.path("shown"));
    TSxPidl other = GetItemIDFromPath(tree.path("other"));
    ASSERT_TRUE(notifier.watchFolder(shown));
    ASSERT_TRUE(notifier.watchFolder(other));

    tree.mkdir("shown/sub");
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::MakeFolder));
    EXPECT_EQ(events.log.back().first, tree.path("shown/sub"));
    EXPECT_TRUE(events.log.back().firstIsFolder);
    EXPECT_TRUE(events.log.back().second.isEmpty());

    tree.write("shown/file.txt");
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::Create));
    EXPECT_EQ(events.log.back().first, tree.path("shown/file.txt"));
    EXPECT_FALSE(events.log.back().firstIsFolder);

    ASSERT_TRUE(rename(tree.path("shown/sub"), tree.path("shown/renamed")));
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::RenameFolder));
    EXPECT_EQ(events.log.back().first, tree.path("shown/sub"));
    EXPECT_EQ(events.log.back().second, tree.path("shown/renamed"));

    // A move between two shown folders is a rename with both identifiers.
    ASSERT_TRUE(rename(tree.path("shown/file.txt"), tree.path("other/file.txt")));
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::RenameItem));
    EXPECT_EQ(events.log.back().first, tree.path("shown/file.txt"));
    EXPECT_EQ(events.log.back().second, tree.path("other/file.txt"));

    // Moved out of sight: a deletion; moved in: a creation.
    ASSERT_TRUE(rename(tree.path("other/file.txt"), tree.path("hidden-from-tree/file.txt")));
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::Delete));
    EXPECT_EQ(events.log.back().first, tree.path("other/file.txt"));
    ASSERT_TRUE(rename(tree.path("hidden-from-tree/file.txt"), tree.path("shown/back.txt")));
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::Create, 2));
    EXPECT_EQ(events.log.back().first, tree.path("shown/back.txt"));

    tree.remove("shown/renamed");
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::RemoveFolder));
    EXPECT_EQ(events.log.back().first, tree.path("shown/renamed"));

    const auto seen = events.log.size();
    tree.write("hidden-from-tree/quiet");
    QTest::qWait(SilenceMs);
    EXPECT_EQ(events.log.size(), seen);
}

TEST(NamespaceWatcher, WatchesAreCountedAndEndWithTheLastRelease)
{
    RegistryBalance balance;
    TempTree tree;
    TSxFileNotifier notifier;
    EventLog events(notifier);
    TSxPidl root = GetItemIDFromPath(tree.root());
    EXPECT_TRUE(notifier.watchFolder(root));
    EXPECT_TRUE(notifier.watchFolder(root));
    EXPECT_EQ(notifier.watchedFolderCount(), 1);
    notifier.unwatchFolder(root);
    tree.write("a");
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::Create));
    notifier.unwatchFolder(root);
    EXPECT_FALSE(notifier.isWatching(root));
    tree.write("b");
    QTest::qWait(SilenceMs);
    EXPECT_EQ(events.count(TSxShellChangeEvent::Create), 1);

    // Folders without a path cannot be watched; a missing folder neither.
    EXPECT_FALSE(notifier.watchFolder(PidlView()));
    EXPECT_FALSE(notifier.watchFolder(SpecialFolderLocation(17, "test")));
    tree.mkdir("gone");
    TSxPidl gone = GetItemIDFromPath(tree.path("gone"));
    tree.remove("gone");
    EXPECT_FALSE(notifier.watchFolder(gone));
    notifier.unwatchFolder(gone); // harmless
}

TEST(NamespaceWatcher, SameFolderThroughHomeAndRootIsReportedForBoth)
{
    RegistryBalance balance;
    QDir(TestEnvironment::home()).mkpath(QStringLiteral("shared"));
    TSxFileNotifier notifier;
    EventLog events(notifier);
    TSxPidl home = SpecialFolderLocation(5, "test");
    TSxPidl viaHome = TSxPidl::combine(home, GetItemIDFromPath(*TSxShellFolder::bind(home), QStringLiteral("shared")), "test");
    TSxPidl viaRoot = GetItemIDFromPath(TestEnvironment::home() + QStringLiteral("/shared"));
    ASSERT_TRUE(notifier.watchFolder(viaHome));
    ASSERT_TRUE(notifier.watchFolder(viaRoot));
    EXPECT_EQ(notifier.watchedFolderCount(), 2);

    QFile(TestEnvironment::home() + QStringLiteral("/shared/x")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::Create, 2));
    QList<QByteArray> firstElements;
    for (const Event& e : events.log)
        firstElements << PidlView(reinterpret_cast<PCIDL>(e.firstBytes.constData())).element(0).name.toByteArray();
    std::sort(firstElements.begin(), firstElements.end());
    EXPECT_EQ(firstElements, (QList<QByteArray>{"/", "~"}));

    // Releasing one route keeps the other.
    notifier.unwatchFolder(viaHome);
    EXPECT_TRUE(notifier.isWatching(viaRoot));
    QFile(TestEnvironment::home() + QStringLiteral("/shared/y")).open(QIODevice::WriteOnly);
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::Create, 3));
    QTest::qWait(SilenceMs);
    EXPECT_EQ(events.count(TSxShellChangeEvent::Create), 3);
    QDir(TestEnvironment::home() + QStringLiteral("/shared")).removeRecursively();
}

TEST(NamespaceWatcher, RemovedShownFolderIsReportedOnce)
{
    RegistryBalance balance;
    TempTree tree;
    tree.mkdir("parent/child");
    tree.mkdir("lonely");
    TSxFileNotifier notifier;
    EventLog events(notifier);
    TSxPidl parent = GetItemIDFromPath(tree.path("parent"));
    TSxPidl child = GetItemIDFromPath(tree.path("parent/child"));
    TSxPidl lonely = GetItemIDFromPath(tree.path("lonely"));
    notifier.watchFolder(parent);
    notifier.watchFolder(child);
    notifier.watchFolder(lonely);

    tree.remove("parent/child");
    tree.remove("lonely"); // its parent is not watched: reported by its own watch
    ASSERT_TRUE(events.waitFor(TSxShellChangeEvent::RemoveFolder, 2));
    QTest::qWait(SilenceMs);
    ASSERT_EQ(events.count(TSxShellChangeEvent::RemoveFolder), 2);
    QStringList removed;
    for (const Event& e : events.log)
        removed << e.first;
    removed.sort();
    EXPECT_EQ(removed, (QStringList{tree.path("lonely"), tree.path("parent/child")}));
    EXPECT_FALSE(notifier.isWatching(child));
    EXPECT_TRUE(notifier.isWatching(parent));
}

TEST(NamespaceWatcher, MountsAndUnmountsAreMediaAndDriveEvents)
{
    RegistryBalance balance;
    TempTree tree;
    tree.mkdir("cd");
    tree.mkdir("usb");
    const TSxVolumeSources saved = volumeSources();
    TSxVolumeSources sources;
    sources.mountsFile = tree.path("mounts");
    setVolumeSources(sources);
    const QByteArray base = "/dev/vda / ext4 rw 0 0\n";
    tree.write("mounts", base);
    {
        TSxFileNotifier notifier;
        EventLog events(notifier);
        tree.write("mounts", base + "/dev/sr0 " + QFile::encodeName(tree.path("cd")) + " iso9660 ro 0 0\n/dev/sdb1 "
                                 + QFile::encodeName(tree.path("usb")) + " vfat rw 0 0\n");
        notifier.checkMounts();
        ASSERT_EQ(events.log.size(), 2u);
        EXPECT_TRUE(events.log[0].events.contains(TSxShellChangeEvent::MediaInserted));
        EXPECT_EQ(events.log[0].first, tree.path("cd"));
        EXPECT_EQ(classifyItem(PidlView(reinterpret_cast<PCIDL>(events.log[0].firstBytes.constData()))),
                  TSxItemKind::Drive);
        EXPECT_TRUE(events.log[1].events.contains(TSxShellChangeEvent::DriveAdded));
        EXPECT_EQ(events.log[1].first, tree.path("usb"));

        tree.write("mounts", base);
        notifier.checkMounts();
        ASSERT_EQ(events.log.size(), 4u);
        EXPECT_TRUE(events.log[2].events.contains(TSxShellChangeEvent::MediaRemoved));
        EXPECT_TRUE(events.log[3].events.contains(TSxShellChangeEvent::DriveRemoved));
        notifier.checkMounts();
        EXPECT_EQ(events.log.size(), 4u);
    }
    setVolumeSources(saved);
}

TEST(NamespaceWatcher, OwnerMayGoAwayWhileBeingTold)
{
    RegistryBalance balance;
    TempTree tree;
    auto notifier = std::make_unique<TSxFileNotifier>();
    int calls = 0;
    QObject context;
    QObject::connect(notifier.get(), &TSxFileNotifier::FileChange, &context, [&] {
        ++calls;
        notifier.reset();
    });
    notifier->watchFolder(GetItemIDFromPath(tree.root()));
    tree.write("one");
    tree.write("two");
    EXPECT_TRUE(QTest::qWaitFor([&] { return calls > 0; }, ArrivalTimeoutMs));
    QTest::qWait(SilenceMs);
    EXPECT_EQ(calls, 1);
}

TEST(NamespaceWatcher, FloodOfCreationsIsDeliveredWhole)
{
    RegistryBalance balance;
    TempTree tree;
    TSxFileNotifier notifier;
    EventLog events(notifier);
    notifier.watchFolder(GetItemIDFromPath(tree.root()));
    for (int i = 0; i < 3000; ++i)
        QFile(tree.path(QStringLiteral("f%1").arg(i))).open(QIODevice::WriteOnly);
    EXPECT_TRUE(events.waitFor(TSxShellChangeEvent::Create, 3000));
    QTest::qWait(SilenceMs);
    EXPECT_EQ(events.count(TSxShellChangeEvent::Create), 3000);
    QSet<QString> paths;
    for (const Event& e : events.log)
        paths.insert(e.first);
    EXPECT_EQ(paths.size(), 3000);
}
