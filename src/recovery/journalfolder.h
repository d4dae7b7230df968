#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The folder of recovery journals, private to the user (0700, files 0600):
// $XDG_STATE_HOME/scrivo, or ~/.local/state/scrivo.
//
// Each running program holds a session folder in it, "session-<start>-<pid>",
// whose file "lock" holds the program's process id and stays locked (flock)
// while the program runs; the system drops the lock when the program ends,
// however it ends. A session folder whose lock nobody holds is a program's
// that has ended: its journals wait there to be recovered.
QString defaultJournalRoot();

// Creates the folder and its parents as needed, and makes it private. False
// (with the reason) when it cannot be had or belongs to another user.
bool preparePrivateFolder(const QString& path, QString& problem);

// Writes a folder's entries to the disk (after a file in it was created,
// renamed or removed).
void syncFolder(const QString& path);

// The running program's own session folder.
class OwnSession {
public:
    // Nothing, with the reason, when the folder cannot be set up.
    static std::unique_ptr<OwnSession> open(const QString& root, QString& problem);
    ~OwnSession(); // the lock is released; the folder stays (its journals too)
    OwnSession(const OwnSession&) = delete;
    OwnSession& operator=(const OwnSession&) = delete;

    const QString& root() const { return m_root; }
    const QString& path() const { return m_path; }
    qint64 started() const { return m_started; }
    // The program ends cleanly: the folder goes when no journal is left in it.
    void remove();

private:
    OwnSession(QString root, QString path, qint64 started, int lockFd);
    QString m_root;
    QString m_path;
    qint64 m_started;
    int m_lockFd;
};

// A session of a program that has ended, locked by this one while it takes
// the journals, so no other program takes them at the same time.
class EndedSession {
public:
    ~EndedSession(); // the lock is released
    EndedSession(const EndedSession&) = delete;
    EndedSession& operator=(const EndedSession&) = delete;

    const QString& path() const { return m_path; }
    QString name() const;
    // Its journal files, oldest document first. Left-over temporary files
    // of a rewrite that never finished (the journal itself is whole) go.
    QStringList journalFiles() const;
    // Removes the folder once no journal is left in it.
    void removeIfEmpty();

    // Every ended session under root, but own, locked; in the order the
    // programs started.
    static std::vector<std::unique_ptr<EndedSession>> claimAll(const QString& root, const QString& own);

private:
    EndedSession(QString root, QString path, int lockFd);
    QString m_root;
    QString m_path;
    int m_lockFd;
};

// Moves a journal that cannot be used to root's folder "set-aside", under a
// name free there. Returns the new path, empty when it could not be moved.
QString setJournalAside(const QString& root, const QString& file);
