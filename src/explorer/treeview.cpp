#include "explorer/treeview.h"

#include "explorer/cdromlabel.h"
#include "explorer/dropdata.h"
#include "explorer/filenotifier.h"
#include "explorer/shellicons.h"
#include "explorer/shellqueries.h"
#include "explorer/treeviewfileops.h"
#include "explorer/treeviewmodel.h"
#include "explorer/viewcolors.h"
#include "explorer/volumes.h"
#include "platform/errors.h"
#include "platform/tfont.h"
#include "widgets/waitcursor.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDrag>
#include <QFile>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace {
// Up to this many new children, a folder's subfolder, link and compressed
// tests are made at once; beyond, only for the rows a view shows.
constexpr std::size_t EagerDetails = 256;

QByteArray bytesOf(PidlView id) { return id.bytes().toByteArray(); }
PidlView viewOf(const QByteArray& bytes) { return PidlView(reinterpret_cast<PCIDL>(bytes.constData())); }

// The node of absoluteId below root, or null. Siblings have distinct names:
// the way down is one childOf(node, name) per level.
template <typename ChildOf>
TSxTreeNode* walkDown(TSxTreeNode* root, PidlView absoluteId, ChildOf childOf)
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

int effectLevel(quint32 effect)
{
    if (effect & TSxDropEffect::Move)
        return 3;
    if (effect & TSxDropEffect::Copy)
        return 2;
    if (effect & TSxDropEffect::Link)
        return 1;
    return 0;
}

Qt::DropAction qtAction(quint32 effect)
{
    switch (effect) {
    case TSxDropEffect::Move:
        return Qt::MoveAction;
    case TSxDropEffect::Copy:
        return Qt::CopyAction;
    case TSxDropEffect::Link:
        return Qt::LinkAction;
    default:
        return Qt::IgnoreAction;
    }
}
}

// Refuses to move the selection onto a node whose drive holds no medium.
class TSxTreeSelectionModel : public QItemSelectionModel {
public:
    TSxTreeSelectionModel(QAbstractItemModel* model, QObject* parent, std::function<bool(const QModelIndex&)> accept)
        : QItemSelectionModel(model, parent), m_accept(std::move(accept))
    {
    }
    using QItemSelectionModel::select;

    void setCurrentIndex(const QModelIndex& index, SelectionFlags command) override
    {
        if (index.isValid() && index != currentIndex() && !m_accept(index))
            return;
        QItemSelectionModel::setCurrentIndex(index, command);
    }
    void select(const QItemSelection& selection, SelectionFlags command) override
    {
        if (command & Select) {
            for (const QModelIndex& index : selection.indexes()) {
                if (!isSelected(index) && !m_accept(index))
                    return;
            }
        }
        QItemSelectionModel::select(selection, command);
    }

private:
    std::function<bool(const QModelIndex&)> m_accept;
};

// Draws the selected image of the selected node, compressed items in their
// colour, the hot node underlined, the shortcut overlay, and the selection
// handed to a drop target while a drag hovers.
class TSxTreeDelegate : public QStyledItemDelegate {
public:
    explicit TSxTreeDelegate(TSxExplorerTreeView* tree) : QStyledItemDelegate(tree), m_tree(tree) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        const TSxTreeNode* node = m_tree->nodeAt(index);
        if (!node)
            return;
        if (const TSxTreeNode* target = m_tree->m_dropTarget) {
            if (node == target)
                option->state |= QStyle::State_Selected;
            else if ((option->state & QStyle::State_Selected) && !(QGuiApplication::mouseButtons() & Qt::LeftButton)) {
                option->state &= ~QStyle::State_Selected;
                option->state |= QStyle::State_HasFocus;
            }
        }
        const bool selected = option->state & QStyle::State_Selected;
        if (selected && node->selectedImageIndex >= 0)
            option->icon = TSxSystemImageList::instance().icon(node->selectedImageIndex);
        if (node->Compressed && !selected) {
            const QColor color = Colors::toQColor(m_tree->compressedColor());
            option->palette.setColor(QPalette::Active, QPalette::Text, color);
            option->palette.setColor(QPalette::Inactive, QPalette::Text, color);
        }
        if (m_tree->hotTrack() && (option->state & QStyle::State_MouseOver))
            option->font.setUnderline(true);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const TSxTreeNode* node = m_tree->nodeAt(index);
        if (!node || node->overlayIndex != 1)
            return;
        // The shortcut mark: a small arrow in the icon's lower left corner.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect icon = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, widget);
        if (icon.isEmpty())
            return;
        const QRect mark(icon.left(), icon.bottom() - 6, 7, 7);
        painter->save();
        painter->setPen(Qt::black);
        painter->setBrush(Qt::white);
        painter->drawRect(mark.adjusted(0, 0, -1, -1));
        painter->drawLine(mark.left() + 2, mark.bottom() - 2, mark.right() - 2, mark.top() + 2);
        painter->drawLine(mark.right() - 2, mark.top() + 2, mark.right() - 4, mark.top() + 2);
        painter->drawLine(mark.right() - 2, mark.top() + 2, mark.right() - 2, mark.top() + 4);
        painter->restore();
    }

private:
    TSxExplorerTreeView* m_tree;
};

// ---------------------------------------------------------------------------

TSxCustomTreeView::TSxCustomTreeView(QWidget* parent) : QTreeView(parent) {}

