#include "app/tfp.h"

#include "about/tabout.h"
#include "app/forms.h"
#include "documents/diskwatcher.h"
#include "documents/editcommands.h"
#include "documents/filecommands.h"
#include "documents/documentjournaling.h"
#include "documents/filedialogs.h"
#include "documents/tabcaptions.h"
#include "editor/tredit.h"
#include "explorer/listview.h"
#include "explorer/treeview.h"
#include "options/colorcombobox.h"
#include "options/fontcombobox.h"
#include "options/toption.h"
#include "platform/errors.h"
#include "platform/loadstr.h"
#include "platform/nativenames.h"
#include "platform/tfont.h"
#include "recovery/journalfolder.h"
#include "search/searchcommands.h"
#include "settings/formstorage.h"
#include "tabcontrol/extpagecontroltag.h"
#include "widgets/checkbox.h"
#include "widgets/hintmanager.h"
#include "widgets/label3d.h"
#include "widgets/pagecontrol.h"
#include "widgets/panel.h"
#include "widgets/rotatedlabel.h"
#include "widgets/scrollingtext.h"
#include "widgets/statusbar.h"
#include "widgets/statusindicators.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScopeGuard>
#include <QSessionManager>
#include <QShortcut>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// Panels keep their bevels as contents margins; their layouts add none.
template <typename Layout>
Layout* tightLayout(QWidget* owner)
{
    auto* layout = new Layout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

QAction* menuItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

QToolButton* toolButton(QToolBar* bar, const char* name, const QString& icon, const QString& hint)
{
    auto* button = new QToolButton(bar);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(34, 30);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    if (!icon.isEmpty()) {
        button->setIcon(QIcon(icon));
        button->setIconSize(QSize(22, 22));
    }
    button->setToolTip(hint);
    bar->addWidget(button);
    return button;
}

}

