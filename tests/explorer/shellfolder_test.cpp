#include "explorer/explorertest.h"

#include "explorer/shellfolder.h"
#include "explorer/shellicons.h"
#include "explorer/shellqueries.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMimeDatabase>
#include <QSet>

namespace {
QSet<QByteArray> enumerate(const TSxShellFolder& folder, quint32 contents, QSet<QByteArray>* folders = nullptr)
{
    QSet<QByteArray> names;
    std::optional<TSxEnumIdList> list = folder.enumObjects(contents);
    EXPECT_TRUE(list.has_value());
    if (!list)
        return names;
    while (TSxPidl item = list->next("test")) {
        EXPECT_EQ(item.view().count(), 1);
        names.insert(item.view().lastName().toByteArray());
        if (folders && item.view().lastIsFolder())
            folders->insert(item.view().lastName().toByteArray());
    }
    return names;
}

// A tree with folders, files, hidden entries and links.
struct SampleTree : TempTree {
    SampleTree()
    {
        mkdir("alpha/inner");
        mkdir("beta/.only-hidden");
        mkdir(".secret");
        write("notes.txt", "hello");
        write(".profile", "x");
        write("readme.xyz");
        write("plain");
        symlink(path("alpha"), "to-alpha");
        symlink(path("missing"), "dangling");
    }
};
}

TEST(ShellNamespace, ParsesPathsAndGivesThemBack)
{
    RegistryBalance balance;
    SampleTree tree;
    const QString file = tree.path("alpha/inner");
    TSxPidl id = GetItemIDFromPath(file);
    ASSERT_FALSE(id.isNull());
    EXPECT_EQ(TSxPidlManager::instance().countTagged("GetItemIDFromPath"), 1);
    EXPECT_EQ(pathFromIdList(id), file);
    EXPECT_EQ(id.view().element(0).name, "/");
    EXPECT_EQ(id.view().count(), 1 + QDir::cleanPath(file).count(u'/'));
    EXPECT_TRUE(id.view().lastIsFolder());

    TSxPidl notes = GetItemIDFromPath(tree.root() + QStringLiteral("//alpha/../notes.txt"));
    ASSERT_FALSE(notes.isNull());
    EXPECT_FALSE(notes.view().lastIsFolder());
    EXPECT_EQ(pathFromIdList(notes), tree.path("notes.txt"));
    // A link to a folder is a folder; a link to nothing is still an item.
    EXPECT_TRUE(GetItemIDFromPath(tree.path("to-alpha")).view().lastIsFolder());
    EXPECT_FALSE(GetItemIDFromPath(tree.path("dangling")).isNull());

    // ".." above the top is the top, as the kernel has it.
    EXPECT_EQ(pathFromIdList(GetItemIDFromPath(QStringLiteral("/../..") + tree.path("alpha"))), tree.path("alpha"));
    EXPECT_TRUE(GetItemIDFromPath(tree.path("nothing-here")).isNull());
    EXPECT_TRUE(GetItemIDFromPath(QStringLiteral("relative/path")).isNull());
    TSxPidl top = GetItemIDFromPath(QString());
    ASSERT_FALSE(top.isNull());
    EXPECT_TRUE(top.view().isEmpty());
    EXPECT_EQ(pathFromIdList(top), QString());
    EXPECT_EQ(pathFromIdList(GetItemIDFromPath(QStringLiteral("/"))), QStringLiteral("/"));

    // A folder parses names relative to itself, and nothing outside it.
    TSxShellFolder::Ptr alpha = TSxShellFolder::bind(GetItemIDFromPath(tree.path("alpha")));
    ASSERT_TRUE(alpha);
    TSxPidl inner = GetItemIDFromPath(*alpha, QStringLiteral("inner"));
    ASSERT_FALSE(inner.isNull());
    EXPECT_EQ(inner.view().count(), 1);
    EXPECT_EQ(alpha->pathOf(inner), file);
    EXPECT_TRUE(GetItemIDFromPath(*alpha, QStringLiteral("../notes.txt")).isNull());
    EXPECT_TRUE(GetItemIDFromPath(*alpha, QStringLiteral("inner/../..")).isNull());
    EXPECT_TRUE(GetItemIDFromPath(*alpha, QStringLiteral(".")).isNull());
    EXPECT_EQ(GetItemIDFromPath(*alpha, QStringLiteral("./inner/")).view().count(), 1);
}

