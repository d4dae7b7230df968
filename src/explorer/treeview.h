#pragma once

#include "explorer/explorerlinks.h"
#include "explorer/shellchangeevents.h"
#include "explorer/treeviewloader.h"
#include "explorer/treeviewmodel.h"
#include "explorer/treeviewnode.h"
#include "explorer/viewlook.h"
#include "platform/colors.h"
#include "platform/tfont.h"

#include <QByteArray>
#include <QPixmap>
#include <QSet>
#include <QTreeView>

#include <functional>
#include <memory>
#include <vector>

class QMimeData;
class TSxFileNotifier;

// A tree control with the two cosmetic extras the explorer's views share.
class TSxCustomTreeView : public QTreeView {
    Q_OBJECT
    Q_PROPERTY(bool ScrollBars READ scrollBars WRITE setScrollBars)
    Q_PROPERTY(QPixmap Background READ background WRITE setBackground)
public:
    explicit TSxCustomTreeView(QWidget* parent = nullptr);

    bool scrollBars() const { return m_scrollBars; }
    void setScrollBars(bool on);
    // A picture tiled behind the nodes; none by default.
    QPixmap background() const { return m_background; }
    void setBackground(const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_scrollBars = true;
    QPixmap m_background;
};

// The folder tree of the explorer pane: the namespace below one root
// folder, filled a level at a time when a node first opens, re-read and
// merged at every opening, kept in step with what the namespace reports,
// and driving the linked file list. With hot tracking, the node under the
// pointer is underlined.
class TSxExplorerTreeView : public TSxCustomTreeView, public ExplorerTreeLink, public TSxLookProperties {
    Q_OBJECT
    Q_PROPERTY(TSxRootFolder RootFolder READ rootFolder WRITE setRootFolder)
    Q_PROPERTY(QString CustomRootDirectory READ customRootDirectory WRITE setCustomRootDirectory)
    Q_PROPERTY(QString RootAlias READ rootAlias WRITE setRootAlias)
    Q_PROPERTY(TSxFolderTypes FolderTypes READ folderTypes WRITE setFolderTypes)
    Q_PROPERTY(TSxETVOptions Options READ options WRITE setOptions)
    Q_PROPERTY(bool Checkmarks READ checkmarks WRITE setCheckmarks)
    Q_PROPERTY(int CompressedColor READ compressedColor WRITE setCompressedColor)
    Q_PROPERTY(bool HotTrack READ hotTrack WRITE setHotTrack)
    Q_PROPERTY(int Indent READ indentation WRITE setIndentation)
    Q_PROPERTY(TSxDragMode DragMode READ dragMode WRITE setDragMode)
    Q_PROPERTY(int Color READ color WRITE setColor)
    Q_PROPERTY(TFont* Font READ fontObject WRITE setFontObject)

public:
    enum TSxRootFolder {
        rDesktop = 0,
        rPrograms = 2,
        rControlPanel = 3,
        rPrinters = 4,
        rPersonal = 5,
        rFavorites = 6,
        rStartup = 7,
        rRecent = 8,
        rSendTo = 9,
        rBitBucket = 10,
        rStartMenu = 11,
        rDesktopDirectory = 16,
        rDrives = 17,
        rNetwork = 18,
        rNetworkNeighborhood = 19,
        rFonts = 20,
        rTemplates = 21,
        rCommonStartMenu = 22,
        rCommonPrograms = 23,
        rCommonStartup = 24,
        rCommonDesktopDirectory = 25,
        rAppData = 26,
        rPrinterNeighborhood = 27,
        rHistory = 34,
        rCustom = -1,
    };
    Q_ENUM(TSxRootFolder)

    enum TSxFolderType { ftFolders = 1, ftNonFolders = 2, ftIncludeHidden = 4, ftIncludeSystem = 8 };
    Q_DECLARE_FLAGS(TSxFolderTypes, TSxFolderType)
    Q_FLAG(TSxFolderTypes)

    enum TSxETVOption {
        tvoContextMenu = 1,
        tvoAllowRename = 2,
        tvoAllowDelete = 4,
        tvoAllowCopy = 8,
        tvoAllowCut = 16,
        tvoAllowPaste = 32,
        tvoAllowExecute = 64,
    };
    Q_DECLARE_FLAGS(TSxETVOptions, TSxETVOption)
    Q_FLAG(TSxETVOptions)

    enum TSxDragMode { dmManual, dmAutomatic };
    Q_ENUM(TSxDragMode)

    // Asked before a node's label is edited; false refuses. None allows
    // every label the item lets be renamed.
    using EditingCheck = std::function<bool(TSxTreeNode*)>;

    explicit TSxExplorerTreeView(QWidget* parent = nullptr, EditingCheck mayEdit = {});
    ~TSxExplorerTreeView() override;

    // Published properties.
    TSxRootFolder rootFolder() const { return m_rootFolder; }
    void setRootFolder(TSxRootFolder root);
    QString customRootDirectory() const { return m_customRoot; }
    // Also makes the root custom.
    void setCustomRootDirectory(const QString& path);
    QString rootAlias() const { return m_rootAlias; }
    void setRootAlias(const QString& alias);
    TSxFolderTypes folderTypes() const { return m_folderTypes; }
    void setFolderTypes(TSxFolderTypes types);
    TSxETVOptions options() const { return m_options; }
    void setOptions(TSxETVOptions options) { m_options = options; }
    bool checkmarks() const { return m_checkmarks; }
    void setCheckmarks(bool on);
    TSxDragMode dragMode() const { return m_dragMode; }
    void setDragMode(TSxDragMode mode);

