#include "support/programfixture.h"

#include "documents/filecommands.h"
#include "documents/textfilereader.h"
#include "editor/tredit.h"
#include "options/colorcombobox.h"
#include "options/toption.h"
#include "widgets/label3d.h"
#include "widgets/pagecontrol.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

void typeInto(TREdit* editor, const QString& text)
{
    editor->setFocus();
    QTest::keyClicks(editor, text);
}

// The slot indexes in tab order, left to right.
QList<int> slotsInTabOrder(DocumentTable& docs)
{
    QList<int> order;
    for (int i = 0; i < docs.pageEdition()->count(); ++i)
        order << docs.slotOfPage(docs.pageEdition()->widget(i));
    return order;
}

}

TEST_F(ProgramTest, NewTakesTheLowestFreeSlotAndAppendsItsTab)
{
    Fp->btNewClick();
    Fp->btNewClick();
    EXPECT_EQ(docs().OpenDocumentCount(), 3);
    EXPECT_EQ(docs().CurrentSlot(), 2);
    EXPECT_EQ(Fp->pageEdition->currentIndex(), 2);

    docs().activate(1);
    Fp->btCloseClick();
    EXPECT_EQ(slotsInTabOrder(docs()), (QList<int>{0, 2}));
    EXPECT_FALSE(docs().slot(1).InUse);

    Fp->mnuNewClick();
    EXPECT_EQ(docs().CurrentSlot(), 1);
    EXPECT_EQ(slotsInTabOrder(docs()), (QList<int>{0, 2, 1}));
    EXPECT_EQ(Fp->pageEdition->currentIndex(), 2);
    EXPECT_EQ(Fp->pageEdition->tabText(2), QStringLiteral("Nouvelle page"));
    EXPECT_EQ(docs().OpenDocumentCount(), Fp->pageEdition->count());
}

TEST_F(ProgramTest, ClosingActivatesTheRightNeighbourOrTheFirstTab)
{
    Fp->btNewClick();
    Fp->btNewClick();
    Fp->btNewClick(); // slots 0..3, tabs in the same order

    docs().activate(1);
    Fp->btCloseClick();
    EXPECT_EQ(docs().CurrentSlot(), 2) << "the tab to the right becomes active";

    docs().activate(3);
    Fp->btCloseClick();
    EXPECT_EQ(docs().CurrentSlot(), 0) << "closing the rightmost activates the first";

    Fp->btCloseClick();
    Fp->btCloseClick();
    EXPECT_EQ(docs().OpenDocumentCount(), 0);
    EXPECT_EQ(Fp->pageEdition->count(), 0);
    EXPECT_TRUE(Fp->lbFpInfoFichier->text().isEmpty());
    EXPECT_EQ(docs().CurrentSlot(), 0) << "with nothing open the current slot is the lowest free one";
    EXPECT_FALSE(Fp->mnuClose->isEnabled());
    EXPECT_FALSE(Fp->mnuCloseAll->isEnabled());
    EXPECT_FALSE(Fp->mnuSave->isEnabled());
    EXPECT_FALSE(Fp->mnuSaveAll->isEnabled());
    EXPECT_FALSE(Fp->mnuEdition->menuAction()->isEnabled());
    EXPECT_FALSE(Fp->btClose->isEnabled());
    EXPECT_FALSE(Fp->btSave->isEnabled());
    EXPECT_TRUE(Fp->btNew->isEnabled());
    EXPECT_TRUE(Fp->mnuOpen->isEnabled());
    EXPECT_TRUE(Fp->mnuExit->isEnabled());

    // New brings the document commands back.
    Fp->btNewClick();
    EXPECT_TRUE(Fp->mnuClose->isEnabled());
    EXPECT_TRUE(Fp->btClose->isEnabled());
    EXPECT_TRUE(Fp->mnuEdition->menuAction()->isEnabled());
    EXPECT_FALSE(Fp->mnuSave->isEnabled());
}

TEST_F(ProgramTest, CloseAllClosesDocumentsLyingAfterAFreeSlot)
{
    Fp->btNewClick();
    Fp->btNewClick();
    docs().activate(1);
    Fp->btCloseClick(); // slots 0 and 2 open, 1 free
    Fp->mnuCloseAllClick();
    EXPECT_EQ(docs().OpenDocumentCount(), 0);
    EXPECT_EQ(Fp->pageEdition->count(), 0);
    for (int i = 0; i < DocumentTable::Capacity; ++i)
        EXPECT_FALSE(docs().slot(i).InUse) << i;
    EXPECT_FALSE(Fp->mnuCloseAll->isEnabled());
}

