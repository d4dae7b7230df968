#include "explorer/list_fixture.h"

#include "platform/nativenames.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

namespace {

void touch(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
}

}

TEST_F(ListTest, ANewFileIsAppendedAndADeletedOneGoes)
{
    tree.write("b.txt", "b");
    tree.write("c.txt", "c");
    show();
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);

    tree.write("a.txt", "a"); // sorts first, but comes at the end
    ASSERT_TRUE(waitForRefresh(refreshed));
    EXPECT_EQ(names(), (QStringList{"b.txt", "c.txt", "a.txt"}));

    list->selectRow(rowOf("c.txt"));
    tree.remove("b.txt");
    ASSERT_TRUE(waitForRefresh(refreshed));
    EXPECT_EQ(names(), (QStringList{"c.txt", "a.txt"}));
    EXPECT_EQ(list->selectedIndex(), 0); // still c.txt

    // A folder too, and a deleted selected row leaves no selection.
    tree.mkdir("sub");
    ASSERT_TRUE(waitForRefresh(refreshed));
    EXPECT_EQ(names(), (QStringList{"c.txt", "a.txt", "sub"}));
    EXPECT_EQ(list->ItemDataList()[2].IsFile, 0);
    tree.remove("c.txt");
    ASSERT_TRUE(waitForRefresh(refreshed));
    EXPECT_EQ(names(), (QStringList{"a.txt", "sub"}));
    EXPECT_EQ(list->selectedIndex(), -1);
}

TEST_F(ListTest, WritingToAFileChangesOnlyItsSizeAndTime)
{
    const UsLocale locale;
    tree.write("notes.txt", "short");
    tree.write("other.txt", "x");
    show();
    const int row = rowOf("notes.txt");
    const QStringList before{cell(row, 0), cell(row, 1), cell(row, 2), cell(row, 3), cell(row, 4)};
    const QString otherBefore = text("other.txt", TSxListColumn::Modified);
    ASSERT_EQ(before[1], QStringLiteral("1KB"));

    QSignalSpy changed(list->model(), &QAbstractItemModel::dataChanged);
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);
    QFile file(tree.path("notes.txt"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(QByteArray(4000, 'x'));
    file.close();
    // Dated back, so that the time text differs whatever the clock says.
    const timeval times[2] = {{time_t(1577880000), 0}, {time_t(1577880000), 0}};
    ASSERT_EQ(::utimes(QFile::encodeName(tree.path("notes.txt")).constData(), times), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::any_of(changed.begin(), changed.end(),
                               [&](const QList<QVariant>& args) { return args.at(0).toModelIndex().row() == row; });
        },
        ListTesting::ArrivalTimeoutMs));
    EXPECT_EQ(rowOf("notes.txt"), row);
    EXPECT_EQ(cell(row, 0), before[0]);
    EXPECT_EQ(cell(row, 1), QStringLiteral("4KB"));
    EXPECT_EQ(cell(row, 2), before[2]);
    EXPECT_NE(cell(row, 3), before[3]);
    EXPECT_EQ(cell(row, 4), before[4]);
    // The other row was read again but not redrawn: nothing of it changed.
    EXPECT_EQ(text("other.txt", TSxListColumn::Modified), otherBefore);
    for (const QList<QVariant>& args : changed)
        EXPECT_EQ(args.at(0).toModelIndex().row(), row);
    EXPECT_EQ(refreshed.count(), 0); // no row came or went
}

TEST_F(ListTest, ABurstOfCreationsGivesOneRefresh)
{
    tree.write("first.txt");
    show();
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < 1000; ++i)
        touch(tree.path(QStringLiteral("burst-%1").arg(i)));
    // One, unless the burst is slowed down (a busy machine): between two
    // refreshes there is at least the watcher's quiet period.
    const int most = 1 + int(burst.elapsed() / TSxThreadFileNotifier::QuietPeriod.count());
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 1001; }, ListTesting::ArrivalTimeoutMs));
    QTest::qWait(ListTesting::SilenceMs);
    EXPECT_GE(refreshed.count(), 1);
    EXPECT_LE(refreshed.count(), most);
    EXPECT_EQ(cell(0, 0), QStringLiteral("first.txt"));
    EXPECT_EQ(rows(), 1001);
}