TFp::TFp(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Fp"));
    // No close button: the window manager's close request is refused and
    // "Quitter" stays the one way out.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinMaxButtonsHint);
    setWindowTitle(QStringLiteral("Scrivo 2.0 - Orvik's Softs"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/scrivo.svg")));
    setFont(Fonts::designFont(QStringLiteral("MS Sans Serif"), 8));
    move(382, 311);
    resize(800, 600);

    hintFp = new THintManager(this);
    buildMenus();
    auto* client = new QWidget(this);
    auto* clientLayout = tightLayout<QHBoxLayout>(client);
    splitterFp = new QSplitter(Qt::Horizontal, client);
    splitterFp->setObjectName(QStringLiteral("splitterFp"));
    splitterFp->setHandleWidth(3);
    splitterFp->setChildrenCollapsible(false);
    clientLayout->addWidget(splitterFp);
    setCentralWidget(client);

    buildExplorerPane();
    auto* work = new QWidget(splitterFp);
    auto* workLayout = tightLayout<QHBoxLayout>(work);
    splitterFp->addWidget(work);
    splitterFp->setStretchFactor(0, 0);
    splitterFp->setStretchFactor(1, 1);
    buildButtonPanel();
    workLayout->addWidget(panelFpBouton);
    buildEditionPanel();
    workLayout->addWidget(panelFpEdition, 1);
    panelFpExplorateur->setPanelWidth(217);
    buildStatusBar();

    m_documents = std::make_unique<DocumentTable>(pageEdition, [this] { return editorLookFromOptions(); });
    new TabCaptions(*m_documents, LoadStr(sNewPage));
    openDialogFp = std::make_unique<DeferredFileDialog>(this, createOpenDialog);
    saveDialogFp = std::make_unique<DeferredFileDialog>(this, createSaveDialog);
    m_files = std::make_unique<FileCommands>(*m_documents, openDialogFp.get(), saveDialogFp.get());
    m_diskWatcher = new DiskWatcher(*m_documents, *m_files, this);
    m_edit = std::make_unique<EditCommands>(*m_documents);
    m_journaling = std::make_unique<DocumentJournaling>(*m_documents, defaultJournalRoot());
    connect(m_journaling.get(), &DocumentJournaling::failed, this, [](const QString& problem) { reportError(problem); });
    m_search = std::make_unique<SearchCommands>(SearchCommands::Context{
        [this] { return m_documents->currentEditor(); }, [] { return Find; }, [] { return FindReplace; },
        [this](bool enabled) { setNextEnabled(enabled); }});

    connectHandlers();
    FormCreate();
}

TFp::~TFp() = default;

void TFp::FormCreate()
{
    formstorageFp = new TFormStorage(this, QStringLiteral("formstorageFp"), storedProps());
    runGuarded([this] { formstorageFp->RestoreFormSettings(); });
    setApplicationTitle(LoadStr(sAppTitle));
    translateCaptions();
}

void TFp::buildMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuNew = menuItem(mnuFile, "mnuNew", QStringLiteral("New"));
    mnuOpen = menuItem(mnuFile, "mnuOpen", QStringLiteral("Open"));
    mnuClose = menuItem(mnuFile, "mnuClose", QStringLiteral("Close"));
    mnuCloseAll = menuItem(mnuFile, "mnuCloseAll", QStringLiteral("Close All"));
    mnuFile->addSeparator();
    mnuSave = menuItem(mnuFile, "mnuSave", QStringLiteral("Save"));
    mnuSave->setEnabled(false);
    mnuSaveAll = menuItem(mnuFile, "mnuSaveAll", QStringLiteral("Save All"));
    mnuSaveAll->setEnabled(false);
    mnuSaveAs = menuItem(mnuFile, "mnuSaveAs", QStringLiteral("Save As..."));
    mnuSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    mnuFile->addSeparator();
    mnuExit = menuItem(mnuFile, "mnuExit", QStringLiteral("Exit"));
    mnuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    mnuExit->setShortcutContext(Qt::ApplicationShortcut);

    mnuEdition = menuBar()->addMenu(QStringLiteral("Edition"));
    mnuEdition->setObjectName(QStringLiteral("mnuEdition"));
    mnuCopy = menuItem(mnuEdition, "mnuCopy", QStringLiteral("Copy"));
    mnuCut = menuItem(mnuEdition, "mnuCut", QStringLiteral("Cut"));
    mnuPaste = menuItem(mnuEdition, "mnuPaste", QStringLiteral("Paste"));
    mnuEdition->addSeparator();
    mnuFind = menuItem(mnuEdition, "mnuFind", QStringLiteral("Find"));
    mnuFindReplace = menuItem(mnuEdition, "mnuFindReplace", QStringLiteral("Find / Replace"));
    mnuNext = menuItem(mnuEdition, "mnuNext", QStringLiteral("Next"));
    mnuNext->setEnabled(false);
    mnuEdition->addSeparator();
    mnuInsertion = mnuEdition->addMenu(QStringLiteral("Insertion"));
    mnuInsertion->setObjectName(QStringLiteral("mnuInsertion"));
    mnuDateUs = menuItem(mnuInsertion, "mnuDateUs", QStringLiteral("Date (US)"));
    mnuDateEurope = menuItem(mnuInsertion, "mnuDateEurope", QStringLiteral("Date (Europe)"));
    mnuTimeUs = menuItem(mnuInsertion, "mnuTimeUs", QStringLiteral("Time (US)"));
    mnuTimeEurope = menuItem(mnuInsertion, "mnuTimeEurope", QStringLiteral("Time (Europe)"));
    mnuEdition->addSeparator();
    mnuUndo = menuItem(mnuEdition, "mnuUndo", QStringLiteral("Undo"));
    mnuClearUndo = menuItem(mnuEdition, "mnuClearUndo", QStringLiteral("Clear Undo"));

    // Option and About act directly from the menu bar.
    mnuOption = menuBar()->addAction(QStringLiteral("Option"));
    mnuOption->setObjectName(QStringLiteral("mnuOption"));
    mnuAbout = menuBar()->addAction(QStringLiteral("About"));
    mnuAbout->setObjectName(QStringLiteral("mnuAbout"));

    // The pictures beside the menu items.
    const std::pair<QAction*, const char*> pictures[] = {
        {mnuNew, "new"},     {mnuOpen, "open"},       {mnuClose, "close"},           {mnuSave, "save"},
        {mnuSaveAll, "saveall"}, {mnuCopy, "copy"},   {mnuCut, "cut"},               {mnuPaste, "paste"},
        {mnuDateUs, "dateus"}, {mnuDateEurope, "dateeurope"}, {mnuTimeUs, "timeus"}, {mnuTimeEurope, "timeeurope"},
    };
    for (const auto& [action, icon] : pictures)
        action->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(icon))));
}

