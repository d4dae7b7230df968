#include "explorer/filenotifier.h"

#include "explorer/shellfolder.h"
#include "platform/errors.h"

#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr quint32 WatchMask =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// How long the first half of a rename waits for its second half before it
// counts as a move out of sight (a deletion).
constexpr int MovePairingMs = 50;

// Watched folders are keyed by their identifier with every element marked
// a folder, so cached flags cannot tell two watches of one folder apart.
QByteArray keyOf(PidlView id)
{
    QByteArray key;
    for (const ItemIdElement& e : id)
        key += encodeItemIdElement(e.name, ItemIdFlags::Folder);
    key.append(2, '\0');
    return key;
}

PidlView viewOf(const QByteArray& bytes) { return PidlView(reinterpret_cast<PCIDL>(bytes.constData())); }

QByteArray childOf(const QByteArray& folder, const QByteArray& name, bool isFolder)
{
    QByteArray id = folder.chopped(2);
    id += encodeItemIdElement(name, isFolder ? ItemIdFlags::Folder : 0);
    id.append(2, '\0');
    return id;
}

QByteArray parentOf(const QByteArray& id)
{
    PidlView view = viewOf(id);
    if (view.isEmpty())
        return id;
    QByteArray parent(id.constData(), reinterpret_cast<const char*>(view.last().data()) - id.constData());
    parent.append(2, '\0');
    return parent;
}

QByteArray volumeId(const QByteArray& mountPoint)
{
    return encodeItemIdElement(ShellElementNames::Drives, ItemIdFlags::Folder)
           + encodeItemIdElement(mountPoint, ItemIdFlags::Folder) + QByteArray(2, '\0');
}

bool isCdRom(const TSxMountEntry& m) { return TSxVolumeTable::driveTypeOf(m) == TSxDriveType::CdRom; }
}

TSxFileNotifier::TSxFileNotifier(QObject* parent) : QObject(parent)
{
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify >= 0) {
        m_events = new QSocketNotifier(m_inotify, QSocketNotifier::Read, this);
        connect(m_events, &QSocketNotifier::activated, this, [this] { readEvents(); });
    }
    m_moveTimer = new QTimer(this);
    m_moveTimer->setSingleShot(true);
    m_moveTimer->setInterval(MovePairingMs);
    connect(m_moveTimer, &QTimer::timeout, this, [this] {
        std::vector<Change> changes;
        flushPendingMoves(changes);
        emitChanges(changes);
    });
    m_clock.start();

    m_volumes = TSxVolumeTable::current().volumes();
    // The kernel flags the mount table as exceptional when it changes.
    m_mounts = ::open(QFile::encodeName(volumeSources().mountsFile).constData(), O_RDONLY | O_CLOEXEC);
    if (m_mounts >= 0) {
        m_mountNotifier = new QSocketNotifier(m_mounts, QSocketNotifier::Exception, this);
        connect(m_mountNotifier, &QSocketNotifier::activated, this, [this] { checkMounts(); });
    }
}

TSxFileNotifier::~TSxFileNotifier()
{
    delete m_events;
    delete m_mountNotifier;
    if (m_inotify >= 0)
        ::close(m_inotify);
    if (m_mounts >= 0)
        ::close(m_mounts);
}

bool TSxFileNotifier::watchFolder(PidlView absoluteId)
{
    const QByteArray path = nativePathFromIdList(absoluteId);
    if (path.isEmpty() || m_inotify < 0)
        return false;
    const QByteArray key = keyOf(absoluteId);
    if (const auto known = m_wdOfKey.constFind(key); known != m_wdOfKey.constEnd()) {
        for (Watch& w : m_watches[*known]) {
            if (w.key == key)
                ++w.count;
        }
        return true;
    }
    // The same folder reached twice (home and its "/" form) shares the
    // descriptor: one inotify watch per folder, each identifier reported.
    const int wd = ::inotify_add_watch(m_inotify, path.constData(), WatchMask);
    if (wd < 0)
        return false;
    m_watches[wd].push_back({key, 1});
    m_wdOfKey.insert(key, wd);
    return true;
}

