#pragma once

#include "recovery/journalformat.h"

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <optional>

// How a document's file becomes its text, for a journal that relies on the
// file: given the file's bytes and the encoding the journal names, the text,
// or nothing when the bytes do not read as that encoding. Supplied by the
// documents' owner, who knows the codec.
using JournalTextDecoder = std::function<std::optional<QString>(QByteArrayView bytes, const QString& encoding)>;

enum class ReplayProblem {
    None,
    FileChanged,    // the file's bytes are no longer those the edits apply to
    FileUnreadable, // the file the edits apply to cannot be read
    Inconsistent,   // the edits do not fit the text they apply to
};

struct ReplayResult {
    QString text;
    ReplayProblem problem = ReplayProblem::None;
};

// The text a journal stands for: its edits replayed onto its snapshot or,
// when it has none, onto its file as the document read it.
ReplayResult replayJournal(const JournalContent& content, const JournalTextDecoder& decode);

// Replays edits onto text; false when one does not fit.
bool replayEdits(QString& text, const QList<JournalEdit>& edits);
