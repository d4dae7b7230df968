#include "explorer/explorertest.h"

#include "explorer/dropdata.h"
#include "explorer/shellfolder.h"
#include "explorer/shellqueries.h"
#include "platform/errors.h"

#include <QMimeData>
#include <QUrl>

#include <memory>

namespace {
QByteArray le32(quint32 v)
{
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
    return out;
}
}

TEST(DragData, OffersUriListAndTheNamedFormats)
{
    RegistryBalance balance;
    TempTree tree;
    tree.write("a b.txt");
    tree.write("\xc3\xa9t\xc3\xa9.txt");
    tree.mkdir("sub");
    TSxPidl folder = GetItemIDFromPath(tree.root());
    TSxShellFolder::Ptr shell = TSxShellFolder::bind(folder);
    TSxPidl first = GetItemIDFromPath(*shell, QStringLiteral("a b.txt"));
    TSxPidl second = GetItemIDFromPath(*shell, QStringLiteral("sub"));
    TSxPidl third = GetItemIDFromPath(*shell, QString::fromUtf8("\xc3\xa9t\xc3\xa9.txt"));

    const TDropPIDLSource source(folder, {first, second, third});
    std::unique_ptr<QMimeData> data(source.createMimeData());

    EXPECT_TRUE(data->hasFormat(QStringLiteral("text/uri-list")));
    EXPECT_EQ(data->urls(), (QList<QUrl>{QUrl::fromLocalFile(tree.path("a b.txt")), QUrl::fromLocalFile(tree.path("sub")),
                                        QUrl::fromLocalFile(tree.path(QString::fromUtf8("\xc3\xa9t\xc3\xa9.txt")))}));

    const QByteArray cida = data->data(QStringLiteral("application/x-qt-windows-mime;value=\"Shell IDList Array\""));
    const QByteArray folderBytes = folder.view().bytes().toByteArray();
    const QByteArray firstBytes = first.view().bytes().toByteArray();
    const QByteArray secondBytes = second.view().bytes().toByteArray();
    const QByteArray thirdBytes = third.view().bytes().toByteArray();
    const quint32 start = 4 * 5;
    EXPECT_EQ(cida, le32(3) + le32(start) + le32(start + quint32(folderBytes.size()))
                        + le32(start + quint32(folderBytes.size() + firstBytes.size()))
                        + le32(start + quint32(folderBytes.size() + firstBytes.size() + secondBytes.size()))
                        + folderBytes + firstBytes + secondBytes + thirdBytes);

    EXPECT_EQ(data->data(TSxDragFormat::mimeType("Preferred DropEffect")), le32(7));
    EXPECT_EQ(data->data(TSxDragFormat::mimeType("FileNameMap")),
              QByteArray("a b.txt\0sub\0\xc3\xa9t\xc3\xa9.txt\0\0", 23));
    const QByteArray wide = data->data(TSxDragFormat::mimeType("FileNameMapW"));
    EXPECT_EQ(wide.size(), (7 + 1 + 3 + 1 + 7 + 1 + 1) * 2);
    EXPECT_EQ(wide.left(4), QByteArray("a\0 \0", 4));
    EXPECT_EQ(wide.mid(24, 2), QByteArray("\xe9\0", 2)); // é in UTF-16LE
    EXPECT_EQ(wide.right(4), QByteArray(4, '\0'));
}

TEST(DragData, DroppedDataIsReadBackAndCheckedForDamage)
{
    RegistryBalance balance;
    TempTree tree;
    tree.write("x.txt");
    TSxPidl folder = GetItemIDFromPath(tree.root());
    TSxPidl item = GetItemIDFromPath(*TSxShellFolder::bind(folder), QStringLiteral("x.txt"));
    std::unique_ptr<QMimeData> data(TDropPIDLSource(folder, {item}, TSxDropEffect::Copy).createMimeData());

    const TDropPIDLTarget dropped(data.get());
    ASSERT_TRUE(dropped.hasIdList());
    EXPECT_TRUE(dropped.folderId() == folder.view());
    ASSERT_EQ(dropped.itemCount(), 1);
    EXPECT_TRUE(dropped.item(0) == item.view());
    EXPECT_TRUE(dropped.item(1).isNull());
    EXPECT_EQ(dropped.preferredDropEffect(), TSxDropEffect::Copy);
    ASSERT_EQ(dropped.fileNameCount(), 1);
    EXPECT_EQ(dropped.fileName(0), tree.path("x.txt"));
    for (int bad : {1, -1}) {
        try {
            dropped.fileName(bad);
            ADD_FAILURE() << "no error for index " << bad;
        } catch (const ScrivoError& e) {
            EXPECT_EQ(e.text(), QStringLiteral("Filename index out of range"));
        }
    }

    const QString format = TSxDragFormat::mimeType(TSxDragFormat::ShellIdListArray);
    const QByteArray good = data->data(format);
    for (const QByteArray& damaged :
         {good.left(good.size() - 1), good.left(6), le32(0xFFFFFFFF) + good.mid(4), le32(1) + le32(9999) + good.mid(8),
          QByteArray()}) {
        QMimeData other;
        other.setData(format, damaged);
        const TDropPIDLTarget read(&other);
        EXPECT_FALSE(read.hasIdList());
        EXPECT_EQ(read.itemCount(), 0);
        EXPECT_TRUE(read.folderId().isNull());
    }
    EXPECT_EQ(TDropPIDLTarget(nullptr).fileNameCount(), 0);
}

TEST(DropRules, KeysProgramsAndVolumesChooseTheEffect)
{
    namespace Rules = TSxDropRules;
    constexpr quint32 All = TSxDropEffect::Copy | TSxDropEffect::Move | TSxDropEffect::Link;
    EXPECT_EQ(Rules::proposedEffect(All, Qt::ControlModifier | Qt::ShiftModifier, false, true), TSxDropEffect::Link);
    EXPECT_EQ(Rules::proposedEffect(All, Qt::ShiftModifier, false, false), TSxDropEffect::Move);
    EXPECT_EQ(Rules::proposedEffect(All, Qt::ControlModifier, false, true), TSxDropEffect::Copy);
    EXPECT_EQ(Rules::proposedEffect(All, Qt::NoModifier, true, true), TSxDropEffect::Link);
    EXPECT_EQ(Rules::proposedEffect(All, Qt::NoModifier, false, true), TSxDropEffect::Move);
    EXPECT_EQ(Rules::proposedEffect(All, Qt::NoModifier, false, false), TSxDropEffect::Copy);
    EXPECT_EQ(Rules::proposedEffect(TSxDropEffect::Link, Qt::NoModifier, false, false), TSxDropEffect::Link);
    EXPECT_EQ(Rules::proposedEffect(TSxDropEffect::Copy, Qt::ShiftModifier, false, true), TSxDropEffect::None);

    EXPECT_EQ(Rules::limitEffect(TSxDropEffect::Move, TSxDropEffect::Move), TSxDropEffect::Move);
    EXPECT_EQ(Rules::limitEffect(TSxDropEffect::Move, TSxDropEffect::Copy), TSxDropEffect::Copy);
    EXPECT_EQ(Rules::limitEffect(TSxDropEffect::Move, TSxDropEffect::Link), TSxDropEffect::Link);
    EXPECT_EQ(Rules::limitEffect(TSxDropEffect::Copy, TSxDropEffect::Link), TSxDropEffect::Link);
    EXPECT_EQ(Rules::limitEffect(TSxDropEffect::Link, TSxDropEffect::None), TSxDropEffect::None);
}
