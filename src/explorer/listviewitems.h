#pragma once

#include "explorer/listviewformat.h"
#include "explorer/pidlmanager.h"
#include "explorer/shellfolder.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// What of a record is still to be read from the file system.
namespace TSxPending {
enum : quint8 {
    Name = 1,
    Icon = 2,
    Details = 4, // size, modification time, attributes
    Type = 8,    // the type name, read apart: sorting by size or time needs none
    Keys = 16,   // the size and time values alone, what sorting needs
    All = Name | Icon | Details | Type | Keys,
};
}

enum class TSxSortDirection { sdAsc, sdDesc };

// The file list's columns, in order.
namespace TSxListColumn {
enum : int { Name = 0, Size = 1, Type = 2, Modified = 3, Attributes = 4, Count = 5 };
}

// One item of the shown folder. A new record knows only its identifiers and
// whether it is a folder; name, icon and column texts are read when its row
// is first shown.
struct TSxItemData {
    QString DisplayName;
    int ImageIndex = -1;      // into TSxSystemImageList
    qint8 OverlayIndex = -1;  // -1 none, 0 shared, 1 link
    quint8 IsFile = 1;        // 0 for a folder
    quint8 Pending = TSxPending::All;
    bool Compressed = false;  // stored compressed by the file system
    bool Hidden = false;      // drawn dimmed
    bool Visited = false;     // found again by the refresh under way
    QStringList SubItems;     // the texts of columns 1 and up
    qint64 Size = 0;          // kilobytes or bytes (size style); 0 for folders
    qint64 ModifiedDate = 0;  // ms since the epoch; 0 unknown
    TSxPidl RelativeID;
    TSxPidl AbsoluteID;

    // The item's file-system path; empty when it has none.
    QString FullPath() const;
};

// The records of the shown folder, row i showing record i, with the sort
// order and the reading of what records still lack.
class TSxItemDataList {
public:
    int count() const { return int(m_records.size()); }
    TSxItemData& operator[](int index) { return *m_records[std::size_t(index)]; }
    const TSxItemData& operator[](int index) const { return *m_records[std::size_t(index)]; }
    TSxItemData& at(int index) { return (*this)[index]; }

    std::vector<std::unique_ptr<TSxItemData>>& records() { return m_records; }
    void clear() { m_records.clear(); }
    void append(std::unique_ptr<TSxItemData> record) { m_records.push_back(std::move(record)); }

    // The folder whose items these are (null while none is shown).
    const TSxShellFolder::Ptr& folder() const { return m_folder; }
    void setFolder(TSxShellFolder::Ptr folder) { m_folder = std::move(folder); }

    TSxSizeStyle sizeStyle() const { return m_sizeStyle; }
    void setSizeStyle(TSxSizeStyle style) { m_sizeStyle = style; }
    // While set, files keep a generic icon (the scroll box is being dragged).
    void setGenericIconsOnly(bool generic) { m_genericIconsOnly = generic; }
    bool showImages() const { return m_showImages; }
    void setShowImages(bool show) { m_showImages = show; }

    // Fills what a record lacks. resolveDetails reads the parts asked for
    // (Details, Type) that are pending and answers whether a column text
    // changed.
    void resolveName(TSxItemData& record) const;
    bool resolveDetails(TSxItemData& record, quint8 parts = TSxPending::Details | TSxPending::Type) const;
    void resolveIcon(TSxItemData& record) const;
    void resolveAllNames();
    void resolveAllDetails(quint8 parts = TSxPending::Details | TSxPending::Type);
    // The Size and ModifiedDate values of every record that lacks them,
    // one status query each.
    void resolveAllKeys();

    int SortColumn = TSxListColumn::Name;
    TSxSortDirection SortDirection = TSxSortDirection::sdAsc;

    // Order of two records by the sort column and direction: < 0, 0, > 0.
    // Reads their names when the name column cannot tell them apart.
    int compare(TSxItemData& a, TSxItemData& b) const;
    // Sorts the records; before a sort on another column than the name,
    // reads what that column shows of every record.
    void sort();

    // Sum of the Size fields (reads the sizes still unknown).
    qint64 totalSize();

    // Creates a record for an item of the folder: takes over its relative
    // identifier and registers the absolute one. Names, icons and details
    // are left pending; a folder item is bound as a folder only when it is
    // opened.
    std::unique_ptr<TSxItemData> GetItemData(TSxPidl relativeId) const;

private:
    int compareNames(TSxItemData& a, TSxItemData& b) const;

    std::vector<std::unique_ptr<TSxItemData>> m_records;
    TSxShellFolder::Ptr m_folder;
    TSxSizeStyle m_sizeStyle = TSxSizeStyle::ssAbbreviated;
    bool m_genericIconsOnly = false;
    bool m_showImages = true;
};
