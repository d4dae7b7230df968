#include "explorer/tree_fixture.h"

#include "explorer/shellqueries.h"

#include <QTest>

void FakeListLink::SetFolderandPIDL(TSxShellFolder::Ptr folder, PidlView absoluteId)
{
    calls.push_back({true, pathFromIdList(absoluteId), absoluteId.bytes().toByteArray(), folder != nullptr, false});
}

void FakeListLink::ClearView(bool clearRows) { calls.push_back({false, {}, {}, false, clearRows}); }

int FakeListLink::shows() const
{
    return int(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.show; }));
}

void TreeTest::SetUp()
{
    tree = std::make_unique<TSxExplorerTreeView>();
    tree->setObjectName(QStringLiteral("treeviewFp"));
    tree->setFolderTypes(TSxExplorerTreeView::ftFolders);
    tree->setCustomRootDirectory(disk.root());
    tree->resize(300, 400);
}

void TreeTest::TearDown()
{
    // Destroying the tree frees every identifier it holds (checked by the
    // balance) and lets go of the list.
    tree.reset();
}

void TreeTest::load() { tree->Loaded(); }

TSxTreeNode* TreeTest::node(const QString& relative) const
{
    const TSxPidl id = GetItemIDFromPath(relative.isEmpty() ? disk.root() : disk.path(relative));
    return id.isNull() ? nullptr : tree->FindNodeByID(id);
}

QStringList childTexts(const TSxTreeNode* node)
{
    QStringList texts;
    for (int i = 0; node && i < node->childCount(); ++i)
        texts << node->child(i)->text;
    return texts;
}

bool TreeTest::expandNode(const QString& relative)
{
    TSxTreeNode* n = node(relative);
    if (!n)
        return false;
    tree->expand(tree->indexOfNode(n));
    return tree->isNodeExpanded(n);
}

bool waitUntil(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); }

void TreeLoaderTest::load()
{
    loader.setContents(ShellContents::Folders, false);
    loader.load(TSxTreeLoader::CustomRoot, disk.root(), QString());
    loader.setOpen(model.root(), true);
}

TSxTreeNode* TreeLoaderTest::node(const QString& relative) const
{
    const TSxPidl id = GetItemIDFromPath(relative.isEmpty() ? disk.root() : disk.path(relative));
    return id.isNull() ? nullptr : model.find(id);
}

bool TreeLoaderTest::open(const QString& relative)
{
    TSxTreeNode* n = node(relative);
    if (!n)
        return false;
    loader.setOpen(n, true);
    loader.refresh(n);
    return true;
}
