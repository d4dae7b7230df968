#include "explorer/listview.h"

#include "explorer/cdromlabel.h"
#include "explorer/dropdata.h"
#include "explorer/filenotifier.h"
#include "explorer/listviewheader.h"
#include "explorer/listviewmodel.h"
#include "explorer/shellicons.h"
#include "explorer/shellqueries.h"
#include "explorer/threadfilenotifier.h"
#include "explorer/volumes.h"
#include "platform/errors.h"
#include "platform/tfont.h"
#include "widgets/waitcursor.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>

namespace {

// Draws the hot row's name underlined and a link mark over a link's icon.
class TSxListDelegate : public QStyledItemDelegate {
public:
    explicit TSxListDelegate(TSxExplorerListView* list) : QStyledItemDelegate(list), m_list(list) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() == TSxListColumn::Name && index.row() == m_list->hotRow())
            option->font.setUnderline(true);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.column() != TSxListColumn::Name || index.row() >= m_list->ItemDataList().count())
            return;
        const TSxItemData& record = m_list->ItemDataList()[index.row()];
        if (record.OverlayIndex != 1 || record.ImageIndex < 0)
            return;
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const QRect icon = style->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, widget);
        if (icon.isEmpty())
            return;
        // A small curved arrow in the icon's lower left corner.
        const int size = std::max(6, icon.width() / 2);
        const QRect mark(icon.left(), icon.bottom() - size + 1, size, size);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(Qt::black, 1));
        painter->setBrush(Qt::white);
        painter->drawRect(mark.adjusted(0, 0, -1, -1));
        QPainterPath arrow;
        arrow.moveTo(mark.left() + 2, mark.bottom() - 1);
        arrow.quadTo(mark.left() + 2, mark.top() + 3, mark.right() - 2, mark.top() + 3);
        painter->drawPath(arrow);
        painter->drawLine(QPointF(mark.right() - 2, mark.top() + 3), QPointF(mark.right() - 4, mark.top() + 1));
        painter->drawLine(QPointF(mark.right() - 2, mark.top() + 3), QPointF(mark.right() - 4, mark.top() + 5));
        painter->restore();
    }

private:
    TSxExplorerListView* m_list;
};

}

TSxExplorerListView::TSxExplorerListView(QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("listviewFp"));
    m_model = new TSxListModel(m_items, this);
    applyContents();
    connect(m_model, &TSxListModel::rowsGoing, this, [this](const std::vector<bool>& gone) { unselectGoneRows(gone); });
    connect(m_model, &TSxListModel::refreshed, this, &TSxExplorerListView::OnTotalSizeChange);
    connect(m_model, &TSxListModel::folderGone, this, [this] { folderLeftItsPath(); });
    setHeader(new TSxListHeader(this));
    setModel(m_model);
    setItemDelegate(new TSxListDelegate(this));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setAcceptDrops(false);
    setSortingEnabled(false); // the list sorts its records itself
    header()->setSectionsClickable(true); // which the line above turned off
    setIconSize(QSize(16, 16));
    setTextElideMode(Qt::ElideRight);
    setToolTip(QStringLiteral("Double click on the file to open it..."));
    setMouseTracking(true);

    m_look = new TSxViewLook(this, Fonts::designFont(QStringLiteral("MS Sans Serif"), 8));
    m_look->setHotTrack(true);
    connect(m_look, &TSxViewLook::changed, this, [this] { followLook(); });
    followLook();

    m_watcher = new TSxThreadFileNotifier(this);
    connect(m_watcher, &TSxThreadFileNotifier::Change, this,
            guarded([this](const QString& path, TSxNotifyFilters filters) { fileChanged(path, filters); }));

    connect(header(), &QHeaderView::sectionClicked, this, guarded([this](int column) {
                Q_EMIT ColumnClick(column);
                setSortColumn(column);
            }));
    m_vanishedTimer.setSingleShot(true);
    m_vanishedTimer.setInterval(int(TSxThreadFileNotifier::QuietPeriod.count()));
    connect(&m_vanishedTimer, &QTimer::timeout, this, guarded([this] { followShownPath(); }));
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(HoverSelectMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, guarded([this] { hoverSelect(); }));
    connect(verticalScrollBar(), &QScrollBar::sliderPressed, this, [this] {
        if (m_fastScroll)
            m_items.setGenericIconsOnly(true);
    });
    connect(verticalScrollBar(), &QScrollBar::sliderReleased, this, guarded([this] { scrollBoxReleased(); }));

    for (int i = 0; i < TSxListColumn::Count; ++i)
        header()->resizeSection(i, DefaultWidths[std::size_t(i)]);
    readColumnWidths();
    updateSortMark();
}

