#include "documents/filecommands.h"

#include "codec/textcodec.h"
#include "documents/filedialogs.h"
#include "documents/fileloader.h"
#include "documents/filenames.h"
#include "documents/filewriter.h"
#include "documents/textfilesaver.h"
#include "editor/tredit.h"
#include "platform/errors.h"
#include "platform/loadstr.h"
#include "platform/nativenames.h"
#include "recovery/fileidentity.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTabWidget>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A path as the user sees it: every byte of its name visible.
QString shown(const QString& path) { return NativeNames::displayPath(path); }

QString dialogFileName(const QFileDialog* dialog) { return dialog->selectedFiles().value(0); }

// The file at path read whole, or nothing when it cannot be read now.
std::optional<WholeTextFile> readIfPossible(const QString& path)
{
    try {
        return readWholeTextFile(path);
    } catch (const ScrivoError&) {
        return std::nullopt;
    }
}

// The position of a line and column, both kept within the text.
int positionOf(const TextStore& text, int line, int column)
{
    if (line >= text.lineCount())
        return int(text.length());
    const qint64 start = text.lineStart(line);
    return int(std::min<qint64>(start + std::max(column, 0), text.lineEnd(line)));
}

}

bool FileCommands::isDocumentFile(const QString& path)
{
    struct stat st;
    return !path.isEmpty() && ::stat(NativeNames::toNative(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

FileCommands::FileCommands(DocumentTable& table, DeferredFileDialog* openDialog, DeferredFileDialog* saveDialog)
    : m_table(table), m_openDialog(openDialog), m_saveDialog(saveDialog)
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
    // Into a fresh editor: the caret stays at the start; no undo history, no
    // edit for the recovery journal. The start shows at once; a large file's
    // rest comes in the background.
    const FileLoader::Started started = FileLoader::start(fileName, m_table.slot(slotIndex).Editor);
    m_table.setFormat(slotIndex, started.format);
    if (!started.loader) {
        m_table.setDiskIdentity(slotIndex, started.stamp);
        return;
    }
    DocumentTable* table = &m_table;
    QObject::connect(started.loader, &FileLoader::finished, table,
                     [table, slotIndex](const TextFileFormat& format, const FileIdentity& stamp) {
                         table->setFormat(slotIndex, format);
                         table->setDiskIdentity(slotIndex, stamp);
                     });
    // Reading broke off: the document holds only part of the file, so it
    // may not be saved over it.
    QObject::connect(started.loader, &FileLoader::failed, table,
                     guarded([table, slotIndex, fileName](const QString& why) {
                         table->setFileName(slotIndex, {});
                         throw ScrivoError(QStringLiteral("Cannot open file %1: %2").arg(shown(fileName), why));
                     }));
}

FileIdentity FileCommands::writeDocument(int slotIndex, const QString& path)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    const QString shownName = shown(s.Path.isEmpty() ? path : s.Path);
    s.Editor->waitUntilLoaded();
    // The file keeps its encoding: a character it cannot hold stops the
    // save before anything is written.
    const StoreEncoding encoded = encodeStore(s.Editor->store(), s.Format);
    if (encoded.unencodable)
        throw ScrivoError(QStringLiteral("Cannot save %1: %2")
                              .arg(shownName, describeUnencodable(*encoded.unencodable, s.Format.encoding)));
    ContentHash hash;
    const FileContent hashed{encoded.content.size, [&](const FileContent::Write& write) {
                                 hash = {};
                                 return encoded.content.produce([&](QByteArrayView piece) {
                                     hash.add(piece);
                                     return write(piece);
                                 });
                             }};
    if (!writeWholeFile(path, hashed))
        throw ScrivoError(QStringLiteral("Cannot create file %1").arg(shownName));
    FileIdentity written = FileIdentity::of(path);
    written.hash = hash.value();
    return written;
}

SaveResult FileCommands::SaveDocument(int slotIndex)
{
    const QString path = m_table.slot(slotIndex).Path;
    if (path.isEmpty())
        return saveThroughDialog(slotIndex);
    refuseToOverwriteAChange(slotIndex);
    m_table.setDiskIdentity(slotIndex, writeDocument(slotIndex, path));
    m_table.markSaved(slotIndex);
    return SaveResult::Written;
}

SaveResult FileCommands::saveThroughDialog(int slotIndex)
{
    if (!m_saveDialog)
        return SaveResult::NotWritten;
    // The user sees which document is being named.
    if (slotIndex != m_table.CurrentSlot())
        m_table.activate(slotIndex);
    QFileDialog* dialog = m_saveDialog->dialog();
    if (dialog->exec() != QDialog::Accepted)
        return SaveResult::NotWritten;
    const QString fileName = dialogFileName(dialog);
    if (fileName.isEmpty())
        return SaveResult::Stop;
    if (!QFileInfo(QFileInfo(fileName).absolutePath()).isDir()) {
        m_saveDialog->setFileName(LoadStr(sEmpty));
        return SaveResult::Stop;
    }
    // Named and marked saved only once the file holds the text: after a
    // failed write the document keeps its old name and stays modified.
    const FileIdentity written = writeDocument(slotIndex, FileNames::expandedPath(fileName));
    SetDocumentFileName(slotIndex, fileName);
    m_table.setDiskIdentity(slotIndex, written);
    m_table.markSaved(slotIndex);
    m_saveDialog->setFileName(LoadStr(sEmpty));
    return SaveResult::Written;
}

void FileCommands::refuseToOverwriteAChange(int slotIndex)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    if (s.DiskChangeReported || !s.Disk.exists)
        return; // told once already, or a file the document never knew
    const FileIdentity now = FileIdentity::of(s.Path);
    if (!now.exists || now.sameMetadata(s.Disk))
        return; // nothing to overwrite, or nothing written since
    if (const std::optional<WholeTextFile> current = readIfPossible(s.Path);
        current && current->stamp.hash == s.Disk.hash) {
        m_table.setDiskIdentity(slotIndex, current->stamp); // touched, or written with the same bytes
        return;
    }
    m_table.setDiskChangeReported(slotIndex);
    throw ScrivoError(QStringLiteral("%1 was changed by another program").arg(shown(s.Path)));
}