void TFp::buildExplorerPane()
{
    panelFpExplorateur = new TPanel(splitterFp);
    panelFpExplorateur->setObjectName(QStringLiteral("panelFpExplorateur"));
    panelFpExplorateur->setBevels(TPanel::Bevel::None, TPanel::Bevel::Lowered, 2);
    panelFpExplorateur->setMinimumWidth(30);
    splitterFp->addWidget(panelFpExplorateur);
    auto* layout = tightLayout<QVBoxLayout>(panelFpExplorateur);
    layout->setSpacing(0);

    extpageExplorateur = new TExtPageControlTag(panelFpExplorateur);
    extpageExplorateur->setObjectName(QStringLiteral("extpageExplorateur"));
    extpageExplorateur->setFont(Fonts::designFont(QStringLiteral("MS Sans Serif"), 8));
    extpageExplorateur->setExtTabPosition(TExtPageControl::tabPosBottom);
    extpageExplorateur->setTabActiveColor(Colors::clBtnFace);
    extpageExplorateur->setTabInactiveColor(Colors::rgb(160, 160, 164));
    TFont tabFont;
    tabFont.setName(QStringLiteral("MS Sans Serif"));
    tabFont.setSize(8);
    tabFont.setColor(Colors::clWindowText);
    extpageExplorateur->setTabActiveFont(&tabFont);
    extpageExplorateur->setTabInactiveFont(&tabFont);
    layout->addWidget(extpageExplorateur);

    tabsheetFpExplorateurDirectory = new QWidget;
    tabsheetFpExplorateurDirectory->setObjectName(QStringLiteral("tabsheetFpExplorateurDirectory"));
    extpageExplorateur->addTab(tabsheetFpExplorateurDirectory, QStringLiteral("Directories"));
    treeviewFp = new TSxExplorerTreeView(tabsheetFpExplorateurDirectory);
    treeviewFp->setObjectName(QStringLiteral("treeviewFp"));
    treeviewFp->setCustomRootDirectory(QString()); // the top: home and "/"
    treeviewFp->setFolderTypes(TSxExplorerTreeView::ftFolders);
    treeviewFp->setHotTrack(true);
    treeviewFp->setIndentation(19);
    treeviewFp->setScrollBars(true);
    tightLayout<QVBoxLayout>(tabsheetFpExplorateurDirectory)->addWidget(treeviewFp);
    tabsheetFpExplorateurFiles = new QWidget;
    tabsheetFpExplorateurFiles->setObjectName(QStringLiteral("tabsheetFpExplorateurFiles"));
    extpageExplorateur->addTab(tabsheetFpExplorateurFiles, QStringLiteral("Files"));
    extpageExplorateur->Loaded();
    runGuarded([this] { treeviewFp->Loaded(); });

    // The list shows "/" before it is linked to the tree, which then
    // drives it.
    listviewFp = new TSxExplorerListView(tabsheetFpExplorateurFiles);
    tightLayout<QVBoxLayout>(tabsheetFpExplorateurFiles)->addWidget(listviewFp);
    listviewFp->setDirectory(QStringLiteral("/"));
    treeviewFp->setListView(listviewFp);
    listviewFp->setTreeView(treeviewFp);
}