TEST_F(ListTest, ManyScatteredDeletionsKeepTheSelectedRow)
{
    for (int i = 0; i < 200; ++i)
        tree.write(QStringLiteral("f%1").arg(i, 3, 10, QChar(u'0')));
    show();
    list->selectRow(rowOf("f101"));
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);
    for (int i = 0; i < 200; i += 2)
        tree.remove(QStringLiteral("f%1").arg(i, 3, 10, QChar(u'0')));
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 100; }, ListTesting::ArrivalTimeoutMs));
    EXPECT_EQ(names().first(), QStringLiteral("f001"));
    EXPECT_EQ(names().last(), QStringLiteral("f199"));
    ASSERT_GE(list->selectedIndex(), 0);
    EXPECT_EQ(names().at(list->selectedIndex()), QStringLiteral("f101"));
    EXPECT_EQ(list->currentIndex().row(), list->selectedIndex());
}

TEST_F(ListTest, AnotherFolderStopsTheOldWatchers)
{
    tree.mkdir("one");
    tree.mkdir("two");
    show(tree.path("one"));
    ASSERT_EQ(list->fileWatcher().threads().size(), 2u);
    show(tree.path("two"));
    ASSERT_EQ(list->fileWatcher().threads().size(), 2u);
    for (const auto& thread : list->fileWatcher().threads())
        EXPECT_EQ(thread->path(), tree.path("two"));

    QSignalSpy reports(&list->fileWatcher(), &TSxThreadFileNotifier::Change);
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);
    tree.write("one/late.txt", "x");
    QTest::qWait(ListTesting::SilenceMs);
    EXPECT_EQ(reports.count(), 0);
    EXPECT_EQ(refreshed.count(), 0);
    EXPECT_EQ(rows(), 0);

    // Going to a path that is no folder forgets the folder and its watch.
    list->setDirectory(tree.path("missing"));
    EXPECT_EQ(list->Directory(), QString());
    EXPECT_TRUE(list->fileWatcher().threads().empty());
}

TEST_F(ListTest, AShownFolderThatVanishesGivesWayToTheFolderAbove)
{
    tree.mkdir("doomed/deeper");
    tree.write("doomed/deeper/a.txt");
    tree.write("stays.txt");
    show(tree.path("doomed/deeper"));
    ASSERT_EQ(rows(), 1);
    tree.remove("doomed");
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->Directory() == tree.root(); }, ListTesting::ArrivalTimeoutMs));
    EXPECT_EQ(names(), QStringList{"stays.txt"});
    // The folder above is watched: one made there again shows as a row.
    waitUntilWatching();
    tree.mkdir("doomed");
    ASSERT_TRUE(QTest::qWaitFor([&] { return names().contains("doomed"); }, ListTesting::ArrivalTimeoutMs));
}

TEST_F(ListTest, AShownFolderReplacedUnderItsNameIsShownAndWatchedAgain)
{
    tree.mkdir("work");
    tree.write("work/old.txt");
    show(tree.path("work"));
    ASSERT_EQ(names(), QStringList{"old.txt"});
    // What "mv work work.old && mkdir work && touch work/x1.txt" does.
    std::thread([&] {
        QFile::rename(tree.path("work"), tree.path("work.old"));
        QDir().mkdir(tree.path("work"));
        touch(tree.path("work/x1.txt"));
    }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return names() == QStringList{"x1.txt"}; }, ListTesting::ArrivalTimeoutMs));
    EXPECT_EQ(list->Directory(), tree.path("work"));
    waitUntilWatching();
    tree.write("work/x2.txt");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return names() == QStringList({"x1.txt", "x2.txt"});
        },
        ListTesting::ArrivalTimeoutMs));
}

