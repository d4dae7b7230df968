#include "recovery/fileidentity.h"

#include "platform/nativenames.h"
#include "recovery/crc32c.h"

#include <sys/stat.h>

namespace {

FileIdentity fromStat(const struct stat& st)
{
    FileIdentity identity;
    identity.exists = true;
    identity.device = quint64(st.st_dev);
    identity.inode = quint64(st.st_ino);
    identity.size = qint64(st.st_size);
    identity.modifiedNs = qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    identity.changedNs = qint64(st.st_ctim.tv_sec) * 1'000'000'000 + st.st_ctim.tv_nsec;
    return identity;
}

}

FileIdentity FileIdentity::of(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(NativeNames::toNative(path).constData(), &st) != 0)
        return {};
    return fromStat(st);
}

FileIdentity FileIdentity::ofDescriptor(int fd)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return fromStat(st);
}

FileIdentity FileIdentity::ofFile(const QString& path, QByteArrayView bytes)
{
    FileIdentity identity = of(path);
    identity.hash = hashOf(bytes);
    return identity;
}

quint32 FileIdentity::hashOf(QByteArrayView bytes) { return crc32c(bytes); }

void ContentHash::add(QByteArrayView piece) { m_crc = crc32c(piece, m_crc); }

bool FileIdentity::sameMetadata(const FileIdentity& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size
        && modifiedNs == other.modifiedNs && changedNs == other.changedNs;
}
