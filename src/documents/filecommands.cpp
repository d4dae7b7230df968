#include "documents/filecommands.h"

#include "codec/textcodec.h"
#include "documents/filedialogs.h"
#include "documents/filehashjob.h"
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
#include <QPointer>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTimer>

#include <memory>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A path as the user sees it: every byte of its name visible.
QString shown(const QString& path) { return NativeNames::displayPath(path); }

QString dialogFileName(const QFileDialog* dialog) { return dialog->selectedFiles().value(0); }

// The position of a line and column, both kept within the text.
int positionOf(const TextStore& text, int line, int column)
{
    if (line >= text.lineCount())
        return int(text.length());
    const qint64 start = text.lineStart(line);
    return int(std::min<qint64>(start + std::max(column, 0), text.lineEnd(line)));
}

// Where the user was in a document, put back after a reload as soon as the
// text read so far reaches it; not when the user moved meanwhile.
struct Place {
    int line = 0;
    int column = 0;
    int top = 0;
    bool settled = false;

    static Place of(const TREdit* editor)
    {
        return {editor->currentLine(), editor->currentColumn(), editor->firstVisibleLine()};
    }

    void restore(TREdit* editor)
    {
        if (settled)
            return;
        if (editor->caretPosition() != 0 || editor->topPosition() != 0) {
            settled = true;
            return;
        }
        const TextStore& text = editor->store();
        if (editor->isLoading() && text.lineCount() - 1 <= std::max(line, top))
            return; // the last line read may not be whole yet
        editor->setSelStart(positionOf(text, line, column));
        editor->setTopLine(top);
        settled = true;
    }
};

// What a document showed before a reload: shown again if the reload breaks
// off. The chunks share their bytes with the text they came from.
struct Before {
    TextFileFormat format;
    std::vector<TextChunk> chunks;
    Place place;
};

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
    QObject::connect(started.loader, &FileLoader::finished, &m_context,
                     [this, slotIndex](const TextFileFormat& format, const FileIdentity& stamp) {
                         m_table.setFormat(slotIndex, format);
                         m_table.setDiskIdentity(slotIndex, stamp);
                         lookAgainSoon(slotIndex);
                     });
    // Reading broke off: the document holds only part of the file, so it
    // may not be saved over it.
    DocumentTable* table = &m_table;
    QObject::connect(started.loader, &FileLoader::failed, &m_context,
                     guarded([table, slotIndex, fileName](const QString& why) {
                         table->setFileName(slotIndex, {});
                         throw ScrivoError(QStringLiteral("Cannot open file %1: %2").arg(shown(fileName), why));
                     }));
}

// A write during a read shows only once the read is done: the file is
// looked at again then.
void FileCommands::lookAgainSoon(int slotIndex)
{
    QTimer::singleShot(0, &m_context, [this, slotIndex, editor = QPointer<TREdit>(m_table.slot(slotIndex).Editor)] {
        if (editor && m_table.slot(slotIndex).Editor == editor)
            runGuarded([&] { followFileOnDisk(slotIndex); });
    });
}

bool FileCommands::finishReading(int slotIndex)
{
    const QString path = m_table.slot(slotIndex).Path;
    m_table.slot(slotIndex).Editor->waitUntilLoaded();
    return m_table.slot(slotIndex).InUse && m_table.slot(slotIndex).Path == path;
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
    if (!finishReading(slotIndex))
        return SaveResult::NotWritten;
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
    // Another size is another content. The same size is told by the hash,
    // mostly worked out already since the change was noticed.
    if (now.size == s.Disk.size) {
        FileHashJob* job = hashJob(slotIndex, now);
        const std::optional<FileIdentity> file = job->result();
        job->deleteLater();
        if (file && file->hash == s.Disk.hash) {
            m_table.setDiskIdentity(slotIndex, *file); // touched, or written with the same bytes
            return;
        }
    }
    m_table.setDiskChangeReported(slotIndex);
    throw ScrivoError(QStringLiteral("%1 was changed by another program").arg(shown(s.Path)));
}