TSxExplorerListView::~TSxExplorerListView()
{
    if (m_fileSystemFolder)
        writeColumnWidths();
    if (m_tree)
        std::exchange(m_tree, nullptr)->listDetached();
    m_hoverTimer.stop();
    ClearView(true);
    setModel(nullptr);
    delete m_model;
}

// Link to the tree -----------------------------------------------------------

void TSxExplorerListView::setTreeView(ExplorerTreeLink* tree)
{
    if (m_tree == tree)
        return;
    if (ExplorerTreeLink* old = std::exchange(m_tree, tree))
        old->listDetached();
}

void TSxExplorerListView::treeDetached() { m_tree = nullptr; }

void TSxExplorerListView::showFolder(const TSxShellFolder::Ptr& folder, PidlView absoluteId)
{
    const TSxShellFolder::Ptr& shown = this->folder();
    if (m_tree && m_tree->selectFolder(absoluteId) && shown && shown->nativePath() == folder->nativePath())
        return;
    // No tree, or the tree did not answer with this folder (it had none of
    // that name, or it was selected already): shown directly.
    SetFolderandPIDL(folder, absoluteId);
}

// Folders -------------------------------------------------------------------

QString TSxExplorerListView::Directory() const { return folder() ? folder()->path() : QString(); }

void TSxExplorerListView::setDirectory(const QString& path)
{
    ClearView(false);
    const TSxPidl id = GetItemIDFromPath(path);
    const TSxShellFolder::Ptr folder = id ? TSxShellFolder::bind(id) : nullptr;
    if (!folder) {
        ClearView(true);
        Q_EMIT OnTotalSizeChange();
        return;
    }
    showFolder(folder, id);
}

void TSxExplorerListView::SetFolderandPIDL(TSxShellFolder::Ptr folder, PidlView absoluteId)
{
    // Copied first: the identifier may be the list's own, which goes now.
    TSxPidl id = TSxPidl::copyOf(absoluteId, "SxExplorerListView: SetFolderandPIDL");
    ClearView(true);
    if (!folder) {
        Q_EMIT OnTotalSizeChange();
        return;
    }
    m_model->setFolder(std::move(folder));
    m_folderId = std::move(id);
    m_drivesFolder = this->folder()->kind() == TSxShellFolder::Kind::Drives;
    m_fileSystemFolder = this->folder()->isFileSystem();
    if (m_drivesFolder && !m_shellNotifier) {
        m_shellNotifier = new TSxFileNotifier(this);
        connect(m_shellNotifier, &TSxFileNotifier::FileChange, this,
                guarded([this](const TSxShellChangeEvents& events, PidlView first, PidlView second) {
                    shellChanged(events, first, second);
                }));
    }
    const QString path = this->folder()->path();
    // A volume that cannot be read (no medium) leaves the list empty.
    if (!HasPathOnKnownDrive(m_folderId) || DriveReady(path))
        FillView();
    if (!path.isEmpty()) {
        m_watcher->watch(path);
        m_watchedPath = path;
        m_watchedFolder = TSxFileIdentity::of(this->folder()->nativePath());
    }
}

void TSxExplorerListView::ClearView(bool clearRows)
{
    m_model->cancelRefresh();
    if (clearRows) {
        m_model->beginBatch();
        m_items.clear();
        m_hotRow = -1;
        m_model->endBatch();
    }
    // A forgotten folder is not watched any more, however it is left.
    m_vanishedTimer.stop();
    if (!m_watchedPath.isEmpty())
        m_watcher->stopWatching(std::exchange(m_watchedPath, QString()));
    m_model->setFolder(nullptr);
    m_folderId.reset();
    m_drivesFolder = false;
}

