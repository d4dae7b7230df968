#include "explorer/treeviewloader.h"

#include "explorer/cdromlabel.h"
#include "explorer/filenotifier.h"
#include "explorer/shellicons.h"
#include "explorer/shellqueries.h"
#include "explorer/treeviewfileops.h"
#include "explorer/treeviewmodel.h"
#include "explorer/volumes.h"
#include "platform/errors.h"
#include "widgets/waitcursor.h"

#include <QTimer>

#include <algorithm>

namespace {
// Up to this many new children, a folder's subfolder, link and compressed
// tests are made at once; beyond, only for the rows a view shows.
constexpr std::size_t EagerDetails = 256;

QByteArray bytesOf(PidlView id) { return id.bytes().toByteArray(); }
PidlView viewOf(const QByteArray& bytes) { return PidlView(reinterpret_cast<PCIDL>(bytes.constData())); }

QByteArray parentBytesOf(PidlView id)
{
    TSxPidl parent = TSxPidl::copyOf(id, "SxExplorerTreeView: FileChange");
    parent.removeLast();
    return bytesOf(parent);
}
}

TSxTreeLoader::TSxTreeLoader(TSxTreeModel& model, QObject* parent) : QObject(parent), m_model(model)
{
    connect(&m_model, &TSxTreeModel::nodeDisposed, this, [this](TSxTreeNode* node) { nodeDisposed(node); });
    m_notifier = new TSxFileNotifier(this);
    connect(m_notifier, &TSxFileNotifier::FileChange, this,
            guarded([this](TSxShellChangeEvents events, PidlView first, PidlView second) {
                FileChange(events, first, second);
            }));
    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(0);
    connect(m_flushTimer, &QTimer::timeout, this, guarded([this] { applyChanges(); }));
}

TSxTreeLoader::~TSxTreeLoader() { m_flushTimer->stop(); }

void TSxTreeLoader::setContents(quint32 contents, bool includeSystem)
{
    m_contents = contents;
    m_includeSystem = includeSystem;
    m_model.setListsNonFolders(contents & ShellContents::NonFolders);
}

// --- loading and enumeration ----------------------------------------------

void TSxTreeLoader::load(int specialFolder, const QString& customPath, const QString& alias)
{
    m_pendingRefresh.clear();
    m_pendingCreation.clear();
    m_pendingRemoval.clear();
    m_model.clear();

    const TSxShellFolder::Ptr desktop = TSxShellFolder::desktop();
    TSxPidl rootId;
    if (specialFolder != CustomRoot) {
        rootId = SpecialFolderLocation(specialFolder, "SxExplorerTreeView: InitialLoad");
        if (rootId.isNull())
            throw ScrivoError(QStringLiteral("Could not retrieve PIDL for special folder"));
    } else {
        rootId = desktop->parseDisplayName(customPath, "SxExplorerTreeView: InitialLoad");
        if (rootId.isNull())
            throw ScrivoError(QStringLiteral("Could not retrieve PIDL for custom folder"));
    }
    TSxShellFolder::Ptr folder = specialFolder == 0 ? desktop : TSxShellFolder::bind(rootId);

    auto root = std::make_unique<TSxTreeNode>();
    root->text = desktop->displayNameOf(rootId);
    root->imageIndex = SmallIconIndex(rootId, false);
    root->selectedImageIndex = SmallIconIndex(rootId, true);
    AddNodeData(root.get(), nullptr, std::move(folder), std::move(rootId));
    m_model.resolveDetails(root.get());
    root->hasChildren = true;
    if (!alias.isEmpty())
        root->text = alias;
    TSxTreeNode* node = root.get();
    m_model.setRoot(std::move(root));
    ExpandObjectNode(node, false);
}

void TSxTreeLoader::setRootAlias(const QString& alias)
{
    TSxTreeNode* root = m_model.root();
    if (!root)
        return;
    root->text = alias.isEmpty() ? DisplayNameOf(root->AbsoluteID) : alias;
    m_model.changed(root);
}

