#include "explorer/list_fixture.h"

#include "explorer/cdromlabel.h"
#include "explorer/dropdata.h"
#include "explorer/filenotifier.h"
#include "explorer/shellicons.h"
#include "explorer/volumes.h"
#include "platform/tfont.h"
#include "support/testenv.h"

#include <QApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QPoint rowCentre(TSxExplorerListView& list, int row)
{
    return list.visualRect(list.model()->index(row, 0)).center();
}

// As a user's double click comes: press, release, then the double click.
void doubleClick(TSxExplorerListView& list, QPoint at)
{
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list.viewport(), Qt::LeftButton, {}, at);
}

void moveMouse(TSxExplorerListView& list, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, list.viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &move);
}


}

TEST_F(ListTest, EnterAndDoubleClickRaiseTheEventThenEnterAFolder)
{
    tree.mkdir("sub");
    tree.write("sub/inside.txt");
    tree.write("file.txt");
    show();
    QSignalSpy dblClicks(list.get(), &TSxExplorerListView::DblClick);
    // On a file: only the event.
    list->selectRow(rowOf("file.txt"));
    QTest::keyClick(list.get(), Qt::Key_Return);
    EXPECT_EQ(dblClicks.count(), 1);
    QApplication::processEvents();
    EXPECT_EQ(list->Directory(), tree.root());

    // On a folder: the event first, the folder once it has run.
    list->selectRow(rowOf("sub"));
    QString directoryDuringEvent;
    QObject::connect(list.get(), &TSxExplorerListView::DblClick, list.get(), [&] { directoryDuringEvent = list->Directory(); });
    doubleClick(*list, rowCentre(*list, rowOf("sub")));
    EXPECT_EQ(dblClicks.count(), 2);
    EXPECT_EQ(directoryDuringEvent, tree.root());
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->Directory() == tree.path("sub"); }, ListTesting::ArrivalTimeoutMs));
    EXPECT_EQ(names(), QStringList{"inside.txt"});
    EXPECT_EQ(list->fileWatcher().threads().front()->path(), tree.path("sub"));
}

TEST_F(ListTest, AClickBesideTheRowsLeavesNoRowSelected)
{
    tree.write("only.txt");
    show();
    list->selectRow(0);
    QSignalSpy dblClicks(list.get(), &TSxExplorerListView::DblClick);
    const QPoint below(20, list->viewport()->height() - 5);
    ASSERT_FALSE(list->indexAt(below).isValid());
    doubleClick(*list, below);
    EXPECT_EQ(dblClicks.count(), 1);
    EXPECT_EQ(list->selectedIndex(), -1);
}

TEST_F(ListTest, FoldersAreShownThroughTheLinkedTree)
{
    tree.mkdir("sub");
    FakeTree fake;
    fake.list = list.get();
    list->setTreeView(&fake);
    show();
    ASSERT_EQ(fake.asked, std::vector<QString>{tree.root()});

    list->selectRow(rowOf("sub"));
    QTest::keyClick(list.get(), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.asked.size() == 2; }, ListTesting::ArrivalTimeoutMs));
    EXPECT_EQ(fake.asked.back(), tree.path("sub"));
    EXPECT_EQ(list->Directory(), tree.path("sub"));

    // A tree that does not find the folder, or does not answer with it:
    // the list shows it all the same.
    fake.found = false;
    list->setDirectory(tree.root());
    EXPECT_EQ(list->Directory(), tree.root());
    fake.found = true;
    fake.callsBack = false;
    list->setDirectory(tree.path("sub"));
    EXPECT_EQ(list->Directory(), tree.path("sub"));
    EXPECT_EQ(fake.asked.size(), 4u);

    // The tree hears of the list's end; a detached tree is not asked again.
    list->treeDetached();
    list->setDirectory(tree.root());
    EXPECT_EQ(fake.asked.size(), 4u);
    list->setTreeView(&fake);
    FakeTree other;
    list->setTreeView(&other);
    EXPECT_EQ(fake.detached, 1);
    list.reset();
    EXPECT_EQ(other.detached, 1);
}

