#include "recovery/journalfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <optional>
#include <tuple>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString SessionPrefix = QStringLiteral("session-");
const QString LockName = QStringLiteral("lock");
const QString JournalSuffix = QStringLiteral(".journal");
const QString TemporarySuffix = QStringLiteral(".tmp");

QByteArray native(const QString& path) { return QFile::encodeName(path); }

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

bool makeFolder(const QString& path, QString& problem)
{
    if (::mkdir(native(path).constData(), 0700) == 0 || errno == EEXIST)
        return true;
    problem = QStringLiteral("Cannot create the folder %1: %2").arg(path, systemError());
    return false;
}

// An open, locked lock file; -1 when it is locked by a running program or
// is no longer the file the folder holds.
int lockIfFree(const QString& lockPath)
{
    const int fd = ::open(native(lockPath).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return -1;
    struct stat held, named;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0
        || ::stat(native(lockPath).constData(), &named) != 0 || held.st_ino != named.st_ino
        || held.st_dev != named.st_dev) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct SessionName {
    qint64 started = 0;
    qint64 pid = 0;
};

std::optional<SessionName> parseSessionName(const QString& name)
{
    if (!name.startsWith(SessionPrefix))
        return std::nullopt;
    const QStringList parts = name.mid(SessionPrefix.size()).split(u'-');
    bool startOk = false, pidOk = false;
    SessionName s;
    if (parts.size() == 2) {
        s.started = parts[0].toLongLong(&startOk);
        s.pid = parts[1].toLongLong(&pidOk);
    }
    return startOk && pidOk ? std::optional(s) : std::nullopt;
}

// A session folder that never got its name (the program ended while
// creating it) holds nothing but a lock: it goes once that lock is free.
void removeUnfinishedSessions(const QString& root)
{
    const QStringList names = QDir(root).entryList({QStringLiteral(".new-*")}, QDir::Dirs | QDir::Hidden);
    for (const QString& name : names) {
        const QString folder = root + u'/' + name;
        const int fd = lockIfFree(folder + u'/' + LockName);
        if (fd >= 0) {
            ::unlink(native(folder + u'/' + LockName).constData());
            ::close(fd);
        }
        ::rmdir(native(folder).constData());
    }
}

// A session folder goes once nothing but its lock is left in it; the lock
// goes first, while still held, so no other program takes it for an ended
// session's.
void removeSessionFolder(const QString& root, const QString& path)
{
    const QStringList left = QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::System);
    if (left != QStringList{LockName})
        return;
    ::unlink(native(path + u'/' + LockName).constData());
    ::rmdir(native(path).constData());
    syncFolder(root);
}

} // namespace

QString defaultJournalRoot()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG's rule: a relative XDG_STATE_HOME is invalid and ignored.
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(state + QStringLiteral("/scrivo"));
}

