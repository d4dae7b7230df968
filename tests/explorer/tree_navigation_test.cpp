#include "explorer/tree_fixture.h"

#include "explorer/dropdata.h"
#include "explorer/shellqueries.h"
#include "support/testenv.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

namespace {
void sendKey(QWidget* widget, QEvent::Type type, int key, bool autoRepeat,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(widget, &event);
}
}

TEST_F(TreeTest, HeldArrowKeyFillsTheListOnceForTheFinalFolder)
{
    for (int i = 0; i < 20; ++i)
        disk.mkdir(QStringLiteral("f%1").arg(i, 2, 10, QLatin1Char('0')));
    load();
    tree->setListView(&list);
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("f00"))));
    ASSERT_EQ(list.shows(), 1);
    list.calls.clear();

    // A held key repeats presses (and, on X11, releases) marked as repeats.
    sendKey(tree.get(), QEvent::KeyPress, Qt::Key_Down, false);
    for (int i = 0; i < 9; ++i) {
        sendKey(tree.get(), QEvent::KeyRelease, Qt::Key_Down, true);
        sendKey(tree.get(), QEvent::KeyPress, Qt::Key_Down, true);
    }
    EXPECT_TRUE(tree->isKeyNavigating());
    EXPECT_EQ(tree->selectedNode(), node(QStringLiteral("f10")));
    EXPECT_TRUE(list.calls.empty());

    sendKey(tree.get(), QEvent::KeyRelease, Qt::Key_Down, false);
    EXPECT_FALSE(tree->isKeyNavigating());
    ASSERT_EQ(list.calls.size(), 1u);
    EXPECT_TRUE(list.calls[0].show);
    EXPECT_TRUE(list.calls[0].hasFolder);
    EXPECT_EQ(list.calls[0].path, disk.path(QStringLiteral("f10")));

    // A single press and release, up this time, is one change too.
    sendKey(tree.get(), QEvent::KeyPress, Qt::Key_Up, false);
    sendKey(tree.get(), QEvent::KeyRelease, Qt::Key_Up, false);
    ASSERT_EQ(list.calls.size(), 2u);
    EXPECT_EQ(list.calls[1].path, disk.path(QStringLiteral("f09")));

    // Clearing the selection empties the list.
    tree->selectNode(nullptr);
    ASSERT_EQ(list.calls.size(), 3u);
    EXPECT_FALSE(list.calls[2].show);
    EXPECT_TRUE(list.calls[2].clearRows);
}

TEST_F(TreeTest, LinkingAListShowsTheSelectedFolderAtOnce)
{
    disk.mkdir(QStringLiteral("x"));
    load();
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("x"))));
    tree->setListView(&list);
    ASSERT_EQ(list.shows(), 1);
    EXPECT_EQ(list.calls[0].path, disk.path(QStringLiteral("x")));

    FakeListLink second;
    tree->setListView(&second);
    EXPECT_TRUE(list.detached);
    tree->listDetached();
    EXPECT_EQ(tree->listView(), nullptr);
}

TEST_F(TreeTest, LocateNodeFindsFoldersBelowTheRootOnly)
{
    disk.mkdir(QStringLiteral("a/b/c/d"));
    disk.mkdir(QStringLiteral("a/b2"));
    load();
    const TSxPidl deep = GetItemIDFromPath(disk.path(QStringLiteral("a/b/c")));
    TSxTreeNode* c = tree->LocateNode(deep);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->text, QStringLiteral("c"));
    EXPECT_EQ(c, tree->FindNodeByID(deep));
    EXPECT_EQ(childTexts(node(QStringLiteral("a"))), QStringList({"b", "b2"}));
    EXPECT_EQ(c->childCount(), 0) << "only the way down is read";

    EXPECT_EQ(tree->LocateNode(GetItemIDFromPath(disk.root())), tree->rootNode());
    EXPECT_EQ(tree->LocateNode(GetItemIDFromPath(QDir::tempPath())), nullptr);
    disk.write(QStringLiteral("a/file.txt"));
    EXPECT_EQ(tree->LocateNode(GetItemIDFromPath(disk.path(QStringLiteral("a/file.txt")))), nullptr);
    EXPECT_EQ(tree->FindNodeByID(GetItemIDFromPath(disk.path(QStringLiteral("a/b/c/d")))), nullptr);
}