void TFp::buildButtonPanel()
{
    panelFpBouton = new TPanel;
    panelFpBouton->setObjectName(QStringLiteral("panelFpBouton"));
    panelFpBouton->setBevels(TPanel::Bevel::None, TPanel::Bevel::Lowered);
    panelFpBouton->setFixedWidth(40);
    auto* layout = tightLayout<QVBoxLayout>(panelFpBouton);
    layout->setSpacing(0);

    dockFp = new QWidget(panelFpBouton);
    dockFp->setObjectName(QStringLiteral("dockFp"));
    dockFp->setFixedHeight(358);
    auto* dockLayout = tightLayout<QVBoxLayout>(dockFp);
    toolbarFp = new QToolBar(QStringLiteral("Main Toolbar"), dockFp);
    toolbarFp->setObjectName(QStringLiteral("toolbarFp"));
    toolbarFp->setOrientation(Qt::Vertical);
    toolbarFp->setMovable(false);
    toolbarFp->setFloatable(false);
    toolbarFp->setStyleSheet(QStringLiteral("QToolBar { border: 0px; padding: 0px; spacing: 0px; }"));
    toolbarFp->setIconSize(QSize(22, 22));
    dockLayout->addWidget(toolbarFp, 0, Qt::AlignTop | Qt::AlignLeft);
    dockLayout->addStretch(1);

    btNew = toolButton(toolbarFp, "btNew", QStringLiteral(":/icons/new.svg"), QStringLiteral("New Page"));
    btClose = toolButton(toolbarFp, "btClose", QStringLiteral(":/icons/close.svg"), QStringLiteral("Close File"));
    btSave = toolButton(toolbarFp, "btSave", QStringLiteral(":/icons/save.svg"), QStringLiteral("Save File"));
    btSave->setEnabled(false);
    btSaveAll = toolButton(toolbarFp, "btSaveAll", QStringLiteral(":/icons/saveall.svg"),
                           QStringLiteral("Save All Files"));
    btSaveAll->setEnabled(false);
    btOpen = toolButton(toolbarFp, "btOpen", QStringLiteral(":/icons/open.svg"), QStringLiteral("Open File"));
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = "btSpare" + QByteArray::number(i + 1);
        btSpare[i] = toolButton(toolbarFp, name.constData(), QString(), QString());
        btSpare[i]->setEnabled(false);
    }
    layout->addWidget(dockFp);
    layout->addStretch(1);

    panelFpLogo = new TPanel(panelFpBouton);
    panelFpLogo->setObjectName(QStringLiteral("panelFpLogo"));
    panelFpLogo->setBevels(TPanel::Bevel::None, TPanel::Bevel::None);
    panelFpLogo->setFixedHeight(173);
    auto* logoLayout = tightLayout<QVBoxLayout>(panelFpLogo);
    lbFpLogo = new TRotateLabel(QStringLiteral("Scrivo 2.0"), panelFpLogo);
    lbFpLogo->setObjectName(QStringLiteral("lbFpLogo"));
    QFont logoFont = Fonts::designFontPx(QStringLiteral("Arial"), 24);
    logoFont.setBold(true);
    lbFpLogo->setFont(logoFont);
    lbFpLogo->setBlinking(true);
    logoLayout->addWidget(lbFpLogo);
    layout->addWidget(panelFpLogo);
}

void TFp::buildEditionPanel()
{
    panelFpEdition = new TPanel;
    panelFpEdition->setObjectName(QStringLiteral("panelFpEdition"));
    panelFpEdition->setBevels(TPanel::Bevel::None, TPanel::Bevel::Lowered, 2);
    auto* layout = tightLayout<QVBoxLayout>(panelFpEdition);
    layout->setSpacing(0);

    panelFpInfoFichier = new TPanel(panelFpEdition);
    panelFpInfoFichier->setObjectName(QStringLiteral("panelFpInfoFichier"));
    panelFpInfoFichier->setBevels(TPanel::Bevel::Lowered, TPanel::Bevel::None);
    panelFpInfoFichier->setFixedHeight(20);
    auto* infoLayout = tightLayout<QVBoxLayout>(panelFpInfoFichier);
    lbFpInfoFichier = new TLabel3D(QStringLiteral("lbFpInfoFichier"), panelFpInfoFichier);
    lbFpInfoFichier->setObjectName(QStringLiteral("lbFpInfoFichier"));
    lbFpInfoFichier->setTextStyle(TLabel3D::Style::Raised);
    lbFpInfoFichier->setLoweredBevel(true);
    lbFpInfoFichier->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    infoLayout->addWidget(lbFpInfoFichier);
    layout->addWidget(panelFpInfoFichier);

    pageEdition = new TPageControl(panelFpEdition);
    pageEdition->setObjectName(QStringLiteral("pageEdition"));
    layout->addWidget(pageEdition, 1);
}