void TSxExplorerListView::applyContents()
{
    TSxListContents contents;
    contents.enumeration = ShellContents::flags(m_folderTypes.testFlag(ftFolders), m_folderTypes.testFlag(ftNonFolders),
                                                m_folderTypes.testFlag(ftIncludeHidden));
    contents.includeSystem = m_folderTypes.testFlag(ftIncludeSystem);
    contents.filters = m_filters;
    contents.filterFolders = m_filterOptions.testFlag(foFilterFolders);
    m_model->setContents(contents);
}

void TSxExplorerListView::FillView()
{
    const WaitCursor wait;
    m_hotRow = -1;
    if (m_model->fill())
        Q_EMIT OnTotalSizeChange();
}

void TSxExplorerListView::RefreshView()
{
    const WaitCursor wait;
    m_model->refreshNow();
}

void TSxExplorerListView::unselectGoneRows(const std::vector<bool>& gone)
{
    // The view would hand the selection on to a neighbour; a row that goes
    // takes its selection with it. Rows move up: the pointer's row is found
    // again when it moves.
    m_hotRow = -1;
    const QModelIndex current = currentIndex();
    if (current.isValid() && gone[std::size_t(current.row())])
        selectionModel()->clear();
}

void TSxExplorerListView::RefreshDetails()
{
    // Attributes may change the type too (a file made executable).
    for (auto& record : m_items.records())
        record->Pending |= TSxPending::Details | TSxPending::Type | TSxPending::Keys;
    const auto [first, last] = visibleRows();
    for (int row = first; row <= last; ++row) {
        if (m_items.resolveDetails(m_items[row]))
            m_model->rowsChanged(row, row);
    }
}

void TSxExplorerListView::fileChanged(const QString& path, TSxNotifyFilters filters)
{
    if (!folder() || path != m_watchedPath)
        return;
    if (TSxFileIdentity::of(folder()->nativePath()) != m_watchedFolder) {
        folderLeftItsPath();
        return;
    }
    if (filters & (TSxNotifyFilter::FileName | TSxNotifyFilter::DirName))
        m_model->refreshSoon();
    else
        RefreshDetails();
}

void TSxExplorerListView::folderLeftItsPath()
{
    // The watch stays with the folder that went (deleted, or renamed away);
    // the list shows a path. What bears the name a quiet period later is
    // shown and watched, or else the nearest folder above that exists.
    m_model->cancelRefresh();
    if (!m_watchedPath.isEmpty())
        m_watcher->stopWatching(std::exchange(m_watchedPath, QString()));
    m_vanishedTimer.start();
}

void TSxExplorerListView::followShownPath()
{
    if (!folder())
        return;
    if (folder()->isFileSystem() && IsDirectory(folder()->path())) {
        SetFolderandPIDL(TSxShellFolder::bind(m_folderId), m_folderId);
        return;
    }
    TSxPidl id = m_folderId.copy("SxExplorerListView: SetFolderandPIDL");
    TSxShellFolder::Ptr above;
    while (!above && id.view().count() > 0) {
        id.removeLast();
        if (isValidPIDL(id))
            above = TSxShellFolder::bind(id);
    }
    showFolder(above ? above : TSxShellFolder::desktop(), id);
}

void TSxExplorerListView::shellChanged(const TSxShellChangeEvents& events, PidlView first, PidlView)
{
    if (!m_drivesFolder)
        return;
    using Event = TSxShellChangeEvent;
    const bool removed = events.contains(Event::MediaRemoved);
    const bool inserted = events.contains(Event::MediaInserted);
    if (!removed && !inserted) {
        if (events.contains(Event::DriveAdded) || events.contains(Event::DriveRemoved))
            RefreshView();
        return;
    }
    for (int row = 0; row < m_items.count(); ++row) {
        TSxItemData& record = m_items[row];
        if (!(record.AbsoluteID.view() == first))
            continue;
        const QString mountPoint = record.FullPath();
        if (driveTypeOfPath(mountPoint) != TSxDriveType::CdRom && !removed)
            return;
        if (removed) {
            record.DisplayName = driveCaption(QString(), mountPoint);
            record.ImageIndex = defaultCdromIconIndex();
            if (selectedIndex() == row)
                selectionModel()->clearSelection();
        } else {
            const TSxCdRomLabel label = CdRomLabel(mountPoint);
            record.DisplayName = driveCaption(label.text, mountPoint);
            if (label.iconIndex >= 0)
                record.ImageIndex = label.iconIndex;
        }
        record.Pending &= ~(TSxPending::Name | TSxPending::Icon);
        m_model->rowsChanged(row, row);
        return;
    }
    // A volume the list does not show yet (or no longer holds): read again.
    RefreshView();
}