void TSxTreeLoader::AddNodeData(TSxTreeNode* node, const TSxTreeNode* parent, TSxShellFolder::Ptr folder,
                                TSxPidl relativeId)
{
    node->ShellFolder = std::move(folder);
    node->RelativeID = std::move(relativeId);
    const PidlTag tag = "SxExplorerTreeView: AddNodeData";
    node->AbsoluteID = parent ? TSxPidl::combine(parent->AbsoluteID, node->RelativeID, tag)
                              : TSxPidl::copyOf(node->RelativeID, tag);
    // Compressed needs the disk: it comes with the node's other details.
    node->Compressed = false;
    node->detailsPending = true;
}

std::unique_ptr<TSxTreeNode> TSxTreeLoader::makeChild(TSxTreeNode* parent, TSxPidl relativeId, bool inDrivesFolder)
{
    auto node = std::make_unique<TSxTreeNode>();
    const TSxShellFolder& folder = *parent->ShellFolder;
    const bool isFolder = relativeId.view().lastIsFolder();
    TSxShellFolder::Ptr bound = folder.bindToObject(relativeId);
    node->text = DisplayName(folder, relativeId);
    AddNodeData(node.get(), parent, std::move(bound), std::move(relativeId));
    const PidlView id = node->AbsoluteID;
    if (inDrivesFolder)
        node->IsDrive = HasPathOnKnownDrive(id);
    node->imageIndex = SmallIconIndex(id, false);
    node->selectedImageIndex = isFolder ? SmallIconIndex(id, true) : node->imageIndex;
    if (node->IsDrive) {
        const QString mountPoint = pathFromIdList(id);
        if (driveTypeOfPath(mountPoint) == TSxDriveType::CdRom) {
            const TSxCdRomLabel label = CdRomLabel(mountPoint);
            node->text = driveCaption(DriveReady(mountPoint) ? label.text : QString(), mountPoint);
            if (label.iconIndex >= 0)
                node->imageIndex = node->selectedImageIndex = label.iconIndex;
        }
    }
    // Until the details say otherwise, a folder may have subfolders.
    node->hasChildren = isFolder;
    node->Visited = true;
    return node;
}

void TSxTreeLoader::nodeDisposed(TSxTreeNode* node)
{
    unwatch(node);
    if (m_lastDropped == node)
        m_lastDropped = nullptr;
}

// --- watches ----------------------------------------------------------------

bool TSxTreeLoader::isShown(const TSxTreeNode* node) const
{
    for (const TSxTreeNode* n = node; n != m_model.root(); n = n->parent()) {
        if (!n || !n->parent() || !n->parent()->open)
            return false;
    }
    return node != nullptr;
}

void TSxTreeLoader::syncWatch(TSxTreeNode* node)
{
    const bool wanted = isShown(node) && (node->open || node->watched || m_watchCount < WatchBudget);
    if (!wanted) {
        unwatch(node);
        return;
    }
    if (node->watched && m_notifier->isWatching(node->AbsoluteID))
        return;
    // Not watched yet, or the folder went away under the watch.
    if (m_notifier->watchFolder(node->AbsoluteID) && !node->watched) {
        node->watched = true;
        ++m_watchCount;
    }
}

void TSxTreeLoader::unwatch(TSxTreeNode* node)
{
    if (!node->watched)
        return;
    m_notifier->unwatchFolder(node->AbsoluteID);
    node->watched = false;
    --m_watchCount;
}

void TSxTreeLoader::syncSubtree(TSxTreeNode* node)
{
    std::vector<TSxTreeNode*> stack{node};
    while (!stack.empty()) {
        TSxTreeNode* n = stack.back();
        stack.pop_back();
        syncWatch(n);
        for (int i = 0; i < n->childCount(); ++i)
            stack.push_back(n->child(i));
    }
}

void TSxTreeLoader::followChildren(TSxTreeNode* node)
{
    for (int i = 0; i < node->childCount(); ++i) {
        TSxTreeNode* child = node->child(i);
        const bool replaced = child->watched && !m_notifier->isWatching(child->AbsoluteID);
        syncWatch(child);
        // What it held belongs to the folder that went; it shows what the
        // one of that name holds now.
        if (replaced && child->populated)
            m_pendingRefresh.insert(bytesOf(child->AbsoluteID));
    }
    scheduleFlush();
}

