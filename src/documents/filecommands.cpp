#include "documents/filecommands.h"

#include "documents/filedialogs.h"
#include "documents/filenames.h"
#include "documents/filewriter.h"
#include "codec/textcodec.h"
#include "editor/tredit.h"
#include "platform/errors.h"
#include "platform/loadstr.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTabWidget>

namespace {

ScrivoError cannotOpen(const QString& fileName)
{
    return ScrivoError(QStringLiteral("Cannot open file %1").arg(fileName));
}

QString dialogFileName(const QFileDialog* dialog) { return dialog->selectedFiles().value(0); }

// The whole content of a regular file, at most limit bytes; false when the
// file cannot be read or is larger. Reads until the end rather than trusting
// the size, which a growing file or a /proc entry does not tell.
bool readWholeFile(const QString& fileName, qint64 limit, QByteArray& bytes)
{
    if (!QFileInfo(fileName).isFile())
        return false; // a folder, device or pipe is no document
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
        return false;
    bytes = QByteArray(qsizetype(file.size()), Qt::Uninitialized);
    qint64 got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > limit)
                return false;
            bytes.resize(std::min<qsizetype>(qsizetype(limit) + 1, std::max<qsizetype>(got * 2, 64 * 1024)));
        }
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    if (got > limit)
        return false;
    bytes.truncate(qsizetype(got));
    return true;
}

}

FileCommands::FileCommands(DocumentTable& table, SaveAllCommandStates& commands, QFileDialog* openDialog,
                           QFileDialog* saveDialog)
    : m_table(table), m_commands(commands), m_openDialog(openDialog), m_saveDialog(saveDialog)
{
}

bool FileCommands::FindOpenDocument(const QString& path)
{
    int found = -1;
    m_table.ForEachOpenDocument([&](int i) {
        if (found < 0 && m_table.slot(i).Path == path)
            found = i;
    });
    if (found < 0)
        return false;
    m_table.activate(found);
    return true;
}

void FileCommands::readFileIntoDocument(int slotIndex, const QString& fileName)
{
    QByteArray bytes;
    if (!readWholeFile(fileName, MaximumFileSize, bytes))
        throw cannotOpen(fileName);
    DecodedText decoded = decodeTextFile(bytes);
    bytes = QByteArray(); // the file's bytes are not needed while the editor lays out
    m_table.setFormat(slotIndex, decoded.format);
    // A whole load: the caret at the start, no undo history, and no edit
    // for the recovery journal.
    m_table.slot(slotIndex).Editor->loadText(decoded.text);
}

void FileCommands::writeDocument(int slotIndex, const QString& path)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    const QString shownName = s.Path.isEmpty() ? path : s.Path;
    // The file keeps its encoding: a character it cannot hold stops the
    // save before anything is written.
    const EncodedText encoded = encodeTextFile(s.Editor->text(), s.Format);
    if (encoded.unencodable)
        throw ScrivoError(QStringLiteral("Cannot save %1: %2")
                              .arg(shownName, describeUnencodable(*encoded.unencodable, s.Format.encoding)));
    if (!writeWholeFile(path, encoded.bytes))
        throw ScrivoError(QStringLiteral("Cannot create file %1").arg(shownName));
}

SaveResult FileCommands::SaveDocument(int slotIndex)
{
    const QString path = m_table.slot(slotIndex).Path;
    if (!path.isEmpty()) {
        writeDocument(slotIndex, path);
        m_table.markSaved(slotIndex);
        return SaveResult::Written;
    }
    if (!m_saveDialog || m_saveDialog->exec() != QDialog::Accepted)
        return SaveResult::NotWritten;
    const QString fileName = dialogFileName(m_saveDialog);
    if (fileName.isEmpty())
        return SaveResult::Stop;
    if (!QFileInfo(QFileInfo(fileName).absolutePath()).isDir()) {
        setDialogFileName(m_saveDialog, LoadStr(sEmpty));
        return SaveResult::Stop;
    }
    // Named and marked saved only once the file holds the text: after a
    // failed write the document is still untitled and modified.
    writeDocument(slotIndex, FileNames::expandedPath(fileName));
    SetDocumentFileName(slotIndex, fileName);
    m_table.markSaved(slotIndex);
    setDialogFileName(m_saveDialog, LoadStr(sEmpty));
    return SaveResult::Written;
}

bool FileCommands::showsOpenCopy(const QString& fileName, bool severalTimesOption)
{
    return FindOpenDocument(FileNames::expandedPath(fileName)) && !severalTimesOption;
}

int FileCommands::openInNewDocument(const QString& fileName)
{
    m_table.LoadingDocument = true;
    const auto loaded = qScopeGuard([this] { m_table.LoadingDocument = false; });
    const int slot = m_table.New();
    if (slot < 0)
        return slot; // every slot in use: no document to read the file into
    // Named only once read: after a failed read the tab stays untitled, so
    // no Save can write the empty text over the file.
    readFileIntoDocument(slot, fileName);
    SetDocumentFileName(slot, fileName);
    return slot;
}

void FileCommands::Open(bool severalTimesOption)
{
    if (!m_openDialog || m_openDialog->exec() != QDialog::Accepted)
        return;
    const QString fileName = dialogFileName(m_openDialog);
    if (fileName.isEmpty() || showsOpenCopy(fileName, severalTimesOption))
        return;
    openInNewDocument(fileName);
}

void FileCommands::OpenFromFileList(const QString& path, bool severalTimesOption)
{
    if (showsOpenCopy(path, severalTimesOption) || FileNames::extensionPart(path).isEmpty())
        return; // folders and files without an extension are not opened
    if (m_openDialog)
        setDialogFileName(m_openDialog, path);
    // The path itself is read, not the dialog's name, which the dialog
    // would split at a quote.
    openInNewDocument(path);
}

void FileCommands::Save() { SaveDocument(m_table.CurrentSlot()); }

void FileCommands::SaveAll()
{
    bool stopped = false;
    m_table.ForEachOpenDocument([&](int i) {
        if (stopped)
            return;
        switch (SaveDocument(i)) {
        case SaveResult::Written: m_commands.disableSaveCommandsAfterSaveAll(); break;
        case SaveResult::NotWritten: break; // a cancelled dialog passes on to the next document
        case SaveResult::Stop: stopped = true; break;
        }
    });
}

bool FileCommands::ExitAllowed(bool allFileSavedOption) const
{
    return !allFileSavedOption || !m_table.anyModified();
}

bool FileCommands::CloseDocument(int slotIndex)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    if (!s.InUse)
        return true;
    // A failed write throws and the document stays open. A cancelled save
    // dialog closes it unsaved; a refused name keeps it, so that no change
    // is lost silently.
    if (s.Modified == 1 && SaveDocument(slotIndex) == SaveResult::Stop)
        return false;
    m_table.removeDocument(slotIndex);
    return true;
}

void FileCommands::Close() { CloseDocument(m_table.CurrentSlot()); }

void FileCommands::CloseAll()
{
    for (int i = 0; i < DocumentTable::Capacity; ++i)
        if (m_table.slot(i).InUse && !CloseDocument(i))
            return;
}
