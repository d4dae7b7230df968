#include "documents/documenttable.h"

#include "documents/filenames.h"
#include "editor/tredit.h"

#include <QScopedValueRollback>
#include <QTabWidget>
#include <QVBoxLayout>

DocumentTable::DocumentTable(QTabWidget* pageEdition, LookSource editorLook, QObject* parent)
    : QObject(parent), m_pageEdition(pageEdition), m_editorLook(std::move(editorLook))
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

bool DocumentTable::anyModified() const
{
    bool modified = false;
    ForEachOpenDocument([&](int i) { modified = modified || slot(i).Modified == 1; });
    return modified;
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
    return editor;
}

void DocumentTable::setUpEditor(TREdit* editor)
{
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff); // lines wrap at the width
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
    {
        const QScopedValueRollback guard(m_programActivation, true);
        const int tab = m_pageEdition->addTab(page, QString());
        m_pageEdition->setCurrentIndex(tab);
    }

    ++m_openCount;
    DocumentSlot& s = mutableSlot(index);
    s.TabSheet = page;
    s.Modified = 0;
    s.InUse = 1;
    s.Editor = editor;
    s.Format = TextFileFormat{};
    s.Disk = FileIdentity{};
    s.DiskChangeReported = false;
    connect(editor, &TREdit::Change, this, [this, index] { Q_EMIT editorChanged(index); });

    Q_EMIT documentCreated(index);
    PageChange();
    return index;
}

void DocumentTable::removeDocument(int slotIndex)
{
    DocumentSlot& s = mutableSlot(slotIndex);
    if (!s.InUse)
        return;
    Q_EMIT documentClosing(slotIndex);
    QWidget* page = s.TabSheet;
    s.TabSheet = nullptr;
    s.Editor = nullptr;
    s.Modified = 0;
    s.InUse = 0;
    s.Path.clear();
    removeTab(page);
    --m_openCount;
    Q_EMIT documentClosed(slotIndex);
    PageChange();
}

void DocumentTable::removeTab(QWidget* page)
{
    // Removing the active tab activates the one to its right, or the first
    // when it was the rightmost.
    const QScopedValueRollback guard(m_programActivation, true);
    const int tab = m_pageEdition->indexOf(page);
    const bool wasActive = tab == m_pageEdition->currentIndex();
    const int count = m_pageEdition->count();
    m_pageEdition->removeTab(tab);
    if (wasActive && count > 1)
        m_pageEdition->setCurrentIndex(tab < count - 1 ? tab : 0);
    delete page;
}

void DocumentTable::PageChange()
{
    const int active = slotOfPage(m_pageEdition->currentWidget());
    m_currentSlot = active >= 0 ? active : std::max(0, lowestFreeSlot());
    Q_EMIT currentDocumentChanged(m_currentSlot);
}

bool DocumentTable::Modification()
{
    if (LoadingDocument)
        return false;
    setModified(m_currentSlot, true);
    return true;
}

void DocumentTable::activate(int slotIndex)
{
    {
        const QScopedValueRollback guard(m_programActivation, true);
        m_pageEdition->setCurrentWidget(slot(slotIndex).TabSheet);
    }
    PageChange();
}

void DocumentTable::setModified(int slotIndex, bool modified)
{
    DocumentSlot& s = mutableSlot(slotIndex);
    const quint32 value = modified ? 1 : 0;
    if (s.Modified == value)
        return;
    s.Modified = value;
    Q_EMIT modifiedChanged(slotIndex, modified);
}

void DocumentTable::setFileName(int slotIndex, const QString& fileName)
{
    DocumentSlot& s = mutableSlot(slotIndex);
    // No name: untitled again.
    s.Path = fileName.isEmpty() ? QString() : FileNames::expandedPath(fileName);
    s.Name = FileNames::namePart(fileName).left(NameCapacity);
    s.Extension = FileNames::extensionPart(fileName).left(ExtensionCapacity);
    Q_EMIT documentRenamed(slotIndex);
}

void DocumentTable::setFormat(int slotIndex, const TextFileFormat& format) { mutableSlot(slotIndex).Format = format; }

void DocumentTable::markSaved(int slotIndex)
{
    setModified(slotIndex, false);
    Q_EMIT documentSaved(slotIndex);
}

void DocumentTable::setDiskIdentity(int slotIndex, const FileIdentity& identity)
{
    DocumentSlot& s = mutableSlot(slotIndex);
    s.Disk = identity;
    s.DiskChangeReported = false;
}

void DocumentTable::setDiskChangeReported(int slotIndex) { mutableSlot(slotIndex).DiskChangeReported = true; }

void DocumentTable::noteReloaded(int slotIndex) { Q_EMIT documentReloaded(slotIndex); }
