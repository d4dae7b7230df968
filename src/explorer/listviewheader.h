#pragma once

#include <QHeaderView>

// The file list's column header: each item drawn on the button face with
// its caption 6 pixels in, and, in the sort column, a small sunken triangle
// pointing up (ascending) or down (descending) at its right end.
class TSxListHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit TSxListHeader(QWidget* parent = nullptr);

    // Where the sort mark of a section as wide as rect goes (empty when the
    // section is too narrow for one).
    static QRect sortMarkRect(const QRect& section);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
};
