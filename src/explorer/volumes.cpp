#include "explorer/volumes.h"

#include "platform/errors.h"
#include "platform/nativenames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <mutex>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace {
std::mutex& sourcesMutex()
{
    static std::mutex m;
    return m;
}

TSxVolumeSources& sourcesStorage()
{
    static TSxVolumeSources sources;
    return sources;
}

TSxVolumeSources sourcesSnapshot()
{
    std::lock_guard lock(sourcesMutex());
    return sourcesStorage();
}

// Mount tables write space, tab, newline and backslash as \ooo.
QByteArray unescapeMountField(QByteArrayView field)
{
    auto isOctal = [](char d) { return d >= '0' && d <= '7'; };
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2])
            && isOctal(field[i + 3])) {
            out.append(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
            continue;
        }
        out.append(field[i]);
    }
    return out;
}

bool isUnder(QByteArrayView path, QByteArrayView folder)
{
    if (folder == "/")
        return path.startsWith('/');
    return path == folder || (path.startsWith(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

bool isRemoteType(QByteArrayView type)
{
    static const char* const remote[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "ncpfs", "afs", "ceph",
                                         "glusterfs", "9p", "davfs", "fuse.sshfs", "sshfs", "fuse.davfs2"};
    for (const char* r : remote) {
        if (type == r)
            return true;
    }
    return false;
}

// Pseudo file systems live under these; a user keeps no files there.
bool isSystemMountPoint(QByteArrayView mountPoint)
{
    if (isUnder(mountPoint, "/run/media"))
        return false;
    for (const char* system : {"/proc", "/sys", "/dev", "/run"}) {
        if (isUnder(mountPoint, system))
            return true;
    }
    return false;
}

bool isDirectory(const QByteArray& path)
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool readsOne(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) && f.read(1) == "1";
}

bool isRemovableDevice(const QByteArray& device)
{
    const QString name = QFileInfo(QFileInfo(QFile::decodeName(device)).canonicalFilePath()).fileName();
    if (name.isEmpty())
        return false;
    const QString node = QFileInfo(sourcesSnapshot().sysClassBlock + u'/' + name).canonicalFilePath();
    if (node.isEmpty())
        return false;
    // A partition has no flag of its own: its disk, one level up, has it.
    if (QFileInfo::exists(node + QStringLiteral("/removable")))
        return readsOne(node + QStringLiteral("/removable"));
    return readsOne(QFileInfo(node).path() + QStringLiteral("/removable"));
}

// udev writes unsafe label characters as \xHH.
QString decodeLabelName(const QString& name)
{
    QByteArray bytes = QFile::encodeName(name);
    QByteArray out;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\\' && i + 3 < bytes.size() && bytes[i + 1] == 'x') {
            bool ok = false;
            const int value = bytes.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                out.append(char(value));
                i += 3;
                continue;
            }
        }
        out.append(bytes[i]);
    }
    return QString::fromUtf8(out);
}

QString labelFromByLabel(const QByteArray& device)
{
    const QString target = QFileInfo(QFile::decodeName(device)).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir dir(sourcesSnapshot().byLabelDir);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (entry.canonicalFilePath() == target)
            return decodeLabelName(entry.fileName());
    }
    return {};
}

// The volume identifier of an ISO 9660 primary volume descriptor (sector 16).
QString labelFromIso9660(const QByteArray& device)
{
    struct stat st {};
    if (::stat(device.constData(), &st) != 0 || !(S_ISBLK(st.st_mode) || S_ISREG(st.st_mode)))
        return {};
    QFile f(QFile::decodeName(device));
    if (!f.open(QIODevice::ReadOnly) || !f.seek(16 * 2048))
        return {};
    const QByteArray pvd = f.read(72);
    if (pvd.size() < 72 || pvd[0] != 1 || pvd.mid(1, 5) != "CD001")
        return {};
    return QString::fromLatin1(pvd.mid(40, 32)).trimmed();
}
}

TSxVolumeSources volumeSources() { return sourcesSnapshot(); }

void setVolumeSources(const TSxVolumeSources& sources)
{
    std::lock_guard lock(sourcesMutex());
    sourcesStorage() = sources;
}