void TSxTreeLoader::ExpandObjectNode(TSxTreeNode* node, bool refresh)
{
    if (!node)
        return;
    if (node->childCount() == 0)
        refresh = false;
    if (!node->ShellFolder)
        return;
    std::optional<TSxEnumIdList> items = node->ShellFolder->enumObjects(m_contents);
    if (!items) {
        // A folder that vanished while shown goes with the next batch of
        // changes; one that cannot be read stays as it was.
        if (!isValidPIDL(node->AbsoluteID)) {
            m_pendingRemoval.insert(bytesOf(node->AbsoluteID));
            scheduleFlush();
        }
        return;
    }
    const WaitCursor wait;
    if (refresh) {
        for (int i = 0; i < node->childCount(); ++i)
            node->child(i)->Visited = false;
    }
    std::vector<std::unique_ptr<TSxTreeNode>> fresh = readChildren(node, *items);
    const auto less = TSxTreeModel::orderIn(node);
    std::sort(fresh.begin(), fresh.end(),
              [&](const std::unique_ptr<TSxTreeNode>& a, const std::unique_ptr<TSxTreeNode>& b) {
                  return less(a.get(), b.get());
              });
    if (refresh) {
        for (int i = 0; i < node->childCount(); ++i) {
            if (!node->child(i)->Visited)
                Q_EMIT leaving(node->child(i));
        }
    }
    m_model.merge(node, std::move(fresh), refresh, less);

    const bool had = node->hasChildren;
    node->hasChildren = node->childCount() > 0;
    if (had != node->hasChildren)
        m_model.childFlagChanged(node);
    node->populated = true;
    syncWatch(node);
    followChildren(node);
}

std::vector<std::unique_ptr<TSxTreeNode>> TSxTreeLoader::readChildren(TSxTreeNode* node, TSxEnumIdList& items)
{
    const TSxShellFolder& folder = *node->ShellFolder;
    const bool drives = isDrivesFolder(node->AbsoluteID);
    std::vector<std::unique_ptr<TSxTreeNode>> fresh;
    std::vector<TSxTreeNode*> seen;
    while (PIDL raw = items.nextRaw()) {
        TSxPidl item = TSxPidl::adopt(raw, "SxExplorerTreeView: ExpandObjectNode");
        if (!m_includeSystem && folder.nativePathOf(item).isEmpty())
            continue;
        if (TSxTreeNode* existing = node->findChild(item.view().lastName())) {
            existing->Visited = true;
            existing->detailsPending = true;
            seen.push_back(existing);
            continue;
        }
        fresh.push_back(makeChild(node, std::move(item), drives));
    }
    if (fresh.size() + seen.size() <= EagerDetails) {
        for (const auto& child : fresh)
            m_model.resolveDetails(child.get(), &folder);
        for (TSxTreeNode* child : seen)
            m_model.resolveDetails(child, &folder);
    }
    return fresh;
}

void TSxTreeLoader::refresh(TSxTreeNode* node)
{
    const bool was = std::exchange(m_refreshing, true);
    ExpandObjectNode(node, true);
    m_refreshing = was;
}

TSxTreeNode* TSxTreeLoader::locate(PidlView absoluteId, QSet<const TSxTreeNode*>& filled)
{
    return TSxTreeModel::walkDown(m_model.root(), absoluteId, [&](TSxTreeNode* node, QByteArrayView name) {
        TSxTreeNode* child = node->findChild(name);
        if (!child && !filled.contains(node)) {
            ExpandObjectNode(node, false);
            filled.insert(node);
            child = node->findChild(name);
        }
        return child;
    });
}

void TSxTreeLoader::setOpen(TSxTreeNode* node, bool open)
{
    if (!node || node->open == open)
        return;
    node->open = open;
    syncSubtree(node);
}

void TSxTreeLoader::refreshOpenNodes()
{
    std::vector<QByteArray> open;
    m_model.forEach([&](TSxTreeNode* node) {
        if (node->childCount() && node->open)
            open.push_back(bytesOf(node->AbsoluteID));
    });
    for (const QByteArray& id : open) {
        if (TSxTreeNode* node = m_model.find(viewOf(id)))
            refresh(node);
    }
}

