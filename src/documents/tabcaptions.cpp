#include "documents/tabcaptions.h"

#include "documents/documenttable.h"
#include "editor/tredit.h"
#include "platform/nativenames.h"

#include <QTabWidget>

TabCaptions::TabCaptions(DocumentTable& table, QString newPageCaption)
    : QObject(&table), m_table(table), m_newPageCaption(std::move(newPageCaption))
{
    connect(&table, &DocumentTable::documentCreated, this, &TabCaptions::show);
    connect(&table, &DocumentTable::documentRenamed, this, &TabCaptions::show);
}

void TabCaptions::show(int slot)
{
    const DocumentSlot& s = m_table.slot(slot);
    if (!s.TabSheet)
        return;
    const QString caption = s.Path.isEmpty() ? m_newPageCaption : NativeNames::displayPath(s.Name);
    QTabWidget* pages = m_table.pageEdition();
    // "&" would mark a mnemonic: doubled, it shows as itself.
    QString shown = caption;
    shown.replace(u'&', QStringLiteral("&&"));
    pages->setTabText(pages->indexOf(s.TabSheet), shown);
    // Screen readers name the editor after its tab.
    s.Editor->setAccessibleName(caption);
}
