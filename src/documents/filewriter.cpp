#include "documents/filewriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

enum class Outcome { Written, Failed, KeepsNothing };

// A file size limit makes an oversized write fail instead of ending the
// program with every unsaved document.
void ignoreFileSizeSignal()
{
    static const bool done = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)done;
}

// The file a chain of symbolic links ends at (which need not exist yet), or
// empty for a loop.
QString resolveLinks(const QString& path)
{
    QString current = path;
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return info.absoluteFilePath();
        current = info.symLinkTarget();
        if (current.isEmpty())
            return {};
    }
    return {};
}

// Writable by us, and not marked read-only by having no write bit at all
// (which the superuser's access test would pass over).
bool mayWrite(const QByteArray& nativePath, const struct stat& st)
{
    return (st.st_mode & 0222) != 0 && ::access(nativePath.constData(), W_OK) == 0;
}

bool folderWritable(const QString& filePath)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(filePath).absolutePath());
    struct stat st;
    return ::stat(folder.constData(), &st) == 0 && (st.st_mode & 0222) != 0
        && ::access(folder.constData(), W_OK | X_OK) == 0;
}

bool exceedsSizeLimit(qint64 size)
{
    struct rlimit limit;
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
        && rlim_t(size) > limit.rlim_cur;
}

bool writeAll(int fd, QByteArrayView bytes)
{
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    off_t offset = 0;
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, p, std::size_t(left), offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (n == 0)
            return false;
        p += n;
        offset += n;
        left -= n;
    }
    return true;
}

// Copies every extended attribute (ACLs among them) of the old file to the
// new one; false when one cannot be copied.
bool copyExtendedAttributes(const QByteArray& from, int toFd)
{
    const ssize_t listSize = ::listxattr(from.constData(), nullptr, 0);
    if (listSize < 0)
        return errno == ENOTSUP;
    if (listSize == 0)
        return true;
    QByteArray names(listSize, '\0');
    const ssize_t got = ::listxattr(from.constData(), names.data(), std::size_t(names.size()));
    if (got < 0)
        return false;
    for (qsizetype at = 0; at < got;) {
        const char* name = names.constData() + at;
        at += qsizetype(std::strlen(name)) + 1;
        const ssize_t valueSize = ::getxattr(from.constData(), name, nullptr, 0);
        if (valueSize < 0)
            return false;
        QByteArray value(valueSize, '\0');
        const ssize_t read = ::getxattr(from.constData(), name, value.data(), std::size_t(value.size()));
        if (read < 0 || ::fsetxattr(toFd, name, value.constData(), std::size_t(read), 0) != 0)
            return false;
    }
    return true;
}

// A temporary file in the same folder that then replaces the file. With an
// existing file, its owner, group, mode and extended attributes go to the
// temporary file first; when that is not allowed the result is KeepsNothing
// and nothing has been touched.
Outcome writeReplacing(const QString& target, QByteArrayView bytes, const struct stat* existing)
{
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return Outcome::Failed;
    if (existing) {
        const int fd = file.handle();
        struct stat made;
        if (fd < 0 || ::fstat(fd, &made) != 0)
            return Outcome::Failed;
        if ((made.st_uid != existing->st_uid || made.st_gid != existing->st_gid)
            && ::fchown(fd, existing->st_uid, existing->st_gid) != 0)
            return Outcome::KeepsNothing;
        if (::fchmod(fd, existing->st_mode & 07777) != 0)
            return Outcome::KeepsNothing;
        if (!copyExtendedAttributes(QFile::encodeName(target), fd))
            return Outcome::KeepsNothing;
    }
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        return Outcome::Failed; // the temporary file goes with the QSaveFile
    return file.commit() ? Outcome::Written : Outcome::Failed;
}

// Overwrites the file itself. The space is reserved first, so a full disk
// or a file size limit is met before the old content is touched.
bool writeInPlace(const QByteArray& nativePath, QByteArrayView bytes, const struct stat& st)
{
    if (exceedsSizeLimit(bytes.size()))
        return false;
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = true;
    if (bytes.size() > st.st_size && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(bytes.size())) != 0)
        ok = errno != ENOSPC && errno != EDQUOT && errno != EFBIG; // other errors: not supported here
    ok = ok && writeAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

}

bool writeWholeFile(const QString& path, QByteArrayView bytes)
{
    ignoreFileSizeSignal();
    const QString target = resolveLinks(path);
    if (target.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(target);
    struct stat st;
    if (::stat(native.constData(), &st) != 0) {
        // A new file: its folder must take it.
        return errno == ENOENT && folderWritable(target) && writeReplacing(target, bytes, nullptr) == Outcome::Written;
    }
    if (!S_ISREG(st.st_mode) || !mayWrite(native, st))
        return false;
    if (st.st_nlink > 1 || !folderWritable(target))
        return writeInPlace(native, bytes, st);
    switch (writeReplacing(target, bytes, &st)) {
    case Outcome::Written: return true;
    case Outcome::Failed: return false;
    case Outcome::KeepsNothing: return writeInPlace(native, bytes, st);
    }
    return false;
}
