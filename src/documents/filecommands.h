#pragma once

#include "documents/documenttable.h"
#include "documents/textfilereader.h"

#include <QObject>
#include <QString>

class DeferredFileDialog;
class FileHashJob;

// Outcome of saving one document.
enum class SaveResult { Written, NotWritten, Stop };

// Moving text between files and documents: Open, Save, Save All, Close,
// Close All, the test before Exit, and the per-slot operations they share.
class FileCommands {
public:
    // The dialogs belong to the main window. Without them (a program that
    // only reads and writes documents) no file name can be asked for: Open
    // does nothing and an untitled document is not written.
    FileCommands(DocumentTable& table, DeferredFileDialog* openDialog = nullptr,
                 DeferredFileDialog* saveDialog = nullptr);

    // Open: asks for a file, shows an open copy instead when the option
    // forbids a second one, else opens the file in a new document.
    void Open(bool severalTimesOption);
    // The file list's double click on path: as Open, except that entries
    // without an extension (folders among them) are not opened, and that the
    // path becomes the open dialog's file name.
    void OpenFromFileList(const QString& path, bool severalTimesOption);
    // Whether path (as NativeNames carries it) names a regular file, the
    // only kind that becomes a document: a folder, device or pipe is none.
    static bool isDocumentFile(const QString& path);
    // Reads a file into a new document named after it, not modified. Returns
    // the document's slot, or -1 when every slot is in use. A file that
    // cannot be read raises "Cannot open file %s" and leaves the new tab
    // untitled.
    int openInNewDocument(const QString& fileName);
    // Save: the current document.
    void Save();
    // Save As: the current document under a name asked for, which it takes.
    void SaveAs();
    // Save All: every document that is modified or whose file is missing,
    // untitled ones through the save dialog.
    void SaveAll();
    // Whether Exit may end the program: with the option set, not while any
    // document is modified.
    bool ExitAllowed(bool allFileSavedOption) const;

    // Saves the slot first when modified, then closes it. A failed save
    // throws and leaves it open; a cancelled or refused save dialog leaves
    // it open too and answers false.
    bool CloseDocument(int slot);
    // Close: the current document.
    void Close();
    // Close All: every open document, lowest slot first; one whose dialog
    // was cancelled stays, a refused name ends it.
    void CloseAll();

    // Follows the slot's file on disk after another program may have
    // changed it. An unmodified document whose file changed is read again,
    // keeping the caret's line and column and the view; one whose file is
    // gone is marked modified. A modified document is left as it is: its
    // next save tells the user.
    void followFileOnDisk(int slot);

    // Makes the open document whose Path is exactly path (letter case
    // included) the active one; false, changing nothing, when there is none.
    bool FindOpenDocument(const QString& path);
    // The duplicate rule of Open and the file list: shows the open copy of
    // fileName, if any; true when no second copy may then be opened.
    bool showsOpenCopy(const QString& fileName, bool severalTimesOption);

    // Path (expanded, "." and ".." removed), Name and Extension; the tab
    // caption and the information bar follow.
    void SetDocumentFileName(int slot, const QString& fileName) { m_table.setFileName(slot, fileName); }

    // Reads a whole file into the slot's editor as plain text: its start at
    // once, a large file's rest in the background. Raises "Cannot open file
    // %s" when it cannot be read: missing, not a regular file, unreadable,
    // or larger than the memory left can hold (then with the reason).
    void readFileIntoDocument(int slot, const QString& fileName);

    // Writes the slot's text to path, in the slot's file format, without
    // touching its Path or Modified; returns the written file's stamp. Raises
    // "Cannot save %s: ..." naming a character the encoding cannot hold, or
    // "Cannot create file %s" (with the slot's own path when it has one); the
    // old file is then left as it was.
    FileIdentity writeDocument(int slot, const QString& path);

    // Saves one document: to its path, or through the save dialog when it
    // has none. Path and Modified change only once the file is written. A
    // file that another program changed since the document read or wrote it
    // is not written over at the first attempt: that raises "%s was changed
    // by another program"; the next save writes.
    SaveResult SaveDocument(int slot);

private:
    SaveResult saveThroughDialog(int slot);
    SaveResult saveAndClose(int slot);
    void refuseToOverwriteAChange(int slot);
    bool needsSaving(int slot) const;
    // Waits for the rest of a file still being read into the slot. False
    // when reading broke off and left the document untitled: its part of
    // the file is not written over the file.
    bool finishReading(int slot);
    void lookAgainSoon(int slot);
    // The hash of the slot's file as it is now: a job running or done, or
    // a new one. Its result, once there, is followed by hashed.
    FileHashJob* hashJob(int slot, const FileIdentity& now);
    void hashed(int slot, FileHashJob* job);
    // Reads the slot's file again after another program changed it: the
    // start at once, the rest in the background; caret, line and view kept.
    void reload(int slot);
    void reloaded(int slot, const TextFileFormat& format, const FileIdentity& stamp);

    DocumentTable& m_table;
    DeferredFileDialog* m_openDialog;
    DeferredFileDialog* m_saveDialog;
    // What the background reads and hashes report to: nothing reaches
    // these commands once they are gone.
    QObject m_context;
};
