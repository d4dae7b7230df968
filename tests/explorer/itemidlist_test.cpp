#include "explorer/explorertest.h"

#include "explorer/itemidlist.h"
#include "explorer/pidlmanager.h"
#include "platform/errors.h"

#include <QString>

namespace {
QByteArray names(PidlView id)
{
    QByteArray out;
    for (const ItemIdElement& e : id)
        out += (out.isEmpty() ? "" : "|") + e.name.toByteArray();
    return out;
}
}

TEST(ItemIdList, ElementsJoinSplitAndCompare)
{
    RegistryBalance balance;
    TSxPidl desktop = TSxPidl::empty("test");
    TSxPidl docs = testIdentifier({"/", "home", "docs"});
    TSxPidl file = testElement("notes.txt");

    EXPECT_TRUE(desktop.view().isEmpty());
    EXPECT_EQ(desktop.view().count(), 0);
    EXPECT_EQ(docs.view().count(), 3);

    TSxPidl full = TSxPidl::combine(docs, file, "test");
    EXPECT_EQ(names(full), "/|home|docs|notes.txt");
    EXPECT_EQ(full.view().lastName(), "notes.txt");
    EXPECT_FALSE(full.view().lastIsFolder());
    EXPECT_TRUE(full.view().last() == file.view());
    EXPECT_EQ(full.view().byteSize(), docs.view().byteSize() + file.view().byteSize() - 2);

    // Strip the last element: the parent, in place.
    TSxPidl parent = full.copy("test");
    EXPECT_TRUE(parent.removeLast());
    EXPECT_TRUE(parent.view() == docs.view());
    EXPECT_TRUE(desktop.copy("test").removeLast() == false);

    // Joining with the empty identifier changes nothing.
    EXPECT_TRUE(TSxPidl::combine(desktop, docs, "test").view() == docs.view());
    EXPECT_TRUE(TSxPidl::combine(docs, desktop, "test").view() == docs.view());
}

TEST(ItemIdList, AncestorTestIsNotImmediateOnly)
{
    RegistryBalance balance;
    TSxPidl desktop = TSxPidl::empty("test");
    TSxPidl root = testIdentifier({"/"});
    TSxPidl usr = testIdentifier({"/", "usr"});
    TSxPidl share = testIdentifier({"/", "usr", "share"});
    TSxPidl usrlocal = testIdentifier({"/", "usrlocal"});

    EXPECT_TRUE(desktop.view().isParentOf(share));
    EXPECT_TRUE(root.view().isParentOf(share));
    EXPECT_FALSE(root.view().isParentOf(share, true));
    EXPECT_TRUE(usr.view().isParentOf(share, true));
    EXPECT_FALSE(share.view().isParentOf(usr));
    EXPECT_FALSE(usr.view().isParentOf(usr));      // not its own parent
    EXPECT_FALSE(usr.view().isParentOf(usrlocal)); // element names, not byte prefixes
    EXPECT_FALSE(desktop.view().isParentOf(desktop));
}

TEST(ItemIdList, EqualityIsByNamesNotCachedFlags)
{
    RegistryBalance balance;
    TSxPidl asFolder = testIdentifier({"/", "thing"});
    TSxPidl asFile = testIdentifier({"/", "thing"}, true);
    TSxPidl other = testIdentifier({"/", "Thing"});
    EXPECT_TRUE(asFolder.view() == asFile.view());
    EXPECT_FALSE(asFolder.view().sameBytes(asFile));
    EXPECT_FALSE(asFolder.view() == other.view()); // names are case-sensitive, as the file system is
    EXPECT_TRUE(PidlView() == TSxPidl::empty("test").view());
}