void TSxCustomTreeView::setScrollBars(bool on)
{
    m_scrollBars = on;
    const Qt::ScrollBarPolicy policy = on ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
    setVerticalScrollBarPolicy(policy);
    setHorizontalScrollBarPolicy(policy);
}

void TSxCustomTreeView::setBackground(const QPixmap& picture)
{
    m_background = picture;
    viewport()->setAutoFillBackground(picture.isNull());
    viewport()->update();
}

void TSxCustomTreeView::paintEvent(QPaintEvent* event)
{
    if (!m_background.isNull()) {
        QPainter painter(viewport());
        painter.fillRect(viewport()->rect(), palette().base());
        painter.drawTiledPixmap(viewport()->rect(), m_background, QPoint(horizontalOffset(), verticalOffset()));
    }
    QTreeView::paintEvent(event);
}

// ---------------------------------------------------------------------------

TSxExplorerTreeView::TSxExplorerTreeView(QWidget* parent) : TSxCustomTreeView(parent)
{
    m_model = new TSxTreeModel(this);
    m_model->setDisposeHook([this](TSxTreeNode* node) { nodeDisposed(node); });
    m_model->setDetailsHook([this](TSxTreeNode* node) { resolveDetails(node); });
    m_model->setRenameHook([this](TSxTreeNode* node, const QString& text) {
        bool renamed = false;
        runGuarded([&] { renamed = RenameNode(node, text); });
        return renamed;
    });
    setModel(m_model);
    QItemSelectionModel* standard = selectionModel();
    setSelectionModel(new TSxTreeSelectionModel(m_model, this, [this](const QModelIndex& index) {
        return canSelect(nodeAt(index));
    }));
    delete standard;

    setHeaderHidden(true);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setRootIsDecorated(false); // no expand button on the root
    setItemDelegate(new TSxTreeDelegate(this));
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setIconSize(QSize(16, 16));
    setAutoScroll(true);
    setAutoScrollMargin(15);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragEnabled(false);
    setExpandsOnDoubleClick(true);

    m_font = new TFont(this);
    m_font->assignSilently(font(), Colors::clWindowText);
    connect(m_font, &TFont::changed, this, [this] { applyFont(); });
    applyColors();

    m_notifier = new TSxFileNotifier(this);
    connect(m_notifier, &TSxFileNotifier::FileChange, this,
            guarded([this](TSxShellChangeEvents events, PidlView first, PidlView second) {
                FileChange(events, first, second);
            }));
    m_flushTimer = new QTimer(this);
    m_flushTimer->setSingleShot(true);
    m_flushTimer->setInterval(0);
    connect(m_flushTimer, &QTimer::timeout, this, guarded([this] { applyChanges(); }));

    connect(this, &QTreeView::expanded, this, guarded([this](const QModelIndex& index) { nodeExpanded(index); }));
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, guarded([this] { selectionChanged_(); }));
}

TSxExplorerTreeView::~TSxExplorerTreeView()
{
    m_flushTimer->stop();
    if (ExplorerListLink* list = std::exchange(m_list, nullptr))
        list->treeDetached();
    selectionModel()->blockSignals(true);
    m_model->clear();
}

// --- properties -----------------------------------------------------------

void TSxExplorerTreeView::reloadIfLoaded()
{
    if (m_loaded)
        InitialLoad();
}

void TSxExplorerTreeView::setRootFolder(TSxRootFolder root)
{
    m_rootFolder = root;
    reloadIfLoaded();
}

void TSxExplorerTreeView::setCustomRootDirectory(const QString& path)
{
    m_customRoot = path;
    m_rootFolder = rCustom;
    reloadIfLoaded();
}

void TSxExplorerTreeView::setRootAlias(const QString& alias)
{
    m_rootAlias = alias;
    TSxTreeNode* root = rootNode();
    if (!root)
        return;
    root->text = alias.isEmpty() ? DisplayNameOf(root->AbsoluteID) : alias;
    m_model->changed(root);
}

void TSxExplorerTreeView::setFolderTypes(TSxFolderTypes types)
{
    m_folderTypes = types;
    if (!m_loaded)
        return;
    std::vector<QByteArray> expanded;
    m_model->forEach([&](TSxTreeNode* node) {
        if (node->childCount() && isNodeExpanded(node))
            expanded.push_back(bytesOf(node->AbsoluteID));
    });
    for (const QByteArray& id : expanded) {
        if (TSxTreeNode* node = FindNodeByID(viewOf(id)))
            refreshNode(node);
    }
}

void TSxExplorerTreeView::setCheckmarks(bool on)
{
    if (m_checkmarks == on)
        return;
    m_checkmarks = on;
    m_model->setCheckable(on);
    reloadIfLoaded();
}

void TSxExplorerTreeView::setCompressedColor(TColor color)
{
    m_compressedColor = color;
    viewport()->update();
}

void TSxExplorerTreeView::setHotTrack(bool on)
{
    m_hotTrack = on;
    setMouseTracking(on);
    viewport()->setAttribute(Qt::WA_Hover, on);
    viewport()->update();
}

void TSxExplorerTreeView::setDragMode(TSxDragMode mode)
{
    m_dragMode = mode;
    setDragEnabled(mode == dmAutomatic);
}

void TSxExplorerTreeView::setColor(TColor color)
{
    m_color = color;
    applyColors();
}