// --- renaming ---------------------------------------------------------------

bool TSxTreeLoader::rename(TSxTreeNode* node, const QString& newName)
{
    const TSxShellFolder::Ptr parentFolder = m_model.parentFolderOf(node);
    if (!parentFolder || !parentFolder->isFileSystem())
        throw ScrivoError(QStringLiteral("\"%1\" cannot be renamed").arg(node->text));
    TSxTreeFileOps::renameItem(pathFromIdList(node->AbsoluteID), newName);

    TSxPidl relative = parentFolder->parseDisplayName(newName, "SxExplorerTreeView: RenameNode");
    if (relative.isNull()) {
        // Renamed, and already gone again: the parent's next reading tells.
        m_pendingRefresh.insert(bytesOf(node->parent()->AbsoluteID));
        scheduleFlush();
        return false;
    }
    // The old identifiers go: watches follow the new ones.
    std::vector<TSxTreeNode*> watched;
    m_model.forEach([&](TSxTreeNode* n) {
        if (n->watched && (n == node || node->isAncestorOf(n))) {
            m_notifier->unwatchFolder(n->AbsoluteID);
            watched.push_back(n);
        }
    });
    m_model.renamed(node, std::move(relative));
    node->AbsoluteID = TSxPidl::combine(node->parent()->AbsoluteID, node->RelativeID, "SxExplorerTreeView: RenameNode");
    node->ShellFolder = parentFolder->bindToObject(node->RelativeID);
    node->text = DisplayName(*parentFolder, node->RelativeID);
    rebaseChildren(node);
    for (TSxTreeNode* n : watched)
        m_notifier->watchFolder(n->AbsoluteID);
    m_model.resort(node, TSxTreeModel::orderIn(node->parent()));
    m_model.changed(node);
    return true;
}

void TSxTreeLoader::rebaseChildren(TSxTreeNode* node)
{
    for (int i = 0; i < node->childCount(); ++i) {
        TSxTreeNode* child = node->child(i);
        child->AbsoluteID = TSxPidl::combine(node->AbsoluteID, child->RelativeID, "SxExplorerTreeView: AddNodeData");
        child->ShellFolder = node->ShellFolder ? node->ShellFolder->bindToObject(child->RelativeID) : nullptr;
        rebaseChildren(child);
    }
}

// --- namespace changes ------------------------------------------------------

void TSxTreeLoader::FileChange(TSxShellChangeEvents events, PidlView first, PidlView second)
{
    using E = TSxShellChangeEvent;
    const bool nonFolders = m_contents & ShellContents::NonFolders;
    // A symbolic link to a folder goes as a file: the tree knows it listed
    // it as a folder.
    const bool listed = nonFolders || m_model.find(first);
    if (events.contains(E::RenameFolder) || (events.contains(E::RenameItem) && listed)) {
        if (second.isNull()) {
            m_pendingRemoval.insert(bytesOf(first));
        } else {
            const QByteArray oldParent = parentBytesOf(first);
            const QByteArray newParent = parentBytesOf(second);
            if (viewOf(oldParent) == viewOf(newParent)) {
                m_pendingRefresh.insert(oldParent);
            } else {
                m_pendingRemoval.insert(bytesOf(first));
                TSxTreeNode* target = m_model.find(viewOf(newParent));
                if (target && target != m_lastDropped)
                    m_pendingRefresh.insert(newParent);
            }
        }
    }
    if (events.contains(E::RemoveFolder) || (events.contains(E::Delete) && listed))
        m_pendingRemoval.insert(bytesOf(first));
    if (events.contains(E::MakeFolder) || (events.contains(E::Create) && nonFolders))
        m_pendingCreation.insert(parentBytesOf(first));
    if (events.contains(E::MediaRemoved))
        mediaChanged(m_model.find(first), false);
    if (events.contains(E::MediaInserted))
        mediaChanged(m_model.find(first), true);
    if (events.contains(E::DriveAdded) || events.contains(E::DriveRemoved))
        m_pendingRefresh.insert(parentBytesOf(first));
    if (events.contains(E::FolderUpdated))
        m_pendingRefresh.insert(bytesOf(first));
    m_lastDropped = nullptr;
    scheduleFlush();
}