TEST(ItemIdList, MalformedBytesAreRecognised)
{
    const QByteArray good = encodeItemIdElement("a", 0) + encodeItemIdElement("bc", 1) + QByteArray(2, '\0');
    EXPECT_EQ(validItemIdSize(good), good.size());
    EXPECT_EQ(validItemIdSize(good + "trailing"), good.size());
    EXPECT_EQ(validItemIdSize(QByteArray(2, '\0')), 2);
    EXPECT_EQ(validItemIdSize(good.left(good.size() - 1)), -1);  // no terminator
    EXPECT_EQ(validItemIdSize(QByteArray("\x03\x00\x00\x00\x00", 5)), -1); // empty name
    EXPECT_EQ(validItemIdSize(QByteArray("\xff\x00\x00\x41\x00\x00", 6)), -1); // size past the end
    EXPECT_EQ(validItemIdSize(QByteArray()), -1);
    EXPECT_THROW(encodeItemIdElement("", 0), std::length_error);
    EXPECT_THROW(encodeItemIdElement(QByteArray(70000, 'x'), 0), std::length_error);
}

TEST(PidlRegistry, HandlesRegisterWithTagsAndFreeThroughTheRegistry)
{
    TSxPidlManager& registry = TSxPidlManager::instance();
    const qsizetype before = registry.count();
    {
        TSxPidl a = TSxPidl::adopt(ItemIdAllocator::allocElement("x", 0), "SxExplorerListView: FillView");
        TSxPidl b = a.copy("SxExplorerTreeView: AddNodeData");
        TSxPidl c = TSxPidl::combine(a, b, "SxExplorerTreeView: AddNodeData");
        EXPECT_EQ(registry.count(), before + 3);
        EXPECT_EQ(registry.countTagged("SxExplorerListView: FillView"), 1);
        EXPECT_EQ(registry.countTagged("SxExplorerTreeView: AddNodeData"), 2);

        // Registering again keeps one record with its first tag.
        registry.Register(a.get(), "other");
        EXPECT_EQ(registry.count(), before + 3);
        EXPECT_EQ(registry.countTagged("other"), 0);

        TSxPidl moved = std::move(c);
        EXPECT_TRUE(c.isNull());
        moved = std::move(b); // frees what moved held
        EXPECT_EQ(registry.count(), before + 2);
    }
    EXPECT_EQ(registry.count(), before);
}

TEST(PidlRegistry, FreeingAnUnregisteredIdentifierFreesItAndRaises)
{
    TSxPidlManager& registry = TSxPidlManager::instance();
    const qsizetype before = registry.count();
    PIDL stranger = ItemIdAllocator::allocElement("stranger", 0);
    try {
        registry.FreePidl(stranger); // freed all the same: the sanitizer build would see a leak
        FAIL() << "no error raised";
    } catch (const ScrivoError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Attempting to free unregistered PIDL"));
    }
    registry.FreePidl(nullptr); // ignored
    PIDL known = registry.CopyPidl(PidlView(), "test");
    EXPECT_NO_THROW(registry.FreePidl(known));
    EXPECT_EQ(registry.count(), before);
}

TEST(PidlRegistry, ShutdownWarnsOnlyWhenRecordsRemain)
{
    {
        TSxPidlManager clean;
        QStringList warnings;
        clean.setLeakWarning([&](const QString& text) { warnings << text; });
        PIDL p = clean.CopyPidl(PidlView(), "test");
        clean.FreePidl(p);
        clean.Shutdown();
        EXPECT_TRUE(warnings.isEmpty());
    }
    {
        TSxPidlManager leaky;
        QStringList warnings;
        leaky.setLeakWarning([&](const QString& text) { warnings << text; });
        PIDL forgotten = leaky.CopyPidl(PidlView(), "SxExplorerTreeView: FileChange");
        leaky.Shutdown();
        EXPECT_EQ(warnings, QStringList{QStringLiteral("Warning, potential PIDL memory leak exists")});
        EXPECT_EQ(leaky.count(), 0);
        // After the warning the records are gone: the late free is accepted.
        EXPECT_NO_THROW(leaky.FreePidl(forgotten));
        leaky.Shutdown();
        EXPECT_EQ(warnings.size(), 1);
    }
}
