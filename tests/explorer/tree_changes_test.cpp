#include "explorer/tree_fixture.h"

#include "explorer/filenotifier.h"
#include "explorer/shellqueries.h"
#include "explorer/volumes.h"
#include "support/testenv.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

// Changes on disk reach the tree through the namespace notifier; each test
// waits for the node to change, however long the report takes. What the
// nodes become needs no view; how the selection follows does.

TEST_F(TreeLoaderTest, CreatedAndRemovedFoldersComeAndGo)
{
    disk.mkdir(QStringLiteral("keep"));
    load();
    disk.mkdir(QStringLiteral("fresh"));
    disk.write(QStringLiteral("file.txt"));
    ASSERT_TRUE(waitUntil([&] { return childTexts(model.root()) == QStringList({"fresh", "keep"}); }));

    disk.remove(QStringLiteral("fresh"));
    ASSERT_TRUE(waitUntil([&] { return childTexts(model.root()) == QStringList{"keep"}; }));
}

TEST_F(TreeLoaderTest, RenameInsideAParentAndMoveToAnotherParent)
{
    disk.mkdir(QStringLiteral("src/old/inner"));
    disk.mkdir(QStringLiteral("dst/other"));
    load();
    ASSERT_TRUE(open(QStringLiteral("src")));
    ASSERT_TRUE(open(QStringLiteral("dst")));

    ASSERT_TRUE(QFile::rename(disk.path(QStringLiteral("src/old")), disk.path(QStringLiteral("src/renamed"))));
    ASSERT_TRUE(waitUntil([&] { return childTexts(node(QStringLiteral("src"))) == QStringList{"renamed"}; }));
    EXPECT_TRUE(node(QStringLiteral("src/renamed"))->hasChildren);

    ASSERT_TRUE(QFile::rename(disk.path(QStringLiteral("src/renamed")), disk.path(QStringLiteral("dst/moved"))));
    ASSERT_TRUE(waitUntil([&] {
        return childTexts(node(QStringLiteral("src"))).isEmpty()
               && childTexts(node(QStringLiteral("dst"))) == QStringList({"moved", "other"});
    }));
    EXPECT_FALSE(node(QStringLiteral("src"))->hasChildren);
}

TEST_F(TreeTest, MovingTheSelectedFolderAwaySelectsItsOldParent)
{
    disk.mkdir(QStringLiteral("a/sel"));
    disk.mkdir(QStringLiteral("b/x"));
    load();
    tree->setListView(&list);
    ASSERT_TRUE(expandNode(QStringLiteral("a")));
    ASSERT_TRUE(expandNode(QStringLiteral("b")));
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("a/sel"))));
    ASSERT_EQ(list.calls.back().path, disk.path(QStringLiteral("a/sel")));

    ASSERT_TRUE(QFile::rename(disk.path(QStringLiteral("a/sel")), disk.path(QStringLiteral("b/sel"))));
    ASSERT_TRUE(waitUntil([&] { return childTexts(node(QStringLiteral("b"))).contains("sel"); }));
    EXPECT_EQ(tree->selectedNode(), node(QStringLiteral("a")));
    EXPECT_TRUE(list.calls.back().show);
    EXPECT_EQ(list.calls.back().path, disk.path(QStringLiteral("a")));
}

TEST_F(TreeTest, DeletingTheSelectedFolderTreeSelectsWhatRemains)
{
    disk.mkdir(QStringLiteral("a/b/c"));
    load();
    tree->setListView(&list);
    ASSERT_TRUE(expandNode(QStringLiteral("a")));
    ASSERT_TRUE(expandNode(QStringLiteral("a/b")));
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("a/b/c"))));
    disk.remove(QStringLiteral("a"));
    ASSERT_TRUE(waitUntil([&] { return tree->rootNode()->childCount() == 0; }));
    EXPECT_EQ(tree->selectedNode(), tree->rootNode());
    EXPECT_EQ(list.calls.back().path, disk.root());
}

TEST_F(TreeLoaderTest, NewSubfolderGivesACollapsedEmptyFolderItsExpandButton)
{
    disk.mkdir(QStringLiteral("leaf"));
    load();
    TSxTreeNode* leaf = node(QStringLiteral("leaf"));
    ASSERT_FALSE(leaf->hasChildren);
    // Opened once (so shown and watched), found empty, closed.
    loader.ExpandObjectNode(leaf, true);
    ASSERT_TRUE(leaf->populated);

    disk.mkdir(QStringLiteral("leaf/sub"));
    ASSERT_TRUE(waitUntil([&] { return leaf->hasChildren; }));
    EXPECT_FALSE(leaf->open);
    EXPECT_TRUE(model.hasChildren(model.indexOf(leaf)));
}

