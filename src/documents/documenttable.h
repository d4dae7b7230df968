#pragma once

#include "documents/textcodec.h"
#include "platform/colors.h"

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
    QString Path;      // full path, never cut (a cut path would save elsewhere)
    QString Name;      // file name, cut to 100 characters (labels the tab)
    QString Extension; // extension with its dot, cut to 5 characters
    quint8 InUse = 0;
    TextFileFormat Format; // how the file was encoded, so it is written back alike
};

// What the table asks of the main window when documents come and go.
class DocumentCommandStates {
public:
    virtual ~DocumentCommandStates() = default;
    virtual void EnableDocumentCommands() = 0;
    virtual void DisableDocumentCommands() = 0;
    // btSave and mnuSave.
    virtual void setSaveEnabled(bool enabled) = 0;
    // btSave, btSaveAll, mnuSave, mnuSaveAll, in that order (a modification).
    virtual void enableSaveCommandsForChange() = 0;
    // btSaveAll, mnuSaveAll, btSave, mnuSave, in that order (a document
    // written by Save All).
    virtual void disableSaveCommandsAfterSaveAll() = 0;
    virtual void setNextEnabled(bool enabled) = 0;
    virtual void showFileInformation(const QString& path) = 0;
};

// How a new editor looks: read from the Options values when it is created.
struct EditorLook {
    TColor background = Colors::clWhite;
    TColor fontColor = Colors::clBlack;
    QString fontName; // empty: keep the editor's own font
};

// Outcome of saving one document.
enum class SaveResult { Written, NotWritten, Stop };

// The table of open documents: 256 slots tying each tab of the editor page
// control to its editor, modified flag and file. Free slots may lie between
// slots in use; New takes the lowest free one, and new tabs go to the right.
class DocumentTable : public QObject {
    Q_OBJECT
public:
    static constexpr int Capacity = 256;

    DocumentTable(QTabWidget* pageEdition, DocumentCommandStates& commands, QString newPageCaption,
                  std::function<EditorLook()> editorLook, QObject* parent = nullptr);
    ~DocumentTable() override;

    int CurrentSlot = 0;
    int OpenDocumentCount = 0;
    bool LoadingDocument = false;

    DocumentSlot& slot(int index) { return m_slots.at(static_cast<std::size_t>(index)); }
    const DocumentSlot& slot(int index) const { return m_slots.at(static_cast<std::size_t>(index)); }
    DocumentSlot& current() { return slot(CurrentSlot); }
    TREdit* currentEditor() { return current().Editor; }

    // Visits the slots in use in increasing index order.
    template <typename F>
    void ForEachOpenDocument(F&& visit)
    {
        for (int i = 0; i < Capacity; ++i)
            if (m_slots[static_cast<std::size_t>(i)].InUse)
                visit(i);
    }

    // New: an empty document in the lowest free slot, made current. Returns
    // the slot, or -1 (nothing done) when all slots are in use.
    int New();
    // Saves the slot first when modified (through the saver), then frees it
    // and removes its tab. A failed save throws and leaves it open; a save
    // that stops (a name in a folder that does not exist) leaves it open too
    // and answers false.
    bool CloseDocument(int slotIndex);
    // Close: the current document; disables the document commands when none is left.
    void Close();
    // Close All: every open document, lowest slot first, up to one that
    // stays open.
    void CloseAll();
    // Recomputes the current slot from the active tab and the displays that follow it.
    void PageChange();
    // A document's text changed.
    void Modification();
    // The slot whose tab page is page, or -1.
    int slotOfPage(const QWidget* page) const;
    // Makes slotIndex's tab the active page and runs the page change.
    void activate(int slotIndex);

    // Saving, supplied by the file commands; CloseDocument uses it for
    // modified documents.
    std::function<SaveResult(int slot)> saveDocument;
    // The main window's handler of every editor's change event; it runs
    // Modification. Without one, editors call Modification themselves.
    std::function<void()> editorChanged;
    // True while the program itself changes the active tab: the page
    // control's change signal then does not stand for a user's choice.
    bool isProgramActivation() const { return m_programActivation; }

    QTabWidget* pageEdition() const { return m_pageEdition; }

    // What every document's editor starts with: a vertical scroll bar as
    // needed, lines wrapped at the window's width, Tab typed, 10 points.
    static void setUpEditor(TREdit* editor);

private:
    int lowestFreeSlot() const;
    TREdit* createEditor(QWidget* page);

    QTabWidget* m_pageEdition;
    DocumentCommandStates& m_commands;
    QString m_newPageCaption;
    std::function<EditorLook()> m_editorLook;
    std::array<DocumentSlot, Capacity> m_slots{};
    bool m_programActivation = false;
};