void FileCommands::followFileOnDisk(int slotIndex)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    // A file still being read is looked at again once it is in.
    if (!s.InUse || s.Path.isEmpty() || !s.Disk.exists || s.Editor->isLoading())
        return;
    const FileIdentity now = FileIdentity::of(s.Path);
    if (now.sameMetadata(s.Disk))
        return;
    if (!now.exists) {
        // Deleted or moved away: Save and the exit check now protect the text.
        m_table.setModified(slotIndex, true);
        return;
    }
    if (now.size != s.Disk.size) {
        if (s.Modified == 0)
            reload(slotIndex); // other bytes for sure; a modified one's next Save tells the user
        return;
    }
    // The same size: the hash decides, worked out in the background, so
    // that a modified document's next Save knows it at once.
    hashJob(slotIndex, now);
}

FileHashJob* FileCommands::hashJob(int slotIndex, const FileIdentity& now)
{
    TREdit* editor = m_table.slot(slotIndex).Editor;
    for (FileHashJob* job : editor->findChildren<FileHashJob*>(Qt::FindDirectChildrenOnly)) {
        if (job->expected().sameMetadata(now))
            return job;
        delete job; // of a file that has changed again since
    }
    auto* job = new FileHashJob(m_table.slot(slotIndex).Path, now, editor);
    QObject::connect(job, &FileHashJob::done, &m_context,
                     [this, slotIndex, job] { runGuarded([&] { hashed(slotIndex, job); }); });
    return job;
}

void FileCommands::hashed(int slotIndex, FileHashJob* job)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    const std::optional<FileIdentity> file = job->result();
    // Of use only while the file is still what was read, and when it is
    // not what the document knows already (its own save since, say).
    if (!file || !s.Disk.exists || s.Editor->isLoading() || file->sameMetadata(s.Disk)
        || !FileIdentity::of(s.Path).sameMetadata(*file)) {
        job->deleteLater();
        return;
    }
    if (file->hash == s.Disk.hash) {
        m_table.setDiskIdentity(slotIndex, *file); // touched, or written with the same bytes
        job->deleteLater();
    } else if (s.Modified == 0) {
        job->deleteLater();
        reload(slotIndex);
    }
    // A modified document keeps the job for its next Save.
}

void FileCommands::reload(int slotIndex)
{
    const DocumentSlot& s = m_table.slot(slotIndex);
    TREdit* editor = s.Editor;
    auto before = std::make_shared<Before>(Before{s.Format, editor->store().chunks(), Place::of(editor)});
    FileLoader::Started started;
    {
        m_table.LoadingDocument = true;
        const auto loaded = qScopeGuard([this] { m_table.LoadingDocument = false; });
        try {
            started = FileLoader::start(s.Path, editor);
        } catch (const ScrivoError&) {
            return; // unreadable for now: the text stays as it is
        }
    }
    m_table.setFormat(slotIndex, started.format);
    if (!started.loader) {
        before->place.restore(editor);
        reloaded(slotIndex, started.format, started.stamp);
        return;
    }
    before->place.restore(editor);
    QObject::connect(started.loader, &FileLoader::progressed, &m_context, [before, editor] { before->place.restore(editor); });
    QObject::connect(started.loader, &FileLoader::finished, &m_context,
                     [this, slotIndex, before, editor](const TextFileFormat& format, const FileIdentity& stamp) {
                         before->chunks.clear();
                         before->place.restore(editor);
                         reloaded(slotIndex, format, stamp);
                     });
    // Broke off: the text shown before comes back, still unmodified, and
    // the file is read again at its next change.
    QObject::connect(started.loader, &FileLoader::failed, &m_context, [this, slotIndex, before, editor] {
        m_table.LoadingDocument = true;
        const auto loaded = qScopeGuard([this] { m_table.LoadingDocument = false; });
        m_table.setFormat(slotIndex, before->format);
        FileLoader::loadWhole(editor, before->format, std::exchange(before->chunks, {}));
        before->place.settled = false;
        before->place.restore(editor);
    });
}

void FileCommands::reloaded(int slotIndex, const TextFileFormat& format, const FileIdentity& stamp)
{
    m_table.setFormat(slotIndex, format);
    m_table.setDiskIdentity(slotIndex, stamp);
    m_table.noteReloaded(slotIndex);
    lookAgainSoon(slotIndex);
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