TEST_F(ListTest, TypeAheadFindsNamesFromTheCurrentRowOn)
{
    for (const char* name : {"apple", "Banana", "berry", "cherry", "blue"})
        tree.write(name);
    show();
    ASSERT_EQ(names(), (QStringList{"apple", "Banana", "berry", "blue", "cherry"}));
    EXPECT_EQ(list->FindItem(QStringLiteral("b"), 0, false), 1);
    EXPECT_EQ(list->FindItem(QStringLiteral("BE"), 0, false), 2);
    EXPECT_EQ(list->FindItem(QStringLiteral("a"), 1, false), -1);
    EXPECT_EQ(list->FindItem(QStringLiteral("a"), 1, true), 0);
    EXPECT_EQ(list->FindItem(QStringLiteral("z"), 0, true), -1);

    QTest::keyClicks(list.get(), QStringLiteral("ber"));
    EXPECT_EQ(names().at(list->selectedIndex()), QStringLiteral("berry"));
    // After a pause a new search starts below the current row; the same
    // letter typed again steps on to the next name that begins with it.
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    QTest::keyClicks(list.get(), QStringLiteral("bb"));
    EXPECT_EQ(names().at(list->selectedIndex()), QStringLiteral("Banana"));
}

TEST_F(ListTest, CtrlKeypadPlusSizesColumnsToTheirTexts)
{
    tree.write(QStringLiteral("a-rather-long-file-name-that-needs-room.txt"), QByteArray(5000000, 'x'));
    tree.write("b");
    show();
    QTest::keyClick(list.get(), Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
    const QFontMetrics metrics(list->font());
    const int name = metrics.horizontalAdvance(QStringLiteral("a-rather-long-file-name-that-needs-room.txt"));
    EXPECT_GE(list->header()->sectionSize(0), name + 24);
    EXPECT_LT(list->header()->sectionSize(0), name + 80);
    EXPECT_GE(list->header()->sectionSize(1), metrics.horizontalAdvance(text("b", 1)) + 20);
    EXPECT_GE(list->header()->sectionSize(1), metrics.horizontalAdvance(cell(0, 1)) + 20);
    // The attributes column has no text at all: just its margin.
    EXPECT_LT(list->header()->sectionSize(4), 60);
    // Plain plus does nothing of the kind.
    list->header()->resizeSection(0, 50);
    QTest::keyClick(list.get(), Qt::Key_Plus, Qt::ControlModifier);
    EXPECT_EQ(list->header()->sectionSize(0), 50);
}

TEST_F(ListTest, HotTrackingUnderlinesHandPointsAndSelectsAfterAPause)
{
    for (const char* name : {"a", "b", "c"})
        tree.write(name);
    show();
    moveMouse(*list, rowCentre(*list, 1));
    EXPECT_EQ(list->hotRow(), 1);
    EXPECT_EQ(list->viewport()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list->selectedIndex() == 1; }, ListTesting::ArrivalTimeoutMs));
    // Off the rows: no hot row, the usual pointer.
    moveMouse(*list, QPoint(10, list->viewport()->height() - 3));
    EXPECT_EQ(list->hotRow(), -1);
    EXPECT_EQ(list->viewport()->cursor().shape(), Qt::ArrowCursor);
    moveMouse(*list, rowCentre(*list, 2));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(list->viewport(), &leave);
    EXPECT_EQ(list->hotRow(), -1);
    // The underline is drawn: the hot row looks different.
    const QRect row0 = list->visualRect(list->model()->index(0, 0));
    list->selectionModel()->clear();
    const QImage cold = list->viewport()->grab(row0).toImage();
    moveMouse(*list, row0.center());
    const QImage hot = list->viewport()->grab(row0).toImage();
    EXPECT_NE(cold, hot);
}

TEST_F(ListTest, DragCarriesTheSelectedItem)
{
    tree.write("drag me.txt", "x");
    tree.write("other.txt", "x");
    show();
    EXPECT_EQ(list->dragData(), nullptr);
    list->selectRow(rowOf("drag me.txt"));
    const std::unique_ptr<QMimeData> data(list->dragData());
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->urls().size(), 1);
    EXPECT_EQ(data->urls().front().toLocalFile(), tree.path("drag me.txt"));
    const TDropPIDLTarget target(data.get());
    ASSERT_TRUE(target.hasIdList());
    EXPECT_TRUE(target.folderId() == list->folderId());
    ASSERT_EQ(target.itemCount(), 1);
    EXPECT_EQ(target.item(0).lastName(), "drag me.txt");
    EXPECT_EQ(target.preferredDropEffect(), TSxDropEffect::Copy | TSxDropEffect::Move | TSxDropEffect::Link);

    // Moved away by the drop: its row goes; a row still there stays.
    list->fileWatcher().setEnabled(false);
    tree.remove("drag me.txt");
    list->removeVanishedSelectedRows();
    EXPECT_EQ(names(), QStringList{"other.txt"});
    list->selectRow(0);
    list->removeVanishedSelectedRows();
    EXPECT_EQ(names(), QStringList{"other.txt"});
}

