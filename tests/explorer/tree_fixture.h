#pragma once

#include "explorer/explorerlinks.h"
#include "explorer/explorertest.h"
#include "explorer/treeview.h"
#include "explorer/treeviewloader.h"
#include "explorer/treeviewmodel.h"

#include <QStringList>

#include <memory>
#include <vector>

// Stands in for the file list: records what the tree asks of it.
class FakeListLink : public ExplorerListLink {
public:
    struct Call {
        bool show = false; // SetFolderandPIDL; otherwise ClearView
        QString path;      // file-system path of the shown folder
        QByteArray id;
        bool hasFolder = false;
        bool clearRows = false;
    };
    void SetFolderandPIDL(TSxShellFolder::Ptr folder, PidlView absoluteId) override;
    void ClearView(bool clearRows) override;
    void treeDetached() override { detached = true; }

    int shows() const;
    std::vector<Call> calls;
    bool detached = false;
};

// Texts of a node's children, in order.
QStringList childTexts(const TSxTreeNode* node);
// Runs the event loop until the condition holds (at most 10 s).
bool waitUntil(const std::function<bool()>& condition);

// The folder tree's nodes and their loader, without a view, rooted on a
// temporary folder the test builds: folders only, as the tree is
// configured.
class TreeLoaderTest : public ::testing::Test {
protected:
    // Builds the root (after the test has laid out the folders).
    void load();
    // The node of a folder below the temporary root ("" for the root).
    TSxTreeNode* node(const QString& relative) const;
    // Reads a node and marks it open, as a view does when it expands one.
    bool open(const QString& relative);

    RegistryBalance balance; // first made, last checked
    TempTree disk;
    TSxTreeModel model;
    TSxTreeLoader loader{model};
};

// A folder tree rooted on a temporary folder the test builds.
class TreeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Builds the tree (after the test has laid out the folders).
    void load();
    // The node of a folder below the temporary root ("" for the root).
    TSxTreeNode* node(const QString& relative) const;
    bool expandNode(const QString& relative);

    RegistryBalance balance; // first made, last checked
    TempTree disk;
    std::unique_ptr<TSxExplorerTreeView> tree;
    FakeListLink list;
};