void TSxTreeLoader::readSoon(PidlView absoluteId)
{
    m_pendingCreation.insert(bytesOf(absoluteId));
    scheduleFlush();
}

void TSxTreeLoader::scheduleFlush()
{
    if ((!m_pendingRefresh.isEmpty() || !m_pendingCreation.isEmpty() || !m_pendingRemoval.isEmpty())
        && !m_flushTimer->isActive())
        m_flushTimer->start();
}

void TSxTreeLoader::applyChanges()
{
    QSet<QByteArray> refresh = std::exchange(m_pendingRefresh, {});
    const QSet<QByteArray> creation = std::exchange(m_pendingCreation, {});
    const QSet<QByteArray> removal = std::exchange(m_pendingRemoval, {});

    // A removed folder goes when its parent is read again, which also keeps
    // one that came back under the same name in the meantime.
    for (const QByteArray& id : removal) {
        TSxTreeNode* node = m_model.find(viewOf(id));
        if (!node) {
            recheckButton(viewOf(parentBytesOf(viewOf(id))));
            continue;
        }
        if (node == m_model.root()) {
            if (!isValidPIDL(node->AbsoluteID))
                deleteNode(node);
            continue;
        }
        refresh.insert(bytesOf(node->parent()->AbsoluteID));
    }

    struct Job {
        QByteArray id;
        int depth;
        bool always;
    };
    std::vector<Job> jobs;
    for (const QByteArray& id : refresh)
        jobs.push_back({id, viewOf(id).count(), true});
    for (const QByteArray& id : creation) {
        if (!refresh.contains(id))
            jobs.push_back({id, viewOf(id).count(), false});
    }
    // Parents first: a folder gone with its parent is not read at all.
    std::sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) { return a.depth < b.depth; });
    for (const Job& job : jobs) {
        TSxTreeNode* node = m_model.find(viewOf(job.id));
        if (!node)
            continue;
        if (job.always) {
            if (node->populated)
                this->refresh(node);
        } else if (node->open || (!node->hasChildren && node->childCount() == 0)) {
            this->refresh(node);
        }
    }
    ++m_refreshCount;
    Q_EMIT changesApplied();
}

void TSxTreeLoader::recheckButton(PidlView absoluteId)
{
    // A closed folder whose subfolders were never read: its button follows
    // what the disk says now.
    TSxTreeNode* node = m_model.find(absoluteId);
    if (!node || node->open || node->childCount() > 0 || !node->hasChildren)
        return;
    m_model.resolveDetails(node);
    if (!node->hasChildren)
        m_model.childFlagChanged(node);
}

void TSxTreeLoader::deleteNode(TSxTreeNode* node)
{
    if (!node)
        return;
    Q_EMIT leaving(node);
    m_model.remove(node);
}

void TSxTreeLoader::mediaChanged(TSxTreeNode* node, bool inserted)
{
    if (!node || !node->IsDrive)
        return;
    const QString mountPoint = pathFromIdList(node->AbsoluteID);
    isValidPIDL(node->AbsoluteID);
    if (inserted) {
        if (driveTypeOfPath(mountPoint) != TSxDriveType::CdRom)
            return;
        const TSxCdRomLabel label = CdRomLabel(mountPoint);
        if (label.iconIndex >= 0)
            node->imageIndex = node->selectedImageIndex = label.iconIndex;
        node->text = driveCaption(label.text, mountPoint);
        m_model.changed(node);
        return;
    }
    // Unmounted: the volume no longer says what it was; the notifier did.
    node->imageIndex = node->selectedImageIndex = defaultCdromIconIndex();
    node->text = driveCaption(QString(), mountPoint);
    m_model.changed(node);
    if (node != m_model.root()) {
        Q_EMIT leaving(node);
        m_pendingRefresh.insert(bytesOf(node->parent()->AbsoluteID));
        scheduleFlush();
    }
}
