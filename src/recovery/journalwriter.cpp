#include "recovery/journalwriter.h"

#include "recovery/journalfolder.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString& path) { return QFile::encodeName(path); }

bool writeAll(int fd, QByteArrayView bytes)
{
    const char* p = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, std::size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

QString folderOf(const QString& path) { return QFileInfo(path).absolutePath(); }

} // namespace

JournalWriter::JournalWriter() : m_thread([this] { run(); }) {}

JournalWriter::~JournalWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void JournalWriter::post(std::function<void()> task)
{
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

void JournalWriter::wait()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_tasks.empty() && !m_busy; });
}

void JournalWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_tasks.empty(); });
        if (m_tasks.empty())
            return; // stopping, and nothing left to do
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_busy = true;
        lock.unlock();
        task();
        task = nullptr; // what it holds goes on this thread, outside the lock
        lock.lock();
        m_busy = false;
        if (m_tasks.empty())
            m_idle.notify_all();
    }
}

JournalFile::~JournalFile() { close(); }

void JournalFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool JournalFile::fail(const QString& what)
{
    m_problem = QStringLiteral("Cannot %1 the recovery journal %2: %3")
                    .arg(what, m_path, QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool JournalFile::replace(QByteArrayView content)
{
    close();
    const QString temporary = m_path + QStringLiteral(".tmp");
    const int fd = ::open(native(temporary).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return fail(QStringLiteral("write"));
    const bool written = ::fchmod(fd, 0600) == 0 && writeAll(fd, content) && ::fdatasync(fd) == 0;
    if (!written || ::rename(native(temporary).constData(), native(m_path).constData()) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlink(native(temporary).constData());
        errno = error;
        return fail(QStringLiteral("write"));
    }
    m_fd = fd; // the same file, now under the journal's name
    syncFolder(folderOf(m_path));
    return true;
}

bool JournalFile::openForAppend()
{
    if (m_fd >= 0)
        return true;
    m_fd = ::open(native(m_path).constData(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    return m_fd >= 0;
}

bool JournalFile::append(QByteArrayView records)
{
    if (!openForAppend())
        return fail(QStringLiteral("write"));
    const off_t end = ::lseek(m_fd, 0, SEEK_END);
    if (end < 0)
        return fail(QStringLiteral("write"));
    if (!writeAll(m_fd, records) || ::fdatasync(m_fd) != 0) {
        const int error = errno;
        if (::ftruncate(m_fd, end) != 0)
            close(); // the next replace starts over
        errno = error;
        return fail(QStringLiteral("write"));
    }
    return true;
}

bool JournalFile::adopt(const QString& from, qint64 size)
{
    close();
    if (::rename(native(from).constData(), native(m_path).constData()) != 0)
        return fail(QStringLiteral("take over"));
    syncFolder(folderOf(m_path));
    syncFolder(folderOf(from));
    if (!openForAppend() || ::ftruncate(m_fd, off_t(size)) != 0 || ::fdatasync(m_fd) != 0)
        return fail(QStringLiteral("take over"));
    return true;
}

bool JournalFile::remove()
{
    close();
    if (::unlink(native(m_path).constData()) != 0 && errno != ENOENT)
        return fail(QStringLiteral("remove"));
    syncFolder(folderOf(m_path));
    return true;
}