void TSxExplorerListView::refillIfShown()
{
    applyContents();
    if (folder())
        FillView();
}

// Properties ----------------------------------------------------------------

void TSxExplorerListView::setSizeStyle(TSxSizeStyle style)
{
    if (style == m_items.sizeStyle())
        return;
    m_items.setSizeStyle(style);
    refillIfShown();
}

void TSxExplorerListView::setFolderTypes(FolderTypes types)
{
    if (types == m_folderTypes)
        return;
    m_folderTypes = types;
    refillIfShown();
}

void TSxExplorerListView::setFilters(const QStringList& filters)
{
    if (filters == m_filters)
        return;
    m_filters = filters;
    refillIfShown();
}

void TSxExplorerListView::setFilterOptions(FilterOptions options)
{
    if (options == m_filterOptions)
        return;
    m_filterOptions = options;
    if (!m_filters.isEmpty())
        refillIfShown();
}

void TSxExplorerListView::setShowImages(bool show)
{
    if (show == m_items.showImages())
        return;
    m_items.setShowImages(show);
    refillIfShown();
}

void TSxExplorerListView::followLook()
{
    if (!hotTrack())
        setHotRow(-1);
    m_model->setCompressedColor(Colors::toQColor(compressedColor()));
    viewport()->update();
}

// Sorting -------------------------------------------------------------------

void TSxExplorerListView::setSortColumn(int column)
{
    column = std::clamp(column, 0, TSxListColumn::Count - 1);
    if (column == m_items.SortColumn) {
        setSortDirection(m_items.SortDirection == TSxSortDirection::sdAsc ? TSxSortDirection::sdDesc
                                                                          : TSxSortDirection::sdAsc);
        return;
    }
    m_items.SortColumn = column;
    const WaitCursor wait;
    m_model->resort();
    updateSortMark();
}

void TSxExplorerListView::setSortDirection(TSxSortDirection direction)
{
    m_items.SortDirection = direction;
    const WaitCursor wait;
    m_model->resort();
    updateSortMark();
}

void TSxExplorerListView::updateSortMark()
{
    header()->setSortIndicator(m_items.SortColumn, m_items.SortDirection == TSxSortDirection::sdAsc
                                                       ? Qt::AscendingOrder
                                                       : Qt::DescendingOrder);
    header()->viewport()->update();
}

// Rows ----------------------------------------------------------------------

