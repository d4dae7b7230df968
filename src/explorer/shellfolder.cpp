#include "explorer/shellfolder.h"

#include "explorer/namecompare.h"
#include "explorer/volumes.h"
#include "platform/nativenames.h"

#include <QDir>
#include <QFile>

#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
using ItemKind = TSxItemKind;

bool isValidComponent(QByteArrayView name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

ItemKind classify(PidlView id)
{
    auto it = id.begin();
    if (it == id.end())
        return ItemKind::Desktop;
    const QByteArrayView first = (*it).name;
    ++it;
    ItemKind top;
    if (first == ShellElementNames::Home)
        top = ItemKind::Home;
    else if (first == ShellElementNames::Root)
        top = ItemKind::Root;
    else if (first == ShellElementNames::Drives) {
        if (it == id.end())
            return ItemKind::DrivesFolder;
        const QByteArrayView mountPoint = (*it).name;
        if (!mountPoint.startsWith('/') || mountPoint.contains('\0'))
            return ItemKind::Invalid;
        ++it;
        top = ItemKind::Drive;
    } else
        return ItemKind::Invalid;
    if (it == id.end())
        return top;
    for (; it != id.end(); ++it) {
        if (!isValidComponent((*it).name))
            return ItemKind::Invalid;
    }
    return ItemKind::FileItem;
}

// The bytes of first followed by second, as one identifier.
QByteArray joinedBytes(PidlView first, PidlView second)
{
    QByteArray out = first.bytes().chopped(2).toByteArray();
    out.append(second.bytes().data(), second.byteSize());
    return out;
}

PidlView viewOf(const QByteArray& bytes)
{
    return PidlView(reinterpret_cast<PCIDL>(bytes.constData()));
}

// A one-folder identifier, terminator included.
QByteArray oneElement(QByteArrayView name)
{
    return encodeItemIdElement(name, ItemIdFlags::Folder) + QByteArray(2, '\0');
}

QByteArray homePath() { return QFile::encodeName(QDir::homePath()); }

bool statPath(const QByteArray& path, struct stat& st) { return ::stat(path.constData(), &st) == 0; }
bool lstatPath(const QByteArray& path, struct stat& st) { return ::lstat(path.constData(), &st) == 0; }

bool isDirectoryPath(const QByteArray& path)
{
    struct stat st {};
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

QByteArray parentPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

// A folder shows an expand button when it has a subfolder a user sees:
// hidden ones do not count, as the tree does not show them.
bool hasVisibleSubfolder(const QByteArray& path)
{
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return false;
    bool found = false;
    while (!found) {
        const dirent* e = ::readdir(dir);
        if (!e)
            break;
        if (e->d_name[0] == '.')
            continue;
        if (e->d_type == DT_DIR)
            found = true;
        else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            found = ::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
    }
    ::closedir(dir);
    return found;
}

bool isCompressed(const QByteArray& path)
{
    struct stat st {};
    if (!statPath(path, st) || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return false;
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    const bool compressed = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_COMPR_FL);
    ::close(fd);
    return compressed;
}

// Not writable by this user. A privileged user may write anything, so for
// him an item is read-only when its mode grants writing to nobody (what
// "chmod a-w" marks), as the read-only mark binds administrators elsewhere.
bool isReadOnly(const QByteArray& path)
{
    if (::access(path.constData(), W_OK) != 0)
        return ::access(path.constData(), F_OK) == 0;
    struct stat st {};
    return ::geteuid() == 0 && statPath(path, st) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

qint64 mtimeMSecs(const struct stat& st)
{
    return qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
}

int topRank(QByteArrayView name)
{
    if (name == ShellElementNames::Home)
        return 0;
    if (name == ShellElementNames::Root)
        return 1;
    if (name == ShellElementNames::Drives)
        return 2;
    return 3;
}

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// The components of a path with "." and ".." worked out lexically. Above
// the start, ".." stays where it is for an absolute path (as "/.." is "/")
// and makes a relative one fail.
std::optional<QList<QByteArray>> components(const QByteArray& path, bool absolute)
{
    QList<QByteArray> parts;
    for (const QByteArray& part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            else if (!absolute)
                return std::nullopt;
            continue;
        }
        parts << part;
    }
    return parts;
}

QByteArray joinPath(const QByteArray& base, const QList<QByteArray>& parts)
{
    QByteArray path = base;
    for (const QByteArray& part : parts) {
        if (!path.endsWith('/'))
            path += '/';
        path += part;
    }
    return path;
}

// Identifier bytes for components below a folder: all folders but maybe
// the last.
QByteArray elementsFor(const QList<QByteArray>& parts, bool lastIsFolder)
{
    QByteArray bytes;
    for (qsizetype k = 0; k < parts.size(); ++k)
        bytes += encodeItemIdElement(parts[k], k + 1 < parts.size() || lastIsFolder ? ItemIdFlags::Folder : 0);
    return bytes;
}

bool isFolderAfterLstat(const QByteArray& path, const struct stat& st)
{
    return S_ISDIR(st.st_mode) || (S_ISLNK(st.st_mode) && isDirectoryPath(path));
}
}

TSxItemKind classifyItem(PidlView absoluteId) { return classify(absoluteId); }

QByteArray nativePathFromIdList(PidlView id)
{
    const ItemKind kind = classify(id);
    if (kind == ItemKind::Desktop || kind == ItemKind::DrivesFolder || kind == ItemKind::Invalid)
        return {};
    auto it = id.begin();
    QByteArray path;
    if (kind == ItemKind::Drive || (*it).name == ShellElementNames::Drives) {
        ++it;
        path = (*it).name.toByteArray();
    } else if ((*it).name == ShellElementNames::Home)
        path = homePath();
    else
        path = QByteArrayLiteral("/");
    for (++it; it != id.end(); ++it) {
        if (!path.endsWith('/'))
            path += '/';
        path += (*it).name;
    }
    return path;
}

QString pathFromIdList(PidlView id) { return NativeNames::fromNative(nativePathFromIdList(id)); }

TSxShellFolder::TSxShellFolder(Kind kind, QByteArray id, QByteArray path)
    : m_kind(kind), m_id(std::move(id)), m_path(std::move(path)), m_depth(absoluteId().count())
{
}

QString TSxShellFolder::path() const { return NativeNames::fromNative(m_path); }

TSxShellFolder::Ptr TSxShellFolder::desktop()
{
    static const Ptr top(new TSxShellFolder(Kind::Desktop, QByteArray(2, '\0'), {}));
    return top;
}

TSxShellFolder::Ptr TSxShellFolder::bind(PidlView absoluteId)
{
    const QByteArray id = absoluteId.bytes().toByteArray();
    switch (classify(absoluteId)) {
    case ItemKind::Desktop:
        return desktop();
    case ItemKind::DrivesFolder:
        return Ptr(new TSxShellFolder(Kind::Drives, id, {}));
    case ItemKind::Home:
    case ItemKind::Root:
    case ItemKind::Drive:
        return Ptr(new TSxShellFolder(Kind::FileSystem, id, nativePathFromIdList(absoluteId)));
    case ItemKind::FileItem:
        if (!absoluteId.lastIsFolder())
            return nullptr;
        return Ptr(new TSxShellFolder(Kind::FileSystem, id, nativePathFromIdList(absoluteId)));
    case ItemKind::Invalid:
        break;
    }
    return nullptr;
}

TSxShellFolder::Ptr TSxShellFolder::bindToObject(PidlView relativeId) const
{
    const QByteArray joined = joinedBytes(absoluteId(), relativeId);
    return bind(viewOf(joined));
}

void TSxEnumIdList::DirCloser::operator()(DIR* dir) const { ::closedir(dir); }

std::optional<TSxEnumIdList> TSxShellFolder::enumObjects(quint32 contents) const
{
    TSxEnumIdList list;
    list.m_contents = contents;
    switch (m_kind) {
    case Kind::Desktop:
        if (contents & ShellContents::Folders) {
            if (isDirectoryPath(homePath()))
                list.m_fixed.push_back(oneElement(ShellElementNames::Home));
            list.m_fixed.push_back(oneElement(ShellElementNames::Root));
        }
        break;
    case Kind::Drives:
        if (contents & ShellContents::Folders) {
            for (const TSxMountEntry& volume : TSxVolumeTable::current().volumes())
                list.m_fixed.push_back(oneElement(volume.mountPoint));
        }
        break;
    case Kind::FileSystem:
        list.m_dir.reset(::opendir(m_path.constData()));
        if (!list.m_dir)
            return std::nullopt;
        break;
    }
    return list;
}

PIDL TSxEnumIdList::nextRaw()
{
    if (!m_dir) {
        if (m_next >= m_fixed.size())
            return nullptr;
        return ItemIdAllocator::clone(viewOf(m_fixed[m_next++]));
    }
    while (const dirent* e = ::readdir(m_dir.get())) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if (name[0] == '.' && !(m_contents & ShellContents::IncludeHidden))
            continue;
        bool folder = false;
        if (e->d_type == DT_DIR)
            folder = true;
        else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            // The one case that needs a stat: what the entry (or a link's
            // target) is, the directory does not say.
            struct stat st {};
            folder = ::fstatat(::dirfd(m_dir.get()), name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (!(m_contents & (folder ? ShellContents::Folders : ShellContents::NonFolders)))
            continue;
        return ItemIdAllocator::allocElement(QByteArrayView(name, qsizetype(std::strlen(name))),
                                             folder ? ItemIdFlags::Folder : 0);
    }
    return nullptr;
}

TSxPidl TSxEnumIdList::next(PidlTag tag)
{
    PIDL pidl = nextRaw();
    return pidl ? TSxPidl::adopt(pidl, tag) : TSxPidl();
}

QByteArray TSxShellFolder::nativePathOf(PidlView relativeId) const
{
    return nativePathFromIdList(viewOf(joinedBytes(absoluteId(), relativeId)));
}

QString TSxShellFolder::pathOf(PidlView relativeId) const { return NativeNames::fromNative(nativePathOf(relativeId)); }

namespace {

bool wanted(TSxAttributes mask, TSxAttributes bits) { return (mask & bits) != 0; }

// What an item's kind and name tell without asking the disk.
TSxAttributes shapeAttributes(bool folder, bool onDisk, bool hidden)
{
    TSxAttributes a = 0;
    if (folder)
        a |= TSxAttr::Folder;
    if (onDisk) {
        a |= TSxAttr::FileSystem | TSxAttr::CanLink;
        if (folder)
            a |= TSxAttr::FileSysAncestor;
    }
    if (hidden)
        a |= TSxAttr::Hidden | TSxAttr::Ghosted;
    return a;
}

// Whether the item is still there.
bool itemExists(ItemKind kind, const QByteArray& path)
{
    struct stat st {};
    if (kind == ItemKind::Home)
        return isDirectoryPath(path);
    if (kind == ItemKind::Drive)
        return TSxVolumeTable::current().volumeAt(path) != nullptr;
    if (kind == ItemKind::FileItem)
        return lstatPath(path, st);
    return true;
}

// What the disk says of an item that has a path, for the bits of mask.
TSxAttributes diskAttributes(const QByteArray& path, bool fileItem, bool folder, TSxAttributes mask)
{
    TSxAttributes a = 0;
    if (wanted(mask, TSxAttr::Link) && fileItem) {
        struct stat st {};
        if (lstatPath(path, st) && S_ISLNK(st.st_mode))
            a |= TSxAttr::Link;
    }
    if (wanted(mask, TSxAttr::ReadOnly) && isReadOnly(path))
        a |= TSxAttr::ReadOnly;
    if (wanted(mask, TSxAttr::CanCopy) && ::access(path.constData(), R_OK) == 0)
        a |= TSxAttr::CanCopy;
    if (wanted(mask, TSxAttr::CanRename | TSxAttr::CanDelete | TSxAttr::CanMove) && fileItem
        && ::access(parentPath(path).constData(), W_OK) == 0)
        a |= TSxAttr::CanRename | TSxAttr::CanDelete | TSxAttr::CanMove;
    if (wanted(mask, TSxAttr::DropTarget)) {
        struct stat st {};
        const bool writable = ::access(path.constData(), W_OK) == 0;
        const bool program = !folder && statPath(path, st) && S_ISREG(st.st_mode)
                             && ::access(path.constData(), X_OK) == 0;
        if ((folder && writable) || program)
            a |= TSxAttr::DropTarget;
    }
    if (wanted(mask, TSxAttr::Removable)) {
        const TSxDriveType type = TSxVolumeTable::current().driveType(path);
        if (type == TSxDriveType::Removable || type == TSxDriveType::CdRom)
            a |= TSxAttr::Removable;
    }
    if (wanted(mask, TSxAttr::Compressed) && fileItem && isCompressed(path))
        a |= TSxAttr::Compressed;
    return a;
}

}

TSxAttributes TSxShellFolder::attributesOf(PidlView relativeId, TSxAttributes mask) const
{
    if (relativeId.isEmpty() || mask == 0)
        return 0;
    const QByteArray joined = joinedBytes(absoluteId(), relativeId);
    const PidlView id = viewOf(joined);
    const ItemKind kind = classify(id);
    if (kind == ItemKind::Invalid)
        return 0;
    const QByteArray path = nativePathFromIdList(id);
    const bool fileItem = kind == ItemKind::FileItem;
    const bool folder = !fileItem || id.lastIsFolder();

    TSxAttributes a = shapeAttributes(folder, !path.isEmpty(), fileItem && id.lastName().startsWith('.'));
    if (wanted(mask, TSxAttr::Validate) && itemExists(kind, path))
        a |= TSxAttr::Validate;
    if (wanted(mask, TSxAttr::HasSubfolder) && folder) {
        const bool has = kind == ItemKind::DrivesFolder ? !TSxVolumeTable::current().volumes().empty()
                                                        : hasVisibleSubfolder(path);
        if (has)
            a |= TSxAttr::HasSubfolder;
    }
    if (!path.isEmpty())
        a |= diskAttributes(path, fileItem, folder, mask);
    return a & mask;
}

QString TSxShellFolder::displayNameOf(PidlView relativeId) const
{
    const QByteArray joined = joinedBytes(absoluteId(), relativeId);
    const PidlView id = viewOf(joined);
    switch (classify(id)) {
    case ItemKind::Desktop:
        return QStringLiteral("Desktop");
    case ItemKind::Home: {
        const QString name = QDir(QDir::homePath()).dirName();
        return name.isEmpty() ? QDir::homePath() : name;
    }
    case ItemKind::Root:
        return QStringLiteral("/");
    case ItemKind::DrivesFolder:
        return QStringLiteral("Volumes");
    case ItemKind::Drive: {
        const QString label = volumeLabel(NativeNames::fromNative(id.lastName()));
        const QString mountPoint = NativeNames::display(id.lastName());
        return label.isEmpty() ? mountPoint : driveCaption(label, mountPoint);
    }
    case ItemKind::FileItem:
    case ItemKind::Invalid:
        break;
    }
    return NativeNames::display(id.lastName());
}

int TSxShellFolder::compareIDs(PidlView a, PidlView b) const
{
    // Depth of this folder, to know what kind of level each element sits on.
    const int base = m_depth;
    const bool underDrives = m_kind == Kind::Drives;
    auto i = a.begin();
    auto j = b.begin();
    for (int level = base; i != a.end() && j != b.end(); ++i, ++j, ++level) {
        const ItemIdElement x = *i;
        const ItemIdElement y = *j;
        if (x.name == y.name)
            continue;
        if (level == 0) {
            const int byRank = sign(topRank(x.name) - topRank(y.name));
            return byRank ? byRank : sign(x.name.compare(y.name));
        }
        if (level == 1 && (underDrives || (base == 0 && (*a.begin()).name == ShellElementNames::Drives)))
            return sign(x.name.compare(y.name));
        if (x.isFolder() != y.isFolder())
            return x.isFolder() ? -1 : 1;
        return compareItemNames(x.name, y.name);
    }
    if (i == a.end() && j == b.end())
        return 0;
    return i == a.end() ? -1 : 1;
}

TSxPidl TSxShellFolder::parseDisplayName(const QString& name, PidlTag tag) const
{
    struct stat st {};
    switch (m_kind) {
    case Kind::Desktop: {
        if (name.isEmpty())
            return TSxPidl::empty(tag);
        if (!name.startsWith(u'/'))
            return {};
        const auto parts = components(NativeNames::toNative(name), true);
        const QByteArray path = joinPath("/", *parts);
        if (!lstatPath(path, st))
            return {};
        QByteArray bytes = encodeItemIdElement(ShellElementNames::Root, ItemIdFlags::Folder);
        bytes += elementsFor(*parts, isFolderAfterLstat(path, st));
        bytes.append(2, '\0');
        return TSxPidl::copyOf(viewOf(bytes), tag);
    }
    case Kind::Drives: {
        const QByteArray point = NativeNames::toNative(name);
        if (!TSxVolumeTable::current().volumeAt(point))
            return {};
        return TSxPidl::adopt(ItemIdAllocator::allocElement(point, ItemIdFlags::Folder), tag);
    }
    case Kind::FileSystem: {
        if (name.startsWith(u'/'))
            return {};
        const auto parts = components(NativeNames::toNative(name), false);
        if (!parts || parts->isEmpty())
            return {};
        const QByteArray path = joinPath(m_path, *parts);
        if (!lstatPath(path, st))
            return {};
        QByteArray bytes = elementsFor(*parts, isFolderAfterLstat(path, st));
        bytes.append(2, '\0');
        return TSxPidl::copyOf(viewOf(bytes), tag);
    }
    }
    return {};
}

std::optional<TSxFindData> TSxShellFolder::findData(PidlView relativeId) const
{
    const QByteArray path = nativePathOf(relativeId);
    if (path.isEmpty())
        return std::nullopt;
    struct stat link {};
    if (!lstatPath(path, link))
        return std::nullopt;
    struct stat st = link;
    TSxFindData data;
    data.isLink = S_ISLNK(link.st_mode);
    if (data.isLink && !statPath(path, st))
        st = link; // a link to nothing: describe the link itself
    data.isFolder = S_ISDIR(st.st_mode);
    data.isRegularFile = S_ISREG(st.st_mode);
    data.size = data.isRegularFile ? qint64(st.st_size) : 0;
    data.lastWriteMSecs = mtimeMSecs(st);
    data.readOnly = isReadOnly(path);
    const QByteArrayView name = relativeId.isEmpty() ? absoluteId().lastName() : relativeId.lastName();
    data.hidden = classify(viewOf(joinedBytes(absoluteId(), relativeId))) == ItemKind::FileItem && name.startsWith('.');
    return data;
}
