#include "explorer/listviewmodel.h"

#include "explorer/listviewformat.h"
#include "explorer/shellicons.h"
#include "explorer/shellqueries.h"
#include "platform/errors.h"

#include <QFile>
#include <QPalette>
#include <QScopeGuard>

#include <string_view>
#include <unordered_map>

namespace {
// Few removed runs are announced one by one (the view keeps its place
// exactly); past this, as one change of layout, which costs the same for
// any number of runs.
constexpr int MaxRemovalRuns = 16;

std::string_view keyOf(PidlView id)
{
    const QByteArrayView bytes = id.bytes();
    return {bytes.data(), std::size_t(bytes.size())};
}
}

// A merge with the folder as it is now, which may run over several turns of
// the event loop.
struct TSxListModel::RefreshRun {
    std::optional<TSxEnumIdList> list;
    std::unordered_map<std::string_view, TSxItemData*> byKey;
    std::vector<std::unique_ptr<TSxItemData>> added;
    bool filtering = false;
};

TSxListModel::TSxListModel(TSxItemDataList& items, QObject* parent) : QAbstractTableModel(parent), m_items(items)
{
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, guarded([this] { continueRefresh(); }));
}

TSxListModel::~TSxListModel() = default;

QString TSxListModel::caption(int column)
{
    switch (column) {
    case TSxListColumn::Name: return QStringLiteral("Name");
    case TSxListColumn::Size: return QStringLiteral("Size");
    case TSxListColumn::Type: return QStringLiteral("Type");
    case TSxListColumn::Modified: return QStringLiteral("Modified");
    case TSxListColumn::Attributes: return QStringLiteral("Attributes");
    default: return {};
    }
}

Qt::Alignment TSxListModel::alignment(int column)
{
    return (column == TSxListColumn::Size ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

int TSxListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_items.count(); }

int TSxListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : TSxListColumn::Count; }

QVariant TSxListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.count())
        return {};
    TSxItemData& record = m_items[index.row()];
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        if (column == TSxListColumn::Name) {
            m_items.resolveName(record);
            return record.DisplayName;
        }
        m_items.resolveDetails(record, column == TSxListColumn::Type ? TSxPending::Type : TSxPending::Details);
        return record.SubItems.value(column - 1);
    case Qt::DecorationRole:
        if (column != TSxListColumn::Name || !m_items.showImages())
            return {};
        m_items.resolveIcon(record);
        return TSxSystemImageList::instance().icon(record.ImageIndex);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(alignment(column));
    case Qt::ForegroundRole:
        if (record.Pending & TSxPending::Icon)
            m_items.resolveIcon(record);
        if (record.Compressed && m_compressedColor.isValid())
            return m_compressedColor;
        if (record.Hidden)
            return QPalette().color(QPalette::Disabled, QPalette::Text);
        return {};
    default:
        return {};
    }
}

QVariant TSxListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return caption(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignment(section));
    return {};
}

Qt::ItemFlags TSxListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

void TSxListModel::beginBatch()
{
    if (m_batch++ == 0)
        beginResetModel();
}

void TSxListModel::endBatch()
{
    if (--m_batch == 0)
        endResetModel();
}

void TSxListModel::appendRecords(std::vector<std::unique_ptr<TSxItemData>> records)
{
    if (records.empty())
        return;
    const int first = m_items.count();
    const bool notify = !inBatch();
    if (notify)
        beginInsertRows({}, first, first + int(records.size()) - 1);
    for (auto& record : records)
        m_items.append(std::move(record));
    if (notify)
        endInsertRows();
}