void TSxFileNotifier::unwatchFolder(PidlView absoluteId)
{
    const QByteArray key = keyOf(absoluteId);
    const auto known = m_wdOfKey.constFind(key);
    if (known == m_wdOfKey.constEnd())
        return;
    const int wd = *known;
    std::vector<Watch>& watches = m_watches[wd];
    for (auto it = watches.begin(); it != watches.end(); ++it) {
        if (it->key == key && --it->count == 0) {
            watches.erase(it);
            m_wdOfKey.remove(key);
            break;
        }
    }
    if (watches.empty()) {
        ::inotify_rm_watch(m_inotify, wd);
        m_watches.erase(wd);
    }
}

bool TSxFileNotifier::isWatching(PidlView absoluteId) const { return m_wdOfKey.contains(keyOf(absoluteId)); }

void TSxFileNotifier::dropWatch(int wd)
{
    const auto found = m_watches.find(wd);
    if (found == m_watches.end())
        return;
    for (const Watch& w : found->second)
        m_wdOfKey.remove(w.key);
    m_watches.erase(found);
}

void TSxFileNotifier::addItemChanges(std::vector<Change>& changes, int wd, quint32 mask, const QByteArray& name,
                                     bool folder)
{
    const auto found = m_watches.find(wd);
    if (found == m_watches.end())
        return;
    for (const Watch& w : found->second)
        changes.push_back({mask, childOf(w.key, name, folder), {}});
}

void TSxFileNotifier::flushPendingMoves(std::vector<Change>& changes)
{
    const qint64 now = m_clock.elapsed();
    auto expired = [&](const PendingMove& m) { return now - m.since >= MovePairingMs; };
    for (const PendingMove& move : m_pendingMoves) {
        if (expired(move))
            addItemChanges(changes, move.wd, move.folder ? TSxChangeMask::RemoveFolder : TSxChangeMask::Delete,
                           move.name, move.folder);
    }
    m_pendingMoves.erase(std::remove_if(m_pendingMoves.begin(), m_pendingMoves.end(), expired), m_pendingMoves.end());
    if (!m_pendingMoves.empty())
        m_moveTimer->start();
}

void TSxFileNotifier::readEvents()
{
    // One buffer per turn of the event loop: a flood of changes is taken in
    // slices, and the user-interface thread stays free between them.
    alignas(inotify_event) char buffer[32 * 1024];
    std::vector<Change> changes;
    ssize_t n;
    do
        n = ::read(m_inotify, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
        at += ssize_t(sizeof(inotify_event)) + e->len;
        addEventChanges(changes, *e);
    }
    if (!m_pendingMoves.empty() && !m_moveTimer->isActive())
        m_moveTimer->start();
    emitChanges(changes);
}

void TSxFileNotifier::addEventChanges(std::vector<Change>& changes, const inotify_event& e)
{
    if (e.mask & IN_Q_OVERFLOW) {
        // Changes were lost: every watched folder may have changed.
        for (const auto& [wd, watches] : m_watches) {
            for (const Watch& w : watches)
                changes.push_back({TSxChangeMask::FolderUpdated, w.key, {}});
        }
        return;
    }
    if (e.mask & IN_IGNORED) {
        dropWatch(e.wd);
        return;
    }
    if (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
        folderLeft(changes, e.wd, e.mask & IN_MOVE_SELF);
        return;
    }
    const QByteArray name = e.len ? QByteArray(e.name) : QByteArray();
    if (name.isEmpty())
        return;
    const bool folder = e.mask & IN_ISDIR;
    if (e.mask & IN_CREATE) {
        const bool shownAsFolder = folder || leadsToFolder(e.wd, name);
        addItemChanges(changes, e.wd, shownAsFolder ? TSxChangeMask::MakeFolder : TSxChangeMask::Create, name,
                       shownAsFolder);
    } else if (e.mask & IN_DELETE) {
        addItemChanges(changes, e.wd, folder ? TSxChangeMask::RemoveFolder : TSxChangeMask::Delete, name, folder);
    } else if (e.mask & IN_MOVED_FROM) {
        m_pendingMoves.push_back({e.cookie, e.wd, name, folder, m_clock.elapsed()});
    } else if (e.mask & IN_MOVED_TO) {
        movedIn(changes, e.wd, e.cookie, name, folder || leadsToFolder(e.wd, name));
    }
}

