#include "explorer/tree_fixture.h"

#include "explorer/filenotifier.h"
#include "explorer/pidlmanager.h"
#include "explorer/shellqueries.h"
#include "explorer/treeviewmodel.h"
#include "platform/errors.h"

#include <QDir>

TEST_F(TreeTest, RootShowsItsSubfoldersSortedWithoutFilesOrHiddenOnes)
{
    for (const char* name : {"b", "A", "a10", "a2", "Z", ".hidden", "\xC3\xA9t\xC3\xA9"})
        disk.mkdir(QString::fromUtf8(name));
    disk.write(QStringLiteral("file.txt"), "x");
    load();

    TSxTreeNode* root = tree->rootNode();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text, QDir(disk.root()).dirName());
    EXPECT_TRUE(tree->isNodeExpanded(root));
    EXPECT_EQ(childTexts(root), QStringList({"A", "a2", "a10", "b", QString::fromUtf8("\xC3\xA9t\xC3\xA9"), "Z"}));
    EXPECT_TRUE(root->populated);
}

TEST_F(TreeTest, LevelsFillWhenOpenedAndExpandButtonsFollowVisibleSubfolders)
{
    disk.mkdir(QStringLiteral("parent/child/grandchild"));
    disk.mkdir(QStringLiteral("onlyhidden/.secret"));
    disk.mkdir(QStringLiteral("empty"));
    disk.mkdir(QStringLiteral("withfile"));
    disk.write(QStringLiteral("withfile/file.txt"));
    load();

    TSxTreeNode* parent = node(QStringLiteral("parent"));
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(parent->childCount(), 0) << "a level fills only when opened";
    EXPECT_FALSE(parent->populated);
    EXPECT_TRUE(parent->hasChildren);
    EXPECT_FALSE(node(QStringLiteral("onlyhidden"))->hasChildren);
    EXPECT_FALSE(node(QStringLiteral("empty"))->hasChildren);
    EXPECT_FALSE(node(QStringLiteral("withfile"))->hasChildren);

    ASSERT_TRUE(expandNode(QStringLiteral("parent")));
    EXPECT_EQ(childTexts(parent), QStringList{"child"});
    EXPECT_EQ(pathFromIdList(parent->child(0)->AbsoluteID), disk.path(QStringLiteral("parent/child")));
    EXPECT_EQ(parent->child(0)->RelativeID.view().count(), 1);
    // Shown folders are watched, what lies below closed ones is not.
    EXPECT_TRUE(tree->notifier()->isWatching(parent->AbsoluteID));
    EXPECT_TRUE(tree->notifier()->isWatching(parent->child(0)->AbsoluteID));
    tree->collapse(tree->indexOfNode(parent));
    EXPECT_TRUE(tree->notifier()->isWatching(parent->AbsoluteID));
    EXPECT_FALSE(tree->notifier()->isWatching(parent->child(0)->AbsoluteID));
}