void TSxExplorerTreeView::setFont_(TFont* font)
{
    if (font && font != m_font)
        m_font->assign(*font);
}

void TSxExplorerTreeView::applyFont()
{
    setFont(m_font->toQFont(font()));
    applyColors();
}

void TSxExplorerTreeView::applyColors() { applyViewColors(this, m_color, m_font->color()); }

// --- loading and enumeration ----------------------------------------------

void TSxExplorerTreeView::Loaded()
{
    m_loaded = true;
    InitialLoad();
}

quint32 TSxExplorerTreeView::enumerationFlags() const
{
    return ShellContents::flags(m_folderTypes.testFlag(ftFolders), m_folderTypes.testFlag(ftNonFolders),
                                m_folderTypes.testFlag(ftIncludeHidden));
}

std::function<bool(const TSxTreeNode*, const TSxTreeNode*)>
TSxExplorerTreeView::orderIn(const TSxTreeNode* parent) const
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

void TSxExplorerTreeView::InitialLoad()
{
    m_pendingRefresh.clear();
    m_pendingCreation.clear();
    m_pendingRemoval.clear();
    selectionModel()->clear();
    m_model->clear();

    const TSxShellFolder::Ptr desktop = TSxShellFolder::desktop();
    TSxPidl rootId;
    if (m_rootFolder != rCustom) {
        rootId = SpecialFolderLocation(int(m_rootFolder), "SxExplorerTreeView: InitialLoad");
        if (rootId.isNull())
            throw ScrivoError(QStringLiteral("Could not retrieve PIDL for special folder"));
    } else {
        rootId = desktop->parseDisplayName(m_customRoot, "SxExplorerTreeView: InitialLoad");
        if (rootId.isNull())
            throw ScrivoError(QStringLiteral("Could not retrieve PIDL for custom folder"));
    }
    TSxShellFolder::Ptr folder = m_rootFolder == rDesktop ? desktop : TSxShellFolder::bind(rootId);

    auto root = std::make_unique<TSxTreeNode>();
    root->text = desktop->displayNameOf(rootId);
    root->imageIndex = SmallIconIndex(rootId, false);
    root->selectedImageIndex = SmallIconIndex(rootId, true);
    AddNodeData(root.get(), nullptr, std::move(folder), std::move(rootId));
    resolveDetails(root.get());
    root->hasChildren = true;
    if (!m_rootAlias.isEmpty())
        root->text = m_rootAlias;
    TSxTreeNode* node = root.get();
    m_model->setRoot(std::move(root));
    ExpandObjectNode(node, false);
    const bool quiet = std::exchange(m_quietExpansion, true);
    expand(indexOfNode(node));
    m_quietExpansion = quiet;
}

void TSxExplorerTreeView::AddNodeData(TSxTreeNode* node, const TSxTreeNode* parent, TSxShellFolder::Ptr folder,
                                      TSxPidl relativeId)
{
    node->ShellFolder = std::move(folder);
    node->RelativeID = std::move(relativeId);
    node->AbsoluteID = parent ? TSxPidl::combine(parent->AbsoluteID, node->RelativeID, "SxExplorerTreeView: AddNodeData")
                              : TSxPidl::copyOf(node->RelativeID, "SxExplorerTreeView: AddNodeData");
    // Compressed needs the disk: it comes with the node's other details.
    node->Compressed = false;
    node->detailsPending = true;
}

TSxShellFolder::Ptr TSxExplorerTreeView::GetParentFolder(const TSxTreeNode* node) const
{
    if (!node)
        return nullptr;
    if (node->parent() && node != rootNode())
        return node->parent()->ShellFolder;
    // The root (or a node not placed yet): the top of the namespace bound to
    // the identifier's parent.
    if (node->AbsoluteID.view().isEmpty())
        return TSxShellFolder::desktop();
    TSxPidl parentId = node->AbsoluteID.copy("SxExplorerTreeView: GetParentFolder");
    parentId.removeLast();
    return TSxShellFolder::bind(parentId);
}

std::unique_ptr<TSxTreeNode> TSxExplorerTreeView::makeChild(TSxTreeNode* parent, TSxPidl relativeId,
                                                            bool inDrivesFolder)
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

void TSxExplorerTreeView::resolveDetails(TSxTreeNode* node, const TSxShellFolder* parentFolder)
{
    node->detailsPending = false;
    TSxShellFolder::Ptr found;
    if (!parentFolder) {
        found = GetParentFolder(node);
        parentFolder = found.get();
    }
    if (!parentFolder)
        return;
    const PidlView relative = node->AbsoluteID.view().last();
    TSxAttributes mask = TSxAttr::Folder | TSxAttr::FileSystem | TSxAttr::Link | TSxAttr::Share | TSxAttr::Compressed;
    if (!(m_folderTypes & ftNonFolders))
        mask |= TSxAttr::HasSubfolder;
    const TSxAttributes attrs = parentFolder->attributesOf(relative, mask);
    const bool had = node->hasChildren;
    if (attrs & TSxAttr::Folder)
        node->hasChildren = (m_folderTypes & ftNonFolders) || (attrs & TSxAttr::HasSubfolder) || node->childCount();
    else
        node->hasChildren = node->childCount() > 0;
    node->overlayIndex = (attrs & TSxAttr::Share) ? 0 : (attrs & TSxAttr::Link) ? 1 : -1;
    node->Compressed = (attrs & TSxAttr::Compressed) && (attrs & TSxAttr::FileSystem);
    if (had != node->hasChildren)
        postRelayout();
}