TEST(ShellNamespace, EnumeratesNamesWithTheFolderAndHiddenRules)
{
    RegistryBalance balance;
    SampleTree tree;
    TSxShellFolder::Ptr folder = TSxShellFolder::bind(GetItemIDFromPath(tree.root()));
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->path(), tree.root());

    QSet<QByteArray> folders;
    EXPECT_EQ(enumerate(*folder, ShellContents::Folders, &folders), (QSet<QByteArray>{"alpha", "beta", "to-alpha"}));
    EXPECT_EQ(folders.size(), 3);
    EXPECT_EQ(enumerate(*folder, ShellContents::NonFolders, &folders),
              (QSet<QByteArray>{"notes.txt", "readme.xyz", "plain", "dangling"}));
    EXPECT_EQ(folders.size(), 3);
    EXPECT_EQ(enumerate(*folder, ShellContents::Folders | ShellContents::NonFolders | ShellContents::IncludeHidden)
                  .size(),
              9);
    EXPECT_TRUE(enumerate(*folder, 0).isEmpty());

    tree.remove("beta");
    TSxShellFolder::Ptr gone = TSxShellFolder::bind(GetItemIDFromPath(tree.root() + QStringLiteral("/alpha")));
    tree.remove("alpha/inner");
    tree.remove("alpha");
    ASSERT_TRUE(gone);
    EXPECT_FALSE(gone->enumObjects(ShellContents::Folders).has_value());
}

TEST(ShellNamespace, AttributesComeFromTheFileSystem)
{
    RegistryBalance balance;
    SampleTree tree;
    tree.write("locked.txt");
    tree.chmod("locked.txt", 0444);
    TSxShellFolder::Ptr folder = TSxShellFolder::bind(GetItemIDFromPath(tree.root()));
    ASSERT_TRUE(folder);
    auto attrs = [&](const char* name, TSxAttributes mask) {
        TSxPidl id = GetItemIDFromPath(*folder, QString::fromUtf8(name));
        EXPECT_FALSE(id.isNull()) << name;
        return folder->attributesOf(id, mask);
    };
    const TSxAttributes all = TSxAttr::Folder | TSxAttr::Hidden | TSxAttr::Link | TSxAttr::ReadOnly
                              | TSxAttr::FileSystem | TSxAttr::HasSubfolder | TSxAttr::Validate;
    EXPECT_EQ(attrs("alpha", all), TSxAttr::Folder | TSxAttr::FileSystem | TSxAttr::HasSubfolder | TSxAttr::Validate);
    // Hidden subfolders do not make an expand button.
    EXPECT_EQ(attrs("beta", all), TSxAttr::Folder | TSxAttr::FileSystem | TSxAttr::Validate);
    EXPECT_EQ(attrs(".secret", all), TSxAttr::Folder | TSxAttr::Hidden | TSxAttr::FileSystem | TSxAttr::Validate);
    EXPECT_EQ(attrs("to-alpha", all),
              TSxAttr::Folder | TSxAttr::Link | TSxAttr::FileSystem | TSxAttr::HasSubfolder | TSxAttr::Validate);
    EXPECT_EQ(attrs("notes.txt", all), TSxAttr::FileSystem | TSxAttr::Validate);
    EXPECT_EQ(attrs("locked.txt", all), TSxAttr::ReadOnly | TSxAttr::FileSystem | TSxAttr::Validate);
    EXPECT_EQ(attrs(".profile", TSxAttr::Hidden | TSxAttr::Ghosted), TSxAttr::Hidden | TSxAttr::Ghosted);
    EXPECT_EQ(attrs("notes.txt", TSxAttr::Share | TSxAttr::Compressed), 0u);

    EXPECT_TRUE(HasAttributeFromPIDL(TSxAttr::Link | TSxAttr::Hidden, GetItemIDFromPath(tree.path("to-alpha"))));
    EXPECT_FALSE(HasAttributeFromPIDL(TSxAttr::Folder, GetItemIDFromPath(tree.path("notes.txt"))));
    EXPECT_FALSE(HasAttribute(TSxAttr::Folder, *folder, PidlView()));

    TSxPidl notes = GetItemIDFromPath(tree.path("notes.txt"));
    EXPECT_TRUE(isValidPIDL(notes));
    tree.remove("notes.txt");
    EXPECT_FALSE(isValidPIDL(notes));
    EXPECT_TRUE(isValidPIDL(PidlView()));

    const std::optional<TSxFindData> data = folder->findData(GetItemIDFromPath(*folder, QStringLiteral("locked.txt")));
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->isRegularFile);
    EXPECT_TRUE(data->readOnly);
    EXPECT_FALSE(data->hidden);
    EXPECT_EQ(data->size, 0);
    EXPECT_GT(data->lastWriteMSecs, 0);
    EXPECT_TRUE(IsDirectory(tree.path("to-alpha")));
    EXPECT_FALSE(IsDirectory(tree.path("plain")));
}