TEST_F(TreeTest, ReopeningMergesNewAndDeletedFoldersAndKeepsExpandedOnes)
{
    for (const char* name : {"top/b", "top/d/inner/deeper", "top/f"})
        disk.mkdir(QString::fromLatin1(name));
    load();
    ASSERT_TRUE(expandNode(QStringLiteral("top")));
    ASSERT_TRUE(expandNode(QStringLiteral("top/d")));
    ASSERT_TRUE(expandNode(QStringLiteral("top/d/inner")));
    TSxTreeNode* top = node(QStringLiteral("top"));
    TSxTreeNode* d = node(QStringLiteral("top/d"));
    tree->collapse(tree->indexOfNode(top));

    disk.mkdir(QStringLiteral("top/c"));
    disk.mkdir(QStringLiteral("top/a"));
    disk.remove(QStringLiteral("top/f"));
    ASSERT_TRUE(expandNode(QStringLiteral("top")));

    EXPECT_EQ(childTexts(top), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(node(QStringLiteral("top/d")), d) << "unchanged nodes stay";
    EXPECT_TRUE(tree->isNodeExpanded(d));
    EXPECT_EQ(childTexts(node(QStringLiteral("top/d/inner"))), QStringList{"deeper"});
}

TEST_F(TreeTest, LargeMergesKeepOrderSelectionAndExpansion)
{
    // Many separate places change at once: the folder is laid out anew.
    for (int i = 0; i < 200; i += 2)
        disk.mkdir(QStringLiteral("big/n%1").arg(i));
    disk.mkdir(QStringLiteral("big/n100/sub"));
    disk.mkdir(QStringLiteral("big/n150/sub"));
    load();
    ASSERT_TRUE(expandNode(QStringLiteral("big")));
    ASSERT_TRUE(expandNode(QStringLiteral("big/n100")));
    ASSERT_TRUE(expandNode(QStringLiteral("big/n150")));
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("big/n100/sub"))));
    TSxTreeNode* kept = node(QStringLiteral("big/n100"));

    for (int i = 1; i < 200; i += 2)
        disk.mkdir(QStringLiteral("big/n%1").arg(i));
    for (int i = 0; i < 200; i += 8) {
        if (i != 100)
            disk.remove(QStringLiteral("big/n%1").arg(i));
    }
    disk.remove(QStringLiteral("big/n150")); // expanded, and gone
    TSxTreeNode* big = node(QStringLiteral("big"));
    tree->collapse(tree->indexOfNode(big));
    ASSERT_TRUE(expandNode(QStringLiteral("big")));

    QStringList expected;
    for (int i = 0; i < 200; ++i) {
        if ((i % 8 != 0 || i == 100) && i != 150)
            expected << QStringLiteral("n%1").arg(i);
    }
    EXPECT_EQ(childTexts(big), expected);
    EXPECT_EQ(node(QStringLiteral("big/n100")), kept);
    EXPECT_TRUE(tree->isNodeExpanded(kept));
    EXPECT_EQ(tree->selectedNode(), node(QStringLiteral("big/n100/sub")));
    // The view agrees with the nodes.
    const QModelIndex bigIndex = tree->indexOfNode(big);
    ASSERT_EQ(tree->model()->rowCount(bigIndex), expected.size());
    for (int row = 0; row < expected.size(); ++row)
        EXPECT_EQ(tree->model()->index(row, 0, bigIndex).data().toString(), expected[row]);
    EXPECT_EQ(tree->model()->parent(tree->indexOfNode(node(QStringLiteral("big/n100/sub")))),
              tree->indexOfNode(kept));
}

TEST_F(TreeTest, SelectedFolderThatGoesOnReopeningHandsTheSelectionToItsParent)
{
    disk.mkdir(QStringLiteral("p/q"));
    load();
    tree->setListView(&list);
    ASSERT_TRUE(expandNode(QStringLiteral("p")));
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("p/q"))));
    disk.remove(QStringLiteral("p/q"));
    tree->collapse(tree->indexOfNode(node(QStringLiteral("p"))));
    ASSERT_TRUE(expandNode(QStringLiteral("p")));
    EXPECT_EQ(tree->selectedNode(), node(QStringLiteral("p")));
    ASSERT_FALSE(list.calls.empty());
    EXPECT_TRUE(list.calls.back().show);
    EXPECT_EQ(list.calls.back().path, disk.path(QStringLiteral("p")));
}

TEST_F(TreeTest, RootAliasCustomRootErrorsAndTheDefaultRoot)
{
    disk.mkdir(QStringLiteral("x"));
    tree->setRootAlias(QStringLiteral("Mes dossiers"));
    load();
    EXPECT_EQ(tree->rootNode()->text, QStringLiteral("Mes dossiers"));
    tree->InitialLoad();
    EXPECT_EQ(tree->rootNode()->text, QStringLiteral("Mes dossiers")) << "after every reload";

    try {
        tree->setCustomRootDirectory(disk.path(QStringLiteral("missing")));
        ADD_FAILURE() << "a root that does not parse loads";
    } catch (const ScrivoError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Could not retrieve PIDL for custom folder"));
    }
    EXPECT_EQ(tree->rootNode(), nullptr);

    // An empty custom root is the top of the namespace: home and "/".
    tree->setCustomRootDirectory(QString());
    ASSERT_NE(tree->rootNode(), nullptr);
    EXPECT_TRUE(tree->rootNode()->AbsoluteID.view().isEmpty());
    ASSERT_EQ(tree->rootNode()->childCount(), 2);
    EXPECT_EQ(pathFromIdList(tree->rootNode()->child(0)->AbsoluteID), QDir::homePath());
    EXPECT_EQ(pathFromIdList(tree->rootNode()->child(1)->AbsoluteID), QStringLiteral("/"));
}

