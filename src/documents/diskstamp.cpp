#include "documents/diskstamp.h"

#include "platform/nativenames.h"
#include "recovery/crc32c.h"

#include <sys/stat.h>

namespace {

DiskStamp fromStat(const struct stat& st)
{
    DiskStamp stamp;
    stamp.exists = true;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

}

DiskStamp DiskStamp::of(const QString& path)
{
    struct stat st;
    if (path.isEmpty() || ::stat(NativeNames::toNative(path).constData(), &st) != 0)
        return {};
    return fromStat(st);
}

DiskStamp DiskStamp::ofDescriptor(int fd)
{
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return {};
    return fromStat(st);
}

quint64 DiskStamp::hashOf(QByteArrayView bytes) { return crc32c(bytes); }

void ContentHash::add(QByteArrayView piece) { m_crc = crc32c(piece, m_crc); }

bool DiskStamp::sameMetadata(const DiskStamp& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size
        && modifiedNs == other.modifiedNs && changedNs == other.changedNs;
}