void FileCommands::followFileOnDisk(int slotIndex)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    if (!s.InUse || s.Path.isEmpty() || !s.Disk.exists)
        return;
    const FileIdentity now = FileIdentity::of(s.Path);
    if (now.sameMetadata(s.Disk))
        return;
    if (!now.exists) {
        // Deleted or moved away: Save and the exit check now protect the text.
        m_table.setModified(slotIndex, true);
        return;
    }
    if (s.Modified == 1)
        return; // its next Save tells the user
    std::optional<WholeTextFile> current = readIfPossible(s.Path);
    if (!current)
        return; // unreadable for now: the text stays as it is
    const FileIdentity stamp = current->stamp;
    if (stamp.hash != s.Disk.hash)
        reload(slotIndex, std::move(*current));
    m_table.setDiskIdentity(slotIndex, stamp);
}

void FileCommands::reload(int slotIndex, WholeTextFile file)
{
    TREdit* editor = m_table.slot(slotIndex).Editor;
    const int line = editor->currentLine();
    const int column = editor->currentColumn();
    const int top = editor->firstVisibleLine();
    {
        m_table.LoadingDocument = true;
        const auto loaded = qScopeGuard([this] { m_table.LoadingDocument = false; });
        m_table.setFormat(slotIndex, file.format);
        FileLoader::loadWhole(editor, file.format, std::move(file.chunks));
    }
    editor->setSelStart(positionOf(editor->store(), line, column));
    editor->setTopLine(top);
    m_table.noteReloaded(slotIndex);
}

void FileCommands::SaveAs()
{
    const int slot = m_table.CurrentSlot();
    if (!m_table.slot(slot).InUse || !m_saveDialog)
        return;
    // The dialog starts at the document's own file.
    m_saveDialog->setFileName(m_table.slot(slot).Path);
    if (saveThroughDialog(slot) != SaveResult::Written)
        m_saveDialog->setFileName(LoadStr(sEmpty));
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
    if (!m_openDialog || m_openDialog->dialog()->exec() != QDialog::Accepted)
        return;
    const QString fileName = dialogFileName(m_openDialog->dialog());
    if (fileName.isEmpty() || showsOpenCopy(fileName, severalTimesOption))
        return;
    openInNewDocument(fileName);
}

void FileCommands::OpenFromFileList(const QString& path, bool severalTimesOption)
{
    if (showsOpenCopy(path, severalTimesOption) || FileNames::extensionPart(path).isEmpty())
        return; // folders and files without an extension are not opened
    if (m_openDialog)
        m_openDialog->setFileName(path);
    // The path itself is read, not the dialog's name, which the dialog
    // would split at a quote.
    openInNewDocument(path);
}

void FileCommands::Save() { SaveDocument(m_table.CurrentSlot()); }

bool FileCommands::needsSaving(int slotIndex) const
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    return s.Modified == 1 || (!s.Path.isEmpty() && !FileIdentity::of(s.Path).exists);
}

void FileCommands::SaveAll()
{
    // A cancelled dialog passes on to the next document; a refused name
    // ends Save All.
    for (int i = 0; i < DocumentTable::Capacity; ++i)
        if (m_table.slot(i).InUse && needsSaving(i) && SaveDocument(i) == SaveResult::Stop)
            return;
}

bool FileCommands::ExitAllowed(bool allFileSavedOption) const
{
    return !allFileSavedOption || !m_table.anyModified();
}

bool FileCommands::CloseDocument(int slotIndex) { return saveAndClose(slotIndex) == SaveResult::Written; }

SaveResult FileCommands::saveAndClose(int slotIndex)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    if (!s.InUse)
        return SaveResult::Written;
    // A failed write throws and the document stays open; so does one whose
    // save dialog was cancelled or refused the name.
    if (s.Modified == 1) {
        const SaveResult saved = SaveDocument(slotIndex);
        if (saved != SaveResult::Written)
            return saved;
    }
    m_table.removeDocument(slotIndex);
    return SaveResult::Written;
}

void FileCommands::Close() { CloseDocument(m_table.CurrentSlot()); }

void FileCommands::CloseAll()
{
    // A cancelled dialog keeps its document and goes on with the others; a
    // refused name ends Close All.
    for (int i = 0; i < DocumentTable::Capacity; ++i)
        if (m_table.slot(i).InUse && saveAndClose(i) == SaveResult::Stop)
            return;
}