TEST_F(TreeTest, FolderTypesDecideWhatIsListed)
{
    disk.mkdir(QStringLiteral(".hidden"));
    disk.mkdir(QStringLiteral("shown"));
    disk.write(QStringLiteral("file.txt"));
    load();
    EXPECT_EQ(childTexts(tree->rootNode()), QStringList{"shown"});
    tree->setFolderTypes(TSxExplorerTreeView::ftFolders | TSxExplorerTreeView::ftIncludeHidden);
    EXPECT_EQ(childTexts(tree->rootNode()), QStringList({".hidden", "shown"}));
    tree->setFolderTypes(TSxExplorerTreeView::ftFolders | TSxExplorerTreeView::ftNonFolders);
    EXPECT_EQ(childTexts(tree->rootNode()), QStringList({"shown", "file.txt"}));
    EXPECT_FALSE(tree->rootNode()->child(1)->hasChildren);
}

TEST_F(TreeTest, SessionLeavesNoIdentifierRegistered)
{
    disk.mkdir(QStringLiteral("a/b/c"));
    disk.mkdir(QStringLiteral("d"));
    const qsizetype before = TSxPidlManager::instance().count();
    load();
    tree->setListView(&list);
    ASSERT_TRUE(expandNode(QStringLiteral("a")));
    ASSERT_TRUE(expandNode(QStringLiteral("a/b")));
    ASSERT_TRUE(tree->selectNode(node(QStringLiteral("a/b/c"))));
    disk.mkdir(QStringLiteral("a/new"));
    ASSERT_TRUE(waitUntil([&] { return childTexts(node(QStringLiteral("a"))).contains("new"); }));
    tree->InitialLoad();
    EXPECT_GT(TSxPidlManager::instance().countTagged("SxExplorerTreeView: AddNodeData"), 0);
    for (const TSxPIDLItem& record : TSxPidlManager::instance().records())
        EXPECT_TRUE(QByteArray(record.tag).contains("SxExplorerTreeView") || QByteArray(record.tag) == "test"
                    || QByteArray(record.tag) == "GetItemIDFromPath")
            << record.tag;
    tree.reset();
    EXPECT_EQ(TSxPidlManager::instance().count(), before);
    EXPECT_TRUE(list.detached);
}

TEST_F(TreeTest, ColourAndFontPropertiesApply)
{
    load();
    EXPECT_TRUE(tree->setProperty("Color", Colors::rgb(10, 20, 30)));
    EXPECT_EQ(tree->palette().color(QPalette::Base), QColor(10, 20, 30));
    auto* font = tree->property("Font").value<TFont*>();
    ASSERT_NE(font, nullptr);
    font->setName(QStringLiteral("DejaVu Serif"));
    font->setSize(14);
    font->setStyle(TFont::fsBold);
    font->setColor(Colors::rgb(200, 0, 0));
    EXPECT_EQ(tree->font().pointSize(), 14);
    EXPECT_TRUE(tree->font().bold());
    EXPECT_EQ(tree->palette().color(QPalette::Text), QColor(200, 0, 0));
    // Selection stays visible without the focus.
    EXPECT_EQ(tree->palette().color(QPalette::Inactive, QPalette::Highlight),
              tree->palette().color(QPalette::Active, QPalette::Highlight));

    TFont other;
    other.setName(QStringLiteral("DejaVu Sans"));
    other.setSize(9);
    other.setColor(Colors::rgb(0, 0, 255));
    EXPECT_TRUE(tree->setProperty("Font", QVariant::fromValue(&other)));
    EXPECT_EQ(tree->font().pointSize(), 9);
    EXPECT_EQ(tree->palette().color(QPalette::Text), QColor(0, 0, 255));
    EXPECT_NE(tree->property("Font").value<TFont*>(), &other) << "the tree keeps its own font object";
}

TEST_F(TreeTest, CheckmarksAddCheckBoxes)
{
    disk.mkdir(QStringLiteral("x"));
    load();
    const QModelIndex x = tree->indexOfNode(node(QStringLiteral("x")));
    EXPECT_FALSE(x.data(Qt::CheckStateRole).isValid());
    tree->setCheckmarks(true);
    const QModelIndex again = tree->indexOfNode(node(QStringLiteral("x")));
    EXPECT_EQ(again.data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(tree->model()->setData(again, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(again.data(Qt::CheckStateRole).toInt(), Qt::Checked);
}