void TFp::buildStatusBar()
{
    statusbarFp = new TStatusBar(this);
    statusbarFp->setObjectName(QStringLiteral("statusbarFp"));
    statusbarFp->setFixedHeight(19);
    statusbarFp->setSizeGripEnabled(false);
    const auto panel = [this](const QString& text, int width) {
        auto* label = new QLabel(text, statusbarFp);
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        if (width > 0)
            label->setFixedWidth(width);
        statusbarFp->addWidget(label, width > 0 ? 0 : 1);
        return label;
    };
    panel(QStringLiteral("Orvik's Softs"), 120)->setObjectName(QStringLiteral("statusPanel0"));
    panel(QStringLiteral("scrivo.orvik.example"), 150)->setObjectName(QStringLiteral("statusPanel1"));
    panel(QString(), 0)->setObjectName(QStringLiteral("statusPanel2"));
    indicatorCaps = new TLockKeyIndicator(TLockKeyIndicator::Key::Caps, QStringLiteral("Caps:"), statusbarFp);
    indicatorScroll = new TLockKeyIndicator(TLockKeyIndicator::Key::Scroll, QStringLiteral("Scroll:"), statusbarFp);
    indicatorNum = new TLockKeyIndicator(TLockKeyIndicator::Key::Num, QStringLiteral("Num:"), statusbarFp);
    indicatorClock = new TClockIndicator(statusbarFp);
    for (QLabel* indicator : std::initializer_list<QLabel*>{indicatorCaps, indicatorScroll, indicatorNum,
                                                            indicatorClock})
        statusbarFp->addPermanentWidget(indicator);
    setStatusBar(statusbarFp);
    statusbarFp->hide();
}

void TFp::connectWindowEvents()
{
    // Logging out or shutting down asks every window to close. The Exit
    // rule decides: refused (a document is unsaved and the option asks for
    // it), the session manager is told to cancel, so nothing is lost; else
    // the program ends normally and saves its settings.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        bool allowed = false;
        runGuarded([&] { allowed = sessionEnding(); });
        if (!allowed)
            manager.cancel();
    });
    // F10 opens the menu bar from the keyboard, as on other Linux desktops;
    // the arrow keys then move through the menus.
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menuKey, &QShortcut::activated, this, [this] {
        menuBar()->setFocus(Qt::MenuBarFocusReason);
        menuBar()->setActiveAction(mnuFile->menuAction());
    });
}

void TFp::connectHandlers()
{
    connectWindowEvents();
    // The page control reports only the user's own tab changes; the program
    // runs the page change itself after each activation it makes.
    connect(pageEdition, &QTabWidget::currentChanged, this, guarded([this] {
        if (!m_documents->isProgramActivation())
            pageEditionChange();
    }));
    connectDocuments();

    const auto on = [this](QAction* action, void (TFp::*handler)()) {
        connect(action, &QAction::triggered, this, guarded([this, handler] { (this->*handler)(); }));
    };
    const auto onButton = [this](QToolButton* button, void (TFp::*handler)()) {
        connect(button, &QToolButton::clicked, this, guarded([this, handler] { (this->*handler)(); }));
    };
    onButton(btNew, &TFp::btNewClick);
    on(mnuNew, &TFp::mnuNewClick);
    onButton(btClose, &TFp::btCloseClick);
    on(mnuClose, &TFp::mnuCloseClick);
    on(mnuCloseAll, &TFp::mnuCloseAllClick);
    onButton(btOpen, &TFp::btOpenClick);
    on(mnuOpen, &TFp::mnuOpenClick);
    onButton(btSave, &TFp::btSaveClick);
    on(mnuSave, &TFp::mnuSaveClick);
    onButton(btSaveAll, &TFp::btSaveAllClick);
    on(mnuSaveAll, &TFp::mnuSaveAllClick);
    on(mnuSaveAs, &TFp::mnuSaveAsClick);
    on(mnuExit, &TFp::mnuExitClick);
    on(mnuCopy, &TFp::mnuCopyClick);
    on(mnuCut, &TFp::mnuCutClick);
    on(mnuPaste, &TFp::mnuPasteClick);
    on(mnuUndo, &TFp::mnuUndoClick);
    on(mnuClearUndo, &TFp::mnuClearUndoClick);
    on(mnuDateUs, &TFp::mnuDateUsClick);
    on(mnuDateEurope, &TFp::mnuDateEuropeClick);
    on(mnuTimeUs, &TFp::mnuTimeUsClick);
    on(mnuTimeEurope, &TFp::mnuTimeEuropeClick);
    on(mnuOption, &TFp::mnuOptionClick);
    on(mnuAbout, &TFp::mnuAboutClick);
    on(mnuFind, &TFp::mnuFindClick);
    on(mnuFindReplace, &TFp::mnuFindReplaceClick);
    on(mnuNext, &TFp::mnuNextClick);
    connect(listviewFp, &TSxExplorerListView::DblClick, this, guarded([this] { listviewFpDblClick(); }));
}

