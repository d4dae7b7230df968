#include "documents/filenames.h"

#include "platform/nativenames.h"

#include <QDir>
#include <QFileInfo>

#include <climits>
#include <unistd.h>

namespace FileNames {

QString expandedPath(const QString& fileName)
{
    if (fileName.isEmpty() || QDir::isAbsolutePath(fileName))
        return QDir::cleanPath(fileName);
    // The current folder's own bytes (QDir::currentPath would lose those
    // that are not UTF-8).
    QByteArray folder(PATH_MAX, '\0');
    if (!::getcwd(folder.data(), std::size_t(folder.size())))
        return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
    return QDir::cleanPath(NativeNames::fromNative(folder.constData()) + u'/' + fileName);
}

QString namePart(const QString& fileName) { return fileName.mid(fileName.lastIndexOf(u'/') + 1); }

QString extensionPart(const QString& fileName)
{
    const QString name = namePart(fileName);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

}