TEST_F(ListTest, DoubleClickingAFolderThatVanishedDropsItsRow)
{
    tree.mkdir("gone");
    tree.write("stays.txt");
    show();
    list->fileWatcher().setEnabled(false); // the row must still be there when clicked
    list->selectRow(rowOf("gone"));
    tree.remove("gone");
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);
    QTest::keyClick(list.get(), Qt::Key_Return);
    ASSERT_TRUE(waitForRefresh(refreshed));
    EXPECT_EQ(list->Directory(), tree.root());
    EXPECT_EQ(names(), QStringList{"stays.txt"});
}

TEST_F(ListTest, ARefreshInSlicesEndsAsOneAndGivesWayToAnotherFolder)
{
    for (int i = 0; i < 2000; ++i)
        touch(tree.path(QStringLiteral("f%1").arg(i)));
    tree.mkdir("other");
    tree.write("other/o.txt");
    show();
    list->setRefreshSliceMs(0); // 256 items a turn
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);
    int turnsSeenRefreshing = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { turnsSeenRefreshing += list->isRefreshing(); });
    watch.start(0);
    tree.write("late.txt");
    ASSERT_TRUE(waitForRefresh(refreshed));
    EXPECT_GT(turnsSeenRefreshing, 1);
    EXPECT_EQ(rows(), 2002);
    EXPECT_EQ(cell(2001, 0), QStringLiteral("late.txt"));
    EXPECT_FALSE(list->isRefreshing());

    // Another folder while a refresh is under way: nothing of the old one
    // arrives afterwards.
    tree.write("later.txt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isRefreshing(); }, ListTesting::ArrivalTimeoutMs));
    show(tree.path("other"));
    EXPECT_FALSE(list->isRefreshing());
    QTest::qWait(ListTesting::SilenceMs);
    EXPECT_EQ(names(), QStringList{"o.txt"});
}

TEST_F(ListTest, AFileWrittenWithoutPauseShowsItsSizeGrowing)
{
    tree.write("app.log");
    show();
    ASSERT_EQ(text("app.log", TSxListColumn::Size), QStringLiteral("1KB"));
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        QFile file(tree.path("app.log"));
        if (file.open(QIODevice::Append)) {
            for (int i = 0; i < 100; ++i) {
                file.write(QByteArray(2048, 'x'));
                file.flush();
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        writing = false;
    });
    QStringList sizesWhileWriting;
    while (writing) {
        QTest::qWait(10);
        const QString size = text("app.log", TSxListColumn::Size);
        if (writing && !sizesWhileWriting.contains(size))
            sizesWhileWriting << size;
    }
    writer.join();
    EXPECT_GE(sizesWhileWriting.size(), 3) << sizesWhileWriting.join(u' ').toStdString();
}

TEST_F(ListTest, AFolderWhoseNameIsNotUtf8IsEnteredWatchedAndItsFilesNamedRight)
{
    const QByteArray folder = tree.mkdirBytes("dir\xE9");
    tree.writeBytes("dir\xE9/c\xFF.txt", "the file named with the byte FF");
    tree.writeBytes("dir\xE9/c\xEF\xBF\xBD.txt", "the file named with U+FFFD");
    show();
    list->selectRow(rowOf("dir\\xE9"));
    QTest::keyClick(list.get(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == 2; }, ListTesting::ArrivalTimeoutMs));
    EXPECT_EQ(NativeNames::toNative(list->Directory()), folder);
    for (int row = 0; row < rows(); ++row) {
        const QByteArray path = NativeNames::toNative(list->ItemDataList()[row].FullPath());
        EXPECT_TRUE(path == folder + "/c\xFF.txt" || path == folder + "/c\xEF\xBF\xBD.txt") << path.toStdString();
        EXPECT_EQ(cell(row, 0),
                  path.endsWith("\xFF.txt") ? QStringLiteral("c\\xFF.txt") : QString::fromUtf8("c\xEF\xBF\xBD.txt"));
    }
    waitUntilWatching();
    tree.writeBytes("dir\xE9/new\xFE.txt");
    ASSERT_TRUE(QTest::qWaitFor([&] { return names().contains("new\\xFE.txt"); }, ListTesting::ArrivalTimeoutMs));
}
