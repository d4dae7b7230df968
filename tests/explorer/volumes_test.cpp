#include "explorer/explorertest.h"

#include "explorer/shellfolder.h"
#include "explorer/shellqueries.h"
#include "explorer/volumes.h"
#include "platform/errors.h"

#include <QFile>

namespace {
// Points the volume queries at a mount table and label folder of the test's.
class FakeVolumes {
public:
    explicit FakeVolumes(const TempTree& tree) : m_saved(volumeSources()), m_tree(tree)
    {
        m_tree.mkdir("by-label");
        m_tree.mkdir("sys-block");
        TSxVolumeSources sources;
        sources.mountsFile = m_tree.path("mounts");
        sources.byLabelDir = m_tree.path("by-label");
        sources.sysClassBlock = m_tree.path("sys-block");
        setVolumeSources(sources);
    }
    ~FakeVolumes() { setVolumeSources(m_saved); }
    void mounts(const QByteArray& text) const { m_tree.write("mounts", text); }

private:
    TSxVolumeSources m_saved;
    const TempTree& m_tree;
};
}

TEST(Volumes, MountTableGivesDrivesTheirTypes)
{
    const TSxVolumeTable table = TSxVolumeTable::parse(
        "/dev/sda1 / ext4 rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sr0 /media/My\\040Disc iso9660 ro 0 0\n"
        "server:/export /net/share nfs4 rw 0 0\n"
        "tmpfs /scratch tmpfs rw 0 0\n"
        "/dev/sdb1 /media/old vfat rw 0 0\n"
        "/dev/sdc1 /media/old ext4 rw 0 0\n");
    ASSERT_EQ(table.mounts().size(), 8u);
    EXPECT_EQ(table.mounts()[3].mountPoint, "/media/My Disc");
    EXPECT_EQ(table.driveType("/home/user/file"), TSxDriveType::Fixed);
    EXPECT_EQ(table.driveType("/media/My Disc/setup.exe"), TSxDriveType::CdRom);
    EXPECT_EQ(table.driveType("/media/My Discs"), TSxDriveType::Fixed); // a prefix, not a parent
    EXPECT_EQ(table.driveType("/net/share/x"), TSxDriveType::Remote);
    EXPECT_EQ(table.driveType("/scratch"), TSxDriveType::RamDisk);
    EXPECT_EQ(table.driveType("relative"), TSxDriveType::Unknown);
    EXPECT_EQ(table.driveType(""), TSxDriveType::Unknown);
    // The later mount on the same point hides the earlier.
    ASSERT_NE(table.mountOf("/media/old/x"), nullptr);
    EXPECT_EQ(table.mountOf("/media/old/x")->device, "/dev/sdc1");
    EXPECT_EQ(TSxVolumeTable::parse("proc /proc proc rw 0 0\n").driveType("/x"), TSxDriveType::NoRootDir);
}

TEST(Volumes, DrivesFolderListsTheVolumesUsersStoreFilesOn)
{
    RegistryBalance balance;
    TempTree tree;
    FakeVolumes fake(tree);
    tree.mkdir("cd");
    tree.write("single-file");
    const QByteArray cd = QFile::encodeName(tree.path("cd"));
    fake.mounts("overlay / overlay rw 0 0\n"
                "proc /proc proc rw 0 0\n"
                "/dev/vda " + QFile::encodeName(tree.path("single-file")) + " ext4 rw 0 0\n"
                "/dev/sr0 " + cd + " iso9660 ro 0 0\n"
                "host:/x /nonexistent/share nfs rw 0 0\n"
                "tmpfs /tmp tmpfs rw 0 0\n");
    QList<QByteArray> points;
    for (const TSxMountEntry& v : TSxVolumeTable::current().volumes())
        points << v.mountPoint;
    EXPECT_EQ(points, (QList<QByteArray>{"/", "/nonexistent/share", cd}));

    TSxPidl drivesId = SpecialFolderLocation(17, "test");
    TSxShellFolder::Ptr drives = TSxShellFolder::bind(drivesId);
    ASSERT_TRUE(drives);
    EXPECT_EQ(drives->kind(), TSxShellFolder::Kind::Drives);
    std::optional<TSxEnumIdList> list = drives->enumObjects(ShellContents::Folders);
    ASSERT_TRUE(list);
    QList<QString> paths;
    while (TSxPidl item = list->next("test")) {
        EXPECT_TRUE(item.view().lastIsFolder());
        paths << drives->pathOf(item);
    }
    EXPECT_EQ(paths, (QList<QString>{"/", "/nonexistent/share", tree.path("cd")}));

    TSxPidl cdItem = GetItemIDFromPath(*drives, tree.path("cd"));
    ASSERT_FALSE(cdItem.isNull());
    TSxPidl cdAbsolute = TSxPidl::combine(drivesId, cdItem, "test");
    EXPECT_EQ(classifyItem(cdAbsolute), TSxItemKind::Drive);
    EXPECT_TRUE(isValidPIDL(cdAbsolute));
    EXPECT_TRUE(HasAttributeFromPIDL(TSxAttr::Removable, cdAbsolute));
    EXPECT_TRUE(GetItemIDFromPath(*drives, tree.path("single-file")).isNull());
    fake.mounts("overlay / overlay rw 0 0\n");
    EXPECT_FALSE(isValidPIDL(cdAbsolute)); // ejected
}

