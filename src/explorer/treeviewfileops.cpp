#include "explorer/treeviewfileops.h"

#include "platform/errors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray native(const QString& path) { return QFile::encodeName(path); }

bool exists(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

// rename() that never replaces an existing item.
int renameNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace flag: test, then rename.
    if (exists(to))
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

[[noreturn]] void fail(const QString& what, const QString& path, int error)
{
    throw ScrivoError(QStringLiteral("Cannot %1 \"%2\": %3").arg(what, path, reason(error)));
}

void copyTree(const QByteArray& from, const QByteArray& to)
{
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0)
        fail(QStringLiteral("copy"), QFile::decodeName(from), errno);
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(from.constData(), target.data(), std::size_t(target.size()));
        if (n < 0)
            fail(QStringLiteral("copy"), QFile::decodeName(from), errno);
        target.truncate(n);
        if (::symlink(target.constData(), to.constData()) != 0)
            fail(QStringLiteral("create"), QFile::decodeName(to), errno);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(to.constData(), (st.st_mode & 07777) | S_IRWXU) != 0)
            fail(QStringLiteral("create"), QFile::decodeName(to), errno);
        DIR* dir = ::opendir(from.constData());
        if (!dir)
            fail(QStringLiteral("read"), QFile::decodeName(from), errno);
        std::vector<QByteArray> names;
        while (const dirent* e = ::readdir(dir)) {
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        }
        ::closedir(dir);
        for (const QByteArray& name : names)
            copyTree(from + '/' + name, to + '/' + name);
        ::chmod(to.constData(), st.st_mode & 07777);
        return;
    }
    if (!S_ISREG(st.st_mode))
        throw ScrivoError(QStringLiteral("Cannot copy \"%1\": not a file or folder").arg(QFile::decodeName(from)));
    QFile source(QFile::decodeName(from));
    if (!source.copy(QFile::decodeName(to)))
        throw ScrivoError(QStringLiteral("Cannot copy \"%1\": %2").arg(QFile::decodeName(from), source.errorString()));
}

void removeTree(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return;
    const bool removed = S_ISDIR(st.st_mode) ? QDir(QFile::decodeName(path)).removeRecursively()
                                             : ::unlink(path.constData()) == 0;
    if (!removed)
        throw ScrivoError(
            QStringLiteral("Cannot remove \"%1\" after copying it").arg(QFile::decodeName(path)));
}
}

namespace TSxTreeFileOps {
void run(Operation operation, const QStringList& sources, const QString& targetFolder)
{
    const QString target = QDir::cleanPath(targetFolder);
    for (const QString& sourcePath : sources) {
        const QString source = QDir::cleanPath(sourcePath);
        const QString name = QFileInfo(source).fileName();
        if (name.isEmpty())
            continue;
        if (target == source || target.startsWith(source + u'/'))
            throw ScrivoError(QStringLiteral("Cannot put \"%1\" inside itself").arg(source));
        const QString destination = (target == QStringLiteral("/") ? QString() : target) + u'/' + name;
        const QByteArray from = native(source);
        const QByteArray to = native(destination);
        if (exists(to))
            throw ScrivoError(QStringLiteral("\"%1\" already exists").arg(destination));
        switch (operation) {
        case Operation::Link:
            if (::symlink(from.constData(), to.constData()) != 0)
                fail(QStringLiteral("link"), source, errno);
            break;
        case Operation::Move: {
            const int error = renameNoReplace(from, to);
            if (error == EXDEV) {
                copyTree(from, to);
                removeTree(from);
            } else if (error != 0) {
                fail(QStringLiteral("move"), source, error);
            }
            break;
        }
        case Operation::Copy:
            copyTree(from, to);
            break;
        }
    }
}

void renameItem(const QString& path, const QString& newName)
{
    if (newName.isEmpty() || newName.contains(u'/') || newName.contains(QChar(0)) || newName == QStringLiteral(".")
        || newName == QStringLiteral(".."))
        throw ScrivoError(QStringLiteral("\"%1\" is not a valid name").arg(newName));
    const QFileInfo info(path);
    const QString folder = info.path();
    const QString destination = (folder == QStringLiteral("/") ? QString() : folder) + u'/' + newName;
    const int error = renameNoReplace(native(path), native(destination));
    if (error != 0)
        throw ScrivoError(
            QStringLiteral("Cannot rename \"%1\" to \"%2\": %3").arg(info.fileName(), newName, reason(error)));
}
}
