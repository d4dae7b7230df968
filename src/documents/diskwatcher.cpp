#include "documents/diskwatcher.h"

#include "documents/documenttable.h"
#include "documents/filecommands.h"
#include "platform/errors.h"
#include "platform/nativenames.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

bool isFolder(const QString& path)
{
    struct stat st;
    return ::stat(NativeNames::toNative(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

}

DiskWatcher::DiskWatcher(DocumentTable& table, FileCommands& files, QObject* parent)
    : QObject(parent), m_table(table), m_files(files)
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(QuietPeriodMs);
    connect(&m_quiet, &QTimer::timeout, this, [this] { followAll(); });
    // Not restarted by later reports: a file written without pause is
    // still followed.
    const auto changed = [this] {
        if (!m_quiet.isActive())
            m_quiet.start();
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    for (auto signal : {&DocumentTable::documentRenamed, &DocumentTable::documentClosed,
                        &DocumentTable::documentSaved, &DocumentTable::documentReloaded})
        connect(&table, signal, this, [this] { watchOpenFiles(); });
}

void DiskWatcher::followAll()
{
    m_table.ForEachOpenDocument([this](int slot) { runGuarded([&] { m_files.followFileOnDisk(slot); }); });
    watchOpenFiles();
}

DiskWatcher::Watch::Watch(const QString& path) : name(path)
{
    const QByteArray native = NativeNames::toNative(path);
    if (QFile::encodeName(path) == native)
        return;
    fd = ::open(native.constData(), O_PATH | O_CLOEXEC);
    if (fd >= 0)
        name = QStringLiteral("/proc/self/fd/%1").arg(fd);
}

DiskWatcher::Watch::Watch(Watch&& other) noexcept
    : name(std::move(other.name)), inode(other.inode), fd(std::exchange(other.fd, -1))
{}

DiskWatcher::Watch::~Watch()
{
    if (fd >= 0)
        ::close(fd);
}

bool DiskWatcher::add(std::map<QString, Watch>& watches, const QString& path, quint64 inode)
{
    Watch watch(path);
    watch.inode = inode;
    if (!m_watcher.addPath(watch.name))
        return false;
    watches.emplace(path, std::move(watch));
    return true;
}

void DiskWatcher::watchOpenFiles()
{
    QHash<QString, quint64> files; // path -> the file it names now
    QSet<QString> folders;
    m_table.ForEachOpenDocument([&](int slot) {
        const QString& path = m_table.slot(slot).Path;
        if (path.isEmpty())
            return;
        folders.insert(QFileInfo(path).absolutePath());
        const FileIdentity now = FileIdentity::of(path);
        if (now.exists)
            files.insert(path, now.inode);
    });
    // A watch dropped by Qt (its file deleted) or standing for another file
    // (its name taken by a rename) is made anew.
    const QStringList watchedFiles = m_watcher.files();
    for (auto it = m_watchedFiles.begin(); it != m_watchedFiles.end();) {
        const bool watched = watchedFiles.contains(it->second.name);
        if (watched && files.value(it->first, 0) == it->second.inode) {
            ++it;
            continue;
        }
        if (watched)
            m_watcher.removePath(it->second.name);
        it = m_watchedFiles.erase(it);
    }
    const QStringList watchedFolders = m_watcher.directories();
    for (auto it = m_watchedFolders.begin(); it != m_watchedFolders.end();) {
        const bool watched = watchedFolders.contains(it->second.name);
        if (watched && folders.contains(it->first)) {
            ++it;
            continue;
        }
        if (watched)
            m_watcher.removePath(it->second.name);
        it = m_watchedFolders.erase(it);
    }
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (!m_watchedFiles.contains(it.key()))
            add(m_watchedFiles, it.key(), it.value());
    for (const QString& folder : folders)
        if (!m_watchedFolders.contains(folder) && isFolder(folder))
            add(m_watchedFolders, folder, 0);
}