    // The end of form loading: builds the root.
    void Loaded();

    // Discards every node and builds the root, expanded one level. Throws
    // "Could not retrieve PIDL for custom folder" for a root that does not
    // parse.
    void InitialLoad();
    // Reading and merging are the loader's (treeviewloader.h), finding
    // nodes the model's; these are their names on the tree.
    void ExpandObjectNode(TSxTreeNode* node, bool refresh) { m_loader->ExpandObjectNode(node, refresh); }
    void AddNodeData(TSxTreeNode* node, const TSxTreeNode* parent, TSxShellFolder::Ptr folder, TSxPidl relativeId)
    {
        m_loader->AddNodeData(node, parent, std::move(folder), std::move(relativeId));
    }
    TSxShellFolder::Ptr GetParentFolder(const TSxTreeNode* node) const { return m_model->parentFolderOf(node); }
    TSxTreeNode* FindNodeByID(PidlView absoluteId) const { return m_model->find(absoluteId); }
    TSxTreeNode* LocateNode(PidlView absoluteId);
    void FileChange(TSxShellChangeEvents events, PidlView first, PidlView second)
    {
        m_loader->FileChange(events, first, second);
    }
    // Renames the node's item (only with tvoAllowRename). True when done.
    bool RenameNode(TSxTreeNode* node, const QString& newName);

    TSxTreeNode* rootNode() const;
    TSxTreeNode* selectedNode() const;
    // Selects a node (null clears the selection), subject to the drive
    // check; false when refused.
    bool selectNode(TSxTreeNode* node);
    QModelIndex indexOfNode(const TSxTreeNode* node) const;
    TSxTreeNode* nodeAt(const QModelIndex& index) const;
    bool isNodeExpanded(const TSxTreeNode* node) const;
    TSxTreeLoader* loader() const { return m_loader; }
    TSxFileNotifier* notifier() const;
    bool isKeyNavigating() const { return m_keyNavigating; }
    bool isRefreshing() const;

    // The linked file list (not owned); null unlinks.
    void setListView(ExplorerListLink* list);
    ExplorerListLink* listView() const { return m_list; }

    // ExplorerTreeLink.
    bool selectFolder(PidlView absoluteId) override;
    void listDetached() override { m_list = nullptr; }

    // What a drag of the selected node offers; null without a selected node.
    QMimeData* dragData() const;
    // Starts the drag of the selected node.
    void BeginDrag();
    // The drop effect onto a node for drag data, as the pointer would show it
    // (the rules are in dropdata.h).
    quint32 dropEffectFor(const TSxTreeNode* node, const QMimeData* data, Qt::KeyboardModifiers keys) const;

    // How many batches of namespace changes have been applied.
    int refreshCount() const;

Q_SIGNALS:
    // The selection changed (after the list was told).
    void Change(TSxTreeNode* node);
    // A batch of namespace changes has been applied.
    void changesApplied();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    using TSxCustomTreeView::edit;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    friend class TSxTreeDelegate;
    void applyContents();
    bool driveNotReady(const TSxTreeNode* node) const;
    bool acceptsDrops(const TSxTreeNode* node) const;
    void postRelayout();
    void nodeDisposed(TSxTreeNode* node);
    void nodeLeaving(TSxTreeNode* node);
    bool canSelect(const TSxTreeNode* node) const;
    void nodeExpanded(const QModelIndex& index);
    void selectionChanged_();
    void selectionChangeHandling();
    void collapseAll(const QModelIndex& index);
    void followLook();
    void reloadIfLoaded();
    // A label edited to a new text: renames the item; false keeps the old
    // text.
    bool labelEdited(TSxTreeNode* node, const QString& text);
    void DropFiles(TSxTreeNode* target, quint32 effect, const QMimeData* data);

    const EditingCheck m_mayEdit;
    TSxTreeModel* m_model = nullptr;
    TSxTreeLoader* m_loader = nullptr;
    ExplorerListLink* m_list = nullptr;

    TSxRootFolder m_rootFolder = rDesktop;
    QString m_customRoot;
    QString m_rootAlias;
    TSxFolderTypes m_folderTypes = TSxFolderTypes(ftFolders | ftIncludeSystem);
    TSxETVOptions m_options;
    bool m_checkmarks = false;
    TSxDragMode m_dragMode = dmManual;

    bool m_loaded = false;
    bool m_keyNavigating = false;
    bool m_changedWhileNavigating = false;
    bool m_quietExpansion = false;
    TSxTreeNode* m_dropTarget = nullptr;
    // Nodes enumerated by the LocateNode in progress: opening them on the
    // way to the found node need not read them again.
    QSet<const TSxTreeNode*> m_justFilled;
    bool m_relayoutPosted = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TSxExplorerTreeView::TSxFolderTypes)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSxExplorerTreeView::TSxETVOptions)
