#pragma once

#include "explorer/itemidlist.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <Qt>

#include <optional>
#include <vector>

class QMimeData;

namespace TSxDropEffect {
enum : quint32 {
    None = 0,
    Copy = 1,
    Move = 2,
    Link = 4,
};
}

// The named clipboard formats, offered as MIME types in the form Qt gives
// such formats ("application/x-qt-windows-mime;value=\"Shell IDList Array\"").
namespace TSxDragFormat {
QString mimeType(const char* formatName);
inline constexpr char ShellIdListArray[] = "Shell IDList Array";
inline constexpr char PreferredDropEffect[] = "Preferred DropEffect";
inline constexpr char FileNameMap[] = "FileNameMap";
inline constexpr char FileNameMapW[] = "FileNameMapW";
}

// What a drag from the folder tree or the file list offers: items of one
// folder as
// - text/uri-list: file: URLs of the items that have a path (exact bytes,
//   percent-encoded), the file-drop list;
// - "Shell IDList Array": a 32-bit item count n, n + 1 32-bit offsets from
//   the start, then the folder's absolute identifier and the n relative
//   identifiers (little-endian throughout);
// - "Preferred DropEffect": the allowed effects as a 32-bit value;
// - "FileNameMap" / "FileNameMapW": the items' names, each ended by a zero,
//   the list ended by one more zero, in bytes / in UTF-16LE.
class TDropPIDLSource {
public:
    TDropPIDLSource(PidlView folderId, const std::vector<PidlView>& relativeIds,
                    quint32 dragTypes = TSxDropEffect::Copy | TSxDropEffect::Move | TSxDropEffect::Link);

    quint32 dragTypes() const { return m_dragTypes; }
    // A new data object (the caller, usually a QDrag, owns it).
    QMimeData* createMimeData() const;

private:
    QByteArray m_folder;
    std::vector<QByteArray> m_items;
    quint32 m_dragTypes;
};

// Reads what such a drag carries: the identifiers when the "Shell IDList
// Array" is well formed, and the file names of the file-drop list.
class TDropPIDLTarget {
public:
    explicit TDropPIDLTarget(const QMimeData* data);

    bool hasIdList() const { return m_hasIdList; }
    PidlView folderId() const;
    int itemCount() const { return int(m_items.size()); }
    PidlView item(int index) const;

    int fileNameCount() const { return int(m_fileNames.size()); }
    // Throws ScrivoError("Filename index out of range") past the list.
    QString fileName(int index) const;
    // The allowed effects the source stated; none when it did not.
    quint32 preferredDropEffect() const { return m_preferredEffect; }

private:
    bool m_hasIdList = false;
    QByteArray m_folder;
    std::vector<QByteArray> m_items;
    QStringList m_fileNames;
    quint32 m_preferredEffect = TSxDropEffect::None;
};

// The rules of a drop of namespace items onto a folder.
namespace TSxDropRules {
// The effect a drop would have, from what the source allows, the keys held,
// whether every item is a program and whether source and target lie on one
// volume.
quint32 proposedEffect(quint32 allowed, Qt::KeyboardModifiers keys, bool allPrograms, bool sameVolume);
// An effect limited by what every dragged item permits: a move beyond the
// maximum becomes a copy, a copy a link, a link none.
quint32 limitEffect(quint32 effect, quint32 maximum);
// The effect of dropping data onto the folder targetId, as the pointer
// shows it: none for items that come from that folder or would go into
// themselves, and none when the folder accepts no drops.
quint32 effectOnto(PidlView targetId, bool acceptsDrops, const QMimeData* data, Qt::KeyboardModifiers keys);
// The paths of the items a drop carries.
QStringList droppedPaths(const QMimeData* data);
Qt::DropAction qtAction(quint32 effect);
}
