// The folder tree and the file list together in the running program.

#include "support/programfixture.h"

#include "explorer/listview.h"
#include "explorer/pidlmanager.h"
#include "explorer/shellfolder.h"
#include "explorer/threadfilenotifier.h"
#include "explorer/treeview.h"
#include "explorer/treeviewnode.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <thread>

namespace {

QStringList listedNames(TSxExplorerListView* list)
{
    QStringList names;
    for (int i = 0; i < list->ItemDataList().count(); ++i)
        names << QFileInfo(list->ItemDataList()[i].FullPath()).fileName();
    names.sort();
    return names;
}

}

TEST_F(ProgramTest, TreeAndListFollowEachOther)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("projet/src"));
    writeFile(QStringLiteral("projet/lisez-moi.txt"), "x");
    const QString projet = tempPath(QStringLiteral("projet"));

    // At start the list shows "/" before any folder is chosen in the tree.
    EXPECT_EQ(Fp->listviewFp->Directory(), QStringLiteral("/"));

    // The list moves to a folder through the tree, which selects its node.
    Fp->listviewFp->setDirectory(projet);
    TSxTreeNode* node = Fp->treeviewFp->selectedNode();
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(pathFromIdList(node->AbsoluteID), projet);
    EXPECT_EQ(Fp->listviewFp->Directory(), projet);
    EXPECT_EQ(listedNames(Fp->listviewFp), (QStringList{"lisez-moi.txt", "src"}));

    // A folder chosen in the tree is shown in the list.
    Fp->listviewFp->setDirectory(tempPath(QStringLiteral("projet/src")));
    EXPECT_EQ(pathFromIdList(Fp->treeviewFp->selectedNode()->AbsoluteID), tempPath(QStringLiteral("projet/src")));
    EXPECT_TRUE(listedNames(Fp->listviewFp).isEmpty());
}

TEST_F(ProgramTest, AFolderReplacedWhileShownIsFollowedByTreeAndList)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("projet/work"));
    writeFile(QStringLiteral("projet/work/old.txt"), "x");
    const QString work = tempPath(QStringLiteral("projet/work"));
    TSxExplorerListView* list = Fp->listviewFp;
    list->setDirectory(work);
    ASSERT_EQ(list->Directory(), work);
    const auto& threads = list->fileWatcher().threads();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return std::all_of(threads.begin(), threads.end(), [](const auto& t) { return t->isWatching(); }); }));

    std::thread([&] {
        QFile::rename(work, work + QStringLiteral(".old"));
        QDir().mkdir(work);
        QFile made(work + QStringLiteral("/x1.txt"));
        made.open(QIODevice::WriteOnly);
    }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listedNames(list) == QStringList{"x1.txt"}; }, 10000));
    EXPECT_EQ(list->Directory(), work);
    EXPECT_EQ(pathFromIdList(Fp->treeviewFp->selectedNode()->AbsoluteID), work);

    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return std::all_of(threads.begin(), threads.end(), [](const auto& t) { return t->isWatching(); }); }));
    writeFile(QStringLiteral("projet/work/x2.txt"), "y");
    EXPECT_TRUE(QTest::qWaitFor([&] { return listedNames(list) == QStringList({"x1.txt", "x2.txt"}); }, 10000));
}

TEST_F(ProgramTest, AWholeSessionLeavesNoItemIdentifierBehind)
{
    QDir(m_dir.path()).mkpath(QStringLiteral("a/b/c"));
    writeFile(QStringLiteral("a/b/note.txt"), "x");
    Fp->listviewFp->setDirectory(tempPath(QStringLiteral("a/b")));
    Fp->listviewFp->setDirectory(tempPath(QStringLiteral("a/b/c")));
    QDir(m_dir.path()).mkpath(QStringLiteral("a/b/c/d"));
    QTest::qWait(300); // the watchers report and the views refresh
    Fp->listviewFp->setDirectory(QStringLiteral("/"));
    stop();
    EXPECT_EQ(TSxPidlManager::instance().count(), 0);
}