void TFp::connectDocuments()
{
    const DocumentTable* docs = m_documents.get();
    connect(docs, &DocumentTable::editorChanged, this, guarded([this] { NewEditionChange(); }));
    connect(docs, &DocumentTable::documentCreated, this, [this] { EnableDocumentCommands(); });
    connect(docs, &DocumentTable::documentClosed, this, [this] {
        if (m_documents->OpenDocumentCount() == 0)
            DisableDocumentCommands();
    });
    connect(docs, &DocumentTable::currentDocumentChanged, this, [this] { showCurrentDocument(); });
    connect(docs, &DocumentTable::documentRenamed, this, [this](int slot) {
        if (slot == m_documents->CurrentSlot())
            showFileInformation(m_documents->current().Path);
    });
    connect(docs, &DocumentTable::modifiedChanged, this, [this](int slot, bool modified) {
        if (slot == m_documents->CurrentSlot())
            setSaveEnabled(modified);
        if (modified)
            setSaveAllEnabled(true);
    });
}

void TFp::showCurrentDocument()
{
    setSaveEnabled(m_documents->current().Modified == 1);
    showFileInformation(m_documents->current().Path);
    setNextEnabled(false);
}

void TFp::translateCaptions()
{
    extpageExplorateur->setTabText(extpageExplorateur->indexOf(tabsheetFpExplorateurDirectory),
                                   LoadStr(sTabDirectories));
    extpageExplorateur->setTabText(extpageExplorateur->indexOf(tabsheetFpExplorateurFiles), LoadStr(sTabFiles));
    mnuFile->setTitle(LoadStr(sMenuFile));
    mnuNew->setText(LoadStr(sMenuNew));
    mnuOpen->setText(LoadStr(sMenuOpen));
    mnuClose->setText(LoadStr(sMenuClose));
    mnuCloseAll->setText(LoadStr(sMenuCloseAll));
    mnuSave->setText(LoadStr(sMenuSave));
    mnuSaveAll->setText(LoadStr(sMenuSaveAll));
    mnuSaveAs->setText(LoadStr(sMenuSaveAs));
    mnuExit->setText(LoadStr(sMenuExit));
    mnuEdition->setTitle(LoadStr(sMenuEdition));
    mnuCopy->setText(LoadStr(sMenuCopy));
    mnuPaste->setText(LoadStr(sMenuPaste));
    mnuCut->setText(LoadStr(sMenuCut));
    mnuFind->setText(LoadStr(sMenuFind));
    mnuFindReplace->setText(LoadStr(sMenuFindReplace));
    mnuTimeUs->setText(LoadStr(sMenuTimeUs));
    mnuTimeEurope->setText(LoadStr(sMenuTimeEurope));
    mnuNext->setText(LoadStr(sMenuNext));
    mnuUndo->setText(LoadStr(sMenuUndo));
    mnuClearUndo->setText(LoadStr(sMenuClearUndo));
    mnuOption->setText(LoadStr(sMenuOption));
    mnuAbout->setText(LoadStr(sMenuAbout));
    btNew->setToolTip(LoadStr(sHintNew));
    btClose->setToolTip(LoadStr(sHintClose));
    btSave->setToolTip(LoadStr(sHintSave));
    btSaveAll->setToolTip(LoadStr(sHintSaveAll));
    btOpen->setToolTip(LoadStr(sHintOpen));

    // Screen readers name the toolbar buttons by their hint and the
    // explorer's views by their page.
    for (QToolButton* button : {btNew, btClose, btSave, btSaveAll, btOpen})
        button->setAccessibleName(button->toolTip());
    extpageExplorateur->setAccessibleName(LoadStr(sOptionExplorer));
    treeviewFp->setAccessibleName(LoadStr(sTabDirectories));
    listviewFp->setAccessibleName(LoadStr(sTabFiles));
}

