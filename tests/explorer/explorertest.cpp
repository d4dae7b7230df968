#include "explorer/explorertest.h"

#include "support/nativefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TempTree::TempTree() : m_dir(QDir::tempPath() + QStringLiteral("/scrivo-explorer-XXXXXX"))
{
    EXPECT_TRUE(m_dir.isValid());
}

// Qt's own removal would miss names that are not UTF-8.
TempTree::~TempTree() { removeNativeTree(QFile::encodeName(m_dir.path())); }

void TempTree::mkdir(const QString& relative) const { ASSERT_TRUE(QDir().mkpath(path(relative))); }

void TempTree::write(const QString& relative, const QByteArray& bytes) const
{
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
    file.write(bytes);
}

void TempTree::symlink(const QString& target, const QString& relative) const
{
    ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(path(relative)).constData()), 0);
}

void TempTree::chmod(const QString& relative, unsigned mode) const
{
    ASSERT_EQ(::chmod(QFile::encodeName(path(relative)).constData(), mode), 0);
}

void TempTree::remove(const QString& relative) const
{
    const QString target = path(relative);
    if (QFileInfo(target).isDir() && !QFileInfo(target).isSymLink())
        ASSERT_TRUE(QDir(target).removeRecursively());
    else
        ASSERT_TRUE(QFile::remove(target));
}

QByteArray TempTree::mkdirBytes(const QByteArray& relative) const
{
    const QByteArray path = QFile::encodeName(root()) + '/' + relative;
    EXPECT_EQ(::mkdir(path.constData(), 0755), 0) << relative.toHex().toStdString();
    return path;
}

QByteArray TempTree::writeBytes(const QByteArray& relative, const QByteArray& bytes) const
{
    const QByteArray path = QFile::encodeName(root()) + '/' + relative;
    EXPECT_TRUE(writeNative(path, bytes)) << relative.toHex().toStdString();
    return path;
}

TSxPidl testElement(const char* name, bool folder)
{
    return TSxPidl::adopt(ItemIdAllocator::allocElement(QByteArrayView(name, qsizetype(std::strlen(name))),
                                                        folder ? ItemIdFlags::Folder : 0),
                          "test");
}

TSxPidl testIdentifier(std::initializer_list<const char*> names, bool lastIsFile)
{
    TSxPidl id = TSxPidl::empty("test");
    qsizetype i = 0;
    for (const char* name : names) {
        const bool last = ++i == qsizetype(names.size());
        TSxPidl element = testElement(name, !(last && lastIsFile));
        id = TSxPidl::combine(id, element, "test");
    }
    return id;
}

QByteArray isoImage(const QByteArray& volumeId)
{
    QByteArray image(17 * 2048, '\0');
    image[16 * 2048] = 1;
    image.replace(16 * 2048 + 1, 5, "CD001");
    image.replace(16 * 2048 + 40, 32, volumeId.leftJustified(32, ' '));
    return image;
}
