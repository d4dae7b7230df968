#pragma once

#include "explorer/columnwidths.h"
#include "explorer/explorerlinks.h"
#include "explorer/listviewitems.h"
#include "explorer/listviewmodel.h"
#include "explorer/reportqueue.h"
#include "explorer/shellqueries.h"
#include "explorer/viewlook.h"
#include "platform/colors.h"
#include "platform/tfont.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>
#include <QTreeView>

#include <array>
#include <memory>
#include <optional>

class QMimeData;
class TSxFileNotifier;
class TSxShellChangeEvents;
class TSxThreadFileNotifier;

// The explorer's file list: the items of one folder in five columns (name,
// size, type, modification time, attributes). Rows are read only when shown;
// the folder is watched and the rows follow its changes. A double click or
// Enter raises DblClick (the main window opens the file), then a folder row
// is entered, through the folder tree when one is linked.
// With hot tracking (on by default), the row under the pointer is underlined
// and selected after a pause.
class TSxExplorerListView : public QTreeView, public ExplorerListLink, public TSxLookProperties {
    Q_OBJECT
    Q_PROPERTY(int Color READ color WRITE setColor)
    Q_PROPERTY(TFont* Font READ fontObject WRITE setFontObject)
    Q_PROPERTY(int CompressedColor READ compressedColor WRITE setCompressedColor)
    Q_PROPERTY(bool HotTrack READ hotTrack WRITE setHotTrack)
    Q_PROPERTY(QString Directory READ Directory WRITE setDirectory)
    Q_PROPERTY(QStringList Filters READ Filters WRITE setFilters)

public:
    // What the list shows of a folder.
    enum FolderType { ftFolders = 1, ftNonFolders = 2, ftIncludeHidden = 4, ftIncludeSystem = 8 };
    Q_DECLARE_FLAGS(FolderTypes, FolderType)
    enum FilterOption { foFilterFolders = 1 };
    Q_DECLARE_FLAGS(FilterOptions, FilterOption)

    // The widths the columns start with (columnwidths.h keeps them between
    // runs).
    static constexpr TSxColumnWidths::Widths DefaultWidths = TSxColumnWidths::Defaults;

    // Pause before the row under a resting pointer is selected.
    static constexpr int HoverSelectMs = 400;

    explicit TSxExplorerListView(QWidget* parent = nullptr);
    ~TSxExplorerListView() override;

    // The link to the folder tree (ExplorerListLink).
    void SetFolderandPIDL(TSxShellFolder::Ptr folder, PidlView absoluteId) override;
    void ClearView(bool clearRows) override;
    void treeDetached() override;
    void setTreeView(ExplorerTreeLink* tree);
    ExplorerTreeLink* treeView() const { return m_tree; }

    // The shown folder's path; writing shows the folder of a path (through
    // the tree when one is linked). A path that names no folder empties the
    // list.
    QString Directory() const;
    void setDirectory(const QString& path);

    // Reads the shown folder's items again from scratch.
    void FillView();
    // Merges the folder's items as they are now: rows of vanished items go,
    // new items are appended at the end. (A change reported by the watcher
    // does the same in slices, so that a huge folder does not hold the
    // user-interface thread.)
    void RefreshView();
    bool isRefreshing() const { return m_model->isRefreshing(); }
    // How long one slice of such a refresh may read (at least 256 items).
    void setRefreshSliceMs(int ms) { m_model->setRefreshSliceMs(ms); }
    // Column texts are read again; shown rows at once.
    void RefreshDetails();

    TSxItemDataList& ItemDataList() { return m_items; }
    const TSxShellFolder::Ptr& folder() const { return m_model->folder(); }
    PidlView folderId() const { return m_folderId.view(); }
    // Whether a filtered list keeps an item of the shown folder.
    bool MatchFilter(PidlView relativeId) const { return m_model->MatchFilter(relativeId); }

    // The selected row, or -1.
    int selectedIndex() const;
    void selectRow(int row);
    // Sum of the rows' sizes (kilobytes or bytes, by size style).
    qint64 TotalSize();