TEST_F(ListTest, ColourAndFontAreProperties)
{
    EXPECT_TRUE(list->setProperty("Color", Colors::rgb(0, 128, 128)));
    EXPECT_EQ(list->property("Color").toInt(), Colors::rgb(0, 128, 128));
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(0, 128, 128));
    auto* font = list->property("Font").value<TFont*>();
    ASSERT_EQ(font, list->fontObject());
    font->setColor(Colors::rgb(128, 0, 0));
    font->setName(QStringLiteral("Courier"));
    font->setSize(14);
    EXPECT_EQ(list->palette().color(QPalette::Text), QColor(128, 0, 0));
    EXPECT_EQ(list->font().family(), QStringLiteral("Courier"));
    EXPECT_EQ(list->font().pointSize(), 14);
    // Neither change loses the other, and the selection looks the same
    // with or without focus.
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(0, 128, 128));
    EXPECT_EQ(list->palette().color(QPalette::Inactive, QPalette::Highlight),
              list->palette().color(QPalette::Active, QPalette::Highlight));
}

TEST_F(ListTest, ColumnWidthsAreKeptBetweenLists)
{
    list.reset();
    tree.write("a.txt");
    list = std::make_unique<TSxExplorerListView>();
    for (int c = 0; c < TSxListColumn::Count; ++c)
        EXPECT_EQ(list->header()->sectionSize(c), TSxExplorerListView::DefaultWidths[std::size_t(c)]);
    show();
    list->header()->resizeSection(0, 321);
    list->header()->resizeSection(3, 77);
    list.reset();
    EXPECT_EQ(settings.stored(), TSxColumnWidths::encode({321, 50, 120, 77, 100}));

    list = std::make_unique<TSxExplorerListView>();
    EXPECT_EQ(list->columnWidths(), (std::array<int, 5>{321, 50, 120, 77, 100}));

    // Zero keeps a column's default; a value of another length is ignored.
    list.reset();
    settings.store(TSxColumnWidths::encode({0, 60, 0, 0, 0}));
    list = std::make_unique<TSxExplorerListView>();
    EXPECT_EQ(list->columnWidths(), (std::array<int, 5>{200, 60, 120, 120, 100}));
    list.reset();
    settings.store(QByteArray("\x10\x00", 2));
    list = std::make_unique<TSxExplorerListView>();
    EXPECT_EQ(list->columnWidths(), (std::array<int, 5>{200, 50, 120, 120, 100}));

    // Without a folder shown nothing is written.
    list->header()->resizeSection(0, 99);
    list.reset();
    EXPECT_EQ(settings.stored(), QByteArray("\x10\x00", 2));
}

TEST_F(ListTest, EveryIdentifierIsRegisteredWithItsTagAndFreed)
{
    tree.mkdir("sub");
    tree.write("a.txt");
    tree.write("b.txt");
    show();
    TSxPidlManager& registry = TSxPidlManager::instance();
    EXPECT_EQ(registry.countTagged("SxExplorerListView: SetFolderandPIDL"), 1);
    EXPECT_EQ(registry.countTagged("SxExplorerListView: FillView"), 3);
    EXPECT_EQ(registry.countTagged("SxExplorerListView: GetItemData"), 3);
    QSignalSpy refreshed(list.get(), &TSxExplorerListView::OnTotalSizeChange);
    tree.write("c.txt");
    ASSERT_TRUE(waitForRefresh(refreshed));
    EXPECT_EQ(registry.countTagged("TSxExplorerListView: RefreshView"), 1);
    EXPECT_EQ(registry.countTagged("SxExplorerListView: GetItemData"), 4);
    list->selectRow(rowOf("sub"));
    QTest::keyClick(list.get(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->Directory() == tree.path("sub"); }, ListTesting::ArrivalTimeoutMs));
    EXPECT_EQ(registry.countTagged("SxExplorerListView: DblClick"), 0);
    EXPECT_EQ(registry.countTagged("SxExplorerListView: FillView"), 0);
    list->ClearView(true);
    EXPECT_EQ(registry.countTagged("SxExplorerListView: SetFolderandPIDL"), 0);
}

