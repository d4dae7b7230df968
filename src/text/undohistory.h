#pragma once

#include "text/textchunk.h"

#include <vector>

// What kind of edit a change was, so that runs of one kind undo together.
enum class EditKind : quint8 {
    Other,     // its own undo step (a paste, a command)
    Typing,    // typed text; a run of it at advancing positions merges
    Backspace, // deleting backwards; a run merges
    Delete,    // deleting forwards; a run merges
};

// One change: at position, removedUnits replaced by insertedUnits. While
// the change is done, saved holds the removed text; once undone, the
// inserted text (the store hands each side back when it takes it out).
struct UndoRecord {
    qint64 position = 0;
    qint64 removedUnits = 0;
    qint64 insertedUnits = 0;
    TextFragment saved;
};

// Changes undone and redone together, in the order they were made.
struct UndoStep {
    std::vector<UndoRecord> records;
    EditKind kind = EditKind::Other;
};

// The store's undo and redo stacks. Grouping: everything between
// beginGroup and endGroup is one step; outside a group, a change of kind
// Typing, Backspace or Delete joins the step before when that is an open run
// of the same kind that it continues; closeRun ends the run (the caret moved,
// another command came).
class UndoHistory {
public:
    explicit UndoHistory(qsizetype maxChunkBytes) : m_maxChunkBytes(maxChunkBytes) {}

    void record(UndoRecord change, EditKind kind);
    void beginGroup();
    void endGroup();
    void closeRun() { m_runOpen = false; }
    void clear();

    bool canUndo() const { return !m_done.empty(); }
    bool canRedo() const { return !m_undone.empty(); }
    UndoStep takeUndo();
    UndoStep takeRedo();
    void pushUndone(UndoStep step) { m_undone.push_back(std::move(step)); }
    void pushRedone(UndoStep step) { m_done.push_back(std::move(step)); }

private:
    bool mergeIntoRun(UndoRecord& change, EditKind kind);

    qsizetype m_maxChunkBytes;
    std::vector<UndoStep> m_done;
    std::vector<UndoStep> m_undone;
    int m_groupDepth = 0;
    bool m_groupStarted = false;
    bool m_runOpen = false;
};
