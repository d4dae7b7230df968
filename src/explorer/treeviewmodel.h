#pragma once

#include "explorer/treeviewnode.h"

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// The folder tree's nodes as an item model: one column, the root node as the
// only top-level row. Children are kept sorted by the tree's order. The
// model stores the nodes, announces their changes and reads a node's
// details (subfolders, link, compressed) when a view first shows it; what
// the nodes are is the loader's business (treeviewloader.h).
class TSxTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    using Less = std::function<bool(const TSxTreeNode*, const TSxTreeNode*)>;

    explicit TSxTreeModel(QObject* parent = nullptr);
    ~TSxTreeModel() override;

    // Check boxes before the nodes.
    void setCheckable(bool checkable);
    bool isCheckable() const { return m_checkable; }
    // Whether the tree lists items other than folders (every folder then
    // has an expand button).
    void setListsNonFolders(bool nonFolders) { m_nonFolders = nonFolders; }

    TSxTreeNode* root() const { return m_top.childCount() ? m_top.child(0) : nullptr; }
    TSxTreeNode* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const TSxTreeNode* node) const;
    // The node whose AbsoluteID names this item; null when none.
    TSxTreeNode* find(PidlView absoluteId) const;
    // The folder holding a node's item: the parent's folder; for the root,
    // its identifier's parent bound as a folder.
    TSxShellFolder::Ptr parentFolderOf(const TSxTreeNode* node) const;
    // Reads whether a node's item has subfolders, is a link or is stored
    // compressed; parentFolder when the caller has it.
    void resolveDetails(TSxTreeNode* node, const TSxShellFolder* parentFolder = nullptr) const;
    // The order of the children of a node.
    static Less orderIn(const TSxTreeNode* parent);

    // Discards every node.
    void clear();
    void setRoot(std::unique_ptr<TSxTreeNode> root);

    // Adds new children (sorted by less among themselves) in their sorted
    // places and, with removeUnvisited, removes the children not marked
    // Visited. Few places change: one announcement each; many: one layout
    // change for the whole folder.
    void merge(TSxTreeNode* parent, std::vector<std::unique_ptr<TSxTreeNode>> fresh, bool removeUnvisited,
               const Less& less);
    // Removes a node and its descendants.
    void remove(TSxTreeNode* node);
    // Moves a node whose sort key changed to its sorted place.
    void resort(TSxTreeNode* node, const Less& less);
    // Its item got another name: the child lookup follows.
    void renamed(TSxTreeNode* node, TSxPidl newRelativeId);
    // The node's text, image or flags changed.
    void changed(TSxTreeNode* node);
    // The node's has-children flag changed: it is redrawn, and views lay
    // out again.
    void childFlagChanged(TSxTreeNode* node);

    // Every node in tree order from the root.
    void forEach(const std::function<void(TSxTreeNode*)>& visit) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;

    // The node of absoluteId below root, or null, one childOf(node, name)
    // per level below the root (siblings have distinct names).
    template <typename ChildOf>
    static TSxTreeNode* walkDown(TSxTreeNode* root, PidlView absoluteId, ChildOf childOf);

Q_SIGNALS:
    // A node's has-children flag changed: views must lay out again (later:
    // it may change in the middle of a paint).
    void childFlagsChanged();
    // A node is about to be destroyed (its descendants come first).
    void nodeDisposed(TSxTreeNode* node);

private:
    TSxTreeNode* resolved(const QModelIndex& index) const;
    void dispose(TSxTreeNode* node);
    void insertRun(TSxTreeNode* parent, int at, std::vector<std::unique_ptr<TSxTreeNode>>& nodes, std::size_t from,
                   std::size_t count);
    void rebuild(TSxTreeNode* parent, std::vector<std::unique_ptr<TSxTreeNode>> fresh, bool removeUnvisited,
                 const Less& less);
    // Runs of children not marked Visited, in order (first and last row).
    static std::vector<std::pair<int, int>> unvisitedRuns(const TSxTreeNode* parent);
    // Places among the children that stay where new children go.
    static int insertionPlaces(const TSxTreeNode* parent, const std::vector<std::unique_ptr<TSxTreeNode>>& fresh,
                               bool removeUnvisited, const Less& less);

    TSxTreeNode m_top; // holds the root
    bool m_checkable = false;
    bool m_nonFolders = false;
};

template <typename ChildOf>
TSxTreeNode* TSxTreeModel::walkDown(TSxTreeNode* root, PidlView absoluteId, ChildOf childOf)
{
    if (!root)
        return nullptr;
    const PidlView rootId = root->AbsoluteID;
    if (rootId == absoluteId)
        return root;
    if (!rootId.isParentOf(absoluteId))
        return nullptr;
    TSxTreeNode* node = root;
    int skip = rootId.count();
    for (const ItemIdElement& element : absoluteId) {
        if (skip > 0) {
            --skip;
            continue;
        }
        node = childOf(node, element.name);
        if (!node)
            return nullptr;
    }
    return node;
}
