#include "recovery/fileidentity.h"

#include "platform/nativenames.h"
#include "recovery/crc32c.h"

#include <sys/stat.h>

namespace {
FileStamp stampFrom(const struct stat& st)
{
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1'000'000'000 + qint64(st.st_mtim.tv_nsec)};
}
}

FileIdentity FileIdentity::of(QByteArrayView bytes, qint64 modifiedNs)
{
    return {qint64(bytes.size()), modifiedNs, crc32c(bytes)};
}

std::optional<FileStamp> fileStamp(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return stampFrom(st);
}

std::optional<FileStamp> fileStamp(const QString& path)
{
    struct stat st;
    if (::stat(NativeNames::toNative(path).constData(), &st) != 0)
        return std::nullopt;
    return stampFrom(st);
}