void TSxExplorerTreeView::postRelayout()
{
    // Never lay out again in the middle of a paint: the view asks for data
    // while it walks its row list.
    if (m_relayoutPosted)
        return;
    m_relayoutPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_relayoutPosted = false;
            scheduleDelayedItemsLayout();
        },
        Qt::QueuedConnection);
}

void TSxExplorerTreeView::markPopulated(TSxTreeNode* node)
{
    if (node->populated)
        return;
    node->populated = true;
    m_notifier->watchFolder(node->AbsoluteID);
}

void TSxExplorerTreeView::nodeDisposed(TSxTreeNode* node)
{
    if (node->populated) {
        m_notifier->unwatchFolder(node->AbsoluteID);
        node->populated = false;
    }
    if (m_dropTarget == node)
        m_dropTarget = nullptr;
    if (m_lastDropped == node)
        m_lastDropped = nullptr;
    m_justFilled.remove(node);
}

void TSxExplorerTreeView::ExpandObjectNode(TSxTreeNode* node, bool refresh)
{
    if (!node)
        return;
    if (node->childCount() == 0)
        refresh = false;
    if (!node->ShellFolder)
        return;
    std::optional<TSxEnumIdList> items = node->ShellFolder->enumObjects(enumerationFlags());
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
    const TSxShellFolder& folder = *node->ShellFolder;
    const bool drives = isDrivesFolder(node->AbsoluteID);
    const bool systemToo = m_folderTypes & ftIncludeSystem;
    std::vector<std::unique_ptr<TSxTreeNode>> fresh;
    std::vector<TSxTreeNode*> seen;
    while (PIDL raw = items->nextRaw()) {
        TSxPidl item = TSxPidl::adopt(raw, "SxExplorerTreeView: ExpandObjectNode");
        if (!systemToo && folder.nativePathOf(item).isEmpty())
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
            resolveDetails(child.get(), &folder);
        for (TSxTreeNode* child : seen)
            resolveDetails(child, &folder);
    }
    const auto less = orderIn(node);
    std::sort(fresh.begin(), fresh.end(),
              [&](const std::unique_ptr<TSxTreeNode>& a, const std::unique_ptr<TSxTreeNode>& b) {
                  return less(a.get(), b.get());
              });

    if (refresh) {
        // The selection leaves a node that is about to go for its parent.
        if (TSxTreeNode* selected = selectedNode(); selected && node->isAncestorOf(selected)) {
            const TSxTreeNode* below = selected;
            while (below->parent() != node)
                below = below->parent();
            if (!below->Visited && !selectNode(node))
                selectNode(nullptr);
        }
    }
    m_model->merge(node, std::move(fresh), refresh, less);

    const bool had = node->hasChildren;
    node->hasChildren = node->childCount() > 0;
    if (had != node->hasChildren) {
        m_model->changed(node);
        postRelayout();
    }
    markPopulated(node);
}

// --- finding nodes ----------------------------------------------------------

TSxTreeNode* TSxExplorerTreeView::rootNode() const { return m_model->root(); }

QModelIndex TSxExplorerTreeView::indexOfNode(const TSxTreeNode* node) const { return m_model->indexOf(node); }

TSxTreeNode* TSxExplorerTreeView::nodeAt(const QModelIndex& index) const { return m_model->nodeOf(index); }

bool TSxExplorerTreeView::isNodeExpanded(const TSxTreeNode* node) const
{
    return node && isExpanded(indexOfNode(node));
}

TSxTreeNode* TSxExplorerTreeView::FindNodeByID(PidlView absoluteId) const
{
    return walkDown(rootNode(), absoluteId,
                    [](const TSxTreeNode* node, QByteArrayView name) { return node->findChild(name); });
}

TSxTreeNode* TSxExplorerTreeView::locate(PidlView absoluteId, QSet<const TSxTreeNode*>& filled)
{
    return walkDown(rootNode(), absoluteId, [&](TSxTreeNode* node, QByteArrayView name) {
        TSxTreeNode* child = node->findChild(name);
        if (!child && !filled.contains(node)) {
            ExpandObjectNode(node, false);
            filled.insert(node);
            child = node->findChild(name);
        }
        return child;
    });
}

TSxTreeNode* TSxExplorerTreeView::LocateNode(PidlView absoluteId)
{
    QSet<const TSxTreeNode*> filled;
    return locate(absoluteId, filled);
}

// --- selection and the list -------------------------------------------------

TSxTreeNode* TSxExplorerTreeView::selectedNode() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? nullptr : nodeAt(selected.first());
}

bool TSxExplorerTreeView::driveNotReady(const TSxTreeNode* node) const
{
    const QString path = pathFromIdList(node->AbsoluteID);
    if (path.isEmpty() || driveTypeOfPath(path) == TSxDriveType::Unknown)
        return false;
    return !DriveReady(path);
}

bool TSxExplorerTreeView::canSelect(const TSxTreeNode* node) const
{
    if (!node)
        return true;
    bool ready = false;
    try {
        ready = !driveNotReady(node);
    } catch (const std::exception&) {
        ready = false;
    }
    return ready;
}

bool TSxExplorerTreeView::selectNode(TSxTreeNode* node)
{
    if (!node) {
        selectionModel()->clear();
        return true;
    }
    const QModelIndex index = indexOfNode(node);
    if (!index.isValid())
        return false;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    return selectedNode() == node;
}

