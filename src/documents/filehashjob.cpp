#include "documents/filehashjob.h"

#include "platform/nativenames.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScopeGuard>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr std::size_t ReadBytes = 1 << 20;

// The identity of the regular file at path with the hash of every byte, or
// none when it cannot be read whole or stop is raised.
std::optional<FileIdentity> hashFile(const QByteArray& path, const std::atomic<bool>& stop)
{
    // Not blocking on a pipe put in the file's place meanwhile.
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    const auto closed = qScopeGuard([fd] { ::close(fd); });
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    FileIdentity identity = FileIdentity::ofDescriptor(fd);
    ContentHash hash;
    std::vector<char> buffer(ReadBytes);
    for (;;) {
        if (stop)
            return std::nullopt;
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        hash.add(QByteArrayView(buffer.data(), n));
    }
    identity.hash = hash.value();
    return identity;
}

} // namespace

FileHashJob::FileHashJob(const QString& path, const FileIdentity& expected, QObject* parent)
    : QObject(parent), m_expected(expected)
{
    m_worker = std::thread([this, native = NativeNames::toNative(path)] { work(native); });
}

FileHashJob::~FileHashJob()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

void FileHashJob::work(const QByteArray& nativePath)
{
    std::optional<FileIdentity> result = hashFile(nativePath, m_stop);
    {
        const std::lock_guard lock(m_mutex);
        m_result = std::move(result);
        m_done = true;
    }
    // By name, as FileLoader posts its chunks.
    QMetaObject::invokeMethod(this, "done", Qt::QueuedConnection);
}

bool FileHashJob::isDone() const
{
    const std::lock_guard lock(m_mutex);
    return m_done;
}

std::optional<FileIdentity> FileHashJob::result()
{
    if (m_worker.joinable()) {
        const bool busy = !isDone() && qobject_cast<QGuiApplication*>(QCoreApplication::instance());
        if (busy)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        m_worker.join();
        if (busy)
            QGuiApplication::restoreOverrideCursor();
    }
    const std::lock_guard lock(m_mutex);
    return m_result;
}
