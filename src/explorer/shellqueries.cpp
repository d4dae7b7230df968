#include "explorer/shellqueries.h"

#include "explorer/volumes.h"
#include "platform/nativenames.h"

#include <QDir>
#include <QLocale>
#include <QStandardPaths>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The parent part of an absolute identifier, as identifier bytes.
QByteArray parentBytes(PidlView id)
{
    const auto* start = reinterpret_cast<const char*>(id.data());
    const auto* last = reinterpret_cast<const char*>(id.last().data());
    QByteArray bytes(start, last - start);
    bytes.append(2, '\0');
    return bytes;
}

PidlView viewOf(const QByteArray& bytes) { return PidlView(reinterpret_cast<PCIDL>(bytes.constData())); }

// A folder's identifier below the desktop's home item when it lies inside
// home, else its parsed ("/") form.
TSxPidl folderLocation(const QString& path, PidlTag tag)
{
    if (!IsDirectory(path))
        return {};
    const QString home = QDir::cleanPath(QDir::homePath());
    const QString clean = QDir::cleanPath(path);
    if (home != QStringLiteral("/") && (clean == home || clean.startsWith(home + u'/'))) {
        QByteArray bytes = encodeItemIdElement(ShellElementNames::Home, ItemIdFlags::Folder);
        for (const QString& part : clean.mid(home.size()).split(u'/', Qt::SkipEmptyParts))
            bytes += encodeItemIdElement(NativeNames::toNative(part), ItemIdFlags::Folder);
        bytes.append(2, '\0');
        return TSxPidl::copyOf(viewOf(bytes), tag);
    }
    return TSxShellFolder::desktop()->parseDisplayName(clean, tag);
}

QString standardFolder(QStandardPaths::StandardLocation location)
{
    return QStandardPaths::writableLocation(location);
}
}

TSxPidl GetItemIDFromPath(const QString& path) { return GetItemIDFromPath(*TSxShellFolder::desktop(), path); }

TSxPidl GetItemIDFromPath(const TSxShellFolder& folder, const QString& path)
{
    return folder.parseDisplayName(path, "GetItemIDFromPath");
}

bool HasAttribute(TSxAttributes mask, const TSxShellFolder& folder, PidlView relativeId)
{
    return (folder.attributesOf(relativeId, mask) & mask) != 0;
}

bool HasAttributeFromPIDL(TSxAttributes mask, PidlView absoluteId)
{
    if (absoluteId.isEmpty())
        return false;
    const TSxShellFolder::Ptr parent = TSxShellFolder::bind(viewOf(parentBytes(absoluteId)));
    return parent && HasAttribute(mask, *parent, absoluteId.last());
}

bool isValidPIDL(PidlView absoluteId)
{
    if (absoluteId.isEmpty())
        return true;
    return HasAttributeFromPIDL(TSxAttr::Validate, absoluteId);
}

QString DisplayName(const TSxShellFolder& folder, PidlView relativeId) { return folder.displayNameOf(relativeId); }

QString DisplayNameOf(PidlView absoluteId) { return TSxShellFolder::desktop()->displayNameOf(absoluteId); }

bool HasPathOnKnownDrive(PidlView absoluteId)
{
    const QString path = pathFromIdList(absoluteId);
    return !path.isEmpty() && driveTypeOfPath(path) != TSxDriveType::Unknown;
}

bool isDrivesFolder(PidlView absoluteId) { return classifyItem(absoluteId) == TSxItemKind::DrivesFolder; }

bool IsDirectory(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(NativeNames::toNative(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

TSxFileIdentity TSxFileIdentity::of(const QByteArray& path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0)
        return {};
    return {quint64(st.st_dev), quint64(st.st_ino)};
}

bool IsProgram(const QString& path)
{
    const QByteArray native = NativeNames::toNative(path);
    struct stat st {};
    return !path.isEmpty() && ::stat(native.constData(), &st) == 0 && S_ISREG(st.st_mode)
           && ::access(native.constData(), X_OK) == 0;
}

QString LinkTarget(const QString& path)
{
    const QByteArray native = NativeNames::toNative(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return {};
    char* target = ::realpath(native.constData(), nullptr);
    if (!target)
        return {};
    const QString resolved = NativeNames::fromNative(target);
    std::free(target);
    return resolved;
}

QString GroupThousands(const QString& number)
{
    const QString separator = QLocale().groupSeparator();
    const qsizetype start = (number.startsWith(u'-') || number.startsWith(u'+')) ? 1 : 0;
    qsizetype end = start;
    while (end < number.size() && number[end].isDigit())
        ++end;
    QString out = number.left(start);
    for (qsizetype i = start; i < end; ++i) {
        if (i > start && (end - i) % 3 == 0)
            out += separator;
        out += number[i];
    }
    return out + number.mid(end);
}

QString FormatThousands(qint64 value) { return GroupThousands(QString::number(value)); }

TSxPidl SpecialFolderLocation(int number, PidlTag tag)
{
    switch (number) {
    case 0:
        return TSxPidl::empty(tag);
    case 17:
        return TSxPidl::adopt(ItemIdAllocator::allocElement(ShellElementNames::Drives, ItemIdFlags::Folder), tag);
    case 5:
        return folderLocation(QDir::homePath(), tag);
    case 16:
        return folderLocation(standardFolder(QStandardPaths::DesktopLocation), tag);
    case 2:
    case 11:
        return folderLocation(standardFolder(QStandardPaths::ApplicationsLocation), tag);
    case 7:
        return folderLocation(standardFolder(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart"), tag);
    case 10:
        return folderLocation(standardFolder(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash/files"), tag);
    case 20:
        return folderLocation(standardFolder(QStandardPaths::FontsLocation), tag);
    case 26:
        return folderLocation(standardFolder(QStandardPaths::GenericConfigLocation), tag);
    case 22:
    case 23:
        return folderLocation(QStringLiteral("/usr/share/applications"), tag);
    case 24:
        return folderLocation(QStringLiteral("/etc/xdg/autostart"), tag);
    default:
        return {};
    }
}