void TSxExplorerTreeView::selectionChanged_()
{
    if (m_keyNavigating) {
        m_changedWhileNavigating = true;
        return;
    }
    selectionChangeHandling();
}

void TSxExplorerTreeView::selectionChangeHandling()
{
    TSxTreeNode* node = selectedNode();
    if (m_list) {
        if (node) {
            const QString path = pathFromIdList(node->AbsoluteID);
            if (path.isEmpty() || DriveReady(path))
                m_list->SetFolderandPIDL(node->ShellFolder, node->AbsoluteID);
        } else {
            m_list->ClearView(true);
        }
    }
    Q_EMIT Change(node);
}

void TSxExplorerTreeView::setListView(ExplorerListLink* list)
{
    if (list == m_list)
        return;
    if (ExplorerListLink* old = std::exchange(m_list, list))
        old->treeDetached();
    if (m_list && selectedNode())
        selectionChangeHandling();
}

bool TSxExplorerTreeView::selectFolder(PidlView absoluteId)
{
    m_justFilled.clear();
    TSxTreeNode* node = locate(absoluteId, m_justFilled);
    if (!node) {
        m_justFilled.clear();
        return false;
    }
    // Open the way down; folders just read need no second reading.
    std::vector<TSxTreeNode*> way;
    for (TSxTreeNode* n = node->parent(); n && n != rootNode()->parent(); n = n->parent())
        way.push_back(n);
    for (auto it = way.rbegin(); it != way.rend(); ++it) {
        if (!isNodeExpanded(*it))
            expand(indexOfNode(*it));
    }
    m_justFilled.clear();
    // The expansions may have re-read folders: find the node again.
    node = FindNodeByID(absoluteId);
    if (!node)
        return false;
    bool shown;
    if (selectedNode() == node) {
        // Already selected: the list still wants its folder back.
        selectionChangeHandling();
        shown = true;
    } else {
        shown = selectNode(node);
    }
    if (shown)
        scrollTo(indexOfNode(node));
    return shown;
}

// --- opening ----------------------------------------------------------------

void TSxExplorerTreeView::nodeExpanded(const QModelIndex& index)
{
    TSxTreeNode* node = nodeAt(index);
    if (!node || m_quietExpansion || m_justFilled.contains(node))
        return;
    if (!node->hasChildren && node->childCount() == 0) {
        collapse(index);
        return;
    }
    if (driveNotReady(node)) {
        collapse(index);
        throw ScrivoError(QStringLiteral("No disk in drive"));
    }
    refreshNode(node);
}

void TSxExplorerTreeView::refreshNode(TSxTreeNode* node)
{
    const bool was = std::exchange(m_refreshing, true);
    ExpandObjectNode(node, true);
    m_refreshing = was;
}

void TSxExplorerTreeView::collapseAll(const QModelIndex& index)
{
    TSxTreeNode* node = nodeAt(index);
    if (!node)
        return;
    for (int i = 0; i < node->childCount(); ++i)
        collapseAll(indexOfNode(node->child(i)));
    if (isExpanded(index))
        collapse(index);
}

// --- keys, mouse, editing ---------------------------------------------------

void TSxExplorerTreeView::keyPressEvent(QKeyEvent* event)
{
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    if (event->key() == Qt::Key_Plus && keypad) {
        if (TSxTreeNode* node = selectedNode())
            expand(indexOfNode(node));
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Minus && keypad) {
        if (TSxTreeNode* node = selectedNode())
            collapseAll(indexOfNode(node));
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)
        m_keyNavigating = true;
    TSxCustomTreeView::keyPressEvent(event);
}

void TSxExplorerTreeView::keyReleaseEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) && !event->isAutoRepeat() && m_keyNavigating) {
        m_keyNavigating = false;
        if (std::exchange(m_changedWhileNavigating, false))
            runGuarded([this] { selectionChangeHandling(); });
    }
    TSxCustomTreeView::keyReleaseEvent(event);
}

void TSxExplorerTreeView::focusOutEvent(QFocusEvent* event)
{
    // A release that goes to another window must not leave the list behind.
    if (std::exchange(m_keyNavigating, false) && std::exchange(m_changedWhileNavigating, false))
        runGuarded([this] { selectionChangeHandling(); });
    TSxCustomTreeView::focusOutEvent(event);
}

bool TSxExplorerTreeView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool wouldEdit = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
    if (wouldEdit && index.isValid()) {
        TSxTreeNode* node = nodeAt(index);
        const TSxShellFolder::Ptr parent = GetParentFolder(node);
        if (!node || !node->parent() || node == rootNode() || !parent
            || !HasAttribute(TSxAttr::CanRename, *parent, node->RelativeID))
            return false;
        if (onEditing && !onEditing(node))
            return false;
    }
    return TSxCustomTreeView::edit(index, trigger, event);
}

