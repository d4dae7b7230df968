#include "documents/diskwatcher.h"

#include "documents/documenttable.h"
#include "documents/filecommands.h"
#include "platform/errors.h"

#include <QFileInfo>
#include <QSet>

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

void DiskWatcher::watchOpenFiles()
{
    QHash<QString, quint64> files; // path -> the file it names now
    QSet<QString> folders;
    m_table.ForEachOpenDocument([&](int slot) {
        const QString& path = m_table.slot(slot).Path;
        if (path.isEmpty())
            return;
        folders.insert(QFileInfo(path).absolutePath());
        const DiskStamp now = DiskStamp::of(path);
        if (now.exists)
            files.insert(path, now.inode);
    });
    // A watch dropped by Qt (its file deleted) or standing for another file
    // (its name taken by a rename) is made anew.
    const QStringList watchedFiles = m_watcher.files();
    for (auto it = m_watchedInodes.begin(); it != m_watchedInodes.end();) {
        const bool watched = watchedFiles.contains(it.key());
        if (watched && files.value(it.key(), 0) == it.value()) {
            ++it;
            continue;
        }
        if (watched)
            m_watcher.removePath(it.key());
        it = m_watchedInodes.erase(it);
    }
    for (const QString& path : m_watcher.directories())
        if (!folders.contains(path))
            m_watcher.removePath(path);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        if (!m_watchedInodes.contains(it.key()) && m_watcher.addPath(it.key()))
            m_watchedInodes.insert(it.key(), it.value());
    const QStringList watchedFolders = m_watcher.directories();
    for (const QString& folder : folders)
        if (!watchedFolders.contains(folder) && QFileInfo(folder).isDir())
            m_watcher.addPath(folder);
}
