#include "explorer/list_fixture.h"

#include "explorer/listviewformat.h"

#include <QDateTime>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>

#include <sys/stat.h>
#include <sys/time.h>

namespace {

void setModified(const QString& path, const QDateTime& when)
{
    const qint64 secs = when.toSecsSinceEpoch();
    const timeval times[2] = {{time_t(secs), 0}, {time_t(secs), 0}};
    ASSERT_EQ(::lutimes(QFile::encodeName(path).constData(), times), 0);
}

void writeSized(const TempTree& tree, const QString& name, qint64 size)
{
    QFile file(tree.path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(file.resize(size)); // sparse: no disk space for big sizes
}

}

TEST(ListFormat, SizesRoundToTheNearestKilobyteHalvesToEven)
{
    const UsLocale locale;
    EXPECT_EQ(kilobytesOf(0), 1);
    EXPECT_EQ(kilobytesOf(1), 1);
    EXPECT_EQ(kilobytesOf(511), 1);
    EXPECT_EQ(kilobytesOf(1536), 2);
    EXPECT_EQ(kilobytesOf(2560), 2);
    EXPECT_EQ(kilobytesOf(2561), 3);
    EXPECT_EQ(kilobytesOf(3584), 4);
    EXPECT_EQ(sizeText(0, TSxSizeStyle::ssAbbreviated), QStringLiteral("1KB"));
    EXPECT_EQ(sizeText(5000000, TSxSizeStyle::ssAbbreviated), QStringLiteral("4,883KB"));
    EXPECT_EQ(sizeText(5000000, TSxSizeStyle::ssFull), QStringLiteral("5,000,000"));
    // Past 32 bits, in both styles.
    EXPECT_EQ(sizeText(qint64(3) << 30, TSxSizeStyle::ssAbbreviated), QStringLiteral("3,145,728KB"));
    EXPECT_EQ(sizeText(qint64(5) << 40, TSxSizeStyle::ssFull), QStringLiteral("5,497,558,138,880"));
    EXPECT_EQ(sizeValue(qint64(3) << 30, TSxSizeStyle::ssFull), qint64(3) << 30);

    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(sizeText(5000000, TSxSizeStyle::ssAbbreviated), QStringLiteral("4.883KB"));
}

TEST(ListFormat, ModificationTimesInTheLocalesShortDateAndLongTime)
{
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale fr(QLocale::French, QLocale::France);
    const QDateTime afternoon(QDate(2021, 3, 4), QTime(15, 6, 7));
    const QString usText = modifiedText(afternoon.toMSecsSinceEpoch(), us);
    EXPECT_TRUE(usText.startsWith(QStringLiteral("3/4/2021 3:06:07"))) << usText.toStdString();
    EXPECT_TRUE(usText.endsWith(QStringLiteral("PM"))) << usText.toStdString(); // no time zone
    EXPECT_EQ(modifiedText(afternoon.toMSecsSinceEpoch(), fr), QStringLiteral("04/03/2021 15:06:07"));
    // Exactly midnight: the date alone.
    EXPECT_EQ(modifiedText(QDateTime(QDate(2021, 3, 4), QTime(0, 0)).toMSecsSinceEpoch(), fr),
              QStringLiteral("04/03/2021"));
    // Two-digit years are widened: a file may be decades old.
    EXPECT_EQ(modifiedText(QDateTime(QDate(1999, 12, 31), QTime(0, 0)).toMSecsSinceEpoch(),
                           QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("31.12.1999"));
    EXPECT_EQ(modifiedText(0, fr), QString());
}

TEST(ListFormat, MasksAndFilters)
{
    EXPECT_TRUE(matchesMask(u"Notes.TXT", u"*.txt"));
    EXPECT_TRUE(matchesMask(u"a.b.c", u"*.c"));
    EXPECT_TRUE(matchesMask(u"file1.log", u"file?.*"));
    EXPECT_FALSE(matchesMask(u"file12.log", u"file?.log"));
    EXPECT_TRUE(matchesMask(u"abc", u"a**c"));
    EXPECT_TRUE(matchesMask(u"", u"*"));
    EXPECT_FALSE(matchesMask(u"abc", u"ab"));
    EXPECT_TRUE(matchesMask(u"aXbXc", u"*X*c"));

    const QStringList filters{QStringLiteral("*.txt"), QStringLiteral("-b*"), QStringLiteral("*.md")};
    EXPECT_TRUE(passesFilters(u"a.txt", filters));
    EXPECT_TRUE(passesFilters(u"a.md", filters));
    EXPECT_FALSE(passesFilters(u"b.txt", filters)); // excluded, wherever the exclusion stands
    EXPECT_FALSE(passesFilters(u"a.log", filters));
    // Exclusions alone keep everything else.
    EXPECT_TRUE(passesFilters(u"a.log", {QStringLiteral("-*.o")}));
    EXPECT_FALSE(passesFilters(u"a.o", {QStringLiteral("-*.o")}));
    EXPECT_TRUE(passesFilters(u"anything", {}));
}

TEST(ListFormat, ColumnWidthsAreTenLittleEndianBytes)
{
    const QByteArray bytes = TSxColumnWidths::encode({200, 50, 300, 1, 0});
    EXPECT_EQ(bytes, QByteArray::fromHex("c8003200" "2c010100" "0000"));
    const auto back = TSxColumnWidths::decode(bytes);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, (std::array<int, 5>{200, 50, 300, 1, 0}));
    EXPECT_FALSE(TSxColumnWidths::decode(bytes.left(9)).has_value());
    EXPECT_FALSE(TSxColumnWidths::decode(QByteArray()).has_value());
}

TEST_F(ListTest, FiveColumnsWithTheirCaptionsWidthsAndAlignments)
{
    EXPECT_EQ(list->objectName(), QStringLiteral("listviewFp"));
    const QStringList captions{"Name", "Size", "Type", "Modified", "Attributes"};
    ASSERT_EQ(list->model()->columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(list->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
        EXPECT_EQ(list->header()->sectionSize(c), TSxExplorerListView::DefaultWidths[std::size_t(c)]);
    }
    tree.write("a.txt", "x");
    show();
    const QModelIndex name = list->model()->index(0, TSxListColumn::Name);
    const QModelIndex size = list->model()->index(0, TSxListColumn::Size);
    EXPECT_EQ(list->model()->data(name, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);
    EXPECT_EQ(list->model()->data(size, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(list->toolTip(), QStringLiteral("Double click on the file to open it..."));
}

TEST_F(ListTest, SizeTypeTimeAndAttributeTexts)
{
    const UsLocale locale;
    writeSized(tree, "empty.txt", 0);
    writeSized(tree, "one-and-half.txt", 1536);
    writeSized(tree, "two-and-half.txt", 2560);
    writeSized(tree, "five-million.txt", 5000000);
    writeSized(tree, "three-gib.bin", qint64(3) << 30);
    tree.write("readme.xyz", "x");
    tree.write("plain", "x");
    tree.mkdir("folder");
    tree.write(".hidden", "x");
    tree.mkdir(".hidden-folder");
    tree.write("locked.txt", "x");
    tree.chmod("locked.txt", 0444);
    tree.symlink(tree.path("nowhere"), "dangling");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("pipe")).constData(), 0644), 0);
    setModified(tree.path("readme.xyz"), QDateTime(QDate(2021, 3, 4), QTime(0, 0)));
    show();

    // Hidden items are not listed; folders and files are.
    EXPECT_EQ(rowOf(".hidden"), -1);
    EXPECT_EQ(rowOf(".hidden-folder"), -1);
    EXPECT_EQ(rows(), 11);

    EXPECT_EQ(text("empty.txt", TSxListColumn::Size), QStringLiteral("1KB"));
    EXPECT_EQ(text("one-and-half.txt", TSxListColumn::Size), QStringLiteral("2KB"));
    EXPECT_EQ(text("two-and-half.txt", TSxListColumn::Size), QStringLiteral("2KB"));
    EXPECT_EQ(text("five-million.txt", TSxListColumn::Size), QStringLiteral("4,883KB"));
    EXPECT_EQ(text("three-gib.bin", TSxListColumn::Size), QStringLiteral("3,145,728KB"));
    EXPECT_EQ(text("folder", TSxListColumn::Size), QString());
    EXPECT_EQ(text("pipe", TSxListColumn::Size), QString()); // no content to measure

    EXPECT_EQ(text("readme.xyz", TSxListColumn::Type), QStringLiteral("xyz File"));
    EXPECT_EQ(text("plain", TSxListColumn::Type), QString());
    EXPECT_FALSE(text("empty.txt", TSxListColumn::Type).isEmpty());
    EXPECT_FALSE(text("folder", TSxListColumn::Type).isEmpty());
    EXPECT_NE(text("folder", TSxListColumn::Type), text("empty.txt", TSxListColumn::Type));

    EXPECT_EQ(text("readme.xyz", TSxListColumn::Modified), QStringLiteral("3/4/2021"));
    EXPECT_EQ(text("empty.txt", TSxListColumn::Modified),
              modifiedText(QFileInfo(tree.path("empty.txt")).lastModified().toMSecsSinceEpoch()));

    EXPECT_EQ(text("locked.txt", TSxListColumn::Attributes), QStringLiteral("R"));
    EXPECT_EQ(text("empty.txt", TSxListColumn::Attributes), QString());
    EXPECT_EQ(text("pipe", TSxListColumn::Attributes), QStringLiteral("S"));
    EXPECT_EQ(text("dangling", TSxListColumn::Attributes), QStringLiteral("S"));

    // Full paths of the records.
    EXPECT_EQ(list->ItemDataList()[rowOf("plain")].FullPath(), tree.path("plain"));
    EXPECT_EQ(list->ItemDataList()[rowOf("folder")].IsFile, 0);

    // In bytes on request.
    list->setSizeStyle(TSxSizeStyle::ssFull);
    EXPECT_EQ(text("three-gib.bin", TSxListColumn::Size), QStringLiteral("3,221,225,472"));
    EXPECT_EQ(text("empty.txt", TSxListColumn::Size), QStringLiteral("0"));
}

TEST_F(ListTest, ShowingHiddenItemsDimsThem)
{
    tree.write(".hidden", "x");
    tree.write("shown", "x");
    show();
    EXPECT_EQ(rows(), 1);
    list->setFolderTypes(TSxExplorerListView::ftFolders | TSxExplorerListView::ftNonFolders
                         | TSxExplorerListView::ftIncludeHidden);
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(text(".hidden", TSxListColumn::Attributes), QStringLiteral("H"));
    const QModelIndex hidden = list->model()->index(rowOf(".hidden"), 0);
    const QModelIndex shown = list->model()->index(rowOf("shown"), 0);
    EXPECT_TRUE(list->model()->data(hidden, Qt::ForegroundRole).isValid());
    EXPECT_FALSE(list->model()->data(shown, Qt::ForegroundRole).isValid());
    // Folders only.
    tree.mkdir("dir");
    list->setFolderTypes(TSxExplorerListView::ftFolders);
    EXPECT_EQ(names(), QStringList{"dir"});
}

TEST_F(ListTest, RowsAreReadOnlyWhenShown)
{
    for (int i = 0; i < 300; ++i)
        tree.write(QStringLiteral("file%1.txt").arg(i, 3, 10, QChar(u'0')), "x");
    show();
    ASSERT_EQ(rows(), 300);
    QApplication::processEvents();
    // The rows below the first screen still wait for everything.
    const auto [first, last] = list->visibleRows();
    EXPECT_EQ(first, 0);
    ASSERT_LT(last, 250);
    const TSxItemData& below = list->ItemDataList()[299];
    EXPECT_EQ(below.Pending, TSxPending::All);
    EXPECT_TRUE(below.DisplayName.isEmpty());
    EXPECT_EQ(list->ItemDataList()[0].Pending, 0);
    // Scrolling there reads them.
    list->scrollToBottom();
    QApplication::processEvents();
    list->viewport()->repaint();
    EXPECT_EQ(below.Pending, 0);
    EXPECT_EQ(below.DisplayName, QStringLiteral("file299.txt"));
}

TEST_F(ListTest, FiltersKeepMatchingNamesAndFoldersUnlessAskedOtherwise)
{
    tree.write("a.txt");
    tree.write("b.txt");
    tree.write("c.log");
    tree.mkdir("dir");
    show();
    list->setFilters({QStringLiteral("*.TXT"), QStringLiteral("-b*")});
    EXPECT_EQ(names(), (QStringList{"dir", "a.txt"}));
    list->setFilterOptions(TSxExplorerListView::foFilterFolders);
    EXPECT_EQ(names(), QStringList{"a.txt"});
    list->setFilterOptions({});
    list->setFilters({QStringLiteral("-*.log")});
    EXPECT_EQ(names(), (QStringList{"dir", "a.txt", "b.txt"}));
    list->setFilters({});
    EXPECT_EQ(rows(), 4);
    // A file created later passes the same filter.
    list->setFilters({QStringLiteral("*.md")});
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);
    tree.write("new.md");
    tree.write("new.txt");
    ASSERT_TRUE(waitForRefresh(refreshed));
    EXPECT_EQ(names(), (QStringList{"dir", "new.md"}));
}

TEST_F(ListTest, SortKeysReadAloneAgreeWithTheDetails)
{
    tree.write("file", QByteArray(5000, 'x'));
    tree.mkdir("folder");
    tree.symlink(tree.path("file"), "link");
    tree.symlink(tree.path("nowhere"), "dangling");
    ASSERT_EQ(::mkfifo(QFile::encodeName(tree.path("pipe")).constData(), 0644), 0);
    writeSized(tree, "huge", qint64(3) << 30);
    list->hide(); // nothing read for drawing
    show();
    TSxItemDataList& items = list->ItemDataList();
    items.resolveAllKeys();
    for (TSxSizeStyle style : {TSxSizeStyle::ssAbbreviated, TSxSizeStyle::ssFull}) {
        items.setSizeStyle(style);
        for (int row = 0; row < items.count(); ++row)
            items[row].Pending |= TSxPending::Keys | TSxPending::Details;
        items.resolveAllKeys();
        std::vector<std::pair<qint64, qint64>> keys;
        for (int row = 0; row < items.count(); ++row) {
            EXPECT_FALSE(items[row].Pending & TSxPending::Keys);
            EXPECT_TRUE(items[row].Pending & TSxPending::Details);
            keys.emplace_back(items[row].Size, items[row].ModifiedDate);
        }
        for (int row = 0; row < items.count(); ++row) {
            items.resolveDetails(items[row], TSxPending::Details);
            EXPECT_EQ(keys[std::size_t(row)], std::make_pair(items[row].Size, items[row].ModifiedDate))
                << items[row].FullPath().toStdString();
        }
    }
    EXPECT_EQ(items[rowOf("huge")].Size, qint64(3) << 30);
    EXPECT_EQ(items[rowOf("link")].Size, 5000);
    EXPECT_EQ(items[rowOf("folder")].Size, 0);
}

TEST_F(ListTest, DraggingTheScrollBoxShowsGenericIconsUntilReleased)
{
    for (int i = 0; i < 300; ++i)
        tree.write(QStringLiteral("file%1.txt").arg(i, 3, 10, QChar(u'0')));
    show();
    QApplication::processEvents();
    Q_EMIT list->verticalScrollBar()->sliderPressed();
    list->scrollToBottom();
    list->viewport()->repaint();
    const TSxItemData& last = list->ItemDataList()[299];
    EXPECT_EQ(last.DisplayName, QStringLiteral("file299.txt")); // names and texts are read
    EXPECT_TRUE(last.Pending & TSxPending::Icon);                // the real icon waits
    const int generic = last.ImageIndex;
    EXPECT_GE(generic, 0);
    Q_EMIT list->verticalScrollBar()->sliderReleased();
    EXPECT_FALSE(last.Pending & TSxPending::Icon);
    EXPECT_GE(last.ImageIndex, 0);

    // Without fast scrolling the real icons come at once.
    list->setFastScroll(false);
    list->scrollToTop();
    Q_EMIT list->verticalScrollBar()->sliderPressed();
    list->setDirectory(tree.root());
    list->viewport()->repaint();
    EXPECT_FALSE(list->ItemDataList()[0].Pending & TSxPending::Icon);
}
