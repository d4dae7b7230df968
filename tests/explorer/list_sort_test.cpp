#include "explorer/list_fixture.h"

#include "explorer/listviewheader.h"

#include <QDateTime>
#include <QFile>
#include <QHeaderView>

#include <sys/time.h>

namespace {

void setModified(const QString& path, int daysAgo)
{
    const qint64 secs = QDateTime::currentDateTime().addDays(-daysAgo).toSecsSinceEpoch();
    const timeval times[2] = {{time_t(secs), 0}, {time_t(secs), 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(path).constData(), times), 0);
}

// Two folders and four files of known sizes, types and ages.
class ListSortTest : public ListTest {
protected:
    void SetUp() override
    {
        ListTest::SetUp();
        tree.mkdir("dirA");
        tree.mkdir("dirB");
        tree.write("a.txt", QByteArray(3000, 'a')); // 3KB
        tree.write("b.log", QByteArray(10, 'b'));   // 1KB
        tree.write("c.txt");                         // 1KB
        QFile big(tree.path("d.bin"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(qint64(5) << 30)); // past 32 bits, sparse
        big.close();
        setModified(tree.path("a.txt"), 1);
        setModified(tree.path("b.log"), 3);
        setModified(tree.path("c.txt"), 2);
        setModified(tree.path("d.bin"), 4);
        show();
    }

    void clickHeader(int column)
    {
        const int x = list->header()->sectionViewportPosition(column) + 10;
        QTest::mouseClick(list->header()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
    }
};

}

TEST_F(ListSortTest, ByNameFoldersFirstThenTheDirectionFlips)
{
    EXPECT_EQ(list->SortColumn(), TSxListColumn::Name);
    EXPECT_EQ(list->SortDirection(), TSxSortDirection::sdAsc);
    EXPECT_EQ(names(), (QStringList{"dirA", "dirB", "a.txt", "b.log", "c.txt", "d.bin"}));
    EXPECT_EQ(list->header()->sortIndicatorSection(), TSxListColumn::Name);
    EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::AscendingOrder);

    QSignalSpy columnClicks(list.get(), &TSxExplorerListView::ColumnClick);
    clickHeader(TSxListColumn::Name);
    EXPECT_EQ(columnClicks.count(), 1);
    EXPECT_EQ(columnClicks.at(0).at(0).toInt(), TSxListColumn::Name);
    EXPECT_EQ(list->SortDirection(), TSxSortDirection::sdDesc);
    EXPECT_EQ(names(), (QStringList{"d.bin", "c.txt", "b.log", "a.txt", "dirB", "dirA"}));
    EXPECT_EQ(list->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    clickHeader(TSxListColumn::Name);
    EXPECT_EQ(names(), (QStringList{"dirA", "dirB", "a.txt", "b.log", "c.txt", "d.bin"}));
}

TEST_F(ListSortTest, BySizeFoldersFirstAscendingLastDescending)
{
    clickHeader(TSxListColumn::Size);
    EXPECT_EQ(list->SortColumn(), TSxListColumn::Size);
    EXPECT_EQ(list->header()->sortIndicatorSection(), TSxListColumn::Size);
    // Equal kilobytes fall back to the names.
    EXPECT_EQ(names(), (QStringList{"dirA", "dirB", "b.log", "c.txt", "a.txt", "d.bin"}));
    clickHeader(TSxListColumn::Size);
    EXPECT_EQ(list->SortDirection(), TSxSortDirection::sdDesc);
    EXPECT_EQ(names(), (QStringList{"d.bin", "a.txt", "c.txt", "b.log", "dirB", "dirA"}));
}

TEST_F(ListSortTest, AnotherColumnKeepsTheDirectionThatStands)
{
    clickHeader(TSxListColumn::Name); // descending now
    clickHeader(TSxListColumn::Modified);
    EXPECT_EQ(list->SortDirection(), TSxSortDirection::sdDesc);
    // Newest file first, folders last.
    EXPECT_EQ(names(), (QStringList{"a.txt", "c.txt", "b.log", "d.bin", "dirB", "dirA"}));
    clickHeader(TSxListColumn::Modified);
    EXPECT_EQ(names(), (QStringList{"dirA", "dirB", "d.bin", "b.log", "c.txt", "a.txt"}));
}

TEST_F(ListSortTest, ByTypeAndAttributesText)
{
    tree.chmod("c.txt", 0444);
    list->RefreshDetails();
    list->setSortColumn(TSxListColumn::Attributes);
    // Folders, then the files with no letters by name, then "R".
    EXPECT_EQ(names(), (QStringList{"dirA", "dirB", "a.txt", "b.log", "d.bin", "c.txt"}));
    list->setSortColumn(TSxListColumn::Type);
    const QStringList sorted = names();
    EXPECT_EQ(sorted.mid(0, 2), (QStringList{"dirA", "dirB"}));
    // The two text files share their type and stand together, by name.
    EXPECT_EQ(sorted.indexOf("c.txt"), sorted.indexOf("a.txt") + 1);
    for (int row = 3; row < rows(); ++row)
        EXPECT_LE(QString::localeAwareCompare(cell(row - 1, TSxListColumn::Type), cell(row, TSxListColumn::Type)), 0);
}

TEST_F(ListSortTest, SelectionAndCurrentRowFollowTheirItem)
{
    list->selectRow(rowOf("b.log"));
    ASSERT_EQ(list->selectedIndex(), 3);
    list->setSortColumn(TSxListColumn::Name); // flips
    EXPECT_EQ(names().at(list->selectedIndex()), QStringLiteral("b.log"));
    EXPECT_EQ(list->currentIndex().row(), list->selectedIndex());
    list->setSortColumn(TSxListColumn::Size);
    EXPECT_EQ(names().at(list->selectedIndex()), QStringLiteral("b.log"));
    EXPECT_EQ(list->selectionModel()->selectedRows().size(), 1);
}

TEST_F(ListSortTest, TheSortMarkSitsAtTheRightOfTheSortColumn)
{
    const QRect mark = TSxListHeader::sortMarkRect(QRect(0, 0, 100, 20));
    EXPECT_EQ(mark.left(), 85);
    EXPECT_EQ(mark.right(), 95);
    EXPECT_EQ(mark.top(), 5);
    EXPECT_EQ(mark.bottom(), 12);
    EXPECT_TRUE(TSxListHeader::sortMarkRect(QRect(0, 0, 15, 20)).isEmpty());

    // Drawn in the sort column only, up when ascending, down when not.
    const auto markPixels = [&](int column) {
        const QImage image = list->header()->grab().toImage();
        const int left = list->header()->sectionViewportPosition(column);
        const QRect at = TSxListHeader::sortMarkRect(
            QRect(left, 0, list->header()->sectionSize(column), list->header()->height()));
        QImage shape(at.size(), QImage::Format_ARGB32);
        for (int y = 0; y < at.height(); ++y)
            for (int x = 0; x < at.width(); ++x)
                shape.setPixel(x, y, image.pixel(at.left() + x, at.top() + y));
        return shape;
    };
    const QImage nameUp = markPixels(TSxListColumn::Name);
    const QImage typeBlank = markPixels(TSxListColumn::Type);
    EXPECT_NE(nameUp, typeBlank);
    list->setSortColumn(TSxListColumn::Name);
    const QImage nameDown = markPixels(TSxListColumn::Name);
    EXPECT_NE(nameDown, nameUp);
    EXPECT_NE(nameDown, typeBlank);
}
