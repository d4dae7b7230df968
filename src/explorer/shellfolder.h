#pragma once

#include "explorer/itemidlist.h"
#include "explorer/pidlmanager.h"

#include <QByteArray>
#include <QString>

#include <dirent.h>
#include <memory>
#include <optional>
#include <vector>

// The namespace, answered from the file system.
//
// The top of the namespace (the desktop, the empty identifier) holds two
// items: the user's home folder and the file-system root "/". Their elements
// are named "~" and "/". A third folder, the drives folder, lists the mounted
// volumes; it is no child of the top (element "::drives"), and each of its
// items is named by its mount point ("/media/cdrom"). Below any of these,
// one element per path component, named as the file system spells it.
//
// A path always parses to the "/" form; the same folder reached through the
// home item has another identifier, and identifiers from the two routes
// are not equal.

namespace ShellElementNames {
inline constexpr char Home[] = "~";
inline constexpr char Root[] = "/";
inline constexpr char Drives[] = "::drives";
}

// What an enumeration lists.
namespace ShellContents {
enum : quint32 {
    Folders = 32,
    NonFolders = 64,
    IncludeHidden = 128, // names starting with a dot
};
// The flags that enumerate the kinds of items asked for.
constexpr quint32 flags(bool folders, bool nonFolders, bool hidden)
{
    return (folders ? quint32(Folders) : 0) | (nonFolders ? quint32(NonFolders) : 0)
         | (hidden ? quint32(IncludeHidden) : 0);
}
}

// Item attributes. Only the bits asked for are worked out, and the cheap ones
// (Folder, Hidden, FileSystem, FileSysAncestor) need no disk access.
namespace TSxAttr {
enum : quint32 {
    CanCopy = 0x1,
    CanMove = 0x2,
    CanLink = 0x4,
    CanRename = 0x10,
    CanDelete = 0x20,
    DropTarget = 0x100,
    Ghosted = 0x8000,     // hidden items are shown dimmed
    Link = 0x10000,       // a symbolic link
    Share = 0x20000,      // never set here: there is no sharing service to ask
    ReadOnly = 0x40000,   // not writable by this user
    Hidden = 0x80000,     // name starts with a dot
    Validate = 0x1000000, // the item still exists
    Removable = 0x2000000,
    Compressed = 0x4000000, // the file system stores it compressed
    FileSysAncestor = 0x10000000,
    Folder = 0x20000000,
    FileSystem = 0x40000000, // the item has a file-system path
    HasSubfolder = 0x80000000,
};
}
using TSxAttributes = quint32;

// What the file system says of an item (one stat, plus lstat for links).
struct TSxFindData {
    bool isFolder = false;
    bool isRegularFile = false;
    bool isLink = false;
    bool readOnly = false;
    bool hidden = false;
    qint64 size = 0;           // bytes; 0 for folders
    qint64 lastWriteMSecs = 0; // since the epoch, UTC; 0 when unknown
};

class TSxEnumIdList;

// A folder object: the desktop, the drives folder or a file-system folder.
// Immutable; shared by whoever holds it.
class TSxShellFolder {
public:
    using Ptr = std::shared_ptr<const TSxShellFolder>;
    enum class Kind { Desktop, Drives, FileSystem };

    static Ptr desktop();
    // The item named by an absolute identifier, bound as a folder: null when
    // the item is not a folder (as its identifier records) or names nothing.
    static Ptr bind(PidlView absoluteId);
    Ptr bindToObject(PidlView relativeId) const;

    Kind kind() const { return m_kind; }
    PidlView absoluteId() const { return PidlView(reinterpret_cast<PCIDL>(m_id.constData())); }
    // Empty for the desktop and the drives folder.
    QString path() const;
    const QByteArray& nativePath() const { return m_path; }
    bool isFileSystem() const { return m_kind == Kind::FileSystem; }

    // Lists the folder's items as identifiers relative to it (names only: a
    // folder of 100,000 files costs no stat per file, except for symbolic
    // links and file systems that do not say what an entry is). No value
    // when the folder cannot be read.
    std::optional<TSxEnumIdList> enumObjects(quint32 contents) const;

    TSxAttributes attributesOf(PidlView relativeId, TSxAttributes mask) const;
    // The item's name as shown (relative identifiers of several elements
    // name their last item).
    QString displayNameOf(PidlView relativeId) const;
    // Name-column order of two relative identifiers: folders before other
    // items, then names as compareItemNames orders them. -1, 0 or 1; 0 only
    // for the same item.
    int compareIDs(PidlView a, PidlView b) const;
    // The identifier, relative to this folder, of an existing item: an
    // absolute path for the desktop ("" is the desktop itself), a mount point
    // for the drives folder, a relative path for a file-system folder. Null
    // when the name does not parse or names nothing.
    TSxPidl parseDisplayName(const QString& name, PidlTag tag) const;

    // The file-system path of an item of this folder; empty when it has none.
    QString pathOf(PidlView relativeId) const;
    QByteArray nativePathOf(PidlView relativeId) const;
    std::optional<TSxFindData> findData(PidlView relativeId) const;

private:
    TSxShellFolder(Kind kind, QByteArray id, QByteArray path);

    Kind m_kind;
    QByteArray m_id;   // this folder's absolute identifier, terminator included
    QByteArray m_path; // file-system path, or empty
    int m_depth;       // elements in m_id
};

// The items of one folder, one at a time.
class TSxEnumIdList {
public:
    // The next item as a registered identifier relative to the folder; null
    // after the last.
    TSxPidl next(PidlTag tag);
    // The next item as an unregistered identifier, for callers that register
    // it themselves (or free it with ItemIdAllocator::free); null after the
    // last.
    PIDL nextRaw();

private:
    friend class TSxShellFolder;
    struct DirCloser {
        void operator()(DIR* dir) const;
    };
    TSxEnumIdList() = default;
    std::unique_ptr<DIR, DirCloser> m_dir;
    quint32 m_contents = 0;
    std::vector<QByteArray> m_fixed; // items of the desktop or the drives folder
    std::size_t m_next = 0;
};

// What an absolute identifier names.
enum class TSxItemKind {
    Desktop,      // the top (empty identifier)
    Home,         // the home folder, child of the top
    Root,         // "/", child of the top
    DrivesFolder, // the list of volumes
    Drive,        // a volume, child of the drives folder
    FileItem,     // anything below home, "/" or a volume
    Invalid,      // not an identifier this namespace made
};
TSxItemKind classifyItem(PidlView absoluteId);

// The file-system path of an absolute identifier; empty when it has none
// (the desktop, the drives folder, a malformed identifier).
QString pathFromIdList(PidlView absoluteId);
QByteArray nativePathFromIdList(PidlView absoluteId);
