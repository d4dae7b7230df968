#include "documents/filewriter.h"

#include "support/filebytes.h"
#include "support/nativefiles.h"

#include "platform/nativenames.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileWriterTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.path() + u'/' + name; }

    void put(const QString& name, const QByteArray& bytes, mode_t mode = 0644)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        ASSERT_EQ(::chmod(native(name).constData(), mode), 0);
    }

    QByteArray bytesOf(const QString& name) const { return readBytes(path(name)); }

    struct stat statOf(const QString& name) const
    {
        struct stat st {};
        ::lstat(native(name).constData(), &st);
        return st;
    }

    QByteArray native(const QString& name) const { return QFile::encodeName(path(name)); }

    // The folder's entries: no temporary file may be left behind.
    QStringList entries() const { return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden); }

    QTemporaryDir m_dir;
};

}

TEST_F(FileWriterTest, ReplacesContentKeepingModeAndLeavingNothingBehind)
{
    ASSERT_TRUE(writeWholeFile(path("new.txt"), "fresh"));
    EXPECT_EQ(bytesOf("new.txt"), "fresh");

    put("script.sh", "#!/bin/sh\necho old\n", 0750);
    const ino_t before = statOf("script.sh").st_ino;
    ASSERT_TRUE(writeWholeFile(path("script.sh"), "#!/bin/sh\necho new\n"));
    EXPECT_EQ(bytesOf("script.sh"), "#!/bin/sh\necho new\n");
    EXPECT_EQ(statOf("script.sh").st_mode & 07777, 0750u);
    EXPECT_NE(statOf("script.sh").st_ino, before) << "a new file took the name";
    EXPECT_EQ(entries(), (QStringList{"new.txt", "script.sh"}));
}

TEST_F(FileWriterTest, FollowsSymbolicLinks)
{
    put("target.txt", "old");
    ASSERT_TRUE(QFile::link(path("target.txt"), path("link.txt")));
    ASSERT_TRUE(writeWholeFile(path("link.txt"), "new"));
    EXPECT_TRUE(S_ISLNK(statOf("link.txt").st_mode)) << "the link stays a link";
    EXPECT_EQ(bytesOf("target.txt"), "new");

    // A dangling link creates the file it names.
    ASSERT_EQ(::symlink("later.txt", native("dangling.txt").constData()), 0);
    ASSERT_TRUE(writeWholeFile(path("dangling.txt"), "made"));
    EXPECT_EQ(bytesOf("later.txt"), "made");

    ASSERT_EQ(::symlink("loop.txt", native("loop.txt").constData()), 0);
    EXPECT_FALSE(writeWholeFile(path("loop.txt"), "x"));
}

TEST_F(FileWriterTest, NamesThatAreNotUtf8AreWrittenByTheirOwnBytes)
{
    const QByteArray folder = QFile::encodeName(m_dir.path()) + "/dir\xE9";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const auto removed = qScopeGuard([&] { removeNativeTree(folder); });
    const QByteArray odd = folder + "/c\xFF.txt";
    const QByteArray replacement = folder + "/c\xEF\xBF\xBD.txt";
    ASSERT_TRUE(writeNative(odd, "old FF"));
    ASSERT_TRUE(writeNative(replacement, "U+FFFD"));

    ASSERT_TRUE(writeWholeFile(NativeNames::fromNative(odd), "new FF"));
    EXPECT_EQ(readNative(odd), "new FF");
    EXPECT_EQ(readNative(replacement), "U+FFFD");

    // A new file, and a link whose target's name is not UTF-8 either.
    ASSERT_TRUE(writeWholeFile(NativeNames::fromNative(folder + "/new\xFE.txt"), "made"));
    EXPECT_EQ(readNative(folder + "/new\xFE.txt"), "made");
    ASSERT_EQ(::symlink("c\xFF.txt", (folder + "/link\xFF").constData()), 0);
    ASSERT_TRUE(writeWholeFile(NativeNames::fromNative(folder + "/link\xFF"), "through the link"));
    EXPECT_EQ(readNative(odd), "through the link");
    EXPECT_EQ(readNative(replacement), "U+FFFD");

    // Nothing else was made beside them.
    const std::vector<QByteArray> expected{"c\xEF\xBF\xBD.txt", "c\xFF.txt", "link\xFF", "new\xFE.txt"};
    EXPECT_EQ(nativeEntries(folder), expected);
}

TEST_F(FileWriterTest, WritesInPlaceWhereARenameWouldLoseSomething)
{
    // Several names for one file: all of them see the new content.
    put("a.txt", "shared");
    ASSERT_EQ(::link(native("a.txt").constData(), native("b.txt").constData()), 0);
    ASSERT_TRUE(writeWholeFile(path("a.txt"), "changed and longer"));
    EXPECT_EQ(bytesOf("b.txt"), "changed and longer");
    ASSERT_TRUE(writeWholeFile(path("b.txt"), "short"));
    EXPECT_EQ(bytesOf("a.txt"), "short");

    // A read-only folder: the file is rewritten, the folder left alone; a
    // new file there is refused.
    ASSERT_TRUE(QDir().mkdir(path("locked")));
    put("locked/in.txt", "before", 0640);
    ASSERT_EQ(::chmod(native("locked").constData(), 0555), 0);
    EXPECT_TRUE(writeWholeFile(path("locked/in.txt"), "after"));
    EXPECT_FALSE(writeWholeFile(path("locked/other.txt"), "x"));
    ::chmod(native("locked").constData(), 0755);
    EXPECT_EQ(bytesOf("locked/in.txt"), "after");
    EXPECT_EQ(statOf("locked/in.txt").st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(path("locked")).entryList(QDir::Files | QDir::Hidden), QStringList{"in.txt"});
}

TEST_F(FileWriterTest, KeepsAnotherUsersOwnership)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a file away";
    put("theirs.txt", "old");
    ASSERT_EQ(::chown(native("theirs.txt").constData(), 65534, 65534), 0);
    ASSERT_TRUE(writeWholeFile(path("theirs.txt"), "new"));
    EXPECT_EQ(statOf("theirs.txt").st_uid, 65534u);
    EXPECT_EQ(statOf("theirs.txt").st_gid, 65534u);
    EXPECT_EQ(bytesOf("theirs.txt"), "new");
}

TEST_F(FileWriterTest, RefusalsAndFailuresLeaveTheOldContent)
{
    put("readonly.txt", "keep", 0444);
    EXPECT_FALSE(writeWholeFile(path("readonly.txt"), "lost"));
    EXPECT_EQ(bytesOf("readonly.txt"), "keep");
    EXPECT_FALSE(writeWholeFile(m_dir.path(), "a folder"));
    EXPECT_FALSE(writeWholeFile(QStringLiteral("/dev/null"), "a device"));
    EXPECT_FALSE(writeWholeFile(path("no/such/folder.txt"), "x"));

    // Writes that run out of room (a file size limit stands in for a full
    // disk), by rename and in place.
    put("full.txt", "old content");
    put("linked.txt", "old content");
    ASSERT_EQ(::link(native("linked.txt").constData(), native("linked2.txt").constData()), 0);
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QByteArray big(100000, 'x');
    const bool replaced = writeWholeFile(path("full.txt"), big);
    const bool inPlace = writeWholeFile(path("linked.txt"), big);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(replaced);
    EXPECT_FALSE(inPlace);
    EXPECT_EQ(bytesOf("full.txt"), "old content");
    EXPECT_EQ(bytesOf("linked.txt"), "old content");
    EXPECT_EQ(entries(), (QStringList{"full.txt", "linked.txt", "linked2.txt", "readonly.txt"}));
}
