#pragma once

#include "explorer/listviewitems.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <vector>

// What the file list shows of a folder.
struct TSxListContents {
    quint32 enumeration = 0;    // ShellContents flags
    bool includeSystem = false; // items without a file-system path too
    QStringList filters;        // name masks; "-" before a mask excludes
    bool filterFolders = false; // the masks apply to folders too
};

// The file list's rows as Qt sees them: row i is record i of the item list.
// Nothing is kept per row here; a record's name, icon and texts are read
// the first time the view asks for them, so only shown rows are read. The
// model reads its folder whole (fill) and merges the folder as it is now
// (refresh), either at once or in slices over turns of the event loop, so
// that a huge folder does not hold the user-interface thread.
class TSxListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // A refresh reads the folder in turns of the event loop this long at
    // most (and at least 256 items a turn).
    static constexpr int RefreshSliceMs = 20;

    explicit TSxListModel(TSxItemDataList& items, QObject* parent = nullptr);
    ~TSxListModel() override;

    static QString caption(int column);
    static Qt::Alignment alignment(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    TSxItemDataList& items() { return m_items; }

    // Wraps changes that replace every row (nested calls count).
    void beginBatch();
    void endBatch();
    bool inBatch() const { return m_batch > 0; }

    // Appends records as new rows at the end.
    void appendRecords(std::vector<std::unique_ptr<TSxItemData>> records);
    // Removes the rows whose flag is set (one entry per row).
    void removeFlaggedRows(const std::vector<bool>& gone);
    // Sorts by the list's sort column and direction; selected and current
    // rows follow their records.
    void resort();
    // The rows' texts or icons changed.
    void rowsChanged(int first, int last);

    QColor compressedColor() const { return m_compressedColor; }
    void setCompressedColor(const QColor& color) { m_compressedColor = color; }

    // The folder the rows list (null: none; a refresh under way stops).
    void setFolder(TSxShellFolder::Ptr folder);
    const TSxShellFolder::Ptr& folder() const { return m_items.folder(); }
    void setContents(const TSxListContents& contents) { m_contents = contents; }
    const TSxListContents& contents() const { return m_contents; }
    // Whether a filtered list keeps an item of the folder.
    bool MatchFilter(PidlView relativeId) const;

    // Reads the folder's items again from scratch, sorted. False when there
    // is no folder or it cannot be read (the rows are then empty).
    bool fill();
    // Merges the folder's items as they are now: rows of vanished items go,
    // new items are appended at the end.
    void refreshNow();
    // The same in slices; a change while one runs makes it run again.
    void refreshSoon();
    void cancelRefresh();
    bool isRefreshing() const { return m_refresh != nullptr; }
    void setRefreshSliceMs(int ms) { m_refreshSliceMs = ms; }

Q_SIGNALS:
    // Rows flagged in gone are about to be removed (one entry per row).
    void rowsGoing(const std::vector<bool>& gone);
    // A refresh came or removed rows.
    void refreshed();
    // A refresh found the folder itself gone.
    void folderGone();

private:
    struct RefreshRun;
    bool keepsItem(PidlView relativeId, bool filtering) const;
    bool beginRefresh();
    void continueRefresh();
    // Reads on until the folder is read (true) or the slice is used up.
    bool stepRefresh(const QElapsedTimer* slice);
    void finishRefresh();

    TSxItemDataList& m_items;
    int m_batch = 0;
    QColor m_compressedColor;
    TSxListContents m_contents;
    std::unique_ptr<RefreshRun> m_refresh;
    bool m_refreshAgain = false;
    int m_refreshSliceMs = RefreshSliceMs;
    QTimer m_refreshTimer;
};
