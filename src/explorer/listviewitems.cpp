#include "explorer/listviewitems.h"

#include "explorer/shellicons.h"
#include "explorer/shellqueries.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int sign(qint64 v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// The name-column comparison counts by its low 8 bits, read as signed.
int low8(int v) { return int(qint8(quint8(v & 0xFF))); }

int genericFileIcon()
{
    static const int index = genericIconIndex(QStringLiteral("TTTTTTT.TTT"));
    return index;
}

}

QString TSxItemData::FullPath() const { return pathFromIdList(AbsoluteID); }

std::unique_ptr<TSxItemData> TSxItemDataList::GetItemData(TSxPidl relativeId) const
{
    auto record = std::make_unique<TSxItemData>();
    record->IsFile = relativeId.view().lastIsFolder() ? 0 : 1;
    if (m_folder)
        record->AbsoluteID = TSxPidl::combine(m_folder->absoluteId(), relativeId, "SxExplorerListView: GetItemData");
    record->RelativeID = std::move(relativeId);
    return record;
}

void TSxItemDataList::resolveName(TSxItemData& record) const
{
    if (!(record.Pending & TSxPending::Name) || !m_folder)
        return;
    record.DisplayName = m_folder->displayNameOf(record.RelativeID);
    record.Pending &= ~TSxPending::Name;
}

bool TSxItemDataList::resolveDetails(TSxItemData& record, quint8 parts) const
{
    parts &= record.Pending & (TSxPending::Details | TSxPending::Type);
    if (!parts || !m_folder)
        return false;
    record.Pending &= ~parts;
    QStringList texts = record.SubItems;
    texts.resize(TSxListColumn::Count - 1);
    if (parts & TSxPending::Details) {
        qint64 size = 0;
        qint64 modified = 0;
        texts[TSxListColumn::Size - 1].clear();
        texts[TSxListColumn::Modified - 1].clear();
        texts[TSxListColumn::Attributes - 1].clear();
        // An item gone from the disk keeps empty texts until the refresh
        // that removes its row.
        if (const std::optional<TSxFindData> data = m_folder->findData(record.RelativeID)) {
            if (data->isRegularFile && record.IsFile) {
                size = sizeValue(data->size, m_sizeStyle);
                texts[TSxListColumn::Size - 1] = sizeText(data->size, m_sizeStyle);
            }
            texts[TSxListColumn::Modified - 1] = modifiedText(data->lastWriteMSecs);
            if (!texts[TSxListColumn::Modified - 1].isEmpty())
                modified = data->lastWriteMSecs;
            texts[TSxListColumn::Attributes - 1] = attributeText(*data);
            record.Hidden = record.Hidden || data->hidden;
        }
        record.Size = size;
        record.ModifiedDate = modified;
        record.Pending &= ~TSxPending::Keys;
    }
    if (parts & TSxPending::Type)
        texts[TSxListColumn::Type - 1] = TypeName(record.AbsoluteID);
    if (texts == record.SubItems)
        return false;
    record.SubItems = std::move(texts);
    return true;
}

void TSxItemDataList::resolveIcon(TSxItemData& record) const
{
    if (!(record.Pending & TSxPending::Icon) || !m_folder || !m_showImages)
        return;
    if (!record.IsFile) {
        record.ImageIndex = SmallIconIndex(record.AbsoluteID, false);
    } else {
        record.ImageIndex = genericFileIcon();
        if (m_genericIconsOnly)
            return; // stays pending: the real icon comes once scrolling ends
        record.ImageIndex = SmallIconIndex(record.AbsoluteID, false);
    }
    const TSxAttributes attributes = m_folder->attributesOf(
        record.RelativeID, TSxAttr::Link | TSxAttr::Share | TSxAttr::Hidden | TSxAttr::Compressed);
    record.OverlayIndex = -1;
    if (attributes & TSxAttr::Link)
        record.OverlayIndex = 1;
    if (attributes & TSxAttr::Share)
        record.OverlayIndex = 0;
    record.Hidden = (attributes & TSxAttr::Hidden) != 0;
    // Read here rather than with the name: it opens the file, and names are
    // read for every row by the type-ahead find.
    record.Compressed = (attributes & TSxAttr::Compressed) && m_folder->isFileSystem();
    record.Pending &= ~TSxPending::Icon;
}