const QStringList& TFp::storedProps()
{
    static const QStringList props = {
        QStringLiteral("panelFpExplorateur.Width"), QStringLiteral("panelFpEdition.Visible"),
        QStringLiteral("statusbarFp.Visible"),      QStringLiteral("panelFpExplorateur.Visible"),
        QStringLiteral("panelFpInfoFichier.Visible"), QStringLiteral("panelFpBouton.Visible"),
        QStringLiteral("pageEdition.TabPosition"),  QStringLiteral("listviewFp.Color"),
        QStringLiteral("listviewFp.Font"),          QStringLiteral("treeviewFp.Color"),
        QStringLiteral("treeviewFp.Font"),
    };
    return props;
}

OptionTargets TFp::optionTargets()
{
    OptionTargets targets;
    targets.statusBar = statusbarFp;
    targets.explorerPane = panelFpExplorateur;
    targets.fileInformationBar = panelFpInfoFichier;
    targets.toolbarPanel = panelFpBouton;
    targets.pageEdition = pageEdition;
    // Folder tree, then file list; their pages stand in until they exist.
    targets.explorerViews = {treeviewFp, listviewFp};
    targets.forEachOpenEditor = [this](const std::function<void(TREdit*)>& apply) {
        m_documents->ForEachOpenDocument([&](int slot) { apply(m_documents->slot(slot).Editor); });
    };
    return targets;
}

EditorLook TFp::editorLookFromOptions() const
{
    if (!Option)
        return {};
    return {Option->comboOptionColorEditeur->colorValue(), Option->comboOptionColorFontEditeur->colorValue(),
            Option->comboOptionFontEditeur->fontName()};
}

void TFp::startupDocument(const QString& firstArgument)
{
    if (FileCommands::isDocumentFile(firstArgument))
        runGuarded([&] { m_files->openInNewDocument(firstArgument); });
    else
        m_documents->New();
}

void TFp::recoverDocuments()
{
    if (!m_journaling->isActive()) {
        reportError(m_journaling->problem());
        return;
    }
    const QStringList problems = m_journaling->recoverEnded();
    // Recovered documents are unsaved ones, as if typed.
    if (m_documents->anyModified()) {
        btSaveAll->setEnabled(true);
        mnuSaveAll->setEnabled(true);
    }
    for (const QString& problem : problems)
        reportError(problem);
}

void TFp::EnableDocumentCommands()
{
    mnuClose->setEnabled(true);
    btClose->setEnabled(true);
    mnuCloseAll->setEnabled(true);
    mnuSaveAs->setEnabled(true);
    mnuEdition->menuAction()->setEnabled(true);
}

void TFp::DisableDocumentCommands()
{
    mnuClose->setEnabled(false);
    btClose->setEnabled(false);
    mnuCloseAll->setEnabled(false);
    mnuSave->setEnabled(false);
    mnuSaveAll->setEnabled(false);
    mnuSaveAs->setEnabled(false);
    mnuEdition->menuAction()->setEnabled(false);
    // With no document left there is nothing to save: the Save All button
    // goes with its menu item.
    btSave->setEnabled(false);
    btSaveAll->setEnabled(false);
}

void TFp::setSaveEnabled(bool enabled)
{
    btSave->setEnabled(enabled);
    mnuSave->setEnabled(enabled);
}

void TFp::enableSaveCommandsForChange()
{
    btSave->setEnabled(true);
    btSaveAll->setEnabled(true);
    mnuSave->setEnabled(true);
    mnuSaveAll->setEnabled(true);
}

void TFp::setSaveAllEnabled(bool enabled)
{
    btSaveAll->setEnabled(enabled);
    mnuSaveAll->setEnabled(enabled);
}