TEST(ShellNamespace, TopHoldsHomeAndRootAndSpecialFoldersMapToThem)
{
    RegistryBalance balance;
    TSxShellFolder::Ptr desktop = TSxShellFolder::desktop();
    QSet<QByteArray> folders;
    EXPECT_EQ(enumerate(*desktop, ShellContents::Folders, &folders), (QSet<QByteArray>{"~", "/"}));
    EXPECT_EQ(folders.size(), 2);
    EXPECT_TRUE(enumerate(*desktop, ShellContents::NonFolders).isEmpty());
    EXPECT_EQ(desktop->displayNameOf(PidlView()), QStringLiteral("Desktop"));

    TSxPidl home = SpecialFolderLocation(5, "test");
    ASSERT_FALSE(home.isNull());
    EXPECT_EQ(home.view().lastName(), "~");
    EXPECT_EQ(pathFromIdList(home), QDir::homePath());
    EXPECT_EQ(desktop->displayNameOf(home), QDir(QDir::homePath()).dirName());
    EXPECT_TRUE(HasPathOnKnownDrive(home));
    // Home first, then "/", whatever the names say.
    TSxPidl root = GetItemIDFromPath(QStringLiteral("/"));
    EXPECT_EQ(desktop->compareIDs(home, root), -1);
    EXPECT_EQ(desktop->compareIDs(root, home), 1);

    // Home and "/" are two routes to the same folder: not equal identifiers.
    TSxPidl parsedHome = GetItemIDFromPath(QDir::homePath());
    EXPECT_FALSE(parsedHome.view() == home.view());
    EXPECT_EQ(pathFromIdList(parsedHome), pathFromIdList(home));

    TSxPidl top = SpecialFolderLocation(0, "test");
    ASSERT_FALSE(top.isNull());
    EXPECT_TRUE(top.view().isEmpty());
    EXPECT_FALSE(HasPathOnKnownDrive(top));
    TSxPidl drives = SpecialFolderLocation(17, "test");
    EXPECT_TRUE(isDrivesFolder(drives));
    EXPECT_EQ(pathFromIdList(drives), QString());
    EXPECT_TRUE(SpecialFolderLocation(3, "test").isNull()); // no control panel here

    QDir(QDir::homePath()).mkpath(QStringLiteral("Desktop"));
    TSxPidl desk = SpecialFolderLocation(16, "test");
    ASSERT_FALSE(desk.isNull());
    EXPECT_EQ(desk.view().element(0).name, "~");
    EXPECT_TRUE(home.view().isParentOf(desk, true));
}

TEST(ShellNamespace, NameColumnOrderPutsFoldersFirst)
{
    RegistryBalance balance;
    SampleTree tree;
    tree.mkdir("Zeta");
    tree.write("aaa.txt");
    TSxShellFolder::Ptr folder = TSxShellFolder::bind(GetItemIDFromPath(tree.root()));
    ASSERT_TRUE(folder);
    auto id = [&](const char* name) { return GetItemIDFromPath(*folder, QString::fromUtf8(name)); };
    EXPECT_EQ(folder->compareIDs(id("Zeta"), id("aaa.txt")), -1);
    EXPECT_EQ(folder->compareIDs(id("aaa.txt"), id("Zeta")), 1);
    EXPECT_EQ(folder->compareIDs(id("alpha"), id("Zeta")), -1);
    EXPECT_EQ(folder->compareIDs(id("notes.txt"), id("notes.txt")), 0);
    EXPECT_EQ(folder->compareIDs(id("alpha/inner"), id("alpha")), 1);
}