    // Type-ahead: the first row from start on (then from the top when wrap
    // is set) whose name begins with text, letter case aside; -1 for none.
    int FindItem(const QString& text, int start, bool wrap);
    // Each column as wide as its widest text (Ctrl + keypad plus).
    void sizeColumnsToContents();
    std::array<int, TSxListColumn::Count> columnWidths() const;

    // What a drag of the selected rows carries (null without a selection).
    QMimeData* dragData() const;
    // After the selected items were moved away by a drop: their rows go.
    void removeVanishedSelectedRows();

    int SortColumn() const { return m_items.SortColumn; }
    // A new column sorts by it; the same column again flips the direction.
    void setSortColumn(int column);
    TSxSortDirection SortDirection() const { return m_items.SortDirection; }
    void setSortDirection(TSxSortDirection direction);

    TSxSizeStyle SizeStyle() const { return m_items.sizeStyle(); }
    void setSizeStyle(TSxSizeStyle style);
    FolderTypes folderTypes() const { return m_folderTypes; }
    void setFolderTypes(FolderTypes types);
    QStringList Filters() const { return m_filters; }
    void setFilters(const QStringList& filters);
    FilterOptions filterOptions() const { return m_filterOptions; }
    void setFilterOptions(FilterOptions options);
    bool ShowImages() const { return m_items.showImages(); }
    void setShowImages(bool show);
    bool FastScroll() const { return m_fastScroll; }
    void setFastScroll(bool fast) { m_fastScroll = fast; }
    int hotRow() const { return m_hotRow; }

    TSxThreadFileNotifier& fileWatcher() const { return *m_watcher; }
    // The namespace notifier (volume changes), made once the drives folder
    // is shown; null before.
    TSxFileNotifier* shellNotifier() const { return m_shellNotifier; }

    // Rows from first to last shown in the viewport (first > last when none).
    std::pair<int, int> visibleRows() const;

Q_SIGNALS:
    // A double click in the list or Enter, before the list's own work.
    void DblClick();
    // A column header was clicked (before the list sorts by it).
    void ColumnClick(int column);
    // After a fill and after a refresh that changed the rows.
    void OnTotalSizeChange();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void keyboardSearch(const QString& search) override;

private:
    void raiseDoubleClick();
    void doubleClickWork();
    void showFolder(const TSxShellFolder::Ptr& folder, PidlView absoluteId);
    void fileChanged(const QString& path, TSxNotifyFilters filters);
    // The shown folder was deleted or renamed away while shown.
    void folderLeftItsPath();
    // After it went: shows what bears its path now, or the nearest folder
    // above that exists.
    void followShownPath();
    void shellChanged(const TSxShellChangeEvents& events, PidlView first, PidlView second);
    void applyContents();
    void unselectGoneRows(const std::vector<bool>& gone);
    void setHotRow(int row);
    void hoverSelect();
    void scrollBoxReleased();
    void followLook();
    void readColumnWidths();
    void writeColumnWidths();
    void refillIfShown();
    void updateSortMark();

    TSxItemDataList m_items;
    TSxListModel* m_model = nullptr;
    TSxPidl m_folderId;
    QString m_watchedPath;
    TSxFileIdentity m_watchedFolder;
    QTimer m_vanishedTimer;
    bool m_fileSystemFolder = false;
    bool m_drivesFolder = false;
    ExplorerTreeLink* m_tree = nullptr;
    TSxThreadFileNotifier* m_watcher = nullptr;
    TSxFileNotifier* m_shellNotifier = nullptr;

    FolderTypes m_folderTypes = FolderTypes(ftFolders | ftNonFolders);
    QStringList m_filters;
    FilterOptions m_filterOptions;
    bool m_fastScroll = true;
    int m_hotRow = -1;
    QTimer m_hoverTimer;

    QString m_typed;
    QElapsedTimer m_typedAt;
    TSxColumnWidths::Widths m_savedWidths{};
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TSxExplorerListView::FolderTypes)
Q_DECLARE_OPERATORS_FOR_FLAGS(TSxExplorerListView::FilterOptions)
