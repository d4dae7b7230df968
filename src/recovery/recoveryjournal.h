#pragma once

#include "recovery/journalformat.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class EndedSession;
class JournalFile;
class JournalWriter;
class OwnSession;
class QTimer;

// What the journal asks of a document, supplied by the document's owner.
struct JournalSource {
    // The document's path and encoding, and, when its text stood for a file
    // before its first change, that file's identity. (Session and order are
    // the journal's to fill.)
    std::function<JournalHeader()> header;
    // The whole text now.
    std::function<QString()> text;
};

// A journal left by a program that has ended, read back.
struct OrphanJournal {
    QString file;
    JournalContent content;
};

// The recovery journals of this program's documents. Every change of a
// document is kept in memory, then written to its journal within
// FlushDelay and forced to the disk (on a thread of its own), so a crash, a
// kill or a power cut loses at most a second or two of typing. A journal
// exists while its document has changes not saved.
//
// A text of at most SnapshotLimit characters is copied whole into its new
// journal, so it comes back even when its file changes before it is
// recovered; a longer one keeps only its edits and relies on its file (a
// document of a gigabyte with a few edits has a journal of a few bytes).
// Once the edits outgrow the text, the journal is rewritten as one copy of
// the text.
class RecoveryJournal : public QObject {
    Q_OBJECT
public:
    using DocumentId = quint64;
    static constexpr qint64 SnapshotLimit = qint64(1) << 20;
    static constexpr int FlushDelay = 1000;  // ms, by default
    static constexpr int RetryDelay = 10000; // ms, after a write failed

    // Journals go under root, in a session folder of this program's own.
    explicit RecoveryJournal(const QString& root, QObject* parent = nullptr);
    // Writes what is pending and ends the writer's thread; the journals stay.
    ~RecoveryJournal() override;

    // False when the folder could not be set up (problem() says why):
    // nothing is journaled then.
    bool isActive() const { return m_session != nullptr; }
    const QString& problem() const { return m_problem; }
    QString sessionPath() const;
    // How long a change waits in memory before it is written.
    void setFlushDelay(int ms) { m_flushDelay = ms; }

    // A document to journal; ids grow with the order the documents were
    // created in.
    void track(DocumentId id, JournalSource source);
    // A change of its text (not a whole load): removed characters at
    // position replaced by inserted, leaving the text lengthAfter long.
    void edited(DocumentId id, qint64 position, qint64 removed, QStringView inserted, qint64 lengthAfter);
    // It has unsaved changes that came without an edit (its file went away):
    // its journal starts now, with a copy of the text, if it has none.
    void changedWithoutEdit(DocumentId id);
    // Its changes are saved or given up: its journal goes.
    void discard(DocumentId id);
    // It is closed.
    void untrack(DocumentId id);
    // Writes every pending change; returns once it is on the disk.
    void flush();
    // The program ends cleanly: no journal is left.
    void endCleanly();

    // The journals of programs that have ended, oldest first, held by this
    // program until releaseEnded(). One that cannot be read is set aside
    // and told in problems.
    QList<OrphanJournal> claimEnded(QStringList& problems);
    // Moves an orphan that cannot be recovered aside; gives its new path.
    QString setAside(const OrphanJournal& orphan);
    // Takes an orphan over as the journal of a tracked document whose text
    // (length characters) was recovered from it.
    void adopt(const OrphanJournal& orphan, DocumentId id, qint64 length);
    // Lets go of the ended programs' folders, removing those left empty.
    void releaseEnded();

Q_SIGNALS:
    // A journal could not be written; told once until it can be again.
    void failed(const QString& problem);

private:
    struct Document {
        JournalSource source;
        JournalHeader header;
        std::shared_ptr<JournalFile> file; // none until the first change
        bool rewrite = false;              // the next write replaces the file: header, copy, records
        std::optional<QString> copy;       // the text to write whole
        QByteArray appended;               // records to add to the file
        qint64 length = 0;                 // the text's length after the last change
        qint64 logged = 0;                 // bytes of edits since the last copy of the text
        bool reliesOnFile = false;         // no copy of the text: the edits apply to the file
        bool resync = false;               // the next write is a copy of the text
        bool reported = false;             // a failure to write it was told
    };
    // withCopy: a copy of the text whatever its length.
    void start(DocumentId id, Document& d, qint64 lengthBefore, bool withCopy = false);
    void takeSnapshot(Document& d);
    void schedule(int delay);
    void writePending();
    void write(DocumentId id, Document& d);
    void written(DocumentId id, bool ok, const QString& problem);
    // The writer thread's outcomes reach the user's thread through a queue
    // of our own, so that nothing made on one thread is used on the other
    // without a lock both can see.
    struct Outcome {
        DocumentId id;
        bool ok;
        QString problem;
    };
    void report(Outcome outcome);
    Q_INVOKABLE void takeOutcomes();
    QString journalPath(DocumentId id) const;

    std::unique_ptr<OwnSession> m_session;
    QString m_problem;
    std::map<DocumentId, Document> m_documents;
    std::vector<std::unique_ptr<EndedSession>> m_ended;
    QTimer* m_timer = nullptr;
    int m_flushDelay = FlushDelay;
    std::mutex m_outcomesLock;
    std::vector<Outcome> m_outcomes;
    std::unique_ptr<JournalWriter> m_writer;
};
