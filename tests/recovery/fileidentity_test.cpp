#include "recovery/fileidentity.h"

#include "support/filebytes.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

namespace {

// Sets a file's last write to a whole second, as a checkout or "touch -d" does.
bool setModified(const QString& path, qint64 seconds)
{
    const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

} // namespace

TEST(FileIdentity, TellsATouchFromAChangeOfContent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("notes.txt"));
    ASSERT_TRUE(writeBytes(path, "hello"));
    ASSERT_TRUE(setModified(path, 1'700'000'000));
    const FileIdentity read = FileIdentity::ofFile(path, "hello");
    EXPECT_TRUE(read.exists);
    EXPECT_EQ(read.size, 5);
    EXPECT_EQ(read.modifiedNs, 1'700'000'000'000'000'000LL);
    EXPECT_TRUE(read.sameMetadata(FileIdentity::of(path)));
    EXPECT_TRUE(read.holds("hello"));
    EXPECT_FALSE(read.holds("hellO"));
    EXPECT_FALSE(read.holds("hello!"));

    // Touched: the metadata says something happened, the content that
    // nothing did.
    ASSERT_TRUE(setModified(path, 1'700'000'100));
    const FileIdentity touched = FileIdentity::of(path);
    EXPECT_FALSE(read.sameMetadata(touched));
    EXPECT_FALSE(read.sameSizeAndTime(touched));
    EXPECT_TRUE(read.holds(readBytes(path)));

    // Replaced by another file of the same size and time: a new inode.
    const QString other = dir.filePath(QStringLiteral("other.txt"));
    ASSERT_TRUE(writeBytes(other, "hellO"));
    ASSERT_TRUE(setModified(other, 1'700'000'100));
    ASSERT_TRUE(QFile::remove(path) && QFile::rename(other, path));
    const FileIdentity replaced = FileIdentity::of(path);
    EXPECT_FALSE(touched.sameMetadata(replaced));
    EXPECT_TRUE(touched.sameSizeAndTime(replaced)) << "what a journal can check without reading";
    EXPECT_FALSE(read.holds(readBytes(path)));
}

TEST(FileIdentity, AFileThatIsNotThereHasNone)
{
    QTemporaryDir dir;
    const FileIdentity missing = FileIdentity::of(dir.filePath(QStringLiteral("absent.txt")));
    EXPECT_FALSE(missing.exists);
    EXPECT_EQ(missing, FileIdentity::of(QString()));
    EXPECT_FALSE(FileIdentity::ofDescriptor(-1).exists);
    // Nothing matches a missing file, not even another missing one.
    EXPECT_FALSE(missing.sameSizeAndTime(missing));

    // A file known only by what a journal kept (size, time, content) is
    // the same file by size and time while it exists.
    const QString path = dir.filePath(QStringLiteral("kept.txt"));
    ASSERT_TRUE(writeBytes(path, "bytes"));
    const FileIdentity now = FileIdentity::ofFile(path, "bytes");
    FileIdentity kept;
    kept.exists = true;
    kept.size = now.size;
    kept.modifiedNs = now.modifiedNs;
    kept.hash = now.hash;
    EXPECT_TRUE(kept.sameSizeAndTime(now));
    EXPECT_FALSE(kept.sameMetadata(now));
    EXPECT_TRUE(kept.holds("bytes"));
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_FALSE(kept.sameSizeAndTime(FileIdentity::of(path)));
}

TEST(FileIdentity, AContentHashTakenInPiecesIsTheWholeOnes)
{
    const QByteArray bytes = QByteArray("une ligne\r\n").repeated(1000);
    for (const qsizetype piece : {1, 7, 4096, 100000}) {
        ContentHash hash;
        for (qsizetype at = 0; at < bytes.size(); at += piece)
            hash.add(QByteArrayView(bytes).sliced(at, std::min(piece, bytes.size() - at)));
        EXPECT_EQ(hash.value(), FileIdentity::hashOf(bytes)) << piece;
    }
    EXPECT_EQ(ContentHash().value(), FileIdentity::hashOf({}));
}
