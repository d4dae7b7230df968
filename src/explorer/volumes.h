#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// Volumes and their readiness.
//
// Linux has no drive letters: a "drive" is a mounted volume, named by its
// mount point. The drive of a path is the mount that holds it (the longest
// mount point that is a prefix of the path), so any absolute path has a
// drive. Where the explorer once took "the drive of the path's first
// character", it hands the whole path to these functions; a path that is not
// absolute has no drive ("Not a valid drive ID").

enum class TSxDriveType {
    Unknown = 0,   // no drive: empty or relative path
    NoRootDir = 1, // absolute path that no mount holds
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,     // an iso9660 or udf mount
    RamDisk = 6,   // tmpfs, ramfs
};

struct TSxMountEntry {
    QByteArray device;     // mount source, escapes decoded
    QByteArray mountPoint; // escapes decoded
    QByteArray fsType;
    friend bool operator==(const TSxMountEntry&, const TSxMountEntry&) = default;
};

// Where the system's volume facts live. Tests point these at files they build.
struct TSxVolumeSources {
    QString mountsFile = QStringLiteral("/proc/self/mounts");
    QString byLabelDir = QStringLiteral("/dev/disk/by-label");
    QString sysClassBlock = QStringLiteral("/sys/class/block");
};
TSxVolumeSources volumeSources();
void setVolumeSources(const TSxVolumeSources& sources);

// A snapshot of the mount table.
class TSxVolumeTable {
public:
    // The table as the system has it now; empty when it cannot be read.
    static TSxVolumeTable current();
    // Parses the text of a mounts file (fstab format, octal escapes).
    static TSxVolumeTable parse(QByteArrayView mountsText);

    // Every entry, in mount order (a later mount on the same point hides an
    // earlier one).
    const std::vector<TSxMountEntry>& mounts() const { return m_mounts; }
    // What the drives folder lists: one entry per mount point, the ones a
    // user stores files on (block devices, image files, network shares, and
    // "/" always), sorted by mount point.
    std::vector<TSxMountEntry> volumes() const;
    // The mount holding an absolute path; null when none does.
    const TSxMountEntry* mountOf(QByteArrayView path) const;
    // The volume mounted exactly at mountPoint, if the drives folder lists it.
    const TSxMountEntry* volumeAt(QByteArrayView mountPoint) const;

    TSxDriveType driveType(QByteArrayView path) const;
    static TSxDriveType driveTypeOf(const TSxMountEntry& mount);

private:
    std::vector<TSxMountEntry> m_mounts;
};

TSxDriveType driveTypeOfPath(const QString& path);

// Whether the volume holding path can be used: statvfs on its mount point
// succeeds. Throws ScrivoError("Not a valid drive ID") for a path that is
// not absolute.
bool DriveReady(const QString& path);

// The label of the volume mounted at mountPoint, as the system recorded it
// (/dev/disk/by-label, or an ISO 9660 volume's own identifier); empty when
// it has none.
QString volumeLabel(const QString& mountPoint);

// "WORK DISC" -> "Work Disc": lower case, then upper case for the first
// character and every character that follows a space.
QString labelCase(const QString& label);

// A drive's name with its mount point, as drive items are captioned:
// "Work Disc (/media/cdrom)", or " (/media/cdrom)" without a label.
QString driveCaption(const QString& label, const QString& mountPoint);
