#pragma once

#include "documents/documenttable.h"
#include "recovery/recoveryjournal.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>

// Keeps a recovery journal of each document while it has unsaved changes,
// and brings back at start the documents that a program which ended without
// saving them left behind (a crash, a kill, a power cut, a signal): each
// comes back as a tab of its own after the open ones, modified, with its
// path and caption, and nobody is asked anything.
class DocumentJournaling : public QObject {
    Q_OBJECT
public:
    DocumentJournaling(DocumentTable& table, const QString& root, QObject* parent = nullptr);
    ~DocumentJournaling() override;

    // False when the journals' folder cannot be had; problem() says why.
    bool isActive() const { return m_journal.isActive(); }
    QString problem() const;

    // Opens a document for each journal of a program that has ended; the
    // current document stays current. Returns what could not be recovered,
    // one text for each, to tell the user (those journals are kept aside).
    QStringList recoverEnded();

    // Writes every change to the disk now.
    void flush();
    // The program ends without its user (a signal): every change is written,
    // and from now on nothing is removed, whatever happens to the documents
    // on the way out.
    void keepForRecovery();
    // The program ends as its user asked: no journal is left.
    void endCleanly();

Q_SIGNALS:
    // A journal could not be written.
    void failed(const QString& problem);

private:
    void documentCreated(int slot);
    void documentClosing(int slot);
    void modifiedChanged(int slot, bool modified);
    JournalSource sourceOf(int slot) const;
    // False when every slot is in use.
    bool reopen(const OrphanJournal& orphan, QStringList& problems);

    DocumentTable& m_table;
    RecoveryJournal m_journal;
    std::array<RecoveryJournal::DocumentId, DocumentTable::Capacity> m_ids{};
    RecoveryJournal::DocumentId m_nextId = 1;
    // The program is ending: the journals are left as they are.
    bool m_stopped = false;
};