TSxVolumeTable TSxVolumeTable::current()
{
    QFile file(sourcesSnapshot().mountsFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

TSxVolumeTable TSxVolumeTable::parse(QByteArrayView mountsText)
{
    TSxVolumeTable table;
    for (QByteArrayView line : QByteArray(mountsText.data(), mountsText.size()).split('\n')) {
        const QList<QByteArray> fields = QByteArray(line.data(), line.size()).simplified().split(' ');
        if (fields.size() < 3 || fields[0].startsWith('#'))
            continue;
        table.m_mounts.push_back({unescapeMountField(fields[0]), unescapeMountField(fields[1]),
                                  unescapeMountField(fields[2])});
    }
    return table;
}

std::vector<TSxMountEntry> TSxVolumeTable::volumes() const
{
    std::vector<TSxMountEntry> out;
    for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it) {
        const TSxMountEntry& m = *it;
        const bool hidden = std::any_of(out.begin(), out.end(),
                                        [&](const TSxMountEntry& seen) { return seen.mountPoint == m.mountPoint; });
        if (hidden || !m.mountPoint.startsWith('/'))
            continue;
        bool listed = m.mountPoint == "/";
        if (!listed && !isSystemMountPoint(m.mountPoint)) {
            if (isRemoteType(m.fsType))
                listed = true;
            // A bind mount of a single file is no volume.
            else if (m.device.startsWith('/') && m.fsType != "squashfs")
                listed = isDirectory(m.mountPoint);
        }
        if (listed)
            out.push_back(m);
    }
    std::sort(out.begin(), out.end(),
              [](const TSxMountEntry& a, const TSxMountEntry& b) { return a.mountPoint < b.mountPoint; });
    return out;
}

const TSxMountEntry* TSxVolumeTable::mountOf(QByteArrayView path) const
{
    const TSxMountEntry* best = nullptr;
    for (const TSxMountEntry& m : m_mounts) {
        if (isUnder(path, m.mountPoint) && (!best || m.mountPoint.size() >= best->mountPoint.size()))
            best = &m;
    }
    return best;
}

const TSxMountEntry* TSxVolumeTable::volumeAt(QByteArrayView mountPoint) const
{
    for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it) {
        if (it->mountPoint == mountPoint) {
            for (const TSxMountEntry& v : volumes()) {
                if (v == *it)
                    return &*it;
            }
            return nullptr;
        }
    }
    return nullptr;
}

TSxDriveType TSxVolumeTable::driveTypeOf(const TSxMountEntry& mount)
{
    if (mount.fsType == "iso9660" || mount.fsType == "udf")
        return TSxDriveType::CdRom;
    if (isRemoteType(mount.fsType))
        return TSxDriveType::Remote;
    if (mount.fsType == "tmpfs" || mount.fsType == "ramfs")
        return TSxDriveType::RamDisk;
    if (mount.device.startsWith("/dev/") && isRemovableDevice(mount.device))
        return TSxDriveType::Removable;
    return TSxDriveType::Fixed;
}

TSxDriveType TSxVolumeTable::driveType(QByteArrayView path) const
{
    if (!path.startsWith('/'))
        return TSxDriveType::Unknown;
    const TSxMountEntry* mount = mountOf(path);
    return mount ? driveTypeOf(*mount) : TSxDriveType::NoRootDir;
}

TSxDriveType driveTypeOfPath(const QString& path)
{
    if (!path.startsWith(u'/'))
        return TSxDriveType::Unknown;
    return TSxVolumeTable::current().driveType(NativeNames::toNative(path));
}

bool DriveReady(const QString& path)
{
    if (!path.startsWith(u'/'))
        throw ScrivoError(QStringLiteral("Not a valid drive ID"));
    const TSxVolumeTable table = TSxVolumeTable::current();
    const TSxMountEntry* mount = table.mountOf(NativeNames::toNative(path));
    if (!mount)
        return false;
    struct statvfs sv {};
    return ::statvfs(mount->mountPoint.constData(), &sv) == 0;
}

QString volumeLabel(const QString& mountPoint)
{
    const TSxVolumeTable table = TSxVolumeTable::current();
    const QByteArray point = NativeNames::toNative(mountPoint);
    const TSxMountEntry* mount = nullptr;
    for (const TSxMountEntry& m : table.mounts()) {
        if (m.mountPoint == point)
            mount = &m;
    }
    if (!mount || !mount->device.startsWith('/'))
        return {};
    QString label = labelFromByLabel(mount->device);
    if (label.isEmpty() && mount->fsType == "iso9660")
        label = labelFromIso9660(mount->device);
    return label;
}

QString labelCase(const QString& label)
{
    QString out = label.toLower();
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (i == 0 || out[i - 1] == u' ')
            out[i] = out[i].toUpper();
    }
    return out;
}

QString driveCaption(const QString& label, const QString& mountPoint)
{
    return label + QStringLiteral(" (") + mountPoint + u')';
}
