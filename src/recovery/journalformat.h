#pragma once

#include "recovery/fileidentity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// A recovery journal file: a fixed opening, then records. A record is a type
// byte, the payload's length (8 bytes), the payload, and a CRC-32C of those
// three, so a record cut short or damaged (a power cut in the middle of a
// write) is recognised: it and everything after it are left out.
//
// The first record describes the document. A snapshot record holds the
// whole text; the edit records after it apply to it or, when there is none,
// to the text of the header's file as it was read. Texts are UTF-16, exactly
// as the document holds them; positions count UTF-16 units of the document's
// logical text (a line break counts one).

struct JournalHeader {
    QString path;                     // the document's file; empty when untitled
    std::optional<FileIdentity> base; // the file as the document read it: what the edits apply to when no
                                      // snapshot precedes them
    QString encoding;                 // the document's encoding, as its owner names it
    qint64 sessionStarted = 0;        // when the writing program started, ms since 1970
    qint64 order = 0;                 // the document's place among that program's documents

    friend bool operator==(const JournalHeader&, const JournalHeader&) = default;
};

struct JournalEdit {
    qint64 position = 0;
    qint64 removed = 0;
    QString inserted;
    qint64 lengthAfter = 0; // the text's length after the edit: a check on replay

    friend bool operator==(const JournalEdit&, const JournalEdit&) = default;
};

namespace JournalFormat {
QByteArray opening();
QByteArray headerRecord(const JournalHeader& header);
QByteArray snapshotRecord(QStringView text);
// Appends, so a keystroke costs no allocation of its own.
void appendEditRecord(QByteArray& out, qint64 position, qint64 removed, QStringView inserted, qint64 lengthAfter);
}

// What a journal file holds, up to its last intact record.
struct JournalContent {
    JournalHeader header;
    std::optional<QString> snapshot; // the last snapshot
    QList<JournalEdit> edits;        // the edits after it (or after the header)
    qint64 headerEnd = 0;            // where the header record ends
    qint64 intactSize = 0;           // where the last intact record ends
    bool cutShort = false;           // bytes after intactSize were left out
};

// Nothing when the bytes are no journal: the opening or the header record
// is missing or damaged.
std::optional<JournalContent> readJournal(QByteArrayView bytes);
