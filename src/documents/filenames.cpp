#include "documents/filenames.h"

#include <QDir>
#include <QFileInfo>

namespace FileNames {

QString expandedPath(const QString& fileName) { return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath()); }

QString namePart(const QString& fileName) { return fileName.mid(fileName.lastIndexOf(u'/') + 1); }

QString extensionPart(const QString& fileName)
{
    const QString name = namePart(fileName);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

}