TEST_F(TreeTest, ListMovesTheTreeToAFolderAndGetsItBack)
{
    disk.mkdir(QStringLiteral("a/b/c"));
    disk.mkdir(QStringLiteral("z"));
    load();
    tree->setListView(&list);
    ExplorerTreeLink* link = tree.get();

    const TSxPidl target = GetItemIDFromPath(disk.path(QStringLiteral("a/b/c")));
    ASSERT_TRUE(link->selectFolder(target));
    TSxTreeNode* c = node(QStringLiteral("a/b/c"));
    EXPECT_EQ(tree->selectedNode(), c);
    EXPECT_TRUE(tree->isNodeExpanded(node(QStringLiteral("a"))));
    EXPECT_TRUE(tree->isNodeExpanded(node(QStringLiteral("a/b"))));
    ASSERT_EQ(list.shows(), 1);
    EXPECT_EQ(list.calls.back().path, disk.path(QStringLiteral("a/b/c")));

    // Asked again for the folder it shows, the list still gets it back.
    ASSERT_TRUE(link->selectFolder(target));
    EXPECT_EQ(list.shows(), 2);

    EXPECT_FALSE(link->selectFolder(GetItemIDFromPath(QDir::tempPath())));
    EXPECT_EQ(tree->selectedNode(), c);
    EXPECT_EQ(list.shows(), 2);
}

TEST_F(TreeTest, KeypadPlusOpensOneLevelAndMinusClosesAllBelow)
{
    disk.mkdir(QStringLiteral("a/b/c"));
    load();
    TSxTreeNode* a = node(QStringLiteral("a"));
    ASSERT_TRUE(tree->selectNode(a));
    sendKey(tree.get(), QEvent::KeyPress, Qt::Key_Plus, false, Qt::KeypadModifier);
    EXPECT_TRUE(tree->isNodeExpanded(a));
    TSxTreeNode* b = node(QStringLiteral("a/b"));
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(tree->isNodeExpanded(b)) << "one level";
    ASSERT_TRUE(expandNode(QStringLiteral("a/b")));

    sendKey(tree.get(), QEvent::KeyPress, Qt::Key_Minus, false, Qt::KeypadModifier);
    EXPECT_FALSE(tree->isNodeExpanded(a));
    EXPECT_FALSE(tree->isNodeExpanded(b));
}

TEST_F(TreeTest, RenamingNeedsTheOptionAndNeverOverwrites)
{
    disk.mkdir(QStringLiteral("m/old/child"));
    disk.mkdir(QStringLiteral("m/taken"));
    disk.mkdir(QStringLiteral("m/zz"));
    load();
    ASSERT_TRUE(expandNode(QStringLiteral("m")));
    ASSERT_TRUE(expandNode(QStringLiteral("m/old")));
    TSxTreeNode* old = node(QStringLiteral("m/old"));

    // As configured: no rename, an edited label is discarded.
    EXPECT_FALSE(tree->RenameNode(old, QStringLiteral("new")));
    EXPECT_FALSE(tree->model()->setData(tree->indexOfNode(old), QStringLiteral("new"), Qt::EditRole));
    EXPECT_TRUE(QDir(disk.path(QStringLiteral("m/old"))).exists());
    EXPECT_EQ(old->text, QStringLiteral("old"));

    tree->setOptions(TSxExplorerTreeView::tvoAllowRename);
    try {
        tree->RenameNode(old, QStringLiteral("taken"));
        ADD_FAILURE() << "renamed over an existing folder";
    } catch (const ScrivoError& e) {
        EXPECT_TRUE(e.text().startsWith(QStringLiteral("Cannot rename \"old\" to \"taken\"")));
    }
    EXPECT_THROW(tree->RenameNode(old, QStringLiteral("a/b")), ScrivoError);
    EXPECT_TRUE(QDir(disk.path(QStringLiteral("m/taken"))).exists());

    ASSERT_TRUE(tree->RenameNode(old, QStringLiteral("zzz")));
    EXPECT_TRUE(QDir(disk.path(QStringLiteral("m/zzz/child"))).exists());
    EXPECT_EQ(old->text, QStringLiteral("zzz"));
    EXPECT_EQ(childTexts(node(QStringLiteral("m"))), QStringList({"taken", "zz", "zzz"}));
    // Identifiers below follow the new name.
    TSxTreeNode* child = node(QStringLiteral("m/zzz/child"));
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(pathFromIdList(child->AbsoluteID), disk.path(QStringLiteral("m/zzz/child")));
    EXPECT_TRUE(tree->notifier() != nullptr);
}

