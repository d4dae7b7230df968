#include "documents/filecommands.h"

#include "documents/textcodec.h"
#include "editor/tredit.h"
#include "platform/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTabWidget>

namespace {
constexpr int nameCapacity = 100;
constexpr int extensionCapacity = 5;
}

FileCommands::FileCommands(DocumentTable& table, DocumentCommandStates& commands)
    : m_table(table), m_commands(commands)
{
}

QString FileCommands::expandedPath(const QString& fileName)
{
    return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

QString FileCommands::fileNamePart(const QString& fileName)
{
    return fileName.mid(fileName.lastIndexOf(u'/') + 1);
}

QString FileCommands::extensionPart(const QString& fileName)
{
    const QString name = fileNamePart(fileName);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

void FileCommands::SetDocumentFileName(int slotIndex, const QString& fileName)
{
    DocumentSlot& s = m_table.slot(slotIndex);
    s.Path = expandedPath(fileName);
    s.Name = fileNamePart(fileName).left(nameCapacity);
    s.Extension = extensionPart(fileName).left(extensionCapacity);
    if (slotIndex == m_table.CurrentSlot)
        m_commands.showFileInformation(s.Path);
    if (s.TabSheet) {
        QTabWidget* pages = m_table.pageEdition();
        pages->setTabText(pages->indexOf(s.TabSheet), s.Name);
    }
}

void FileCommands::readFileIntoDocument(int slotIndex, const QString& fileName)
{
    QFile file(fileName);
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly))
        throw ScrivoError(QStringLiteral("Cannot open file %1").arg(fileName));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw ScrivoError(QStringLiteral("Cannot open file %1").arg(fileName));
    DecodedText decoded = decodeTextFile(bytes);
    DocumentSlot& s = m_table.slot(slotIndex);
    s.Format = decoded.format;
    s.Editor->setRtfText(decoded.text);
}

void FileCommands::writeDocument(int slotIndex)
{
    DocumentSlot& s = m_table.slot(slotIndex);
    TextFileFormat format = s.Format;
    const QByteArray bytes = encodeTextFile(s.Editor->document()->toRawText(), format);
    QSaveFile file(s.Path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ScrivoError(QStringLiteral("Cannot create file %1").arg(s.Path));
    s.Format = format;
}

SaveResult FileCommands::SaveDocument(int slotIndex)
{
    DocumentSlot& s = m_table.slot(slotIndex);
    if (s.Path.isEmpty())
        return SaveResult::NotWritten;
    writeDocument(slotIndex);
    s.Modified = 0;
    return SaveResult::Written;
}
