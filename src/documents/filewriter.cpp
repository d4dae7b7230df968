#include "documents/filewriter.h"

#include "platform/nativenames.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

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

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

QByteArray absolute(const QByteArray& path)
{
    if (path.startsWith('/'))
        return path;
    QByteArray folder(PATH_MAX, '\0');
    if (!::getcwd(folder.data(), std::size_t(folder.size())))
        return {};
    folder.truncate(qsizetype(std::strlen(folder.constData())));
    return folder + '/' + path;
}

// The file a chain of symbolic links ends at (which need not exist yet), or
// empty for a loop.
QByteArray resolveLinks(const QByteArray& path)
{
    QByteArray current = absolute(path);
    for (int depth = 0; depth < 40 && !current.isEmpty(); ++depth) {
        struct stat st;
        if (::lstat(current.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(current.constData(), target.data(), std::size_t(target.size()));
        if (n <= 0)
            return {};
        target.truncate(n);
        current = target.startsWith('/') ? target : folderOf(current) + '/' + target;
    }
    return {};
}

// Writable by us, and not marked read-only by having no write bit at all
// (which the superuser's access test would pass over).
bool mayWrite(const QByteArray& nativePath, const struct stat& st)
{
    return (st.st_mode & 0222) != 0 && ::access(nativePath.constData(), W_OK) == 0;
}

bool folderWritable(const QByteArray& filePath)
{
    const QByteArray folder = folderOf(filePath);
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

// Writes bytes at offset, which moves on by what was written.
bool writeAllAt(int fd, QByteArrayView bytes, off_t& offset)
{
    const char* p = bytes.data();
    qsizetype left = bytes.size();
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

// A new file beside target, named after it, open for writing; it is
// created with the usual permissions (0666 less the umask).
struct TemporaryFile {
    QByteArray path;
    int fd = -1;

    explicit TemporaryFile(const QByteArray& target)
    {
        for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            path = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
            fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST)
                break;
        }
    }
    // Takes target's name; false leaves target as it was.
    bool commit(const QByteArray& target)
    {
        const bool synced = ::fsync(fd) == 0;
        const bool closed = ::close(std::exchange(fd, -1)) == 0;
        if (!synced || !closed || ::rename(path.constData(), target.constData()) != 0)
            return false;
        path.clear(); // the name is target's now
        return true;
    }
    ~TemporaryFile()
    {
        if (fd >= 0)
            ::close(fd);
        if (!path.isEmpty())
            ::unlink(path.constData());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
};

// A temporary file in the same folder that then replaces the file. With an
// existing file, its owner, group, mode and extended attributes go to the
// temporary file first; when that is not allowed the result is KeepsNothing
// and nothing has been touched.
Outcome writeReplacing(const QByteArray& target, const FileContent& content, const struct stat* existing)
{
    TemporaryFile file(target);
    if (file.fd < 0)
        return Outcome::Failed;
    if (existing) {
        struct stat made;
        if (::fstat(file.fd, &made) != 0)
            return Outcome::Failed;
        if ((made.st_uid != existing->st_uid || made.st_gid != existing->st_gid)
            && ::fchown(file.fd, existing->st_uid, existing->st_gid) != 0)
            return Outcome::KeepsNothing;
        if (::fchmod(file.fd, existing->st_mode & 07777) != 0)
            return Outcome::KeepsNothing;
        if (!copyExtendedAttributes(target, file.fd))
            return Outcome::KeepsNothing;
    }
    off_t offset = 0;
    if (!content.produce([&](QByteArrayView piece) { return writeAllAt(file.fd, piece, offset); })
        || offset != content.size)
        return Outcome::Failed; // the temporary file goes with it
    return file.commit(target) ? Outcome::Written : Outcome::Failed;
}

// Overwrites the file itself. The space is reserved first, so a full disk
// or a file size limit is met before the old content is touched.
bool writeInPlace(const QByteArray& nativePath, const FileContent& content, const struct stat& st)
{
    if (exceedsSizeLimit(content.size))
        return false;
    const int fd = ::open(nativePath.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = true;
    if (content.size > st.st_size && ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(content.size)) != 0)
        ok = errno != ENOSPC && errno != EDQUOT && errno != EFBIG; // other errors: not supported here
    off_t offset = 0;
    ok = ok && content.produce([&](QByteArrayView piece) { return writeAllAt(fd, piece, offset); })
        && offset == content.size && ::ftruncate(fd, offset) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

}

bool writeWholeFile(const QString& path, QByteArrayView bytes)
{
    return writeWholeFile(path, {bytes.size(), [bytes](const FileContent::Write& write) { return write(bytes); }});
}

bool writeWholeFile(const QString& path, const FileContent& content)
{
    ignoreFileSizeSignal();
    const QByteArray target = resolveLinks(NativeNames::toNative(path));
    if (target.isEmpty())
        return false;
    struct stat st;
    if (::stat(target.constData(), &st) != 0) {
        // A new file: its folder must take it.
        return errno == ENOENT && folderWritable(target) && writeReplacing(target, content, nullptr) == Outcome::Written;
    }
    if (!S_ISREG(st.st_mode) || !mayWrite(target, st))
        return false;
    if (st.st_nlink > 1 || !folderWritable(target))
        return writeInPlace(target, content, st);
    switch (writeReplacing(target, content, &st)) {
    case Outcome::Written: return true;
    case Outcome::Failed: return false;
    case Outcome::KeepsNothing: return writeInPlace(target, content, st);
    }
    return false;
}
