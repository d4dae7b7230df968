#pragma once

#include "documents/documenttable.h"
#include "documents/filedialogs.h"

#include <QMainWindow>

#include <memory>

class DiskWatcher;
class DocumentJournaling;
class EditCommands;
class FileCommands;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTabWidget;
class QToolBar;
class QToolButton;
class SearchCommands;
class TClockIndicator;
class TExtPageControlTag;
class TFormStorage;
class THintManager;
struct OptionTargets;
class TLabel3D;
class TLockKeyIndicator;
class TPageControl;
class TPanel;
class TRotateLabel;
class TSxExplorerTreeView;
class TStatusBar;
class TSxExplorerListView;

// The main window: builds the layout, translates its captions, connects each
// control's event to its handler, and switches the document commands. The
// behaviour of each command lives in the subsystem that owns it.
class TFp : public QMainWindow {
    Q_OBJECT
public:
    explicit TFp(QWidget* parent = nullptr);
    ~TFp() override;

    // Controls, by the names a settings store and the tests find them.
    TPanel* panelFpExplorateur = nullptr;
    TExtPageControlTag* extpageExplorateur = nullptr;
    QWidget* tabsheetFpExplorateurDirectory = nullptr;
    TSxExplorerTreeView* treeviewFp = nullptr;
    QWidget* tabsheetFpExplorateurFiles = nullptr;
    TSxExplorerListView* listviewFp = nullptr;
    QSplitter* splitterFp = nullptr;
    TPanel* panelFpBouton = nullptr;
    QWidget* dockFp = nullptr;
    QToolBar* toolbarFp = nullptr;
    QToolButton* btNew = nullptr;
    QToolButton* btClose = nullptr;
    QToolButton* btSave = nullptr;
    QToolButton* btSaveAll = nullptr;
    QToolButton* btOpen = nullptr;
    QToolButton* btSpare[6] = {};
    TPanel* panelFpLogo = nullptr;
    TRotateLabel* lbFpLogo = nullptr;
    TPanel* panelFpEdition = nullptr;
    TPanel* panelFpInfoFichier = nullptr;
    TLabel3D* lbFpInfoFichier = nullptr;
    TPageControl* pageEdition = nullptr;
    TStatusBar* statusbarFp = nullptr;
    TLockKeyIndicator* indicatorCaps = nullptr;
    TLockKeyIndicator* indicatorScroll = nullptr;
    TLockKeyIndicator* indicatorNum = nullptr;
    TClockIndicator* indicatorClock = nullptr;
    // Shows the program's hints in elliptic balloons.
    THintManager* hintFp = nullptr;
    TFormStorage* formstorageFp = nullptr;

    QMenu* mnuFile = nullptr;
    QAction* mnuNew = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuClose = nullptr;
    QAction* mnuCloseAll = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveAll = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuEdition = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuCut = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuFind = nullptr;
    QAction* mnuFindReplace = nullptr;
    QAction* mnuNext = nullptr;
    QMenu* mnuInsertion = nullptr;
    QAction* mnuDateUs = nullptr;
    QAction* mnuDateEurope = nullptr;
    QAction* mnuTimeUs = nullptr;
    QAction* mnuTimeEurope = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuClearUndo = nullptr;
    QAction* mnuOption = nullptr;
    QAction* mnuAbout = nullptr;
    std::unique_ptr<DeferredFileDialog> openDialogFp;
    std::unique_ptr<DeferredFileDialog> saveDialogFp;

    DocumentTable& documents() { return *m_documents; }
    FileCommands& files() { return *m_files; }
    EditCommands& editCommands() { return *m_edit; }

    // What the Options dialog acts on.
    OptionTargets optionTargets();
    // The properties the main window's settings store keeps, in order.
    static const QStringList& storedProps();

    // The first document: New, then the file named by the first command-line
    // argument when it names an existing file.
    void startupDocument(const QString& firstArgument);

    // Command states. Most follow the document table's signals.
    void EnableDocumentCommands();
    void DisableDocumentCommands();
    // btSave and mnuSave.
    void setSaveEnabled(bool enabled);
    // btSave, btSaveAll, mnuSave, mnuSaveAll, in that order (an edit).
    void enableSaveCommandsForChange();
    // btSaveAll and mnuSaveAll.
    void setSaveAllEnabled(bool enabled);
    void setNextEnabled(bool enabled);
    void showFileInformation(const QString& path);

    // Handlers.
    void btNewClick();
    void mnuNewClick() { btNewClick(); }
    void btCloseClick();
    void mnuCloseClick() { btCloseClick(); }
    void mnuCloseAllClick();
    void pageEditionChange();
    void NewEditionChange();
    void btOpenClick();
    void mnuOpenClick() { btOpenClick(); }
    void btSaveClick();
    void mnuSaveClick() { btSaveClick(); }
    void btSaveAllClick();
    void mnuSaveAllClick() { btSaveAllClick(); }
    void mnuSaveAsClick();
    void mnuExitClick();
    void mnuCopyClick();
    void mnuCutClick();
    void mnuPasteClick();
    void mnuUndoClick();
    void mnuClearUndoClick();
    void mnuDateUsClick();
    void mnuDateEuropeClick();
    void mnuTimeUsClick();
    void mnuTimeEuropeClick();
    void mnuOptionClick();
    void mnuAboutClick();
    void mnuFindClick();
    void mnuFindReplaceClick();
    void mnuNextClick();
    void listviewFpDblClick();

    // Find, Find / Replace and Next, with the search state.
    SearchCommands& search() { return *m_search; }

    // Whether Exit may end the program now (the all-saved option and the
    // documents' modified flags).
    bool exitAllowed() const;
    // The desktop session is ending: true when the program may end (its
    // window then accepts to close), false to ask the session to cancel.
    bool sessionEnding();
    // A signal (SIGTERM, SIGHUP, SIGINT) asks the program to end: as Exit
    // does, without its rule; unsaved documents stay in their journals for
    // the next start.
    void endOnSignal();
    // At start, after the start-up document: the documents a program that
    // ended without saving left behind, and what could not be recovered.
    void recoverDocuments();

    // True once the program has been told to end.
    bool isTerminating() const { return m_terminating; }
    // Test seam: what ending the program does; QCoreApplication::exit(0)
    // unless a test replaces it (an exit would end every later modal loop of
    // the test run).
    void setTerminator(std::function<void()> terminator) { m_terminator = std::move(terminator); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void buildMenus();
    void buildExplorerPane();
    void buildButtonPanel();
    void buildEditionPanel();
    void buildStatusBar();
    void connectHandlers();
    // The session manager and the keys that belong to the window, not to a command.
    void connectWindowEvents();
    void connectDocuments();
    // The page change's displays: Save, the information bar, Next.
    void showCurrentDocument();
    void translateCaptions();
    void terminateApplication();
    void endProgram();
    EditorLook editorLookFromOptions() const;
    bool severalTimesOption() const;

    std::unique_ptr<DocumentTable> m_documents;
    std::unique_ptr<FileCommands> m_files;
    std::unique_ptr<SearchCommands> m_search;
    std::unique_ptr<EditCommands> m_edit;
    DiskWatcher* m_diskWatcher = nullptr;
    // After the table: it is gone before the documents it journals.
    std::unique_ptr<DocumentJournaling> m_journaling;
    bool m_terminating = false;
    std::function<void()> m_terminator;
};
