#pragma once

#include "explorer/treeviewnode.h"

#include <QAbstractItemModel>

#include <functional>
#include <memory>
#include <vector>

// The folder tree's nodes as an item model: one column, the root node as the
// only top-level row. Children are kept sorted by the tree's order; the
// model only stores and announces changes, the tree decides them.
class TSxTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    using Less = std::function<bool(const TSxTreeNode*, const TSxTreeNode*)>;
    using NodeHook = std::function<void(TSxTreeNode*)>;

    explicit TSxTreeModel(QObject* parent = nullptr);
    ~TSxTreeModel() override;

    // Runs for every node about to be destroyed, descendants first.
    void setDisposeHook(NodeHook hook) { m_dispose = std::move(hook); }
    // Resolves a node's pending details when a view first asks for its data.
    void setDetailsHook(NodeHook hook) { m_details = std::move(hook); }
    // Check boxes before the nodes.
    void setCheckable(bool checkable);
    bool isCheckable() const { return m_checkable; }
    // Called for a label edited to a new text; true keeps the text.
    void setRenameHook(std::function<bool(TSxTreeNode*, const QString&)> hook) { m_rename = std::move(hook); }

    TSxTreeNode* root() const { return m_top.childCount() ? m_top.child(0) : nullptr; }
    TSxTreeNode* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(const TSxTreeNode* node) const;

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

Q_SIGNALS:
    // A node's has-children flag changed: views must lay out again.
    void childFlagsChanged();

private:
    TSxTreeNode* resolved(const QModelIndex& index) const;
    void dispose(TSxTreeNode* node);
    void insertRun(TSxTreeNode* parent, int at, std::vector<std::unique_ptr<TSxTreeNode>>& nodes, std::size_t from,
                   std::size_t count);
    void rebuild(TSxTreeNode* parent, std::vector<std::unique_ptr<TSxTreeNode>> fresh, bool removeUnvisited,
                 const Less& less);

    TSxTreeNode m_top; // holds the root
    NodeHook m_dispose;
    NodeHook m_details;
    std::function<bool(TSxTreeNode*, const QString&)> m_rename;
    bool m_checkable = false;
};