TEST_F(ProgramTest, TypingMarksTheCurrentDocumentModified)
{
    TREdit* first = docs().currentEditor();
    typeInto(first, QStringLiteral("abc"));
    EXPECT_EQ(docs().slot(0).Modified, 1u);
    EXPECT_TRUE(Fp->btSave->isEnabled());
    EXPECT_TRUE(Fp->mnuSave->isEnabled());
    EXPECT_TRUE(Fp->btSaveAll->isEnabled());
    EXPECT_TRUE(Fp->mnuSaveAll->isEnabled());

    Fp->btNewClick();
    EXPECT_FALSE(Fp->btSave->isEnabled()) << "the new document is not modified";
    EXPECT_TRUE(Fp->btSaveAll->isEnabled()) << "Save All stays enabled";

    // The user picks the first tab again: Save follows its modified flag.
    Fp->pageEdition->setCurrentIndex(0);
    EXPECT_EQ(docs().CurrentSlot(), 0);
    EXPECT_TRUE(Fp->btSave->isEnabled());
    Fp->pageEdition->setCurrentIndex(1);
    EXPECT_FALSE(Fp->mnuSave->isEnabled());

    // Undoing every edit leaves the document modified.
    docs().activate(0);
    first->undo();
    EXPECT_EQ(docs().slot(0).Modified, 1u);
}

TEST_F(ProgramTest, EveryPageChangeDisablesNext)
{
    Fp->btNewClick();
    Fp->mnuNext->setEnabled(true);
    Fp->pageEdition->setCurrentIndex(0);
    EXPECT_FALSE(Fp->mnuNext->isEnabled());
    Fp->mnuNext->setEnabled(true);
    Fp->btNewClick();
    EXPECT_FALSE(Fp->mnuNext->isEnabled());
    Fp->mnuNext->setEnabled(true);
    Fp->btCloseClick();
    EXPECT_FALSE(Fp->mnuNext->isEnabled());
}

TEST_F(ProgramTest, NoMoreThan256Documents)
{
    for (int i = 0; i < 300; ++i)
        Fp->btNewClick();
    EXPECT_EQ(docs().OpenDocumentCount(), DocumentTable::Capacity);
    EXPECT_EQ(Fp->pageEdition->count(), DocumentTable::Capacity);
    EXPECT_EQ(docs().New(), -1);
    EXPECT_EQ(docs().CurrentSlot(), 255);

    // A freed slot is taken again.
    docs().activate(100);
    Fp->btCloseClick();
    EXPECT_EQ(docs().New(), 100);
}

TEST_F(ProgramTest, NewEditorsTakeTheOptionsLook)
{
    TREdit* first = docs().currentEditor();
    EXPECT_EQ(first->font().pointSize(), 10);
    EXPECT_EQ(first->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(first->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(first->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff); // lines wrap at the width

    Option->comboOptionColorEditeur->setColorValue(Colors::rgb(0, 0, 128));
    Option->comboOptionColorFontEditeur->setColorValue(Colors::rgb(255, 255, 0));
    Fp->btNewClick();
    TREdit* second = docs().currentEditor();
    EXPECT_EQ(second->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(second->palette().color(QPalette::Text), QColor(255, 255, 0));
    EXPECT_EQ(first->palette().color(QPalette::Base), QColor(Qt::white)) << "set silently: nothing else changes";
    EXPECT_EQ(docs().slot(1).Modified, 0u) << "the look is no change of text";
}

TEST_F(ProgramTest, StartupArgumentOpensTheFileUnmodified)
{
    const QString path = writeFile(QStringLiteral("readme.txt"), "Bonjour\r\nle monde\r\n");
    start({path});
    EXPECT_EQ(Fp->pageEdition->count(), 1);
    EXPECT_EQ(Fp->pageEdition->tabText(0), QStringLiteral("readme.txt"));
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), path);
    EXPECT_EQ(docs().slot(0).Path, path);
    EXPECT_EQ(docs().slot(0).Extension, QStringLiteral(".txt"));
    EXPECT_EQ(docs().slot(0).Modified, 0u);
    EXPECT_FALSE(docs().LoadingDocument);
    EXPECT_FALSE(Fp->btSave->isEnabled());
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("Bonjour\nle monde\n"));

    // Typing afterwards marks it modified as usual.
    typeInto(docs().currentEditor(), QStringLiteral("x"));
    EXPECT_EQ(docs().slot(0).Modified, 1u);
}

TEST_F(ProgramTest, MissingOrUnusableStartupArgumentLeavesAnUntitledPage)
{
    for (const QString& argument : {tempPath(QStringLiteral("missing.txt")), m_dir.path(), QString()}) {
        start({argument});
        EXPECT_EQ(Fp->pageEdition->count(), 1);
        EXPECT_EQ(Fp->pageEdition->tabText(0), QStringLiteral("Nouvelle page"));
        EXPECT_TRUE(docs().slot(0).Path.isEmpty());
        EXPECT_TRUE(Fp->lbFpInfoFichier->text().isEmpty());
        EXPECT_FALSE(docs().LoadingDocument);
    }
}