TEST_F(TreeTest, ALabelIsEditedOnlyWhenTheEditingCheckAllows)
{
    disk.mkdir(QStringLiteral("kept"));
    disk.mkdir(QStringLiteral("free"));
    QStringList asked;
    tree = std::make_unique<TSxExplorerTreeView>(nullptr, [&](TSxTreeNode* node) {
        asked << node->text;
        return node->text != QStringLiteral("kept");
    });
    tree->setFolderTypes(TSxExplorerTreeView::ftFolders);
    tree->setCustomRootDirectory(disk.root());
    load();
    tree->show();
    // F2 on a node, as a user asks for its label.
    const auto pressF2On = [&](TSxTreeNode* target) {
        tree->setCurrentIndex(tree->indexOfNode(target));
        QTest::keyClick(tree.get(), Qt::Key_F2);
        return tree->findChild<QLineEdit*>() != nullptr && tree->findChild<QLineEdit*>()->isVisible();
    };
    EXPECT_FALSE(pressF2On(node(QStringLiteral("kept"))));
    EXPECT_FALSE(pressF2On(tree->rootNode())); // never renamed, nor asked about
    EXPECT_TRUE(pressF2On(node(QStringLiteral("free"))));
    EXPECT_EQ(asked, QStringList({"kept", "free"}));
}

TEST_F(TreeTest, DragOffersTheSelectedFolder)
{
    disk.mkdir(QStringLiteral("p/dragged"));
    load();
    EXPECT_EQ(tree->dragData(), nullptr);
    ASSERT_TRUE(expandNode(QStringLiteral("p")));
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("p/dragged"))));
    std::unique_ptr<QMimeData> data(tree->dragData());
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls()[0].toLocalFile(), disk.path(QStringLiteral("p/dragged")));
    const TDropPIDLTarget dropped(data.get());
    ASSERT_TRUE(dropped.hasIdList());
    EXPECT_EQ(pathFromIdList(dropped.folderId()), disk.path(QStringLiteral("p")));
    ASSERT_EQ(dropped.itemCount(), 1);
    EXPECT_EQ(dropped.item(0).lastName(), QByteArrayView("dragged"));
}

TEST_F(TreeTest, DropsAreRefusedAsConfiguredAndCarriedOutWhenAllowed)
{
    disk.mkdir(QStringLiteral("from/item/inside"));
    disk.write(QStringLiteral("from/item/inside/file.txt"), "content");
    disk.mkdir(QStringLiteral("to"));
    load();
    ASSERT_TRUE(expandNode(QStringLiteral("from")));
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("from/item"))));
    std::unique_ptr<QMimeData> data(tree->dragData());
    ASSERT_NE(data, nullptr);
    TSxTreeNode* to = node(QStringLiteral("to"));
    EXPECT_EQ(tree->dropEffectFor(to, data.get(), Qt::NoModifier), TSxDropEffect::None);

    tree->setOptions(TSxExplorerTreeView::tvoAllowPaste);
    EXPECT_EQ(tree->dropEffectFor(to, data.get(), Qt::NoModifier), TSxDropEffect::Move);
    EXPECT_EQ(tree->dropEffectFor(node(QStringLiteral("from")), data.get(), Qt::NoModifier), TSxDropEffect::None)
        << "back where it comes from";
    EXPECT_EQ(tree->dropEffectFor(node(QStringLiteral("from/item")), data.get(), Qt::ControlModifier),
              TSxDropEffect::None)
        << "into itself";

    // A drop with Ctrl held copies the folder with its content.
    tree->show();
    tree->scrollTo(tree->indexOfNode(to));
    const QPoint at = tree->visualRect(tree->indexOfNode(to)).center();
    ASSERT_EQ(tree->nodeAt(tree->indexAt(at)), to) << at.x() << "," << at.y();
    const auto enter = [&] {
        // Qt hands a drop to the widget that accepted the drag's entry.
        QDragEnterEvent event(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data.get(), Qt::NoButton,
                              Qt::ControlModifier);
        QApplication::sendEvent(tree->viewport(), &event);
        return event.isAccepted();
    };
    ASSERT_TRUE(enter());
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data.get(), Qt::NoButton,
                    Qt::ControlModifier);
    QApplication::sendEvent(tree->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    QFile copied(disk.path(QStringLiteral("to/item/inside/file.txt")));
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), QByteArray("content"));
    EXPECT_TRUE(QFile::exists(disk.path(QStringLiteral("from/item/inside/file.txt"))));

    // Again: the copy exists, so nothing is overwritten and the error says so.
    {
        ErrorRecorder errors;
        ASSERT_TRUE(enter());
        QDropEvent again(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data.get(), Qt::NoButton,
                         Qt::ControlModifier);
        QApplication::sendEvent(tree->viewport(), &again);
        ASSERT_EQ(errors.messages().size(), 1);
        EXPECT_TRUE(errors.messages()[0].contains(QStringLiteral("already exists")));
    }
    ASSERT_TRUE(waitUntil([&] { return childTexts(to).contains("item"); }));
}
