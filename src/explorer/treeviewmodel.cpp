#include "explorer/treeviewmodel.h"

#include "explorer/shellicons.h"
#include "explorer/shellqueries.h"

#include <algorithm>
#include <unordered_set>

namespace {
// Beyond this many separate places changing in one folder, one layout change
// is cheaper for the views than an announcement per place.
constexpr int MaxSeparateChanges = 32;
}

int TSxTreeNode::row() const
{
    if (!m_parent)
        return 0;
    const auto& siblings = m_parent->m_children;
    if (m_row < 0 || std::size_t(m_row) >= siblings.size() || siblings[std::size_t(m_row)].get() != this)
        m_parent->renumberChildren();
    return m_row;
}

void TSxTreeNode::renumberChildren() const
{
    int row = 0;
    for (const auto& child : m_children)
        child->m_row = row++;
}

int TSxTreeNode::depth() const
{
    int depth = 0;
    for (const TSxTreeNode* n = m_parent; n && n->m_parent; n = n->m_parent)
        ++depth;
    return depth;
}

bool TSxTreeNode::isAncestorOf(const TSxTreeNode* node) const
{
    for (const TSxTreeNode* n = node ? node->m_parent : nullptr; n; n = n->m_parent) {
        if (n == this)
            return true;
    }
    return false;
}

TSxTreeModel::TSxTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

TSxTreeModel::~TSxTreeModel()
{
    blockSignals(true);
    m_top.m_children.clear();
}

void TSxTreeModel::setCheckable(bool checkable)
{
    if (m_checkable == checkable)
        return;
    m_checkable = checkable;
    if (root())
        Q_EMIT dataChanged(indexOf(root()), indexOf(root()));
}

TSxTreeNode* TSxTreeModel::nodeOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return nullptr;
    return static_cast<TSxTreeNode*>(index.internalPointer());
}

QModelIndex TSxTreeModel::indexOf(const TSxTreeNode* node) const
{
    if (!node || node == &m_top || !node->m_parent)
        return {};
    return createIndex(node->row(), 0, const_cast<TSxTreeNode*>(node));
}

TSxTreeNode* TSxTreeModel::find(PidlView absoluteId) const
{
    return walkDown(root(), absoluteId,
                    [](const TSxTreeNode* node, QByteArrayView name) { return node->findChild(name); });
}

TSxShellFolder::Ptr TSxTreeModel::parentFolderOf(const TSxTreeNode* node) const
{
    if (!node)
        return nullptr;
    if (node->parent() && node != root())
        return node->parent()->ShellFolder;
    // The root (or a node not placed yet): the top of the namespace bound to
    // the identifier's parent.
    if (node->AbsoluteID.view().isEmpty())
        return TSxShellFolder::desktop();
    TSxPidl parentId = node->AbsoluteID.copy("SxExplorerTreeView: GetParentFolder");
    parentId.removeLast();
    return TSxShellFolder::bind(parentId);
}

void TSxTreeModel::resolveDetails(TSxTreeNode* node, const TSxShellFolder* parentFolder) const
{
    node->detailsPending = false;
    TSxShellFolder::Ptr found;
    if (!parentFolder) {
        found = parentFolderOf(node);
        parentFolder = found.get();
    }
    if (!parentFolder)
        return;
    const PidlView relative = node->AbsoluteID.view().last();
    TSxAttributes mask = TSxAttr::Folder | TSxAttr::FileSystem | TSxAttr::Link | TSxAttr::Share | TSxAttr::Compressed;
    if (!m_nonFolders)
        mask |= TSxAttr::HasSubfolder;
    const TSxAttributes attrs = parentFolder->attributesOf(relative, mask);
    const bool had = node->hasChildren;
    if (attrs & TSxAttr::Folder)
        node->hasChildren = m_nonFolders || (attrs & TSxAttr::HasSubfolder) || node->childCount();
    else
        node->hasChildren = node->childCount() > 0;
    node->overlayIndex = (attrs & TSxAttr::Share) ? 0 : (attrs & TSxAttr::Link) ? 1 : -1;
    node->Compressed = (attrs & TSxAttr::Compressed) && (attrs & TSxAttr::FileSystem);
    if (had != node->hasChildren)
        Q_EMIT const_cast<TSxTreeModel*>(this)->childFlagsChanged();
}