TEST_F(TreeTest, FolderThatVanishesWhileShownIsDroppedWithoutAnError)
{
    disk.mkdir(QStringLiteral("gone/sub"));
    disk.mkdir(QStringLiteral("stay"));
    load();
    tree->setListView(&list);
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("gone"))));
    TSxTreeNode* gone = node(QStringLiteral("gone"));
    disk.remove(QStringLiteral("gone"));
    // Opened before the notifier had its say.
    tree->expand(tree->indexOfNode(gone));
    ASSERT_TRUE(waitUntil([&] { return childTexts(tree->rootNode()) == QStringList{"stay"}; }));
    EXPECT_EQ(tree->selectedNode(), tree->rootNode());
}

TEST_F(TreeLoaderTest, BurstOfCreationsIsAppliedInFewRefreshes)
{
    disk.mkdir(QStringLiteral("burst/d"));
    load();
    ASSERT_TRUE(open(QStringLiteral("burst")));
    TSxTreeNode* burst = node(QStringLiteral("burst"));
    const int before = loader.refreshCount();
    constexpr int Count = 600;
    for (int i = 0; i < Count; ++i)
        ASSERT_EQ(::mkdir(QFile::encodeName(disk.path(QStringLiteral("burst/d%1").arg(i))).constData(), 0755), 0);
    ASSERT_TRUE(waitUntil([&] { return burst->childCount() == Count + 1; }));
    // Reports come in slices; each slice refreshes the folder once.
    EXPECT_LT(loader.refreshCount() - before, 20);
    EXPECT_EQ(burst->child(1)->text, QStringLiteral("d0"));
    EXPECT_EQ(burst->child(Count)->text, QStringLiteral("d%1").arg(Count - 1));
}

TEST_F(TreeTest, DriveWithoutMediumRefusesOpeningAndSelection)
{
    disk.mkdir(QStringLiteral("cd/sub"));
    disk.mkdir(QStringLiteral("other"));
    const QString mounts = disk.path(QStringLiteral("mounts"));
    {
        QFile file(mounts);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("/dev/sda1 / ext4 rw 0 0\n/dev/sr0 " + QFile::encodeName(disk.path(QStringLiteral("cd")))
                   + " iso9660 ro 0 0\n");
    }
    load();
    tree->setListView(&list);
    TSxTreeNode* cd = node(QStringLiteral("cd"));
    ASSERT_NE(cd, nullptr);
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("other"))));
    const TSxVolumeSources saved = volumeSources();
    TSxVolumeSources fake = saved;
    fake.mountsFile = mounts;
    setVolumeSources(fake);
    // The disc goes: its mount point no longer answers.
    disk.remove(QStringLiteral("cd"));
    {
        ErrorRecorder errors;
        tree->expand(tree->indexOfNode(cd));
        EXPECT_EQ(errors.messages(), QStringList{"No disk in drive."});
        EXPECT_FALSE(tree->isNodeExpanded(cd));
        EXPECT_FALSE(tree->selectNode(cd));
        EXPECT_EQ(tree->selectedNode(), node(QStringLiteral("other")));
        EXPECT_TRUE(errors.messages().size() == 1) << "selecting says nothing";
    }
    setVolumeSources(saved);
}

TEST_F(TreeLoaderTest, SymbolicLinksToFoldersComeAndGoLikeFolders)
{
    disk.mkdir(QStringLiteral("target/inside"));
    disk.mkdir(QStringLiteral("shown"));
    load();
    ASSERT_TRUE(open(QStringLiteral("shown")));
    disk.symlink(disk.path(QStringLiteral("target")), QStringLiteral("shown/link"));
    disk.symlink(disk.path(QStringLiteral("nowhere")), QStringLiteral("shown/dangling"));
    disk.write(QStringLiteral("shown/file.txt"));
    ASSERT_TRUE(waitUntil([&] { return childTexts(node(QStringLiteral("shown"))) == QStringList{"link"}; }));
    EXPECT_TRUE(node(QStringLiteral("shown/link"))->hasChildren);

    ASSERT_TRUE(QFile::rename(disk.path(QStringLiteral("shown/link")), disk.path(QStringLiteral("shown/moved"))));
    ASSERT_TRUE(waitUntil([&] { return childTexts(node(QStringLiteral("shown"))) == QStringList{"moved"}; }));
    disk.remove(QStringLiteral("shown/moved"));
    ASSERT_TRUE(waitUntil([&] { return childTexts(node(QStringLiteral("shown"))).isEmpty(); }));
    EXPECT_TRUE(QFileInfo(disk.path(QStringLiteral("target/inside"))).isDir()) << "the link went, not its target";
}

namespace {
// Runs the file operations on another thread and waits for it, so that the
// tree sees all of them at its next turn, as it would a quick script's.
void onAnotherThread(const std::function<void()>& work)
{
    std::thread worker(work);
    worker.join();
}

bool makeFolder(const QString& path) { return ::mkdir(QFile::encodeName(path).constData(), 0755) == 0; }
}

