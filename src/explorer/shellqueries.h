#pragma once

#include "explorer/pidlmanager.h"
#include "explorer/shellfolder.h"

#include <QString>

// The namespace queries the folder tree and the file list share.

// Parses a path with a folder's parse operation (the desktop: an absolute
// path, "" being the desktop itself). The result is registered with the tag
// "GetItemIDFromPath"; null when the path names nothing.
TSxPidl GetItemIDFromPath(const QString& path);
TSxPidl GetItemIDFromPath(const TSxShellFolder& folder, const QString& path);

// Whether the item has any attribute of mask; false for an empty identifier.
bool HasAttribute(TSxAttributes mask, const TSxShellFolder& folder, PidlView relativeId);
// The same, asked of the parent folder of an absolute identifier.
bool HasAttributeFromPIDL(TSxAttributes mask, PidlView absoluteId);
// Whether the item still exists (the desktop always does).
bool isValidPIDL(PidlView absoluteId);

// The item's name as shown.
QString DisplayName(const TSxShellFolder& folder, PidlView relativeId);
QString DisplayNameOf(PidlView absoluteId);

// The item has a file-system path and the path lies on a drive (see
// volumes.h: every absolute path does).
bool HasPathOnKnownDrive(PidlView absoluteId);
bool isDrivesFolder(PidlView absoluteId);

bool IsDirectory(const QString& path);

// What a path names on disk: device and inode, which tell a folder put in
// the place of another under the same name apart from it. Zero when the path
// names nothing.
struct TSxFileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    static TSxFileIdentity of(const QByteArray& path);
    friend bool operator==(const TSxFileIdentity&, const TSxFileIdentity&) = default;
};
// A regular file this user may run.
bool IsProgram(const QString& path);
// Where a symbolic link leads in the end; empty when path is no link or the
// link leads nowhere.
QString LinkTarget(const QString& path);

// "1234567" -> "1,234,567" with the locale's group separator (QLocale(), so
// the system's unless the program set another); a leading sign is kept and
// only the leading run of digits is grouped.
QString GroupThousands(const QString& number);
QString FormatThousands(qint64 value);

// Special folders by their historical numbers: 0 desktop, 17 drives, 5 the
// personal folder (home), 16 the desktop directory, 2 and 11 the user's
// applications, 7 the user's autostart folder, 10 the trash, 20 fonts,
// 26 application data (the configuration folder), 22 and 23 the system's
// applications, 24 the system's autostart folder. Folders inside home are
// given below the desktop's home item. Null for the others and for folders
// that do not exist.
TSxPidl SpecialFolderLocation(int number, PidlTag tag);