void TSxExplorerTreeView::contextMenuEvent(QContextMenuEvent* event)
{
    TSxTreeNode* node = (m_options & tvoContextMenu) ? nodeAt(indexAt(event->pos())) : nullptr;
    if (!node) {
        TSxCustomTreeView::contextMenuEvent(event);
        return;
    }
    m_dropTarget = node;
    viewport()->update();
    QMenu menu(this);
    const QString path = pathFromIdList(node->AbsoluteID);
    QAction* open = menu.addAction(QStringLiteral("Open"));
    open->setEnabled(!path.isEmpty());
    QAction* rename = menu.addAction(QStringLiteral("Rename"));
    const TSxShellFolder::Ptr parent = GetParentFolder(node);
    rename->setEnabled(node == selectedNode() && node != rootNode() && parent
                       && HasAttribute(TSxAttr::CanRename, *parent, node->RelativeID));
    QAction* chosen = menu.exec(event->globalPos());
    m_dropTarget = nullptr;
    viewport()->update();
    if (chosen == open)
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    else if (chosen == rename)
        QAbstractItemView::edit(indexOfNode(node));
}

// --- renaming ---------------------------------------------------------------

bool TSxExplorerTreeView::RenameNode(TSxTreeNode* node, const QString& newName)
{
    if (!(m_options & tvoAllowRename) || !node || node == rootNode())
        return false;
    const TSxShellFolder::Ptr parentFolder = GetParentFolder(node);
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
    m_model->forEach([&](TSxTreeNode* n) {
        if (n->populated && (n == node || node->isAncestorOf(n))) {
            m_notifier->unwatchFolder(n->AbsoluteID);
            watched.push_back(n);
        }
    });
    m_model->renamed(node, std::move(relative));
    node->AbsoluteID =
        TSxPidl::combine(node->parent()->AbsoluteID, node->RelativeID, "SxExplorerTreeView: RenameNode");
    node->ShellFolder = parentFolder->bindToObject(node->RelativeID);
    node->text = DisplayName(*parentFolder, node->RelativeID);
    rebaseChildren(node);
    for (TSxTreeNode* n : watched)
        m_notifier->watchFolder(n->AbsoluteID);
    m_model->resort(node, orderIn(node->parent()));
    m_model->changed(node);
    if (node == selectedNode())
        selectionChangeHandling();
    return true;
}

void TSxExplorerTreeView::rebaseChildren(TSxTreeNode* node)
{
    for (int i = 0; i < node->childCount(); ++i) {
        TSxTreeNode* child = node->child(i);
        child->AbsoluteID = TSxPidl::combine(node->AbsoluteID, child->RelativeID, "SxExplorerTreeView: AddNodeData");
        child->ShellFolder = node->ShellFolder ? node->ShellFolder->bindToObject(child->RelativeID) : nullptr;
        rebaseChildren(child);
    }
}

// --- namespace changes ------------------------------------------------------

void TSxExplorerTreeView::FileChange(TSxShellChangeEvents events, PidlView first, PidlView second)
{
    using E = TSxShellChangeEvent;
    const bool nonFolders = m_folderTypes & ftNonFolders;
    auto parentOf = [](PidlView id) {
        TSxPidl parent = TSxPidl::copyOf(id, "SxExplorerTreeView: FileChange");
        parent.removeLast();
        return bytesOf(parent);
    };

    if (events.contains(E::RenameFolder) || (events.contains(E::RenameItem) && nonFolders)) {
        if (second.isNull()) {
            m_pendingRemoval.insert(bytesOf(first));
        } else {
            const QByteArray oldParent = parentOf(first);
            const QByteArray newParent = parentOf(second);
            if (viewOf(oldParent) == viewOf(newParent)) {
                m_pendingRefresh.insert(oldParent);
            } else {
                m_pendingRemoval.insert(bytesOf(first));
                TSxTreeNode* target = FindNodeByID(viewOf(newParent));
                if (target && target != m_lastDropped)
                    m_pendingRefresh.insert(newParent);
            }
        }
    }
    if (events.contains(E::RemoveFolder) || (events.contains(E::Delete) && nonFolders))
        m_pendingRemoval.insert(bytesOf(first));
    if (events.contains(E::MakeFolder) || (events.contains(E::Create) && nonFolders))
        m_pendingCreation.insert(parentOf(first));
    if (events.contains(E::MediaRemoved))
        mediaChanged(FindNodeByID(first), false);
    if (events.contains(E::MediaInserted))
        mediaChanged(FindNodeByID(first), true);
    if (events.contains(E::DriveAdded) || events.contains(E::DriveRemoved))
        m_pendingRefresh.insert(parentOf(first));
    if (events.contains(E::FolderUpdated))
        m_pendingRefresh.insert(bytesOf(first));
    m_lastDropped = nullptr;
    scheduleFlush();
}

void TSxExplorerTreeView::scheduleFlush()
{
    if ((!m_pendingRefresh.isEmpty() || !m_pendingCreation.isEmpty() || !m_pendingRemoval.isEmpty())
        && !m_flushTimer->isActive())
        m_flushTimer->start();
}