int TSxExplorerListView::selectedIndex() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TSxExplorerListView::selectRow(int row)
{
    if (row < 0 || row >= m_items.count()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex index = m_model->index(row, 0);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

qint64 TSxExplorerListView::TotalSize()
{
    const WaitCursor wait;
    return m_items.totalSize();
}

std::pair<int, int> TSxExplorerListView::visibleRows() const
{
    if (m_items.count() == 0 || !isVisible())
        return {0, -1};
    const QModelIndex top = indexAt(QPoint(0, 0));
    if (!top.isValid())
        return {0, -1};
    const QModelIndex bottom = indexAt(QPoint(0, viewport()->height() - 1));
    return {top.row(), bottom.isValid() ? bottom.row() : m_items.count() - 1};
}

int TSxExplorerListView::FindItem(const QString& text, int start, bool wrap)
{
    const int n = m_items.count();
    if (n == 0)
        return -1;
    {
        const WaitCursor wait;
        m_items.resolveAllNames();
    }
    const QString wanted = text.toUpper();
    start = std::clamp(start, 0, n - 1);
    const auto matches = [&](int row) { return m_items[row].DisplayName.toUpper().startsWith(wanted); };
    for (int row = start; row < n; ++row) {
        if (matches(row))
            return row;
    }
    if (wrap) {
        for (int row = 0; row < start; ++row) {
            if (matches(row))
                return row;
        }
    }
    return -1;
}

void TSxExplorerListView::keyboardSearch(const QString& search)
{
    if (search.isEmpty() || m_items.count() == 0)
        return;
    const bool fresh = !m_typedAt.isValid() || m_typedAt.elapsed() > QApplication::keyboardInputInterval();
    m_typedAt.start();
    m_typed = fresh ? search : m_typed + search;
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    // Typing the same letter again steps to the next row that starts with it.
    QString wanted = m_typed;
    const bool sameLetter = wanted.size() > 1 && wanted.count(wanted.front()) == wanted.size();
    if (sameLetter)
        wanted = wanted.left(1);
    int start = current < 0 ? 0 : current;
    if ((fresh || sameLetter) && current >= 0)
        start = (current + 1) % m_items.count();
    const int row = FindItem(wanted, start, true);
    if (row >= 0)
        selectRow(row);
}

void TSxExplorerListView::sizeColumnsToContents()
{
    if (m_items.count() == 0)
        return;
    {
        const WaitCursor wait;
        m_items.resolveAllNames();
        m_items.resolveAllDetails();
    }
    const QFontMetrics metrics(font());
    std::array<int, TSxListColumn::Count> widest{};
    for (const auto& record : m_items.records()) {
        widest[0] = std::max(widest[0], metrics.horizontalAdvance(record->DisplayName));
        for (int c = 1; c < TSxListColumn::Count; ++c)
            widest[std::size_t(c)] = std::max(widest[std::size_t(c)],
                                              metrics.horizontalAdvance(record->SubItems.value(c - 1)));
    }
    // The style's own margins around a cell's text (and the icon in the
    // first column), measured on the first row; never less than 24 and 20.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    for (int c = 0; c < TSxListColumn::Count; ++c) {
        const QModelIndex index = m_model->index(0, c);
        const int text = metrics.horizontalAdvance(m_model->data(index, Qt::DisplayRole).toString());
        const int margin = std::max(c == 0 ? 24 : 20, itemDelegate()->sizeHint(option, index).width() - text);
        header()->resizeSection(c, widest[std::size_t(c)] + margin);
    }
}

std::array<int, TSxListColumn::Count> TSxExplorerListView::columnWidths() const
{
    std::array<int, TSxListColumn::Count> widths{};
    for (int c = 0; c < TSxListColumn::Count; ++c)
        widths[std::size_t(c)] = header()->sectionSize(c);
    return widths;
}

void TSxExplorerListView::readColumnWidths()
{
    const std::optional<TSxColumnWidths::Widths> saved = TSxColumnWidths::read();
    if (!saved)
        return; // nothing stored, or not in the expected form: the defaults stay
    m_savedWidths = *saved;
    for (int c = 0; c < TSxListColumn::Count; ++c) {
        if (m_savedWidths[std::size_t(c)] > 0)
            header()->resizeSection(c, m_savedWidths[std::size_t(c)]);
    }
}

void TSxExplorerListView::writeColumnWidths()
{
    m_savedWidths = columnWidths();
    TSxColumnWidths::write(m_savedWidths);
}

// Mouse and keys -------------------------------------------------------------

void TSxExplorerListView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && mods == Qt::NoModifier) {
        event->accept();
        raiseDoubleClick();
        return;
    }
    if (event->key() == Qt::Key_Plus && (event->modifiers() & Qt::KeypadModifier) && mods == Qt::ControlModifier) {
        event->accept();
        sizeColumnsToContents();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TSxExplorerListView::mousePressEvent(QMouseEvent* event)
{
    // A click beside the rows leaves no row selected.
    if (!indexAt(event->position().toPoint()).isValid())
        selectionModel()->clearSelection();
    QTreeView::mousePressEvent(event);
}

void TSxExplorerListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!indexAt(event->position().toPoint()).isValid())
        selectionModel()->clearSelection();
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        raiseDoubleClick();
}

void TSxExplorerListView::mouseMoveEvent(QMouseEvent* event)
{
    if (hotTrack()) {
        const QModelIndex index = indexAt(event->position().toPoint());
        setHotRow(index.isValid() ? index.row() : -1);
        // No selection by resting while a button is held (a drag, say).
        if (event->buttons() != Qt::NoButton)
            m_hoverTimer.stop();
    }
    QTreeView::mouseMoveEvent(event);
}