void TSxFileNotifier::folderLeft(std::vector<Change>& changes, int wd, bool moved)
{
    // Reported by the parent's watch when the parent is watched.
    const auto found = m_watches.find(wd);
    if (found != m_watches.end()) {
        for (const Watch& w : found->second) {
            if (!m_wdOfKey.contains(parentOf(w.key)))
                changes.push_back({TSxChangeMask::RemoveFolder, w.key, {}});
        }
    }
    if (moved) {
        ::inotify_rm_watch(m_inotify, wd); // it now lives under another name
        dropWatch(wd);
    }
}

void TSxFileNotifier::movedIn(std::vector<Change>& changes, int wd, quint32 cookie, const QByteArray& name, bool folder)
{
    const auto from = std::find_if(m_pendingMoves.begin(), m_pendingMoves.end(),
                                   [&](const PendingMove& m) { return m.cookie == cookie; });
    if (from == m_pendingMoves.end()) {
        addItemChanges(changes, wd, folder ? TSxChangeMask::MakeFolder : TSxChangeMask::Create, name, folder);
        return;
    }
    const PendingMove move = *from;
    m_pendingMoves.erase(from);
    const auto source = m_watches.find(move.wd);
    const auto target = m_watches.find(wd);
    if (source == m_watches.end() || target == m_watches.end())
        return;
    // Pair each old identifier with the new one reached the same way (below
    // home, or below "/").
    for (const Watch& old : source->second) {
        const Watch* best = &target->second.front();
        for (const Watch& candidate : target->second) {
            if (viewOf(candidate.key).element(0).name == viewOf(old.key).element(0).name)
                best = &candidate;
        }
        changes.push_back({folder ? TSxChangeMask::RenameFolder : TSxChangeMask::RenameItem,
                           childOf(old.key, move.name, folder), childOf(best->key, name, folder)});
    }
}

bool TSxFileNotifier::leadsToFolder(int wd, const QByteArray& name) const
{
    // A symbolic link to a folder is a folder to the listing, which follows
    // links; inotify calls it a file.
    const auto found = m_watches.find(wd);
    if (found == m_watches.end() || found->second.empty())
        return false;
    const QByteArray folder = nativePathFromIdList(viewOf(found->second.front().key));
    struct stat st {};
    return !folder.isEmpty() && ::stat((folder + '/' + name).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

void TSxFileNotifier::checkMounts()
{
    std::vector<TSxMountEntry> now = TSxVolumeTable::current().volumes();
    std::vector<Change> changes;
    for (const TSxMountEntry& old : m_volumes) {
        if (std::find(now.begin(), now.end(), old) == now.end())
            changes.push_back({isCdRom(old) ? TSxChangeMask::MediaRemoved : TSxChangeMask::DriveRemoved,
                               volumeId(old.mountPoint), {}});
    }
    for (const TSxMountEntry& added : now) {
        if (std::find(m_volumes.begin(), m_volumes.end(), added) == m_volumes.end())
            changes.push_back({isCdRom(added) ? TSxChangeMask::MediaInserted : TSxChangeMask::DriveAdded,
                               volumeId(added.mountPoint), {}});
    }
    m_volumes = std::move(now);
    emitChanges(changes);
}

void TSxFileNotifier::emitChanges(const std::vector<Change>& changes)
{
    // A handler may destroy the notifier (its owner going away).
    const QPointer<TSxFileNotifier> alive(this);
    for (const Change& change : changes) {
        if (!alive)
            return;
        const TSxShellChangeEvents events = TSxShellChangeEvents::fromMask(change.mask);
        runGuarded([&] {
            Q_EMIT FileChange(events, viewOf(change.first),
                              change.second.isEmpty() ? PidlView() : viewOf(change.second));
        });
    }
}
