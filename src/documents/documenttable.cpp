#include "documents/documenttable.h"

#include "editor/tredit.h"

#include "platform/errors.h"

#include <QScopedValueRollback>
#include <QTabWidget>
#include <QVBoxLayout>

DocumentTable::DocumentTable(QTabWidget* pageEdition, DocumentCommandStates& commands, QString newPageCaption,
                             std::function<EditorLook()> editorLook, QObject* parent)
    : QObject(parent),
      m_pageEdition(pageEdition),
      m_commands(commands),
      m_newPageCaption(std::move(newPageCaption)),
      m_editorLook(std::move(editorLook))
{
}

DocumentTable::~DocumentTable() = default;

int DocumentTable::lowestFreeSlot() const
{
    for (int i = 0; i < Capacity; ++i)
        if (!m_slots[static_cast<std::size_t>(i)].InUse)
            return i;
    return -1;
}

int DocumentTable::slotOfPage(const QWidget* page) const
{
    if (!page)
        return -1;
    for (int i = 0; i < Capacity; ++i)
        if (m_slots[static_cast<std::size_t>(i)].TabSheet == page)
            return i;
    return -1;
}

TREdit* DocumentTable::createEditor(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* editor = new TREdit(page);
    layout->addWidget(editor);
    editor->setObjectName(QStringLiteral("Editor"));
    setUpEditor(editor);
    const EditorLook look = m_editorLook ? m_editorLook() : EditorLook{};
    editor->setBackgroundColor(look.background);
    editor->setFontName(look.fontName);
    editor->setFontColor(look.fontColor);
    connect(editor, &TREdit::Change, this, guarded([this] {
        if (editorChanged)
            editorChanged();
        else
            Modification();
    }));
    return editor;
}

void DocumentTable::setUpEditor(TREdit* editor)
{
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    editor->setTabChangesFocus(false);
    QFont f = editor->font();
    f.setPointSize(10);
    editor->setFont(f);
}

int DocumentTable::New()
{
    const int index = lowestFreeSlot();
    if (index < 0)
        return -1; // all 256 in use: no further document, nothing written

    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("TabSheet%1").arg(index));
    TREdit* editor = createEditor(page);
    editor->setAccessibleName(m_newPageCaption); // named after its tab
    {
        const QScopedValueRollback guard(m_programActivation, true);
        const int tab = m_pageEdition->addTab(page, m_newPageCaption);
        m_pageEdition->setCurrentIndex(tab);
    }

    ++OpenDocumentCount;
    DocumentSlot& s = slot(index);
    s.TabSheet = page;
    s.Modified = 0;
    s.InUse = 1;
    s.Editor = editor;
    s.Format = TextFileFormat{};

    m_commands.EnableDocumentCommands();
    PageChange();
    return index;
}

bool DocumentTable::CloseDocument(int slotIndex)
{
    DocumentSlot& s = slot(slotIndex);
    if (!s.InUse)
        return true;
    // A failed write throws and the document stays open. A cancelled save
    // dialog closes it unsaved; a refused name keeps it, so that no change
    // is lost silently.
    if (s.Modified == 1 && saveDocument && saveDocument(slotIndex) == SaveResult::Stop)
        return false;

    QWidget* page = s.TabSheet;
    s.TabSheet = nullptr;
    s.Editor = nullptr;
    s.Modified = 0;
    s.InUse = 0;
    s.Path.clear();
    {
        // Removing the active tab activates the one to its right, or the
        // first when it was the rightmost.
        const QScopedValueRollback guard(m_programActivation, true);
        const int tab = m_pageEdition->indexOf(page);
        const bool wasActive = tab == m_pageEdition->currentIndex();
        const int count = m_pageEdition->count();
        m_pageEdition->removeTab(tab);
        if (wasActive && count > 1)
            m_pageEdition->setCurrentIndex(tab < count - 1 ? tab : 0);
        delete page;
    }
    --OpenDocumentCount;
    PageChange();
    return true;
}

void DocumentTable::Close()
{
    CloseDocument(CurrentSlot);
    if (OpenDocumentCount == 0)
        m_commands.DisableDocumentCommands();
}

void DocumentTable::CloseAll()
{
    for (int i = 0; i < Capacity; ++i)
        if (slot(i).InUse && !CloseDocument(i))
            return;
    m_commands.DisableDocumentCommands();
}

void DocumentTable::PageChange()
{
    const int active = slotOfPage(m_pageEdition->currentWidget());
    CurrentSlot = active >= 0 ? active : std::max(0, lowestFreeSlot());
    const DocumentSlot& s = current();
    m_commands.setSaveEnabled(s.Modified == 1);
    m_commands.showFileInformation(s.Path);
    m_commands.setNextEnabled(false);
}

void DocumentTable::Modification()
{
    if (LoadingDocument)
        return;
    m_commands.enableSaveCommandsForChange();
    current().Modified = 1;
}

void DocumentTable::activate(int slotIndex)
{
    {
        const QScopedValueRollback guard(m_programActivation, true);
        m_pageEdition->setCurrentWidget(slot(slotIndex).TabSheet);
    }
    PageChange();
}