TSxTreeModel::Less TSxTreeModel::orderIn(const TSxTreeNode* parent)
{
    TSxShellFolder::Ptr folder = parent ? parent->ShellFolder : nullptr;
    return [folder](const TSxTreeNode* a, const TSxTreeNode* b) {
        if (a == b)
            return false;
        if (folder && !a->RelativeID.isNull() && !b->RelativeID.isNull()) {
            // Only the low byte of the folder's answer counts, as a signed number.
            const auto order = static_cast<qint8>(folder->compareIDs(a->RelativeID, b->RelativeID) & 0xFF);
            if (order != 0)
                return order < 0;
        }
        return QString::localeAwareCompare(a->text, b->text) < 0;
    };
}

void TSxTreeModel::dispose(TSxTreeNode* node)
{
    for (const auto& child : node->m_children)
        dispose(child.get());
    Q_EMIT nodeDisposed(node);
}

void TSxTreeModel::clear()
{
    beginResetModel();
    if (TSxTreeNode* r = root())
        dispose(r);
    m_top.m_byName.clear();
    m_top.m_children.clear();
    endResetModel();
}

void TSxTreeModel::setRoot(std::unique_ptr<TSxTreeNode> root)
{
    if (m_top.childCount())
        clear();
    beginInsertRows({}, 0, 0);
    root->m_parent = &m_top;
    root->m_row = 0;
    m_top.m_byName.insert(root->nameKey(), root.get());
    m_top.m_children.push_back(std::move(root));
    endInsertRows();
}

void TSxTreeModel::insertRun(TSxTreeNode* parent, int at, std::vector<std::unique_ptr<TSxTreeNode>>& nodes,
                             std::size_t from, std::size_t count)
{
    beginInsertRows(indexOf(parent), at, at + int(count) - 1);
    auto& kids = parent->m_children;
    for (std::size_t k = 0; k < count; ++k) {
        TSxTreeNode* node = nodes[from + k].get();
        node->m_parent = parent;
        parent->m_byName.insert(node->nameKey(), node);
    }
    kids.insert(kids.begin() + at, std::make_move_iterator(nodes.begin() + qsizetype(from)),
                std::make_move_iterator(nodes.begin() + qsizetype(from + count)));
    endInsertRows();
}

namespace {
using Nodes = std::vector<std::unique_ptr<TSxTreeNode>>;
}

std::vector<std::pair<int, int>> TSxTreeModel::unvisitedRuns(const TSxTreeNode* parent)
{
    const auto& kids = parent->m_children;
    std::vector<std::pair<int, int>> runs;
    for (int i = 0; i < int(kids.size()); ++i) {
        if (kids[std::size_t(i)]->Visited)
            continue;
        if (!runs.empty() && runs.back().second == i - 1)
            runs.back().second = i;
        else
            runs.push_back({i, i});
    }
    return runs;
}

int TSxTreeModel::insertionPlaces(const TSxTreeNode* parent, const Nodes& fresh, bool removeUnvisited, const Less& less)
{
    const auto& kids = parent->m_children;
    int places = 0;
    std::size_t j = 0;
    int lastPlace = -1;
    int kept = 0;
    for (std::size_t i = 0; i <= kids.size() && j < fresh.size(); ++i) {
        const bool end = i == kids.size();
        if (!end && removeUnvisited && !kids[i]->Visited)
            continue;
        while (j < fresh.size() && (end || less(fresh[j].get(), kids[i].get()))) {
            if (lastPlace != kept) {
                ++places;
                lastPlace = kept;
            }
            ++j;
        }
        ++kept;
    }
    return places;
}

