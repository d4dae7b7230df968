#pragma once

#include "explorer/pidlmanager.h"
#include "explorer/shellfolder.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// One node of the folder tree: a namespace item and how the tree shows it.
class TSxTreeNode {
public:
    // The item bound as a folder; empty when it cannot be bound.
    TSxShellFolder::Ptr ShellFolder;
    // Relative to the parent node's folder (the root: its full identifier).
    TSxPidl RelativeID;
    // From the top of the namespace.
    TSxPidl AbsoluteID;
    // Seen by the refresh that is enumerating the parent.
    bool Visited = false;
    // Stored compressed by the file system; drawn in the compressed colour.
    bool Compressed = false;
    // A volume listed by the drives folder.
    bool IsDrive = false;

    QString text;
    int imageIndex = -1;
    int selectedImageIndex = -1;
    int overlayIndex = -1; // -1 none, 0 shared, 1 shortcut
    bool hasChildren = false;
    bool checked = false;
    // Children have been enumerated at least once.
    bool populated = false;
    // Opened (expanded) in the view.
    bool open = false;
    // The loader holds a watch on the node's folder.
    bool watched = false;
    // Subfolder, link and compressed tests not made yet: they cost disk
    // access, so a large folder makes them only for the rows it shows.
    bool detailsPending = false;

    TSxTreeNode* parent() const { return m_parent; }
    int childCount() const { return int(m_children.size()); }
    TSxTreeNode* child(int index) const { return m_children[std::size_t(index)].get(); }
    // The child whose item has this name; null when none has.
    TSxTreeNode* findChild(QByteArrayView name) const { return m_byName.value(name, nullptr); }
    // Position among the parent's children.
    int row() const;
    // Number of ancestors (the root has none).
    int depth() const;
    bool isAncestorOf(const TSxTreeNode* node) const;

private:
    friend class TSxTreeModel;
    QByteArrayView nameKey() const { return RelativeID.view().lastName(); }
    void renumberChildren() const;

    TSxTreeNode* m_parent = nullptr;
    std::vector<std::unique_ptr<TSxTreeNode>> m_children;
    // Keys point into each child's own RelativeID.
    QHash<QByteArrayView, TSxTreeNode*> m_byName;
    mutable int m_row = 0;
};
