#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A file's bytes, or "<unreadable>" (which no test writes) when it cannot
// be read, so that a missing file never passes for an empty one.
inline QByteArray readBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}
