#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

// What a document knows of its file as it last read or wrote it, to tell
// another program's change from none. The file's identity and times (a
// link is followed) say at once that nothing happened; when they differ,
// the content decides, so that a file touched or rewritten with the same
// bytes (a checkout, a "touch") does not count as changed. The content is
// known by its CRC-32C, the same from one run to the next, so the recovery
// journals can check a file against it after a restart.
struct DiskStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0; // last write
    qint64 changedNs = 0;  // last change of the inode (any write, rename, chmod)
    quint64 contentHash = 0;

    // The identity, size and times of the file at path (as NativeNames
    // carries it) now (no hash).
    static DiskStamp of(const QString& path);
    // The same of an open file: taken before reading it, so that a write
    // during the read shows as a change later.
    static DiskStamp ofDescriptor(int fd);
    static quint64 hashOf(QByteArrayView bytes);

    // Same file, size and times: nothing was written since.
    bool sameMetadata(const DiskStamp& other) const;
};

// The content hash of bytes that come in pieces (a file read or written a
// piece at a time): the same as hashOf of them all.
class ContentHash {
public:
    void add(QByteArrayView piece);
    quint64 value() const { return m_crc; }

private:
    std::uint32_t m_crc = 0;
};