TEST_F(ProgramTest, AStartupFileLargerThanTheMemoryLeftIsReportedAndLeavesAnUntitledPage)
{
    QFile huge(tempPath(QStringLiteral("huge.log")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(300) << 20)); // sparse: costs no disk
    huge.close();
    TextFileReader::setMemoryProbe([] { return qint64(200) << 20; });
    const auto restore = qScopeGuard([] { TextFileReader::setMemoryProbe(nullptr); });
    ErrorRecorder errors;
    start({huge.fileName()});
    EXPECT_EQ(errors.messages(),
              QStringList{QStringLiteral("Cannot open file %1: it needs about 364 MB of memory and 200 MB are free.")
                              .arg(huge.fileName())});
    EXPECT_EQ(Fp->pageEdition->count(), 1);
    EXPECT_EQ(Fp->pageEdition->tabText(0), QStringLiteral("Nouvelle page"));
    EXPECT_TRUE(docs().slot(0).Path.isEmpty());
    EXPECT_FALSE(docs().LoadingDocument);
    EXPECT_TRUE(Fp->mnuClose->isEnabled());
}

TEST_F(ProgramTest, ClosingAModifiedDocumentWithAPathWritesItWithoutAsking)
{
    const QString path = writeFile(QStringLiteral("note.txt"), "old");
    start({path});
    TREdit* editor = docs().currentEditor();
    editor->setSelStart(editor->textLength());
    typeInto(editor, QStringLiteral(" new"));
    Fp->btCloseClick();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("old new"));
    EXPECT_EQ(docs().OpenDocumentCount(), 0);
}

TEST_F(ProgramTest, TheTableAnnouncesWhatBecomesOfEachDocument)
{
    QSignalSpy created(&docs(), &DocumentTable::documentCreated);
    QSignalSpy renamed(&docs(), &DocumentTable::documentRenamed);
    QSignalSpy modified(&docs(), &DocumentTable::modifiedChanged);
    QSignalSpy saved(&docs(), &DocumentTable::documentSaved);
    QSignalSpy closed(&docs(), &DocumentTable::documentClosed);
    bool editorWhileClosing = false;
    QObject::connect(&docs(), &DocumentTable::documentClosing, &docs(),
            [&](int slot) { editorWhileClosing = docs().slot(slot).Editor != nullptr; });

    const QString path = writeFile(QStringLiteral("annonce.txt"), "a");
    const int slot = Fp->files().openInNewDocument(path);
    ASSERT_EQ(slot, 1);
    EXPECT_EQ(created, QList<QVariantList>{{slot}});
    EXPECT_EQ(renamed, QList<QVariantList>{{slot}});
    EXPECT_TRUE(modified.isEmpty()) << "loading a file is no modification";

    typeInto(docs().currentEditor(), QStringLiteral("b"));
    typeInto(docs().currentEditor(), QStringLiteral("c"));
    EXPECT_EQ(modified, (QList<QVariantList>{{slot, true}})) << "told once, when it changes";

    Fp->btSaveClick();
    EXPECT_EQ(saved, QList<QVariantList>{{slot}});
    EXPECT_EQ(modified.last(), (QVariantList{slot, false}));

    Fp->btCloseClick();
    EXPECT_TRUE(editorWhileClosing) << "the editor is still there while its document closes";
    EXPECT_EQ(closed, QList<QVariantList>{{slot}});
    EXPECT_FALSE(docs().slot(slot).InUse);
}

TEST_F(ProgramTest, TabCaptionsAndEditorNamesFollowTheDocumentsNames)
{
    TREdit* editor = docs().currentEditor();
    EXPECT_EQ(editor->accessibleName(), QStringLiteral("Nouvelle page"));
    const QString path = writeFile(QStringLiteral("nom.txt"), "");
    Fp->files().SetDocumentFileName(0, path);
    EXPECT_EQ(Fp->pageEdition->tabText(0), QStringLiteral("nom.txt"));
    EXPECT_EQ(editor->accessibleName(), QStringLiteral("nom.txt"));
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), path);

    // A document that is not the current one: its tab, not the information bar.
    Fp->btNewClick();
    Fp->files().SetDocumentFileName(0, tempPath(QStringLiteral("autre.txt")));
    EXPECT_EQ(Fp->pageEdition->tabText(0), QStringLiteral("autre.txt"));
    EXPECT_TRUE(Fp->lbFpInfoFichier->text().isEmpty());
}