bool TSxExplorerListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Leave)
        setHotRow(-1);
    return QTreeView::viewportEvent(event);
}

void TSxExplorerListView::setHotRow(int row)
{
    if (row == m_hotRow)
        return;
    const int old = std::exchange(m_hotRow, row);
    if (old >= 0 && old < m_items.count())
        m_model->rowsChanged(old, old);
    if (row >= 0) {
        m_model->rowsChanged(row, row);
        viewport()->setCursor(Qt::PointingHandCursor);
        m_hoverTimer.start();
    } else {
        viewport()->unsetCursor();
        m_hoverTimer.stop();
    }
}

void TSxExplorerListView::hoverSelect()
{
    if (m_hotRow < 0 || m_hotRow >= m_items.count())
        return;
    if (selectedIndex() != m_hotRow)
        selectRow(m_hotRow);
}

void TSxExplorerListView::scrollBoxReleased()
{
    m_items.setGenericIconsOnly(false);
    const auto [first, last] = visibleRows();
    for (int row = first; row <= last; ++row) {
        if (m_items[row].Pending & TSxPending::Icon) {
            m_items.resolveIcon(m_items[row]);
            m_model->rowsChanged(row, row);
        }
    }
}

// Double click ---------------------------------------------------------------

void TSxExplorerListView::raiseDoubleClick()
{
    Q_EMIT DblClick();
    // The list's own work comes after what is pending (the handler's
    // repaints, say).
    QTimer::singleShot(0, this, guarded([this] { doubleClickWork(); }));
}

void TSxExplorerListView::doubleClickWork()
{
    const int row = selectedIndex();
    if (row < 0 || !this->folder())
        return;
    const TSxItemData& record = m_items[row];
    if (record.IsFile)
        return; // files are the main window's to open
    const TSxPidl joined = TSxPidl::combine(m_folderId, record.RelativeID, "SxExplorerListView: DblClick");
    const TSxShellFolder::Ptr folder = this->folder()->bindToObject(record.RelativeID);
    if (!folder || (folder->isFileSystem() && !IsDirectory(folder->path()))) {
        // The folder went away meanwhile: its row goes instead.
        RefreshView();
        return;
    }
    showFolder(folder, joined);
}

// Drag -----------------------------------------------------------------------

QMimeData* TSxExplorerListView::dragData() const
{
    const int row = selectedIndex();
    if (row < 0 || !folder())
        return nullptr;
    const TDropPIDLSource source(m_folderId, {m_items[row].RelativeID.view()});
    return source.createMimeData();
}

void TSxExplorerListView::startDrag(Qt::DropActions)
{
    QMimeData* data = dragData();
    if (!data)
        return;
    const int row = selectedIndex();
    // The drag image: the row's icon and name.
    const QModelIndex index = m_model->index(row, 0);
    const QIcon icon = m_model->data(index, Qt::DecorationRole).value<QIcon>();
    const QString name = m_model->data(index, Qt::DisplayRole).toString();
    const QFontMetrics metrics(font());
    const int height = std::max(16, metrics.height());
    QPixmap image(QSize(20 + metrics.horizontalAdvance(name), height) * devicePixelRatioF());
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        icon.paint(&painter, QRect(0, (height - 16) / 2, 16, 16));
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(QRect(20, 0, image.width(), height), Qt::AlignLeft | Qt::AlignVCenter, name);
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(image);
    drag->setHotSpot(QPoint(30, 5));
    const QPointer<TSxExplorerListView> alive(this);
    const Qt::DropAction result = drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    if (alive && result == Qt::MoveAction)
        removeVanishedSelectedRows();
}

void TSxExplorerListView::removeVanishedSelectedRows()
{
    std::vector<bool> gone(std::size_t(m_items.count()), false);
    bool any = false;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        if (!isValidPIDL(m_items[index.row()].AbsoluteID)) {
            gone[std::size_t(index.row())] = true;
            any = true;
        }
    }
    if (!any)
        return;
    m_model->cancelRefresh(); // it holds the records
    unselectGoneRows(gone);
    m_model->removeFlaggedRows(gone);
    Q_EMIT OnTotalSizeChange();
}
