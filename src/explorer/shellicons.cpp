#include "explorer/shellicons.h"

#include "explorer/shellfolder.h"
#include "explorer/volumes.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStyle>

#include <sys/stat.h>
#include <unistd.h>

namespace {
QIcon providerIcon(QAbstractFileIconProvider::IconType type)
{
    return QFileIconProvider().icon(type);
}

// A theme icon by name, else what the style draws.
QIcon themeIcon(const QString& name, const std::function<QIcon()>& fallback)
{
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return fallback();
}

int themeIndex(const QString& name, QAbstractFileIconProvider::IconType fallback)
{
    return TSxSystemImageList::instance().indexFor(QStringLiteral("theme:") + name, [&] {
        return themeIcon(name, [&] { return providerIcon(fallback); });
    });
}

int mimeIndex(const QMimeType& mime)
{
    return TSxSystemImageList::instance().indexFor(QStringLiteral("mime:") + mime.name(), [&] {
        for (const QString& name : {mime.iconName(), mime.genericIconName()}) {
            if (!name.isEmpty() && QIcon::hasThemeIcon(name))
                return QIcon::fromTheme(name);
        }
        return providerIcon(QAbstractFileIconProvider::File);
    });
}

// A file's type goes by its extension alone, as a type name should: whole-name
// patterns ("README*") would call readme.xyz a README document. The name is
// cut to a stand-in stem plus everything from its first dot, so "a.tar.gz"
// is still a compressed tar archive.
QMimeType mimeForName(const QString& fileName, bool executable)
{
    QMimeDatabase db;
    const qsizetype dot = fileName.indexOf(u'.', 1);
    QMimeType byExtension;
    if (dot > 0)
        byExtension = db.mimeTypeForFile(QStringLiteral("x") + fileName.mid(dot), QMimeDatabase::MatchExtension);
    if ((!byExtension.isValid() || byExtension.isDefault()) && executable)
        return db.mimeTypeForName(QStringLiteral("application/x-executable"));
    if (!byExtension.isValid())
        return db.mimeTypeForName(QStringLiteral("application/octet-stream"));
    return byExtension;
}

QString mimeComment(const char* name)
{
    return QMimeDatabase().mimeTypeForName(QString::fromLatin1(name)).comment();
}

// The extension for the " File" rule: after the last dot, a leading dot
// (a hidden file's mark) being no extension.
QString extensionOf(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot <= 0 || dot == fileName.size() - 1)
        return {};
    return fileName.mid(dot + 1);
}

bool isExecutableFile(const QByteArray& path)
{
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.constData(), X_OK) == 0;
}

int driveIconIndex(TSxDriveType type)
{
    switch (type) {
    case TSxDriveType::CdRom:
        return defaultCdromIconIndex();
    case TSxDriveType::Removable:
        return themeIndex(QStringLiteral("drive-removable-media"), QAbstractFileIconProvider::Drive);
    case TSxDriveType::Remote:
        return themeIndex(QStringLiteral("folder-remote"), QAbstractFileIconProvider::Network);
    default:
        return themeIndex(QStringLiteral("drive-harddisk"), QAbstractFileIconProvider::Drive);
    }
}
}

TSxSystemImageList& TSxSystemImageList::instance()
{
    static TSxSystemImageList list;
    return list;
}

int TSxSystemImageList::indexFor(const QString& key, const std::function<QIcon()>& make)
{
    const auto found = m_byKey.constFind(key);
    if (found != m_byKey.constEnd())
        return *found;
    const int index = add(make());
    m_byKey.insert(key, index);
    return index;
}

int TSxSystemImageList::add(const QIcon& icon)
{
    m_icons.push_back(icon);
    return int(m_icons.size()) - 1;
}

QIcon TSxSystemImageList::icon(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return m_icons[std::size_t(index)];
}

int folderIconIndex(bool open)
{
    if (!open)
        return themeIndex(QStringLiteral("folder"), QAbstractFileIconProvider::Folder);
    return TSxSystemImageList::instance().indexFor(QStringLiteral("theme:folder-open"), [] {
        return themeIcon(QStringLiteral("folder-open"), [] {
            if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
                return app->style()->standardIcon(QStyle::SP_DirOpenIcon);
            return providerIcon(QAbstractFileIconProvider::Folder);
        });
    });
}

int defaultCdromIconIndex()
{
    return themeIndex(QStringLiteral("media-optical"), QAbstractFileIconProvider::Drive);
}

int genericIconIndex(const QString& fileName, bool folder)
{
    if (folder)
        return folderIconIndex(false);
    return mimeIndex(mimeForName(fileName, false));
}

int SmallIconIndex(PidlView absoluteId, bool open)
{
    switch (classifyItem(absoluteId)) {
    case TSxItemKind::Desktop:
        return themeIndex(QStringLiteral("user-desktop"), QAbstractFileIconProvider::Desktop);
    case TSxItemKind::Home:
        return themeIndex(QStringLiteral("user-home"), QAbstractFileIconProvider::Folder);
    case TSxItemKind::Root:
        return themeIndex(QStringLiteral("drive-harddisk"), QAbstractFileIconProvider::Drive);
    case TSxItemKind::DrivesFolder:
        return themeIndex(QStringLiteral("computer"), QAbstractFileIconProvider::Computer);
    case TSxItemKind::Drive:
        return driveIconIndex(driveTypeOfPath(pathFromIdList(absoluteId)));
    case TSxItemKind::FileItem:
        break;
    case TSxItemKind::Invalid:
        return mimeIndex(QMimeDatabase().mimeTypeForName(QStringLiteral("application/octet-stream")));
    }
    if (absoluteId.lastIsFolder())
        return folderIconIndex(open);
    const QByteArray path = nativePathFromIdList(absoluteId);
    return mimeIndex(mimeForName(QFile::decodeName(absoluteId.lastName().toByteArray()), isExecutableFile(path)));
}

QString typeNameOfFile(const QString& fileName, bool executable)
{
    const QMimeType mime = mimeForName(fileName, executable);
    if (!mime.isDefault() && !mime.comment().isEmpty())
        return mime.comment();
    const QString extension = extensionOf(fileName);
    return extension.isEmpty() ? QString() : extension + QStringLiteral(" File");
}

QString TypeName(PidlView absoluteId)
{
    switch (classifyItem(absoluteId)) {
    case TSxItemKind::Desktop:
    case TSxItemKind::Home:
    case TSxItemKind::DrivesFolder:
        return mimeComment("inode/directory");
    case TSxItemKind::Root:
    case TSxItemKind::Drive:
        return mimeComment("inode/mount-point");
    case TSxItemKind::Invalid:
        return {};
    case TSxItemKind::FileItem:
        break;
    }
    if (absoluteId.lastIsFolder())
        return mimeComment("inode/directory");
    const QByteArray path = nativePathFromIdList(absoluteId);
    return typeNameOfFile(QFile::decodeName(absoluteId.lastName().toByteArray()), isExecutableFile(path));
}
