#pragma once

#include <QByteArrayView>
#include <QString>

// What a file was when a document last read or wrote it, to tell another
// program's change from none, in this run or after a restart. The file's
// identity and times (a link is followed) say at once that nothing happened;
// when they differ, the content decides, so that a file touched or rewritten
// with the same bytes (a checkout, a "touch") does not count as changed. The
// content is known by its CRC-32C, the same from one run to the next, so a
// recovery journal can check a file against it after a restart.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0; // last write, nanoseconds since 1970
    qint64 changedNs = 0;  // last change of the inode (any write, rename, chmod)
    quint32 hash = 0;      // CRC-32C of the bytes, once they are known

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;

    // The file at path (as NativeNames carries it) now, without its hash.
    static FileIdentity of(const QString& path);
    // The same of an open file: taken before reading it, so that a write
    // during the read shows as a change later.
    static FileIdentity ofDescriptor(int fd);
    // The file at path now, known to hold bytes (just written or read).
    static FileIdentity ofFile(const QString& path, QByteArrayView bytes);
    static quint32 hashOf(QByteArrayView bytes);

    // Same file, size and times: nothing was written since.
    bool sameMetadata(const FileIdentity& other) const;
    // Size and last write agree: most likely unchanged, without reading it.
    // What a journal keeps of a file across a restart, where the device and
    // inode may not stay the same.
    bool sameSizeAndTime(const FileIdentity& other) const
    {
        return exists && other.exists && size == other.size && modifiedNs == other.modifiedNs;
    }
    // These are the bytes the file held: size and hash agree.
    bool holds(QByteArrayView bytes) const { return size == bytes.size() && hash == hashOf(bytes); }
};

// The hash of bytes that come in pieces (a file read or written a piece at
// a time): the same as FileIdentity::hashOf of them all.
class ContentHash {
public:
    void add(QByteArrayView piece);
    quint32 value() const { return m_crc; }

private:
    quint32 m_crc = 0;
};
