#include "explorer/treeviewfileops.h"

#include "platform/errors.h"
#include "platform/nativenames.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QByteArray native(const QString& path) { return NativeNames::toNative(path); }

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

QString shown(const QByteArray& path) { return NativeNames::display(path); }

// The names in a folder ("." and ".." aside); no value (and errno) when it
// cannot be read.
std::optional<std::vector<QByteArray>> entriesOf(const QByteArray& folder)
{
    std::vector<QByteArray> names;
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return std::nullopt;
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    return names;
}

[[noreturn]] void fail(const QString& what, const QString& path, int error)
{
    throw ScrivoError(QStringLiteral("Cannot %1 \"%2\": %3").arg(what, path, reason(error)));
}

// A regular file's bytes into a new file with its permissions.
void copyFile(const QByteArray& from, const QByteArray& to, mode_t mode)
{
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        fail(QStringLiteral("copy"), shown(from), errno);
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        fail(QStringLiteral("create"), shown(to), error);
    }
    char buffer[64 * 1024];
    int error = 0;
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : 0;
            break;
        }
        for (ssize_t done = 0; done < n && error == 0;) {
            const ssize_t w = ::write(out, buffer + done, std::size_t(n - done));
            if (w < 0 && errno != EINTR)
                error = errno;
            done += std::max<ssize_t>(w, 0);
        }
        if (error)
            break;
    }
    ::close(in);
    if (::close(out) != 0 && error == 0)
        error = errno;
    if (error) {
        ::unlink(to.constData());
        fail(QStringLiteral("copy"), shown(from), error);
    }
}

void copyTree(const QByteArray& from, const QByteArray& to)
{
    struct stat st {};
    if (::lstat(from.constData(), &st) != 0)
        fail(QStringLiteral("copy"), shown(from), errno);
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(from.constData(), target.data(), std::size_t(target.size()));
        if (n < 0)
            fail(QStringLiteral("copy"), shown(from), errno);
        target.truncate(n);
        if (::symlink(target.constData(), to.constData()) != 0)
            fail(QStringLiteral("create"), shown(to), errno);
        return;
    }
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(to.constData(), (st.st_mode & 07777) | S_IRWXU) != 0)
            fail(QStringLiteral("create"), shown(to), errno);
        const auto names = entriesOf(from);
        if (!names)
            fail(QStringLiteral("read"), shown(from), errno);
        for (const QByteArray& name : *names)
            copyTree(from + '/' + name, to + '/' + name);
        ::chmod(to.constData(), st.st_mode & 07777);
        return;
    }
    if (!S_ISREG(st.st_mode))
        throw ScrivoError(QStringLiteral("Cannot copy \"%1\": not a file or folder").arg(shown(from)));
    copyFile(from, to, st.st_mode);
}

// Removes a file, or a folder with everything in it; false when something
// stays.
bool removeAll(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0;
    bool all = true;
    for (const QByteArray& name : entriesOf(path).value_or(std::vector<QByteArray>()))
        all = removeAll(path + '/' + name) && all;
    return ::rmdir(path.constData()) == 0 && all;
}

void removeTree(const QByteArray& path)
{
    if (!removeAll(path))
        throw ScrivoError(QStringLiteral("Cannot remove \"%1\" after copying it").arg(shown(path)));
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
            throw ScrivoError(QStringLiteral("Cannot put \"%1\" inside itself").arg(NativeNames::displayPath(source)));
        const QString destination = (target == QStringLiteral("/") ? QString() : target) + u'/' + name;
        const QByteArray from = native(source);
        const QByteArray to = native(destination);
        if (exists(to))
            throw ScrivoError(QStringLiteral("\"%1\" already exists").arg(NativeNames::displayPath(destination)));
        switch (operation) {
        case Operation::Link:
            if (::symlink(from.constData(), to.constData()) != 0)
                fail(QStringLiteral("link"), NativeNames::displayPath(source), errno);
            break;
        case Operation::Move: {
            const int error = renameNoReplace(from, to);
            if (error == EXDEV) {
                copyTree(from, to);
                removeTree(from);
            } else if (error != 0) {
                fail(QStringLiteral("move"), NativeNames::displayPath(source), error);
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
        throw ScrivoError(QStringLiteral("Cannot rename \"%1\" to \"%2\": %3")
                              .arg(NativeNames::displayPath(info.fileName()), newName, reason(error)));
}
}