void TSxTreeModel::merge(TSxTreeNode* parent, Nodes fresh, bool removeUnvisited, const Less& less)
{
    const std::vector<std::pair<int, int>> removals = removeUnvisited ? unvisitedRuns(parent)
                                                                      : std::vector<std::pair<int, int>>();
    if (int(removals.size()) + insertionPlaces(parent, fresh, removeUnvisited, less) > MaxSeparateChanges) {
        rebuild(parent, std::move(fresh), removeUnvisited, less);
        return;
    }

    auto& kids = parent->m_children;
    const QModelIndex parentIndex = indexOf(parent);
    for (auto run = removals.rbegin(); run != removals.rend(); ++run) {
        beginRemoveRows(parentIndex, run->first, run->second);
        for (int i = run->first; i <= run->second; ++i) {
            TSxTreeNode* node = kids[std::size_t(i)].get();
            dispose(node);
            parent->m_byName.remove(node->nameKey());
        }
        kids.erase(kids.begin() + run->first, kids.begin() + run->second + 1);
        endRemoveRows();
    }

    // Runs of new children and where each goes, then inserted from the last
    // so the earlier places stay right.
    struct Run {
        int at;
        std::size_t from;
        std::size_t count;
    };
    std::vector<Run> runs;
    std::size_t j = 0;
    for (std::size_t i = 0; i <= kids.size() && j < fresh.size(); ++i) {
        const std::size_t start = j;
        while (j < fresh.size() && (i == kids.size() || less(fresh[j].get(), kids[i].get())))
            ++j;
        if (j > start)
            runs.push_back({int(i), start, j - start});
    }
    for (auto run = runs.rbegin(); run != runs.rend(); ++run)
        insertRun(parent, run->at, fresh, run->from, run->count);
}

void TSxTreeModel::rebuild(TSxTreeNode* parent, std::vector<std::unique_ptr<TSxTreeNode>> fresh,
                           bool removeUnvisited, const Less& less)
{
    const QModelIndex parentIndex = indexOf(parent);
    const QList<QPersistentModelIndex> parents{QPersistentModelIndex(parentIndex)};
    Q_EMIT layoutAboutToBeChanged(parents);
    const QModelIndexList before = persistentIndexList();

    auto& kids = parent->m_children;
    std::vector<std::unique_ptr<TSxTreeNode>> removed;
    std::vector<std::unique_ptr<TSxTreeNode>> kept;
    kept.reserve(kids.size());
    for (auto& kid : kids) {
        if (removeUnvisited && !kid->Visited)
            removed.push_back(std::move(kid));
        else
            kept.push_back(std::move(kid));
    }
    for (auto& node : fresh)
        node->m_parent = parent;
    std::vector<std::unique_ptr<TSxTreeNode>> merged;
    merged.reserve(kept.size() + fresh.size());
    std::merge(std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()),
               std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()), std::back_inserter(merged),
               [&](const std::unique_ptr<TSxTreeNode>& a, const std::unique_ptr<TSxTreeNode>& b) {
                   return less(a.get(), b.get());
               });
    kids = std::move(merged);
    for (const auto& node : removed)
        parent->m_byName.remove(node->nameKey());
    for (const auto& node : kids)
        parent->m_byName.insert(node->nameKey(), node.get());
    parent->renumberChildren();

    std::unordered_set<const TSxTreeNode*> gone;
    for (const auto& node : removed)
        gone.insert(node.get());
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        auto* node = static_cast<TSxTreeNode*>(index.internalPointer());
        const TSxTreeNode* below = node;
        while (below && below->m_parent != parent)
            below = below->m_parent;
        if (below && gone.count(below))
            after.push_back(QModelIndex());
        else if (node->m_parent == parent)
            after.push_back(createIndex(node->m_row, index.column(), node));
        else
            after.push_back(index);
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged(parents);

    for (const auto& node : removed)
        dispose(node.get());
}

void TSxTreeModel::remove(TSxTreeNode* node)
{
    if (!node)
        return;
    TSxTreeNode* parent = node->m_parent;
    if (parent == &m_top) {
        clear();
        return;
    }
    const int row = node->row();
    beginRemoveRows(indexOf(parent), row, row);
    dispose(node);
    parent->m_byName.remove(node->nameKey());
    parent->m_children.erase(parent->m_children.begin() + row);
    endRemoveRows();
}