bool preparePrivateFolder(const QString& path, QString& problem)
{
    const QString parent = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(parent)) {
        problem = QStringLiteral("Cannot create the folder %1").arg(parent);
        return false;
    }
    if (!makeFolder(path, problem))
        return false;
    struct stat st;
    if (::lstat(native(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        problem = QStringLiteral("%1 is not a folder").arg(path);
        return false;
    }
    if (st.st_uid != ::geteuid()) {
        problem = QStringLiteral("The folder %1 belongs to another user").arg(path);
        return false;
    }
    if ((st.st_mode & 07777) != 0700 && ::chmod(native(path).constData(), 0700) != 0) {
        problem = QStringLiteral("Cannot make the folder %1 private: %2").arg(path, systemError());
        return false;
    }
    return true;
}

void syncFolder(const QString& path)
{
    const int fd = ::open(native(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

OwnSession::OwnSession(QString root, QString path, qint64 started, int lockFd)
    : m_root(std::move(root)), m_path(std::move(path)), m_started(started), m_lockFd(lockFd)
{
}

OwnSession::~OwnSession() { ::close(m_lockFd); }

std::unique_ptr<OwnSession> OwnSession::open(const QString& root, QString& problem)
{
    if (!preparePrivateFolder(root, problem))
        return nullptr;
    removeUnfinishedSessions(root);
    const qint64 pid = ::getpid();
    // Made under a hidden name and renamed once locked: no other program
    // ever sees this session without its lock held.
    const QString building = root + QStringLiteral("/.new-%1-%2").arg(pid).arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    if (!makeFolder(building, problem))
        return nullptr;
    const QString lockPath = building + u'/' + LockName;
    const int fd = ::open(native(lockPath).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    const QByteArray pidText = QByteArray::number(pid) + '\n';
    if (fd < 0 || ::fchmod(fd, 0600) != 0 || ::write(fd, pidText.constData(), std::size_t(pidText.size())) != pidText.size()
        || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        problem = QStringLiteral("Cannot create the file %1: %2").arg(lockPath, systemError());
        if (fd >= 0)
            ::close(fd);
        ::unlink(native(lockPath).constData());
        ::rmdir(native(building).constData());
        return nullptr;
    }
    qint64 started = QDateTime::currentMSecsSinceEpoch();
    QString path;
    // Two programs started in the same millisecond differ by their pid.
    for (;; ++started) {
        path = root + u'/' + SessionPrefix + QStringLiteral("%1-%2").arg(started).arg(pid);
        if (::rename(native(building).constData(), native(path).constData()) == 0)
            break;
        if (errno != EEXIST && errno != ENOTEMPTY) {
            problem = QStringLiteral("Cannot create the folder %1: %2").arg(path, systemError());
            ::unlink(native(lockPath).constData());
            ::rmdir(native(building).constData());
            ::close(fd);
            return nullptr;
        }
    }
    syncFolder(root);
    return std::unique_ptr<OwnSession>(new OwnSession(root, path, started, fd));
}

void OwnSession::remove() { removeSessionFolder(m_root, m_path); }

EndedSession::EndedSession(QString root, QString path, int lockFd)
    : m_root(std::move(root)), m_path(std::move(path)), m_lockFd(lockFd)
{
}

EndedSession::~EndedSession() { ::close(m_lockFd); }

QString EndedSession::name() const { return QFileInfo(m_path).fileName(); }

QStringList EndedSession::journalFiles() const
{
    const QDir dir(m_path);
    for (const QString& temporary : dir.entryList({u'*' + TemporarySuffix}, QDir::Files | QDir::Hidden))
        ::unlink(native(dir.filePath(temporary)).constData());
    QStringList files;
    for (const QString& name : dir.entryList({u'*' + JournalSuffix}, QDir::Files | QDir::Hidden))
        files << dir.filePath(name);
    // Named doc-<n>.journal: numerically, so doc-10 follows doc-9.
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return files;
}

void EndedSession::removeIfEmpty() { removeSessionFolder(m_root, m_path); }

std::vector<std::unique_ptr<EndedSession>> EndedSession::claimAll(const QString& root, const QString& own)
{
    std::vector<std::pair<SessionName, QString>> found;
    for (const QString& name : QDir(root).entryList({SessionPrefix + u'*'}, QDir::Dirs)) {
        const QString path = root + u'/' + name;
        if (path == own)
            continue;
        if (const auto parsed = parseSessionName(name))
            found.emplace_back(*parsed, path);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::tie(a.first.started, a.first.pid) < std::tie(b.first.started, b.first.pid);
    });
    std::vector<std::unique_ptr<EndedSession>> ended;
    for (const auto& [name, path] : found) {
        const int fd = lockIfFree(path + u'/' + LockName);
        if (fd >= 0)
            ended.push_back(std::unique_ptr<EndedSession>(new EndedSession(root, path, fd)));
    }
    return ended;
}

QString setJournalAside(const QString& root, const QString& file)
{
    const QString folder = root + QStringLiteral("/set-aside");
    QString problem;
    if (!preparePrivateFolder(folder, problem))
        return {};
    const QFileInfo info(file);
    const QString base = info.dir().dirName() + u'-' + info.fileName();
    for (int n = 1; n < 10000; ++n) {
        const QString target = folder + u'/' + (n == 1 ? base : QStringLiteral("%1-%2").arg(n).arg(base));
        // link() fails on an existing name: nothing is ever overwritten.
        if (::link(native(file).constData(), native(target).constData()) == 0) {
            ::unlink(native(file).constData());
            syncFolder(folder);
            syncFolder(info.absolutePath());
            return target;
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}
