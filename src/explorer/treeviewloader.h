#pragma once

#include "explorer/shellchangeevents.h"
#include "explorer/treeviewnode.h"

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

class QTimer;
class TSxFileNotifier;
class TSxTreeModel;

// Reads the namespace into the folder tree's model and keeps it in step
// with the disk: builds the root, enumerates a node's folder and merges
// what it finds with the children the node has, watches the folders the
// tree shows, and applies the namespace's changes in batches, once per turn
// of the event loop. It needs no view: a view tells it which nodes it opens
// and follows the model.
//
// Watched are the nodes a view shows (the root and the children of open
// nodes shown themselves): open ones always, so that their children follow
// the disk, closed ones while the tree holds fewer than WatchBudget watches,
// so that their expand buttons do (a folder's watch says nothing of what
// happens inside its subfolders). A watch lost because its folder was
// removed or renamed away is taken again, on what bears the name now,
// whenever the node is found again. Before a node goes, or stops being what it
// was (a volume whose medium went), leaving() lets the view move its
// selection off it.
class TSxTreeLoader : public QObject {
    Q_OBJECT
public:
    // The root that a special-folder number of -1 asks for.
    static constexpr int CustomRoot = -1;
    // Watches the tree may hold for closed nodes: an eighth of the default
    // per-user limit (8,192), which every program of the user shares.
    static constexpr int WatchBudget = 1024;

    explicit TSxTreeLoader(TSxTreeModel& model, QObject* parent = nullptr);
    ~TSxTreeLoader() override;

    // What an enumeration lists (ShellContents flags), and whether items
    // without a file-system path are kept. Takes effect at the next reading.
    void setContents(quint32 contents, bool includeSystem);
    quint32 contents() const { return m_contents; }

    // Discards every node and builds the root (its children read): the
    // special folder of that number, or with CustomRoot the folder customPath
    // parses to. An alias replaces the root's name when not empty. Throws
    // "Could not retrieve PIDL for custom folder" (or "... special folder")
    // when the root names nothing.
    void load(int specialFolder, const QString& customPath, const QString& alias);
    void setRootAlias(const QString& alias);

    // Enumerates a node's folder; with refresh, merges with the children it
    // has (the children not found again go).
    void ExpandObjectNode(TSxTreeNode* node, bool refresh);
    // ExpandObjectNode with refresh, marked as a refresh while it runs.
    void refresh(TSxTreeNode* node);
    bool isRefreshing() const { return m_refreshing; }
    // Fills a new node's folder, identifiers and compressed flag; parent is
    // the node it goes under (null for the root).
    void AddNodeData(TSxTreeNode* node, const TSxTreeNode* parent, TSxShellFolder::Ptr folder, TSxPidl relativeId);

    // The node of a folder below the root, reading folders on the way that
    // have not been read (nor are in filled, which gains those read); null
    // when there is none.
    TSxTreeNode* locate(PidlView absoluteId, QSet<const TSxTreeNode*>& filled);
    // A view opened or closed a node.
    void setOpen(TSxTreeNode* node, bool open);
    // Re-reads every open node (after the contents changed).
    void refreshOpenNodes();

    // Renames a node's item on disk and the node after it. False when the
    // item went away meanwhile (its parent is read again). Throws when the
    // file system refuses.
    bool rename(TSxTreeNode* node, const QString& newName);

    // Reaction to a namespace change; applied with the others of the same
    // turn of the event loop.
    void FileChange(TSxShellChangeEvents events, PidlView first, PidlView second);
    // The node something was just dropped on: a move into it does not make
    // it read again at once (its reading is scheduled by the drop).
    void setLastDropped(TSxTreeNode* node) { m_lastDropped = node; }
    // Something arrived in this folder: its node is read again with the next
    // batch of changes when it is open or shows no expand button.
    void readSoon(PidlView absoluteId);

    TSxFileNotifier* notifier() const { return m_notifier; }
    // How many folders the tree watches.
    int watchCount() const { return m_watchCount; }
    // How many batches of changes have been applied.
    int refreshCount() const { return m_refreshCount; }

Q_SIGNALS:
    // The node (and everything below it) is about to go, or its item is
    // no longer what it was: a selection on it must move.
    void leaving(TSxTreeNode* node);
    // A batch of namespace changes has been applied.
    void changesApplied();

private:
    std::unique_ptr<TSxTreeNode> makeChild(TSxTreeNode* parent, TSxPidl relativeId, bool inDrivesFolder);
    // Marks the children found again Visited and makes nodes of the new
    // items (unsorted).
    std::vector<std::unique_ptr<TSxTreeNode>> readChildren(TSxTreeNode* node, TSxEnumIdList& items);
    void nodeDisposed(TSxTreeNode* node);
    // A view shows the node: it is the root or its parent is open and shown.
    bool isShown(const TSxTreeNode* node) const;
    // Takes or gives up the node's watch as the rules above say; takes it
    // again when its folder went away under it.
    void syncWatch(TSxTreeNode* node);
    void unwatch(TSxTreeNode* node);
    // The node and everything below it after the node opened or closed.
    void syncSubtree(TSxTreeNode* node);
    // After a node was read: its children's watches follow, and a child whose
    // folder was replaced under the same name is read again.
    void followChildren(TSxTreeNode* node);
    void recheckButton(PidlView absoluteId);
    void rebaseChildren(TSxTreeNode* node);
    void scheduleFlush();
    void applyChanges();
    void deleteNode(TSxTreeNode* node);
    void mediaChanged(TSxTreeNode* node, bool inserted);

    TSxTreeModel& m_model;
    TSxFileNotifier* m_notifier = nullptr;
    quint32 m_contents = 0;
    bool m_includeSystem = false;
    bool m_refreshing = false;
    int m_watchCount = 0;
    TSxTreeNode* m_lastDropped = nullptr;

    // Changes waiting for the next turn of the event loop, by absolute
    // identifier: folders to read again, and folders that got a new
    // subfolder (read again when open, or when they had no expand button).
    QSet<QByteArray> m_pendingRefresh;
    QSet<QByteArray> m_pendingCreation;
    QSet<QByteArray> m_pendingRemoval;
    QTimer* m_flushTimer = nullptr;
    int m_refreshCount = 0;
};
