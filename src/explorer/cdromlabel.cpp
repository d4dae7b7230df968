#include "explorer/cdromlabel.h"

#include "explorer/exeicons.h"
#include "explorer/shellicons.h"
#include "explorer/volumes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {
QString decodeInf(const QByteArray& bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes.mid(2));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    return QString::fromLatin1(bytes);
}

// name in folder, exactly or else without regard to case.
QString findEntry(const QString& folder, const QString& name)
{
    if (QFileInfo::exists(folder + u'/' + name))
        return folder + u'/' + name;
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return folder + u'/' + entry;
    }
    return {};
}

// A path written on a disc (backslashes, maybe a drive letter), looked up
// from the disc's root.
QString findOnDisc(const QString& root, QString written)
{
    written.replace(u'\\', u'/');
    if (written.size() >= 2 && written[1] == u':' && written[0].isLetter())
        written = written.mid(2);
    QString at = root;
    for (const QString& part : written.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QStringLiteral("..") || part == QStringLiteral("."))
            return {};
        at = findEntry(at, part);
        if (at.isEmpty())
            return {};
    }
    return at == root || !QFileInfo(at).isFile() ? QString() : at;
}

// The icon a disc names: number -1 is the file's own icon (what a program
// or icon file holds first, else its type's); an icon number the file does
// not have gives none.
int discIconIndex(const QString& file, int number)
{
    const QFileInfo info(file);
    const QString key = QStringLiteral("disc:%1:%2:%3:%4")
                            .arg(info.absoluteFilePath())
                            .arg(number)
                            .arg(info.size())
                            .arg(info.lastModified().toMSecsSinceEpoch());
    TSxSystemImageList& list = TSxSystemImageList::instance();
    if (const int known = list.find(key); known >= 0)
        return known;
    const QIcon icon = extractIcon(file, number == -1 ? 0 : number);
    if (icon.isNull())
        return number == -1 ? genericIconIndex(info.fileName()) : -1;
    return list.indexFor(key, [&] { return icon; });
}
}

TSxAutorunIcon readAutorunIcon(const QByteArray& autorunInf)
{
    bool inSection = false;
    for (QString line : decodeInf(autorunInf).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            inSection = line.compare(QStringLiteral("[autorun]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals < 0 || line.left(equals).trimmed().compare(QStringLiteral("icon"), Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        TSxAutorunIcon icon{value, -1};
        const qsizetype split = qMax(value.lastIndexOf(u' '), value.lastIndexOf(u','));
        if (split > 0) {
            bool isNumber = false;
            const int number = value.mid(split + 1).trimmed().toInt(&isNumber);
            if (isNumber) {
                icon.file = value.left(split).trimmed();
                icon.number = number;
            }
        }
        return icon;
    }
    return {};
}

TSxCdRomLabel CdRomLabel(const QString& mountPoint)
{
    TSxCdRomLabel label;
    label.iconIndex = defaultCdromIconIndex();
    bool ready = false;
    try {
        ready = DriveReady(mountPoint);
    } catch (const std::exception&) {
        ready = false; // not even a path: no drive to be ready
    }
    if (!ready) {
        label.text = driveCaption(QString(), mountPoint);
        return label;
    }
    label.text = labelCase(volumeLabel(mountPoint));
    const QString inf = findEntry(mountPoint, QStringLiteral("autorun.inf"));
    if (inf.isEmpty())
        return label;
    QFile file(inf);
    if (!file.open(QIODevice::ReadOnly))
        return label;
    const TSxAutorunIcon named = readAutorunIcon(file.read(64 * 1024));
    if (named.file.isEmpty())
        return label;
    QString found = findOnDisc(mountPoint, named.file);
    if (found.isEmpty())
        found = findOnDisc(mountPoint, QFileInfo(QString(named.file).replace(u'\\', u'/')).fileName());
    if (found.isEmpty())
        return label;
    const int index = discIconIndex(found, named.number);
    if (index >= 0) {
        label.iconIndex = index;
        label.iconFromDisc = true;
    }
    return label;
}
