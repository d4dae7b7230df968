#pragma once

#include "explorer/itemidlist.h"
#include "explorer/shellchangeevents.h"
#include "explorer/volumes.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>

#include <map>
#include <vector>

class QSocketNotifier;
class QTimer;
struct inotify_event;

// The namespace change notifier. Its owner tells it which folders it shows
// (watchFolder / unwatchFolder, counted); it then reports, on the
// user-interface thread, items created, deleted and renamed in them. Folders
// are told apart from other items; a symbolic link that arrives leading to
// a folder counts as a folder, as the listing takes it (one that goes is
// reported as a file: what it led to can no longer be asked). A rename
// carries the old and the new identifier, and a move between two watched
// folders is a rename. Mounts and unmounts anywhere are reported as media
// inserted or removed (CD-ROM volumes) or drives added or removed (the
// others), with the drives-folder identifier of the volume. Identifiers in a
// report are the watched folder's identifier joined with the item's name;
// they are valid during the call only (copy them to keep them).
class TSxFileNotifier : public QObject {
    Q_OBJECT
public:
    explicit TSxFileNotifier(QObject* parent = nullptr);
    ~TSxFileNotifier() override;

    // Starts (or counts once more) the watch of a folder's items. False when
    // the folder has no file-system path (the desktop, the drives folder,
    // whose changes come as volume changes) or cannot be watched.
    bool watchFolder(PidlView absoluteId);
    void unwatchFolder(PidlView absoluteId);
    bool isWatching(PidlView absoluteId) const;
    int watchedFolderCount() const { return int(m_wdOfKey.size()); }

    // Reads the mount table again and reports what changed; runs by itself
    // when the system says the table changed.
    void checkMounts();

Q_SIGNALS:
    void FileChange(TSxShellChangeEvents events, PidlView first, PidlView second);

private:
    struct Watch {
        QByteArray key; // the folder's identifier, as reported
        int count = 0;
    };
    struct PendingMove {
        quint32 cookie;
        int wd;
        QByteArray name;
        bool folder;
        qint64 since; // on m_clock
    };
    struct Change {
        quint32 mask;
        QByteArray first;
        QByteArray second;
    };

    void readEvents();
    void addEventChanges(std::vector<Change>& changes, const inotify_event& e);
    // A watched folder was deleted or moved away.
    void folderLeft(std::vector<Change>& changes, int wd, bool moved);
    // The second half of a rename, or an item moved in from elsewhere.
    void movedIn(std::vector<Change>& changes, int wd, quint32 cookie, const QByteArray& name, bool folder);
    // The item of a watched folder is, or leads to, a folder.
    bool leadsToFolder(int wd, const QByteArray& name) const;
    // Turns the first halves of renames that waited long enough into
    // deletions.
    void flushPendingMoves(std::vector<Change>& changes);
    void addItemChanges(std::vector<Change>& changes, int wd, quint32 mask, const QByteArray& name, bool folder);
    void dropWatch(int wd);
    void emitChanges(const std::vector<Change>& changes);

    int m_inotify = -1;
    QSocketNotifier* m_events = nullptr;
    std::map<int, std::vector<Watch>> m_watches;
    QHash<QByteArray, int> m_wdOfKey;
    std::vector<PendingMove> m_pendingMoves;
    QTimer* m_moveTimer = nullptr;
    QElapsedTimer m_clock;

    int m_mounts = -1;
    QSocketNotifier* m_mountNotifier = nullptr;
    std::vector<TSxMountEntry> m_volumes;
};