void TSxExplorerTreeView::applyChanges()
{
    QSet<QByteArray> refresh = std::exchange(m_pendingRefresh, {});
    const QSet<QByteArray> creation = std::exchange(m_pendingCreation, {});
    const QSet<QByteArray> removal = std::exchange(m_pendingRemoval, {});

    // A removed folder goes when its parent is read again, which also keeps
    // one that came back under the same name in the meantime.
    for (const QByteArray& id : removal) {
        TSxTreeNode* node = FindNodeByID(viewOf(id));
        if (!node)
            continue;
        if (node == rootNode()) {
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
        TSxTreeNode* node = FindNodeByID(viewOf(job.id));
        if (!node)
            continue;
        if (job.always) {
            if (node->populated)
                refreshNode(node);
        } else if (isNodeExpanded(node) || (!node->hasChildren && node->childCount() == 0)) {
            refreshNode(node);
        }
    }
    ++m_refreshCount;
    Q_EMIT changesApplied();
}

void TSxExplorerTreeView::deleteNode(TSxTreeNode* node)
{
    if (!node)
        return;
    if (TSxTreeNode* selected = selectedNode(); selected && (selected == node || node->isAncestorOf(selected))) {
        TSxTreeNode* parent = node == rootNode() ? nullptr : node->parent();
        if (!parent || !selectNode(parent))
            selectNode(nullptr);
    }
    m_model->remove(node);
}

void TSxExplorerTreeView::mediaChanged(TSxTreeNode* node, bool inserted)
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
        m_model->changed(node);
        return;
    }
    // Unmounted: the volume no longer says what it was; the notifier did.
    node->imageIndex = node->selectedImageIndex = defaultCdromIconIndex();
    node->text = driveCaption(QString(), mountPoint);
    m_model->changed(node);
    if (node == selectedNode() && node->parent() && node != rootNode())
        selectNode(node->parent());
    if (node != rootNode()) {
        m_pendingRefresh.insert(bytesOf(node->parent()->AbsoluteID));
        scheduleFlush();
    }
}

// --- drag and drop ----------------------------------------------------------

QMimeData* TSxExplorerTreeView::dragData() const
{
    const TSxTreeNode* node = selectedNode();
    if (!node || node->AbsoluteID.view().isEmpty())
        return nullptr;
    const TSxShellFolder::Ptr parent = GetParentFolder(node);
    if (!parent)
        return nullptr;
    const TDropPIDLSource source(parent->absoluteId(), {node->AbsoluteID.view().last()});
    return source.createMimeData();
}