TEST_F(ListTest, TotalSizeSumsTheRows)
{
    tree.write("a", QByteArray(3000, 'a')); // 3KB
    tree.write("b", QByteArray(10, 'b'));   // 1KB
    tree.mkdir("dir");
    show();
    EXPECT_EQ(list->TotalSize(), 4);
    list->setSizeStyle(TSxSizeStyle::ssFull);
    EXPECT_EQ(list->TotalSize(), 3010);
}

TEST_F(ListTest, TheDrivesFolderFollowsDiscsAndVolumes)
{
    tree.mkdir("cd");
    tree.mkdir("usb");
    tree.mkdir("by-label");
    tree.write("disc.img", QByteArray(4096, '\0'));
    tree.symlink(tree.path("disc.img"), "by-label/WORK\\x20DISC");
    const TSxVolumeSources saved = volumeSources();
    TSxVolumeSources sources;
    sources.mountsFile = tree.path("mounts");
    sources.byLabelDir = tree.path("by-label");
    setVolumeSources(sources);
    const auto restore = qScopeGuard([&] { setVolumeSources(saved); });
    const QByteArray root = "/dev/vda / ext4 rw 0 0\n";
    const QByteArray disc = QFile::encodeName(tree.path("disc.img")) + " " + QFile::encodeName(tree.path("cd"))
                            + " iso9660 ro 0 0\n";
    const QByteArray stick = "/dev/sdb1 " + QFile::encodeName(tree.path("usb")) + " vfat rw 0 0\n";
    tree.write("mounts", root + disc);

    const TSxPidl drives = SpecialFolderLocation(17, "test");
    list->SetFolderandPIDL(TSxShellFolder::bind(drives), drives);
    ASSERT_NE(list->shellNotifier(), nullptr);
    ASSERT_EQ(rows(), 2);
    const int cd = rowOf(driveCaption(QStringLiteral("WORK DISC"), tree.path("cd")));
    ASSERT_GE(cd, 0) << names().join(u'|').toStdString();
    EXPECT_EQ(list->ItemDataList()[cd].FullPath(), tree.path("cd"));
    list->selectRow(cd);

    // The disc is taken out: the drive stays, without a name, unselected.
    tree.write("mounts", root);
    list->shellNotifier()->checkMounts();
    EXPECT_EQ(cell(cd, 0), driveCaption(QString(), tree.path("cd")));
    EXPECT_EQ(list->ItemDataList()[cd].ImageIndex, defaultCdromIconIndex());
    EXPECT_EQ(list->selectedIndex(), -1);

    // Put back: named after its label again.
    tree.write("mounts", root + disc);
    list->shellNotifier()->checkMounts();
    EXPECT_EQ(cell(cd, 0), driveCaption(CdRomLabel(tree.path("cd")).text, tree.path("cd")));
    EXPECT_EQ(rows(), 2);

    // Other volumes come and go as rows.
    tree.write("mounts", root + disc + stick);
    list->shellNotifier()->checkMounts();
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(list->ItemDataList()[2].FullPath(), tree.path("usb"));
    tree.write("mounts", root + disc);
    list->shellNotifier()->checkMounts();
    EXPECT_EQ(rows(), 2);

    // A file-system folder takes no notice of volumes.
    show();
    tree.write("mounts", root);
    list->shellNotifier()->checkMounts();
    EXPECT_EQ(list->Directory(), tree.root());
}

TEST_F(ListTest, ANameHoldingALineBreakStaysOnOneLine)
{
    tree.mkdir("plain");
    tree.write("plain/a.txt");
    tree.mkdir("odd");
    tree.write("odd/a.txt");
    tree.write("odd/two\nlines.txt");
    show(tree.path("plain"));
    const int rowHeight = list->visualRect(list->model()->index(0, 0)).height();
    show(tree.path("odd"));
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(names(), (QStringList{"a.txt", QString::fromUtf8("two\xE2\x90\x8Alines.txt")}));
    for (int row = 0; row < rows(); ++row)
        EXPECT_EQ(list->visualRect(list->model()->index(row, 0)).height(), rowHeight);
    // The file itself is the one the row names.
    EXPECT_EQ(list->ItemDataList()[1].FullPath(), tree.path("odd/two\nlines.txt"));
}
