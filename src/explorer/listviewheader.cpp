#include "explorer/listviewheader.h"

#include "widgets/frame3d.h"

#include <QPainter>

namespace {
constexpr int CaptionLeft = 6;
constexpr int CaptionMargin = 2;
constexpr int SortMarkSpace = 15;
}

TSxListHeader::TSxListHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setSectionsMovable(false);
    setStretchLastSection(false);
    setHighlightSections(false);
    setSortIndicatorShown(false); // drawn here, not by the style
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

QRect TSxListHeader::sortMarkRect(const QRect& section)
{
    if (section.width() <= SortMarkSpace)
        return {};
    return QRect(QPoint(section.right() - 14, section.top() + 5), QPoint(section.right() - 4, section.bottom() - 7));
}

void TSxListHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!rect.isValid())
        return;
    painter->save();
    const QPalette& pal = palette();
    painter->fillRect(rect, pal.button());
    // A raised edge, as a push button has.
    drawFrame3D(*painter, rect, pal.color(QPalette::Light), pal.color(QPalette::Dark));

    const bool sortColumn = logicalIndex == sortIndicatorSection();
    QRect text = rect.adjusted(CaptionLeft, CaptionMargin, -CaptionLeft, -CaptionMargin);
    if (sortColumn)
        text.setRight(text.right() - SortMarkSpace);
    const QString caption = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const QVariant align = model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole) : QVariant();
    const Qt::Alignment alignment =
        align.isValid() ? Qt::Alignment(align.toInt()) : Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter);
    painter->setPen(pal.color(QPalette::ButtonText));
    painter->setFont(font());
    if (text.width() > 0)
        painter->drawText(text, int(alignment),
                          painter->fontMetrics().elidedText(caption, Qt::ElideRight, text.width()));

    const QRect mark = sortColumn ? sortMarkRect(rect) : QRect();
    if (mark.isValid()) {
        const QPoint left = mark.bottomLeft(), right = mark.bottomRight();
        const QPoint apexUp(mark.center().x(), mark.top());
        const QPoint topLeft = mark.topLeft(), topRight = mark.topRight();
        const QPoint apexDown(mark.center().x(), mark.bottom());
        if (sortIndicatorOrder() == Qt::AscendingOrder) {
            painter->setPen(pal.color(QPalette::Light));
            painter->drawLine(left, right);
            painter->drawLine(right, apexUp);
            painter->setPen(pal.color(QPalette::Dark));
            painter->drawLine(apexUp, left);
        } else {
            painter->setPen(pal.color(QPalette::Mid));
            painter->drawLine(topLeft, topRight);
            painter->setPen(pal.color(QPalette::Light));
            painter->drawLine(topRight, apexDown);
            painter->setPen(pal.color(QPalette::Dark));
            painter->drawLine(apexDown, topLeft);
        }
    }
    painter->restore();
}