void TSxExplorerTreeView::BeginDrag()
{
    const TSxTreeNode* node = selectedNode();
    QMimeData* data = dragData();
    if (!node || !data)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    // The node's image and text, held 30 pixels right and 5 down.
    const QFontMetrics metrics(font());
    QPixmap picture(20 + metrics.horizontalAdvance(node->text), std::max(16, metrics.height()));
    picture.fill(Qt::transparent);
    {
        QPainter painter(&picture);
        TSxSystemImageList::instance().icon(node->imageIndex).paint(&painter, QRect(0, 0, 16, 16));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(picture.rect().adjusted(20, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, node->text);
    }
    drag->setPixmap(picture);
    drag->setHotSpot(QPoint(30, 5));
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

void TSxExplorerTreeView::startDrag(Qt::DropActions) { BeginDrag(); }

quint32 TSxExplorerTreeView::proposedDropEffect(quint32 allowed, Qt::KeyboardModifiers keys, bool allPrograms,
                                                bool sameVolume)
{
    const bool ctrl = keys & Qt::ControlModifier;
    const bool shift = keys & Qt::ShiftModifier;
    quint32 effect;
    if (ctrl && shift)
        effect = TSxDropEffect::Link;
    else if (shift)
        effect = TSxDropEffect::Move;
    else if (ctrl)
        effect = TSxDropEffect::Copy;
    else if (allPrograms && (allowed & TSxDropEffect::Link))
        effect = TSxDropEffect::Link;
    else if (sameVolume && (allowed & TSxDropEffect::Move))
        effect = TSxDropEffect::Move;
    else {
        for (const quint32 candidate : {TSxDropEffect::Copy, TSxDropEffect::Move, TSxDropEffect::Link}) {
            if (allowed & candidate)
                return candidate;
        }
        return TSxDropEffect::None;
    }
    return (allowed & effect) ? effect : TSxDropEffect::None;
}

quint32 TSxExplorerTreeView::limitDropEffect(quint32 effect, quint32 maximum)
{
    const int most = effectLevel(maximum);
    if (effect == TSxDropEffect::Move && most < 3)
        effect = TSxDropEffect::Copy;
    if (effect == TSxDropEffect::Copy && most < 2)
        effect = TSxDropEffect::Link;
    if (effect == TSxDropEffect::Link && most < 1)
        effect = TSxDropEffect::None;
    return effect;
}

bool TSxExplorerTreeView::acceptsDrops(const TSxTreeNode* node) const
{
    if (!node || !(m_options & tvoAllowPaste) || state() == QAbstractItemView::EditingState)
        return false;
    if (node == rootNode() && m_rootFolder == rDesktop)
        return true;
    return HasAttributeFromPIDL(TSxAttr::DropTarget, node->AbsoluteID);
}

quint32 TSxExplorerTreeView::dropEffectFor(const TSxTreeNode* node, const QMimeData* data,
                                           Qt::KeyboardModifiers keys) const
{
    if (!node || !data)
        return TSxDropEffect::None;
    const TDropPIDLTarget dropped(data);
    // What is dragged, as identifiers from the top.
    std::vector<TSxPidl> items;
    if (dropped.hasIdList()) {
        if (dropped.folderId() == node->AbsoluteID.view())
            return TSxDropEffect::None; // back where they come from
        for (int i = 0; i < dropped.itemCount(); ++i)
            items.push_back(TSxPidl::combine(dropped.folderId(), dropped.item(i), "SxExplorerTreeView: GetDropEffect"));
    } else {
        for (int i = 0; i < dropped.fileNameCount(); ++i) {
            TSxPidl id = TSxShellFolder::desktop()->parseDisplayName(dropped.fileName(i),
                                                                      "SxExplorerTreeView: GetDropEffect");
            if (id.isNull())
                return TSxDropEffect::None;
            TSxPidl parent = id.copy("SxExplorerTreeView: GetDropEffect");
            parent.removeLast();
            if (pathFromIdList(parent) == pathFromIdList(node->AbsoluteID))
                return TSxDropEffect::None;
            items.push_back(std::move(id));
        }
    }
    if (items.empty())
        return TSxDropEffect::None;
    for (const TSxPidl& item : items) {
        // Never into itself or below.
        if (item.view() == node->AbsoluteID.view() || item.view().isParentOf(node->AbsoluteID))
            return TSxDropEffect::None;
    }
    const quint32 allowed = dropped.preferredDropEffect() ? dropped.preferredDropEffect()
                                                          : TSxDropEffect::Copy | TSxDropEffect::Move
                                                                | TSxDropEffect::Link;
    const QByteArray target = nativePathFromIdList(node->AbsoluteID);
    const TSxVolumeTable volumes = TSxVolumeTable::current();
    const TSxMountEntry* targetVolume = volumes.mountOf(target);
    bool allPrograms = true;
    bool sameVolume = true;
    bool canMove = true;
    bool canCopy = true;
    bool canLink = true;
    for (const TSxPidl& item : items) {
        const QString path = pathFromIdList(item);
        allPrograms = allPrograms && IsProgram(path);
        const TSxMountEntry* volume = volumes.mountOf(QFile::encodeName(path));
        sameVolume = sameVolume && volume && targetVolume && volume->mountPoint == targetVolume->mountPoint;
        canMove = canMove && HasAttributeFromPIDL(TSxAttr::CanMove, item);
        canCopy = canCopy && HasAttributeFromPIDL(TSxAttr::CanCopy, item);
        canLink = canLink && HasAttributeFromPIDL(TSxAttr::CanLink, item);
    }
    const quint32 effect = proposedDropEffect(allowed, keys, allPrograms, sameVolume);
    if (!acceptsDrops(node))
        return TSxDropEffect::None;
    const quint32 maximum = canMove ? TSxDropEffect::Move
                            : canCopy ? TSxDropEffect::Copy
                            : canLink ? TSxDropEffect::Link
                                      : TSxDropEffect::None;
    return limitDropEffect(effect, maximum);
}

void TSxExplorerTreeView::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void TSxExplorerTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    const QPoint pos = event->position().toPoint();
    TSxTreeNode* node = nodeAt(indexAt(pos));
    if (node != m_dropTarget) {
        m_dropTarget = node;
        viewport()->update();
    }
    if (pos.y() < autoScrollMargin() || pos.y() > viewport()->height() - autoScrollMargin())
        startAutoScroll();
    quint32 effect = TSxDropEffect::None;
    runGuarded([&] { effect = dropEffectFor(node, event->mimeData(), event->modifiers()); });
    if (effect == TSxDropEffect::None) {
        event->ignore();
        return;
    }
    event->setDropAction(qtAction(effect));
    event->accept();
}

void TSxExplorerTreeView::dragLeaveEvent(QDragLeaveEvent* event)
{
    m_dropTarget = nullptr;
    stopAutoScroll();
    viewport()->update();
    event->accept();
}

void TSxExplorerTreeView::dropEvent(QDropEvent* event)
{
    TSxTreeNode* node = nodeAt(indexAt(event->position().toPoint()));
    m_dropTarget = nullptr;
    stopAutoScroll();
    viewport()->update();
    quint32 effect = TSxDropEffect::None;
    runGuarded([&] { effect = dropEffectFor(node, event->mimeData(), event->modifiers()); });
    if (effect == TSxDropEffect::None) {
        event->ignore();
        return;
    }
    runGuarded([&] { DropFiles(node, effect, event->mimeData()); });
    m_lastDropped = node;
    event->setDropAction(qtAction(effect));
    event->accept();
}

void TSxExplorerTreeView::DropFiles(TSxTreeNode* target, quint32 effect, const QMimeData* data)
{
    const QString targetPath = pathFromIdList(target->AbsoluteID);
    if (targetPath.isEmpty())
        return;
    const TDropPIDLTarget dropped(data);
    QStringList sources;
    if (dropped.hasIdList()) {
        for (int i = 0; i < dropped.itemCount(); ++i) {
            const TSxPidl id =
                TSxPidl::combine(dropped.folderId(), dropped.item(i), "SxExplorerTreeView: DropFiles");
            sources << pathFromIdList(id);
        }
    } else {
        for (int i = 0; i < dropped.fileNameCount(); ++i)
            sources << dropped.fileName(i);
    }
    const TSxTreeFileOps::Operation operation = effect == TSxDropEffect::Move   ? TSxTreeFileOps::Operation::Move
                                                : effect == TSxDropEffect::Link ? TSxTreeFileOps::Operation::Link
                                                                                : TSxTreeFileOps::Operation::Copy;
    // The target's next reading shows what arrived, even where it is not
    // watched.
    const QByteArray targetId = bytesOf(target->AbsoluteID);
    auto refreshTarget = qScopeGuard([&] {
        m_pendingCreation.insert(targetId);
        scheduleFlush();
    });
    TSxTreeFileOps::run(operation, sources, targetPath);
}