TEST_F(TreeLoaderTest, AnOpenFolderRenamedAwayAndMadeAgainIsReadAndWatchedAgain)
{
    disk.mkdir(QStringLiteral("a/work/old1"));
    load();
    ASSERT_TRUE(open(QStringLiteral("a")));
    ASSERT_TRUE(open(QStringLiteral("a/work")));
    TSxTreeNode* work = node(QStringLiteral("a/work"));
    ASSERT_EQ(childTexts(work), QStringList{"old1"});

    onAnotherThread([&] {
        QFile::rename(disk.path(QStringLiteral("a/work")), disk.path(QStringLiteral("a/work.old")));
        makeFolder(disk.path(QStringLiteral("a/work")));
        makeFolder(disk.path(QStringLiteral("a/work/new1")));
    });
    ASSERT_TRUE(waitUntil([&] {
        return childTexts(node(QStringLiteral("a"))) == QStringList({"work", "work.old"})
            && childTexts(node(QStringLiteral("a/work"))) == QStringList{"new1"};
    })) << childTexts(node(QStringLiteral("a/work"))).join(u' ').toStdString();
    work = node(QStringLiteral("a/work"));
    EXPECT_TRUE(loader.notifier()->isWatching(work->AbsoluteID));

    // Watched again: what comes later shows.
    onAnotherThread([&] { makeFolder(disk.path(QStringLiteral("a/work/new2"))); });
    ASSERT_TRUE(waitUntil([&] { return childTexts(node(QStringLiteral("a/work"))) == QStringList({"new1", "new2"}); }));
}

TEST_F(TreeLoaderTest, ClosedFoldersGainAndLoseTheirExpandButtons)
{
    disk.mkdir(QStringLiteral("big"));
    disk.mkdir(QStringLiteral("full/sub"));
    load();
    TSxTreeNode* big = node(QStringLiteral("big"));
    TSxTreeNode* full = node(QStringLiteral("full"));
    ASSERT_FALSE(big->hasChildren);
    ASSERT_TRUE(full->hasChildren);
    ASSERT_FALSE(full->populated);

    onAnotherThread([&] { makeFolder(disk.path(QStringLiteral("big/newsub"))); });
    ASSERT_TRUE(waitUntil([&] { return big->hasChildren; }));
    EXPECT_FALSE(big->open);

    onAnotherThread([&] {
        ::rmdir(QFile::encodeName(disk.path(QStringLiteral("big/newsub"))).constData());
        ::rmdir(QFile::encodeName(disk.path(QStringLiteral("full/sub"))).constData());
    });
    ASSERT_TRUE(waitUntil([&] { return !big->hasChildren && !full->hasChildren; }));
}

TEST_F(TreeLoaderTest, AFolderOfManySubfoldersStaysWithinTheWatchBudget)
{
    constexpr int Count = TSxTreeLoader::WatchBudget + 100;
    disk.mkdir(QStringLiteral("wide"));
    for (int i = 0; i < Count; ++i)
        ASSERT_TRUE(makeFolder(disk.path(QStringLiteral("wide/d%1").arg(i))));
    load();
    ASSERT_TRUE(open(QStringLiteral("wide")));
    ASSERT_EQ(node(QStringLiteral("wide"))->childCount(), Count);
    EXPECT_LE(loader.watchCount(), TSxTreeLoader::WatchBudget + 2); // the two open nodes besides
    EXPECT_EQ(loader.notifier()->watchedFolderCount(), loader.watchCount());

    // Closing gives the watches of what it hid back.
    loader.setOpen(node(QStringLiteral("wide")), false);
    EXPECT_EQ(loader.watchCount(), 2); // the root and "wide"
}

TEST_F(TreeLoaderTest, FoldersWhoseNamesAreNotUtf8AreShownReadAndWatched)
{
    disk.mkdirBytes("dir\xE9");
    disk.mkdirBytes("dir\xE9/inside");
    disk.mkdirBytes("c\xEF\xBF\xBD");
    load();
    ASSERT_EQ(childTexts(model.root()), QStringList({"c\xEF\xBF\xBD", "dir\\xE9"}));
    TSxTreeNode* odd = model.root()->child(1);
    EXPECT_EQ(nativePathFromIdList(odd->AbsoluteID), QFile::encodeName(disk.root()) + "/dir\xE9");
    loader.setOpen(odd, true);
    loader.refresh(odd);
    EXPECT_EQ(childTexts(odd), QStringList{"inside"});
    EXPECT_TRUE(loader.notifier()->isWatching(odd->AbsoluteID));
    onAnotherThread([&] { disk.mkdirBytes("dir\xE9/later\xFF"); });
    ASSERT_TRUE(waitUntil([&] { return childTexts(odd) == QStringList({"inside", "later\\xFF"}); }));
}
