#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// What a file was when a document read it (or wrote it): enough to tell
// later whether it still holds the same bytes. Size and modification time
// are a cheap first look; the hash of the bytes decides.
struct FileIdentity {
    qint64 size = 0;
    qint64 modifiedNs = 0; // modification time, nanoseconds since 1970
    quint32 hash = 0;      // CRC-32C of the bytes

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;

    // The identity of bytes read from (or written to) a file whose
    // modification time was then modifiedNs.
    static FileIdentity of(QByteArrayView bytes, qint64 modifiedNs);

    // Same bytes: size and hash agree (a file can be touched without change).
    bool sameContent(const FileIdentity& other) const { return size == other.size && hash == other.hash; }
    // Size and time agree: most likely unchanged, without reading it.
    bool sameStamp(qint64 otherSize, qint64 otherModifiedNs) const
    {
        return size == otherSize && modifiedNs == otherModifiedNs;
    }
};

// Size and modification time of a file, by descriptor or by name; nothing
// when it cannot be examined.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
};
std::optional<FileStamp> fileStamp(int fd);
std::optional<FileStamp> fileStamp(const QString& path);
