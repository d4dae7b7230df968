#include "text/undohistory.h"

void UndoHistory::record(UndoRecord change, EditKind kind)
{
    m_undone.clear();
    if (m_groupDepth > 0) {
        if (!m_groupStarted) {
            m_done.push_back(UndoStep{{}, EditKind::Other});
            m_groupStarted = true;
        }
        m_done.back().records.push_back(std::move(change));
        return;
    }
    if (mergeIntoRun(change, kind))
        return;
    m_done.push_back(UndoStep{{}, kind});
    m_done.back().records.push_back(std::move(change));
    m_runOpen = kind != EditKind::Other;
}

// Joins a change to the run it continues: typing right after the text typed
// (overwriting included), a Backspace right before the text deleted, a
// Delete at the same place.
bool UndoHistory::mergeIntoRun(UndoRecord& change, EditKind kind)
{
    if (!m_runOpen || kind == EditKind::Other || m_done.empty() || m_done.back().kind != kind)
        return false;
    UndoRecord& last = m_done.back().records.back();
    switch (kind) {
    case EditKind::Typing:
        if (change.position != last.position + last.insertedUnits)
            return false;
        last.saved.append(std::move(change.saved), m_maxChunkBytes);
        break;
    case EditKind::Backspace:
        if (change.insertedUnits != 0 || last.insertedUnits != 0
            || change.position + change.removedUnits != last.position)
            return false;
        last.saved.prepend(std::move(change.saved), m_maxChunkBytes);
        last.position = change.position;
        break;
    case EditKind::Delete:
        if (change.insertedUnits != 0 || last.insertedUnits != 0 || change.position != last.position)
            return false;
        last.saved.append(std::move(change.saved), m_maxChunkBytes);
        break;
    case EditKind::Other: return false;
    }
    last.removedUnits += change.removedUnits;
    last.insertedUnits += change.insertedUnits;
    return true;
}

void UndoHistory::beginGroup()
{
    if (m_groupDepth++ == 0) {
        m_groupStarted = false;
        m_runOpen = false;
    }
}

void UndoHistory::endGroup()
{
    if (m_groupDepth > 0)
        --m_groupDepth;
}

void UndoHistory::clear()
{
    m_done.clear();
    m_undone.clear();
    m_runOpen = false;
}

UndoStep UndoHistory::takeUndo()
{
    UndoStep step = std::move(m_done.back());
    m_done.pop_back();
    m_runOpen = false;
    return step;
}

UndoStep UndoHistory::takeRedo()
{
    UndoStep step = std::move(m_undone.back());
    m_undone.pop_back();
    m_runOpen = false;
    return step;
}
