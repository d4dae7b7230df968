#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

// Writes bytes as the whole new content of the file at path (its bytes as
// NativeNames carries them), so that a failure never destroys the old file:
// the bytes go to a temporary file in the same folder, reach the disk, and
// the temporary file then takes the file's name. A symbolic link is followed
// and the file it points to is written. A file with several names (hard
// links), in a folder that cannot be written, or whose owner or extended
// attributes a new file could not take over, is overwritten in place
// instead, once the space it needs is reserved. The file keeps its
// permissions, owner and group.
//
// A file that may not be written (no write permission, or no write bit at
// all, even for the superuser), a new file in such a folder, and anything
// that is not a regular file are refused. Returns false when nothing or not
// everything could be written.
bool writeWholeFile(const QString& path, QByteArrayView bytes);

// A content too large to hold at once: produce hands its bytes over in
// pieces through write, which answers false once writing failed (produce
// then stops and answers false too); size is their total, known before.
struct FileContent {
    using Write = std::function<bool(QByteArrayView piece)>;
    qint64 size = 0;
    std::function<bool(const Write& write)> produce;
};
bool writeWholeFile(const QString& path, const FileContent& content);
