#pragma once

#include "explorer/listviewitems.h"

#include <QAbstractTableModel>
#include <QColor>

#include <vector>

// The file list's rows as Qt sees them: row i is record i of the item list.
// Nothing is kept per row here; a record's name, icon and texts are read
// the first time the view asks for them, so only shown rows are read.
class TSxListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TSxListModel(TSxItemDataList& items, QObject* parent = nullptr);

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

private:
    TSxItemDataList& m_items;
    int m_batch = 0;
    QColor m_compressedColor;
};
