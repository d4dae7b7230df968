#pragma once

#include "codec/textformat.h"
#include "platform/colors.h"
#include "recovery/fileidentity.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <functional>

class QTabWidget;
class QWidget;
class TREdit;

// One possible document: its tab, its editor, whether it has unsaved
// changes, and its file.
struct DocumentSlot {
    QPointer<QWidget> TabSheet; // null while the slot is free
    TREdit* Editor = nullptr;
    quint32 Modified = 0;
    // Full path, never cut (a cut path would save elsewhere), with the file
    // system's bytes kept as NativeNames carries them.
    QString Path;
    QString Name;      // file name, cut to 100 characters (labels the tab)
    QString Extension; // extension with its dot, cut to 5 characters
    quint8 InUse = 0;
    TextFileFormat Format; // how the file was encoded, so it is written back alike
    FileIdentity Disk;     // the file as the document last read or wrote it
    // The user was told that another program changed the file: the next
    // save writes over it.
    bool DiskChangeReported = false;
};

// How a new editor looks: read from the Options values when it is created.
struct EditorLook {
    TColor background = Colors::clWhite;
    TColor fontColor = Colors::clBlack;
    QString fontName; // empty: keep the editor's own font
};

// The table of open documents: 256 slots tying each tab of the editor page
// control to its editor, modified flag and file. Free slots may lie between
// slots in use; New takes the lowest free one, and new tabs go to the right.
//
// The table owns each document's state; whatever shows that state (tab
// captions, the information bar, the command states) follows the signals
// below rather than being told by whoever changed it.
class DocumentTable : public QObject {
    Q_OBJECT
public:
    static constexpr int Capacity = 256;
    using LookSource = std::function<EditorLook()>;

    // editorLook is asked for the look of every new editor.
    DocumentTable(QTabWidget* pageEdition, LookSource editorLook, QObject* parent = nullptr);
    ~DocumentTable() override;

    // While set, changes of editor text mark nothing modified (a file's text
    // is being put into an editor).
    bool LoadingDocument = false;

    int CurrentSlot() const { return m_currentSlot; }
    int OpenDocumentCount() const { return m_openCount; }

    const DocumentSlot& slot(int index) const { return m_slots.at(static_cast<std::size_t>(index)); }
    const DocumentSlot& current() const { return slot(m_currentSlot); }
    TREdit* currentEditor() const { return current().Editor; }

    // Visits the slots in use in increasing index order.
    template <typename F>
    void ForEachOpenDocument(F&& visit) const
    {
        for (int i = 0; i < Capacity; ++i)
            if (m_slots[static_cast<std::size_t>(i)].InUse)
                visit(i);
    }
    bool anyModified() const;

    // New: an empty document in the lowest free slot, made current. Returns
    // the slot, or -1 (nothing done) when all slots are in use.
    int New();
    // Frees the slot and removes its tab with its editor; the tab to its
    // right (or the first) becomes active. Unsaved text is the caller's
    // concern.
    void removeDocument(int slotIndex);
    // Recomputes the current slot from the active tab.
    void PageChange();
    // The current document's text changed: marks it modified unless a file
    // is being loaded. True when it counted as a modification.
    bool Modification();
    // The slot whose tab page is page, or -1.
    int slotOfPage(const QWidget* page) const;
    // Makes slotIndex's tab the active page and runs the page change.
    void activate(int slotIndex);

    // The document's state, changed only here.
    void setModified(int slotIndex, bool modified);
    // Path (expanded, "." and ".." removed), Name and Extension (cut to
    // their capacities) from a file name; an empty one makes the document
    // untitled.
    void setFileName(int slotIndex, const QString& fileName);
    void setFormat(int slotIndex, const TextFileFormat& format);
    // The file now holds the document's text: not modified any more.
    void markSaved(int slotIndex);
    // What the document knows of its file since it last read or wrote it;
    // clears DiskChangeReported.
    void setDiskIdentity(int slotIndex, const FileIdentity& identity);
    void setDiskChangeReported(int slotIndex);
    // The document's text was read again from its file.
    void noteReloaded(int slotIndex);

    // True while the program itself changes the active tab: the page
    // control's change signal then does not stand for a user's choice.
    bool isProgramActivation() const { return m_programActivation; }

    QTabWidget* pageEdition() const { return m_pageEdition; }

    // What every document's editor starts with: a vertical scroll bar as
    // needed, lines wrapped at the window's width, Tab typed, 10 points.
    static void setUpEditor(TREdit* editor);

    static constexpr int NameCapacity = 100;
    static constexpr int ExtensionCapacity = 5;

Q_SIGNALS:
    // A new document is in the slot, with its tab and editor.
    void documentCreated(int slot);
    // The slot's document is about to go: its editor still exists.
    void documentClosing(int slot);
    // The slot is free again and its tab gone.
    void documentClosed(int slot);
    // Path, Name and Extension changed.
    void documentRenamed(int slot);
    void modifiedChanged(int slot, bool modified);
    // The document's text was written to its file.
    void documentSaved(int slot);
    // The document's text was read again from its file, which another
    // program changed.
    void documentReloaded(int slot);
    // The page change ran: slot is the current one (a free slot when no
    // document is open).
    void currentDocumentChanged(int slot);
    // The text of the slot's editor changed (typing, pasting, a load...).
    void editorChanged(int slot);

private:
    DocumentSlot& mutableSlot(int index) { return m_slots.at(static_cast<std::size_t>(index)); }
    int lowestFreeSlot() const;
    TREdit* createEditor(QWidget* page);
    void removeTab(QWidget* page);

    QTabWidget* m_pageEdition;
    LookSource m_editorLook;
    std::array<DocumentSlot, Capacity> m_slots{};
    int m_currentSlot = 0;
    int m_openCount = 0;
    bool m_programActivation = false;
};