void TSxListModel::removeFlaggedRows(const std::vector<bool>& gone)
{
    auto& records = m_items.records();
    const int n = int(records.size());
    // Runs of removed rows, last first.
    std::vector<std::pair<int, int>> runs;
    for (int row = n - 1; row >= 0;) {
        if (!gone[std::size_t(row)]) {
            --row;
            continue;
        }
        const int last = row;
        while (row >= 0 && gone[std::size_t(row)])
            --row;
        runs.emplace_back(row + 1, last);
    }
    if (runs.empty())
        return;
    if (inBatch() || int(runs.size()) <= MaxRemovalRuns) {
        for (const auto& [first, last] : runs) {
            if (!inBatch())
                beginRemoveRows({}, first, last);
            records.erase(records.begin() + first, records.begin() + last + 1);
            if (!inBatch())
                endRemoveRows();
        }
        return;
    }
    Q_EMIT layoutAboutToBeChanged();
    std::vector<int> newRow(std::size_t(n), -1);
    int kept = 0;
    for (int row = 0; row < n; ++row) {
        if (!gone[std::size_t(row)]) {
            newRow[std::size_t(row)] = kept;
            records[std::size_t(kept++)] = std::move(records[std::size_t(row)]);
        }
    }
    records.resize(std::size_t(kept));
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        const int row = newRow[std::size_t(index.row())];
        after << (row < 0 ? QModelIndex() : createIndex(row, index.column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}

void TSxListModel::resort()
{
    if (inBatch()) {
        m_items.sort();
        return;
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    auto& records = m_items.records();
    const QModelIndexList before = persistentIndexList();
    std::unordered_map<const TSxItemData*, int> rowOf;
    rowOf.reserve(std::size_t(before.size()));
    for (const QModelIndex& index : before)
        rowOf.emplace(records[std::size_t(index.row())].get(), -1);
    std::vector<const TSxItemData*> recordOf;
    recordOf.reserve(std::size_t(before.size()));
    for (const QModelIndex& index : before)
        recordOf.push_back(records[std::size_t(index.row())].get());

    m_items.sort();

    if (!rowOf.empty()) {
        for (int row = 0; row < int(records.size()); ++row) {
            const auto found = rowOf.find(records[std::size_t(row)].get());
            if (found != rowOf.end())
                found->second = row;
        }
    }
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after << createIndex(rowOf[recordOf[std::size_t(i)]], before[i].column());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TSxListModel::rowsChanged(int first, int last)
{
    if (first > last || inBatch())
        return;
    Q_EMIT dataChanged(index(first, 0), index(last, TSxListColumn::Count - 1));
}

void TSxListModel::setFolder(TSxShellFolder::Ptr folder)
{
    cancelRefresh();
    m_items.setFolder(std::move(folder));
}

bool TSxListModel::MatchFilter(PidlView relativeId) const
{
    if (relativeId.lastIsFolder() && !m_contents.filterFolders)
        return true;
    return passesFilters(QFile::decodeName(relativeId.lastName().toByteArray()), m_contents.filters);
}

bool TSxListModel::keepsItem(PidlView relativeId, bool filtering) const
{
    if (filtering)
        return MatchFilter(relativeId);
    if (m_contents.includeSystem)
        return true;
    return folder()->isFileSystem() || !folder()->pathOf(relativeId).isEmpty();
}

bool TSxListModel::fill()
{
    cancelRefresh();
    beginBatch();
    auto batchDone = qScopeGuard([this] { endBatch(); });
    m_items.clear();
    if (!folder())
        return false;
    const bool filtering = folder()->isFileSystem() && !m_contents.filters.isEmpty();
    std::optional<TSxEnumIdList> list = folder()->enumObjects(m_contents.enumeration);
    if (!list)
        return false;
    while (TSxPidl item = list->next("SxExplorerListView: FillView")) {
        if (keepsItem(item, filtering))
            m_items.append(m_items.GetItemData(std::move(item)));
    }
    m_items.sort();
    return true;
}

void TSxListModel::refreshNow()
{
    cancelRefresh();
    if (!beginRefresh())
        return;
    stepRefresh(nullptr);
    finishRefresh();
}

void TSxListModel::refreshSoon()
{
    if (m_refresh) {
        m_refreshAgain = true; // the run under way may have read past the change
        return;
    }
    if (beginRefresh())
        continueRefresh();
}

void TSxListModel::continueRefresh()
{
    if (!m_refresh)
        return;
    QElapsedTimer slice;
    slice.start();
    if (!stepRefresh(&slice)) {
        m_refreshTimer.start();
        return;
    }
    finishRefresh();
    if (std::exchange(m_refreshAgain, false))
        refreshSoon();
}

void TSxListModel::cancelRefresh()
{
    m_refresh.reset();
    m_refreshTimer.stop();
    m_refreshAgain = false;
}

bool TSxListModel::beginRefresh()
{
    if (!folder())
        return false;
    auto run = std::make_unique<RefreshRun>();
    run->list = folder()->enumObjects(m_contents.enumeration);
    if (!run->list) {
        if (folder()->isFileSystem() && !IsDirectory(folder()->path()))
            Q_EMIT folderGone();
        return false;
    }
    run->filtering = folder()->isFileSystem() && !m_contents.filters.isEmpty();
    run->byKey.reserve(m_items.records().size());
    for (auto& record : m_items.records()) {
        record->Visited = false;
        run->byKey.emplace(keyOf(record->RelativeID), record.get());
    }
    m_refresh = std::move(run);
    return true;
}

bool TSxListModel::stepRefresh(const QElapsedTimer* slice)
{
    RefreshRun& run = *m_refresh;
    int sinceCheck = 0;
    while (PIDL raw = run.list->nextRaw()) {
        const auto found = run.byKey.find(keyOf(PidlView(raw)));
        if (found != run.byKey.end()) {
            found->second->Visited = true;
            ItemIdAllocator::free(raw);
        } else {
            TSxPidl item = TSxPidl::adopt(raw, "TSxExplorerListView: RefreshView");
            if (keepsItem(item, run.filtering))
                run.added.push_back(m_items.GetItemData(std::move(item)));
        }
        if (slice && ++sinceCheck == 256) {
            sinceCheck = 0;
            if (slice->elapsed() >= m_refreshSliceMs)
                return false;
        }
    }
    return true;
}

void TSxListModel::finishRefresh()
{
    const std::unique_ptr<RefreshRun> run = std::move(m_refresh);
    const auto& records = m_items.records();
    std::vector<bool> gone(records.size(), false);
    bool removed = false;
    for (std::size_t row = 0; row < records.size(); ++row) {
        if (!records[row]->Visited) {
            gone[row] = true;
            removed = true;
        }
    }
    if (!removed && run->added.empty())
        return;
    if (removed) {
        Q_EMIT rowsGoing(gone);
        removeFlaggedRows(gone);
    }
    appendRecords(std::move(run->added));
    Q_EMIT refreshed();
}
