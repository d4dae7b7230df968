#pragma once

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Files named by the file system's own bytes, which need not be UTF-8: Qt's
// file classes would spell such a name in UTF-8 and reach another file.

// A file's bytes, or "<unreadable>" (which no test writes).
inline QByteArray readNative(const QByteArray& path)
{
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return QByteArray("<unreadable>");
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return QByteArray("<unreadable>");
    }
    return file.readAll();
}

inline bool writeNative(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == ssize_t(bytes.size());
    return ::close(fd) == 0 && written;
}

// A folder's names ("." and ".." aside), sorted by their bytes.
inline std::vector<QByteArray> nativeEntries(const QByteArray& folder)
{
    std::vector<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Removes a file or a whole folder (QDir::removeRecursively would miss
// names that are not UTF-8).
inline void removeNativeTree(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(path.constData());
        return;
    }
    for (const QByteArray& name : nativeEntries(path))
        removeNativeTree(path + '/' + name);
    ::rmdir(path.constData());
}