void TSxItemDataList::resolveAllNames()
{
    for (auto& record : m_records)
        resolveName(*record);
}

void TSxItemDataList::resolveAllKeys()
{
    if (!m_folder)
        return;
    // Relative to the open folder: no path to build per item.
    const int dir = m_folder->isFileSystem()
                        ? ::open(m_folder->nativePath().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                        : -1;
    char name[NAME_MAX + 1];
    for (auto& record : m_records) {
        if (!(record->Pending & TSxPending::Keys))
            continue;
        const PidlView id = record->RelativeID;
        const QByteArrayView element = id.lastName();
        if (dir < 0 || id.count() != 1 || element.size() > NAME_MAX) {
            resolveDetails(*record, TSxPending::Details);
            continue;
        }
        std::memcpy(name, element.data(), std::size_t(element.size()));
        name[element.size()] = '\0';
        // As the details see it: a link by what it leads to, a link to
        // nothing by itself.
        struct stat st {};
        const bool found = ::fstatat(dir, name, &st, 0) == 0 || ::fstatat(dir, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
        record->Size = found && S_ISREG(st.st_mode) && record->IsFile ? sizeValue(st.st_size, m_sizeStyle) : 0;
        record->ModifiedDate = found ? qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000 : 0;
        record->Pending &= ~TSxPending::Keys;
    }
    if (dir >= 0)
        ::close(dir);
}

void TSxItemDataList::resolveAllDetails(quint8 parts)
{
    for (auto& record : m_records)
        resolveDetails(*record, parts);
}

int TSxItemDataList::compareNames(TSxItemData& a, TSxItemData& b) const
{
    int result = m_folder ? low8(m_folder->compareIDs(a.RelativeID, b.RelativeID)) : 0;
    if (result == 0) {
        resolveName(a);
        resolveName(b);
        result = sign(QString::localeAwareCompare(a.DisplayName, b.DisplayName));
    }
    return result;
}

int TSxItemDataList::compare(TSxItemData& a, TSxItemData& b) const
{
    const bool descending = SortDirection == TSxSortDirection::sdDesc;
    int result = 0;
    if (SortColumn == TSxListColumn::Name) {
        result = compareNames(a, b);
        return descending ? -result : result;
    }
    // Folders first, then the column's own order.
    result = int(a.IsFile) - int(b.IsFile);
    if (result == 0) {
        switch (SortColumn) {
        case TSxListColumn::Size:
            result = sign(a.Size - b.Size);
            break;
        case TSxListColumn::Modified:
            result = sign(a.ModifiedDate - b.ModifiedDate);
            break;
        default: {
            const QString& ta = a.SubItems.value(SortColumn - 1);
            const QString& tb = b.SubItems.value(SortColumn - 1);
            result = ta == tb ? 0 : sign(QString::localeAwareCompare(ta, tb));
            break;
        }
        }
    }
    if (descending)
        result = -result;
    if (result == 0) {
        result = compareNames(a, b);
        if (descending)
            result = -result;
    }
    return result;
}

void TSxItemDataList::sort()
{
    switch (SortColumn) {
    case TSxListColumn::Name: break;
    case TSxListColumn::Size:
    case TSxListColumn::Modified: resolveAllKeys(); break;
    case TSxListColumn::Type: resolveAllDetails(TSxPending::Type); break;
    default: resolveAllDetails(TSxPending::Details); break;
    }
    std::sort(m_records.begin(), m_records.end(),
              [this](const std::unique_ptr<TSxItemData>& a, const std::unique_ptr<TSxItemData>& b) {
                  return compare(*a, *b) < 0;
              });
}

qint64 TSxItemDataList::totalSize()
{
    qint64 total = 0;
    resolveAllKeys();
    for (auto& record : m_records) {
        total += record->Size;
    }
    return total;
}