void TSxTreeModel::resort(TSxTreeNode* node, const Less& less)
{
    TSxTreeNode* parent = node->m_parent;
    if (!parent || parent == &m_top)
        return;
    auto& kids = parent->m_children;
    const int from = node->row();
    // Where it belongs among the others.
    int to = 0;
    for (int i = 0; i < int(kids.size()); ++i) {
        if (i != from && less(kids[std::size_t(i)].get(), node))
            ++to;
    }
    if (to == from)
        return;
    const QModelIndex parentIndex = indexOf(parent);
    beginMoveRows(parentIndex, from, from, parentIndex, to > from ? to + 1 : to);
    auto moving = std::move(kids[std::size_t(from)]);
    kids.erase(kids.begin() + from);
    kids.insert(kids.begin() + to, std::move(moving));
    endMoveRows();
}

void TSxTreeModel::renamed(TSxTreeNode* node, TSxPidl newRelativeId)
{
    TSxTreeNode* parent = node->m_parent;
    if (parent)
        parent->m_byName.remove(node->nameKey());
    node->RelativeID = std::move(newRelativeId);
    if (parent)
        parent->m_byName.insert(node->nameKey(), node);
}

void TSxTreeModel::changed(TSxTreeNode* node)
{
    const QModelIndex index = indexOf(node);
    if (index.isValid())
        Q_EMIT dataChanged(index, index);
}

void TSxTreeModel::childFlagChanged(TSxTreeNode* node)
{
    changed(node);
    Q_EMIT childFlagsChanged();
}

void TSxTreeModel::forEach(const std::function<void(TSxTreeNode*)>& visit) const
{
    std::vector<TSxTreeNode*> stack;
    if (TSxTreeNode* r = root())
        stack.push_back(r);
    while (!stack.empty()) {
        TSxTreeNode* node = stack.back();
        stack.pop_back();
        visit(node);
        for (auto it = node->m_children.rbegin(); it != node->m_children.rend(); ++it)
            stack.push_back(it->get());
    }
}

QModelIndex TSxTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column != 0 || row < 0)
        return {};
    const TSxTreeNode* node = parent.isValid() ? nodeOf(parent) : &m_top;
    if (!node || row >= node->childCount())
        return {};
    return createIndex(row, 0, node->child(row));
}

QModelIndex TSxTreeModel::parent(const QModelIndex& child) const
{
    const TSxTreeNode* node = nodeOf(child);
    if (!node || !node->m_parent || node->m_parent == &m_top)
        return {};
    return indexOf(node->m_parent);
}

int TSxTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    const TSxTreeNode* node = parent.isValid() ? nodeOf(parent) : &m_top;
    return node ? node->childCount() : 0;
}

int TSxTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TSxTreeModel::hasChildren(const QModelIndex& parent) const
{
    const TSxTreeNode* node = parent.isValid() ? nodeOf(parent) : &m_top;
    if (!node)
        return false;
    return node->childCount() > 0 || (node != &m_top && node->hasChildren);
}

TSxTreeNode* TSxTreeModel::resolved(const QModelIndex& index) const
{
    TSxTreeNode* node = nodeOf(index);
    if (node && node->detailsPending)
        resolveDetails(node);
    return node;
}

QVariant TSxTreeModel::data(const QModelIndex& index, int role) const
{
    TSxTreeNode* node = resolved(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return node->text;
    case Qt::DecorationRole:
        return TSxSystemImageList::instance().icon(node->imageIndex);
    case Qt::CheckStateRole:
        if (m_checkable)
            return node->checked ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool TSxTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TSxTreeNode* node = nodeOf(index);
    if (!node)
        return false;
    // An edited label is the view's to apply: it renames the item.
    if (role == Qt::CheckStateRole && m_checkable) {
        node->checked = value.toInt() == Qt::Checked;
        Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
        return true;
    }
    return false;
}

Qt::ItemFlags TSxTreeModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDragEnabled
                      | Qt::ItemIsDropEnabled;
    if (m_checkable)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

Qt::DropActions TSxTreeModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}
