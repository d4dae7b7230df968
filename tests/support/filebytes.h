#pragma once

#include <QByteArray>
#include <QFile>
#include <QDirIterator>
#include <QString>
#include <QStringList>

// A file's bytes, or "<unreadable>" (which no test writes) when it cannot
// be read, so that a missing file never passes for an empty one.
inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

// Writes bytes as the whole file at path; false when it could not.
inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The recovery journals anywhere under folder.
inline QStringList journalFilesUnder(const QString& folder)
{
    QStringList files;
    QDirIterator it(folder, {QStringLiteral("*.journal")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}