void TFp::setNextEnabled(bool enabled) { mnuNext->setEnabled(enabled); }

void TFp::showFileInformation(const QString& path) { lbFpInfoFichier->setText(NativeNames::displayPath(path)); }

void TFp::btNewClick() { m_documents->New(); }

void TFp::btCloseClick() { m_files->Close(); }

void TFp::mnuCloseAllClick() { m_files->CloseAll(); }

void TFp::pageEditionChange() { m_documents->PageChange(); }

void TFp::NewEditionChange()
{
    if (m_documents->Modification())
        enableSaveCommandsForChange();
}

void TFp::btOpenClick() { m_files->Open(severalTimesOption()); }

bool TFp::severalTimesOption() const { return Option->chkboxOptionSeveralTimes->isChecked(); }

void TFp::btSaveClick() { m_files->Save(); }

void TFp::btSaveAllClick()
{
    // However Save All ends, Save All stays on while anything is unsaved.
    const auto afterwards = qScopeGuard([this] { setSaveAllEnabled(m_documents->anyModified()); });
    m_files->SaveAll();
}

void TFp::mnuSaveAsClick() { m_files->SaveAs(); }

void TFp::mnuExitClick()
{
    if (exitAllowed())
        terminateApplication();
}

bool TFp::exitAllowed() const { return m_files->ExitAllowed(Option->chkboxOptionAllFileSaved->isChecked()); }

bool TFp::sessionEnding()
{
    // Unsaved documents wait in their journals for the next start, so the
    // session need not wait for them; without journals the Exit rule decides.
    if (m_journaling->isActive())
        m_journaling->flush();
    else if (!exitAllowed())
        return false;
    // The window may close now; the program then ends as after "Quitter".
    m_terminating = true;
    return true;
}

void TFp::endOnSignal()
{
    m_journaling->keepForRecovery();
    endProgram();
}

void TFp::mnuCopyClick() { m_edit->Copy(); }

void TFp::mnuCutClick() { m_edit->Cut(); }

void TFp::mnuPasteClick() { m_edit->Paste(); }

void TFp::mnuUndoClick() { m_edit->Undo(); }

void TFp::mnuClearUndoClick() { m_edit->ClearUndo(); }

void TFp::mnuDateUsClick() { m_edit->DateUs(); }

void TFp::mnuDateEuropeClick() { m_edit->DateEurope(); }

void TFp::mnuTimeUsClick() { m_edit->TimeUs(); }

void TFp::mnuTimeEuropeClick() { m_edit->TimeEurope(); }

void TFp::mnuOptionClick()
{
    const SettingsValues before = formstorageFp->currentValues();
    Option->exec();
    // The dialog saved its choices. When they changed the main window's
    // panels, those are written now too, so the two sections never disagree
    // after a kill.
    if (formstorageFp->currentValues() != before)
        formstorageFp->saveCheckpoint();
}

void TFp::mnuAboutClick()
{
    // The note keeps scrolling after the box closes: a later About finds it
    // wherever its cycle has got to.
    About->lbAboutInfo1->setScrolling(true);
    About->exec();
}

void TFp::mnuFindClick() { m_search->mnuFindClick(); }

void TFp::mnuFindReplaceClick() { m_search->mnuFindReplaceClick(); }

void TFp::mnuNextClick() { m_search->mnuNextClick(); }

void TFp::listviewFpDblClick()
{
    // A folder row is the list's to enter, whatever its name looks like.
    const int row = listviewFp->selectedIndex();
    if (row >= 0 && listviewFp->ItemDataList()[row].IsFile)
        m_files->OpenFromFileList(listviewFp->ItemDataList()[row].FullPath(), severalTimesOption());
}

void TFp::terminateApplication()
{
    // The user's own way out: whatever was not saved was given up.
    m_journaling->endCleanly();
    endProgram();
}

void TFp::endProgram()
{
    m_terminating = true;
    if (m_terminator)
        m_terminator();
    else
        QCoreApplication::exit(0); // quit() would do nothing while this window refuses its close event
}

void TFp::closeEvent(QCloseEvent* event)
{
    if (m_terminating)
        event->accept();
    else
        event->ignore();
}
