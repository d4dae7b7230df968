#include "explorer/treeview.h"

#include "explorer/dropdata.h"
#include "explorer/shellicons.h"
#include "explorer/shellqueries.h"
#include "explorer/treeviewfileops.h"
#include "explorer/volumes.h"
#include "platform/errors.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDrag>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QUrl>

#include <algorithm>

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

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        TSxTreeNode* node = m_tree->nodeAt(index);
        const QString text = editor->property("text").toString();
        if (node && text != node->text)
            m_tree->labelEdited(node, text);
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

TSxExplorerTreeView::TSxExplorerTreeView(QWidget* parent, EditingCheck mayEdit)
    : TSxCustomTreeView(parent), m_mayEdit(std::move(mayEdit))
{
    m_model = new TSxTreeModel(this);
    m_loader = new TSxTreeLoader(*m_model, this);
    applyContents();
    connect(m_model, &TSxTreeModel::nodeDisposed, this, [this](TSxTreeNode* node) { nodeDisposed(node); });
    connect(m_model, &TSxTreeModel::childFlagsChanged, this, [this] { postRelayout(); });
    connect(m_loader, &TSxTreeLoader::leaving, this, [this](TSxTreeNode* node) { nodeLeaving(node); });
    connect(m_loader, &TSxTreeLoader::changesApplied, this, &TSxExplorerTreeView::changesApplied);
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

    m_look = new TSxViewLook(this, font());
    connect(m_look, &TSxViewLook::changed, this, [this] { followLook(); });

    connect(this, &QTreeView::expanded, this, guarded([this](const QModelIndex& index) { nodeExpanded(index); }));
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { m_loader->setOpen(nodeAt(index), false); });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, guarded([this] { selectionChanged_(); }));
}

TSxExplorerTreeView::~TSxExplorerTreeView()
{
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
    m_loader->setRootAlias(alias);
}

void TSxExplorerTreeView::setFolderTypes(TSxFolderTypes types)
{
    m_folderTypes = types;
    applyContents();
    if (m_loaded)
        m_loader->refreshOpenNodes();
}

void TSxExplorerTreeView::applyContents()
{
    m_loader->setContents(ShellContents::flags(m_folderTypes.testFlag(ftFolders), m_folderTypes.testFlag(ftNonFolders),
                                               m_folderTypes.testFlag(ftIncludeHidden)),
                          m_folderTypes.testFlag(ftIncludeSystem));
}

void TSxExplorerTreeView::setCheckmarks(bool on)
{
    if (m_checkmarks == on)
        return;
    m_checkmarks = on;
    m_model->setCheckable(on);
    reloadIfLoaded();
}

void TSxExplorerTreeView::followLook()
{
    setMouseTracking(hotTrack());
    viewport()->setAttribute(Qt::WA_Hover, hotTrack());
    viewport()->update();
}

void TSxExplorerTreeView::setDragMode(TSxDragMode mode)
{
    m_dragMode = mode;
    setDragEnabled(mode == dmAutomatic);
}

// --- loading and enumeration ----------------------------------------------

void TSxExplorerTreeView::Loaded()
{
    m_loaded = true;
    InitialLoad();
}

void TSxExplorerTreeView::InitialLoad()
{
    selectionModel()->clear();
    m_loader->load(m_rootFolder, m_customRoot, m_rootAlias);
    const bool quiet = std::exchange(m_quietExpansion, true);
    expand(indexOfNode(rootNode()));
    m_quietExpansion = quiet;
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

void TSxExplorerTreeView::nodeDisposed(TSxTreeNode* node)
{
    if (m_dropTarget == node)
        m_dropTarget = nullptr;
    m_justFilled.remove(node);
}

void TSxExplorerTreeView::nodeLeaving(TSxTreeNode* node)
{
    TSxTreeNode* selected = selectedNode();
    if (!selected || (selected != node && !node->isAncestorOf(selected)))
        return;
    TSxTreeNode* parent = node == rootNode() ? nullptr : node->parent();
    if (!parent || !selectNode(parent))
        selectNode(nullptr);
}

// --- finding nodes ----------------------------------------------------------

TSxTreeNode* TSxExplorerTreeView::rootNode() const { return m_model->root(); }

QModelIndex TSxExplorerTreeView::indexOfNode(const TSxTreeNode* node) const { return m_model->indexOf(node); }

TSxTreeNode* TSxExplorerTreeView::nodeAt(const QModelIndex& index) const { return m_model->nodeOf(index); }

bool TSxExplorerTreeView::isNodeExpanded(const TSxTreeNode* node) const
{
    return node && isExpanded(indexOfNode(node));
}

TSxTreeNode* TSxExplorerTreeView::LocateNode(PidlView absoluteId)
{
    QSet<const TSxTreeNode*> filled;
    return m_loader->locate(absoluteId, filled);
}

TSxFileNotifier* TSxExplorerTreeView::notifier() const { return m_loader->notifier(); }

bool TSxExplorerTreeView::isRefreshing() const { return m_loader->isRefreshing(); }

int TSxExplorerTreeView::refreshCount() const { return m_loader->refreshCount(); }

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
    TSxTreeNode* node = m_loader->locate(absoluteId, m_justFilled);
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
    if (!node)
        return;
    m_loader->setOpen(node, true);
    if (m_quietExpansion || m_justFilled.contains(node))
        return;
    if (!node->hasChildren && node->childCount() == 0) {
        collapse(index);
        return;
    }
    if (driveNotReady(node)) {
        collapse(index);
        throw ScrivoError(QStringLiteral("No disk in drive"));
    }
    m_loader->refresh(node);
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
        if (m_mayEdit && !m_mayEdit(node))
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
    if (!m_loader->rename(node, newName))
        return false;
    if (node == selectedNode())
        selectionChangeHandling();
    return true;
}

bool TSxExplorerTreeView::labelEdited(TSxTreeNode* node, const QString& text)
{
    bool renamed = false;
    runGuarded([&] { renamed = RenameNode(node, text); });
    return renamed;
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
    if (!node)
        return TSxDropEffect::None;
    return TSxDropRules::effectOnto(node->AbsoluteID, acceptsDrops(node), data, keys);
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
    event->setDropAction(TSxDropRules::qtAction(effect));
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
    m_loader->setLastDropped(node);
    event->setDropAction(TSxDropRules::qtAction(effect));
    event->accept();
}

void TSxExplorerTreeView::DropFiles(TSxTreeNode* target, quint32 effect, const QMimeData* data)
{
    const QString targetPath = pathFromIdList(target->AbsoluteID);
    if (targetPath.isEmpty())
        return;
    const TSxTreeFileOps::Operation operation = effect == TSxDropEffect::Move   ? TSxTreeFileOps::Operation::Move
                                                : effect == TSxDropEffect::Link ? TSxTreeFileOps::Operation::Link
                                                                                : TSxTreeFileOps::Operation::Copy;
    // The target's next reading shows what arrived, even where it is not
    // watched.
    const TSxPidl targetId = target->AbsoluteID.copy("SxExplorerTreeView: DropFiles");
    auto readTarget = qScopeGuard([&] { m_loader->readSoon(targetId); });
    TSxTreeFileOps::run(operation, TSxDropRules::droppedPaths(data), targetPath);
}