TEST(ShellNamespace, DisplayAndTypeNames)
{
    RegistryBalance balance;
    SampleTree tree;
    TSxShellFolder::Ptr folder = TSxShellFolder::bind(GetItemIDFromPath(tree.root()));
    ASSERT_TRUE(folder);
    EXPECT_EQ(DisplayName(*folder, GetItemIDFromPath(*folder, QStringLiteral("notes.txt"))), QStringLiteral("notes.txt"));
    EXPECT_EQ(DisplayNameOf(GetItemIDFromPath(tree.path("alpha/inner"))), QStringLiteral("inner"));

    QMimeDatabase db;
    EXPECT_EQ(typeNameOfFile(QStringLiteral("readme.xyz")), QStringLiteral("xyz File"));
    EXPECT_EQ(typeNameOfFile(QStringLiteral("notes.cfg")), QStringLiteral("cfg File"));
    EXPECT_EQ(typeNameOfFile(QStringLiteral("plain")), QString());
    EXPECT_EQ(typeNameOfFile(QStringLiteral(".hiddenrc")), QString());
    EXPECT_EQ(typeNameOfFile(QStringLiteral("letter.txt")), db.mimeTypeForName(QStringLiteral("text/plain")).comment());
    EXPECT_EQ(typeNameOfFile(QStringLiteral("tool"), true),
              db.mimeTypeForName(QStringLiteral("application/x-executable")).comment());
    EXPECT_EQ(TypeName(GetItemIDFromPath(tree.path("readme.xyz"))), QStringLiteral("xyz File"));
    EXPECT_EQ(TypeName(GetItemIDFromPath(tree.path("alpha"))), db.mimeTypeForName(QStringLiteral("inode/directory")).comment());

    tree.chmod("plain", 0755);
    EXPECT_TRUE(IsProgram(tree.path("plain")));
    EXPECT_FALSE(IsProgram(tree.path("notes.txt")));
    EXPECT_FALSE(IsProgram(tree.path("alpha")));
    EXPECT_EQ(LinkTarget(tree.path("to-alpha")), QFileInfo(tree.path("alpha")).canonicalFilePath());
    EXPECT_EQ(LinkTarget(tree.path("dangling")), QString());
    EXPECT_EQ(LinkTarget(tree.path("notes.txt")), QString());
}

TEST(ShellNamespace, IconsAreSharedByIndex)
{
    RegistryBalance balance;
    SampleTree tree;
    const int closed = SmallIconIndex(GetItemIDFromPath(tree.path("alpha")), false);
    const int open = SmallIconIndex(GetItemIDFromPath(tree.path("alpha")), true);
    EXPECT_EQ(closed, folderIconIndex(false));
    EXPECT_EQ(open, folderIconIndex(true));
    EXPECT_NE(closed, open);
    const int text = SmallIconIndex(GetItemIDFromPath(tree.path("notes.txt")), false);
    EXPECT_EQ(text, genericIconIndex(QStringLiteral("other.txt")));
    EXPECT_EQ(genericIconIndex(QStringLiteral("x"), true), closed);
    EXPECT_FALSE(TSxSystemImageList::instance().icon(text).isNull());
    EXPECT_TRUE(TSxSystemImageList::instance().icon(-1).isNull());
    EXPECT_EQ(defaultCdromIconIndex(), defaultCdromIconIndex());
}

TEST(ShellNamespace, ThousandsUseTheLocaleSeparator)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(GroupThousands(QStringLiteral("1234567")), QStringLiteral("1,234,567"));
    EXPECT_EQ(GroupThousands(QStringLiteral("123456")), QStringLiteral("123,456"));
    EXPECT_EQ(GroupThousands(QStringLiteral("1234")), QStringLiteral("1,234"));
    EXPECT_EQ(GroupThousands(QStringLiteral("999")), QStringLiteral("999"));
    EXPECT_EQ(GroupThousands(QStringLiteral("-4883")), QStringLiteral("-4,883"));
    EXPECT_EQ(GroupThousands(QStringLiteral("4883KB")), QStringLiteral("4,883KB"));
    EXPECT_EQ(GroupThousands(QString()), QString());
    EXPECT_EQ(FormatThousands(5000000000LL), QStringLiteral("5,000,000,000"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(GroupThousands(QStringLiteral("1234567")), QStringLiteral("1.234.567"));
    QLocale::setDefault(saved);
}