TEST(Volumes, ReadinessNeedsAnAbsolutePathAndAWorkingMount)
{
    TempTree tree;
    FakeVolumes fake(tree);
    tree.mkdir("disc");
    fake.mounts("/dev/vda / ext4 rw 0 0\n"
                "/dev/sr0 " + QFile::encodeName(tree.path("disc")) + " iso9660 ro 0 0\n"
                "/dev/sr1 /nonexistent/cdrom iso9660 ro 0 0\n");
    EXPECT_TRUE(DriveReady(tree.path("disc/sub/file")));
    EXPECT_FALSE(DriveReady(QStringLiteral("/nonexistent/cdrom/file")));
    EXPECT_EQ(driveTypeOfPath(tree.path("disc")), TSxDriveType::CdRom);
    for (const QString& bad : {QStringLiteral("C:\\"), QStringLiteral("relative"), QString()}) {
        try {
            DriveReady(bad);
            ADD_FAILURE() << "no error for " << bad.toStdString();
        } catch (const ScrivoError& e) {
            EXPECT_EQ(e.text(), QStringLiteral("Not a valid drive ID"));
        }
    }
}

TEST(Volumes, LabelsComeFromTheMountAndAreCasedForDiscs)
{
    TempTree tree;
    FakeVolumes fake(tree);
    tree.mkdir("usb");
    tree.mkdir("disc");
    tree.mkdir("bare");
    tree.write("sdb1");
    tree.write("sr0.iso", isoImage("WORK DISC"));
    tree.write("sr1.iso", isoImage(""));
    tree.symlink(tree.path("sdb1"), "by-label/MY\\x20STICK");
    fake.mounts(QFile::encodeName(tree.path("sdb1")) + " " + QFile::encodeName(tree.path("usb")) + " vfat rw 0 0\n"
                + QFile::encodeName(tree.path("sr0.iso")) + " " + QFile::encodeName(tree.path("disc")) + " iso9660 ro 0 0\n"
                + QFile::encodeName(tree.path("sr1.iso")) + " " + QFile::encodeName(tree.path("bare")) + " iso9660 ro 0 0\n");
    EXPECT_EQ(volumeLabel(tree.path("usb")), QStringLiteral("MY STICK"));
    EXPECT_EQ(volumeLabel(tree.path("disc")), QStringLiteral("WORK DISC"));
    EXPECT_EQ(volumeLabel(tree.path("bare")), QString());
    EXPECT_EQ(volumeLabel(tree.path("not-mounted")), QString());

    EXPECT_EQ(labelCase(QStringLiteral("WORK DISC")), QStringLiteral("Work Disc"));
    EXPECT_EQ(labelCase(QStringLiteral("MY DISC 1")), QStringLiteral("My Disc 1"));
    EXPECT_EQ(labelCase(QStringLiteral("été  DEUX")), QStringLiteral("Été  Deux"));
    EXPECT_EQ(labelCase(QString()), QString());
    EXPECT_EQ(driveCaption(QStringLiteral("Work Disc"), QStringLiteral("/media/cdrom")),
              QStringLiteral("Work Disc (/media/cdrom)"));
    EXPECT_EQ(driveCaption(QString(), QStringLiteral("/media/cdrom")), QStringLiteral(" (/media/cdrom)"));

    // The drives folder names a labelled volume by label and mount point.
    TSxPidl drivesId = SpecialFolderLocation(17, "test");
    TSxShellFolder::Ptr drives = TSxShellFolder::bind(drivesId);
    TSxPidl usb = GetItemIDFromPath(*drives, tree.path("usb"));
    EXPECT_EQ(drives->displayNameOf(usb), QStringLiteral("MY STICK (") + tree.path("usb") + u')');
}
