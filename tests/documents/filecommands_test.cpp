#include "documents/filedialoganswers.h"
#include "support/filebytes.h"
#include "support/nativefiles.h"
#include "support/programfixture.h"

#include "documents/filecommands.h"
#include "editor/tredit.h"
#include "options/toption.h"
#include "platform/nativenames.h"
#include "widgets/checkbox.h"
#include "widgets/label3d.h"
#include "widgets/pagecontrol.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

#include <sys/stat.h>

namespace {

void typeInto(TREdit* editor, const QString& text)
{
    editor->setFocus();
    editor->setSelStart(editor->textLength());
    QTest::keyClicks(editor, text);
}

class FileCommandsTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        Fp->openDialogFp->dialog()->setDirectory(m_dir.path());
        Fp->saveDialogFp->dialog()->setDirectory(m_dir.path());
    }

    // Opens path through the open dialog.
    void openThroughDialog(const QString& path)
    {
        answerFileDialog(path);
        Fp->btOpen->click();
    }

    void setSeveralTimes(bool on) { Option->chkboxOptionSeveralTimes->setCheckedSilently(on); }
    void setAllFileSaved(bool on) { Option->chkboxOptionAllFileSaved->setCheckedSilently(on); }

    bool saveEnabled() const { return Fp->btSave->isEnabled() && Fp->mnuSave->isEnabled(); }
    bool saveAllEnabled() const { return Fp->btSaveAll->isEnabled() && Fp->mnuSaveAll->isEnabled(); }
};

}

using FileDialogsTest = ProgramTest;

TEST_F(FileDialogsTest, AreMadeWhenFirstNeededAndStartAtTheFileLastOpenedFromTheList)
{
    EXPECT_FALSE(Fp->openDialogFp->isMade());
    EXPECT_FALSE(Fp->saveDialogFp->isMade());
    const QString path = m_dir.filePath(QStringLiteral("notes.txt"));
    writeBytes(path, "text\n");
    Fp->files().OpenFromFileList(path, false);
    ASSERT_EQ(Fp->documents().currentEditor()->text(), QStringLiteral("text\n"));
    EXPECT_FALSE(Fp->openDialogFp->isMade()) << "opening from the list needs no dialog";

    QFileDialog* dialog = Fp->openDialogFp->dialog();
    EXPECT_EQ(dialog->directory().absolutePath(), QDir(m_dir.path()).absolutePath());
    EXPECT_EQ(fileDialogName(dialog), QStringLiteral("notes.txt"));
    EXPECT_EQ(Fp->openDialogFp->dialog(), dialog) << "made once";
    EXPECT_EQ(dialog->parentWidget(), Fp);
}

TEST_F(FileCommandsTest, OpenShowsTheFileUnmodifiedInANewTab)
{
    const QString path = writeFile(QStringLiteral("lettre.txt"), "Cher ami,\r\n");
    cancelFileDialog();
    Fp->btOpen->click();
    EXPECT_EQ(Fp->pageEdition->count(), 1) << "cancelled: nothing";

    answerFileDialog(path);
    Fp->mnuOpen->trigger();
    ASSERT_EQ(Fp->pageEdition->count(), 2);
    EXPECT_EQ(Fp->pageEdition->currentIndex(), 1);
    EXPECT_EQ(Fp->pageEdition->tabText(1), QStringLiteral("lettre.txt"));
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), path);
    EXPECT_EQ(docs().current().Path, path);
    EXPECT_EQ(docs().current().Extension, QStringLiteral(".txt"));
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_FALSE(docs().LoadingDocument);
    EXPECT_FALSE(saveEnabled());
    EXPECT_TRUE(Fp->mnuEdition->menuAction()->isEnabled());
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("Cher ami,\n"));
}

TEST_F(FileCommandsTest, AStartArgumentThatIsNotUtf8OpensItsOwnFile)
{
    const QByteArray odd = QFile::encodeName(m_dir.path()) + "/lettre\xE9.txt"; // Latin-1
    ASSERT_TRUE(writeNative(odd, "Latin-1 name"));
    const auto removed = qScopeGuard([&] {
        stop();
        removeNativeTree(odd);
    });
    writeFile(QString::fromUtf8("lettre\xEF\xBF\xBD.txt"), "U+FFFD name");
    start({NativeNames::fromNative(odd)});
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("Latin-1 name"));
    EXPECT_EQ(Fp->pageEdition->tabText(Fp->pageEdition->currentIndex()), QStringLiteral("lettre\\xE9.txt"));
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), NativeNames::display(odd));
    EXPECT_EQ(NativeNames::toNative(docs().current().Path), odd);
}

TEST_F(FileCommandsTest, AnOpenFileIsShownAgainUnlessSeveralCopiesAreAllowed)
{
    const QString path = writeFile(QStringLiteral("notes.ini"), "[a]\n");
    openThroughDialog(path);
    Fp->btNew->click();
    ASSERT_EQ(Fp->pageEdition->count(), 3);
    ASSERT_TRUE(Fp->lbFpInfoFichier->text().isEmpty());

    setSeveralTimes(false);
    openThroughDialog(path);
    EXPECT_EQ(Fp->pageEdition->count(), 3) << "no second copy";
    EXPECT_EQ(Fp->pageEdition->currentIndex(), 1) << "the open copy is active";
    EXPECT_EQ(docs().CurrentSlot(), 1);
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), path);

    // The same file under other letter case is another file.
    const QString upper = writeFile(QStringLiteral("NOTES.ini"), "[b]\n");
    openThroughDialog(upper);
    EXPECT_EQ(Fp->pageEdition->count(), 4);
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("[b]\n"));

    setSeveralTimes(true);
    openThroughDialog(path);
    ASSERT_EQ(Fp->pageEdition->count(), 5);
    EXPECT_EQ(Fp->pageEdition->tabText(4), QStringLiteral("notes.ini"));
    EXPECT_EQ(Fp->pageEdition->tabText(1), QStringLiteral("notes.ini"));
    EXPECT_EQ(docs().current().Path, path);
}

TEST_F(FileCommandsTest, UnreadableFilesReportAndLeaveAnUntitledTab)
{
    ErrorRecorder errors;
    const QString missing = tempPath(QStringLiteral("absent.txt"));
    openThroughDialog(missing);
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("Cannot open file %1.").arg(missing)});
    ASSERT_EQ(Fp->pageEdition->count(), 2);
    EXPECT_EQ(Fp->pageEdition->tabText(1), QStringLiteral("Nouvelle page"));
    EXPECT_TRUE(docs().current().Path.isEmpty());
    EXPECT_FALSE(docs().LoadingDocument) << "cleared although the read failed";
    typeInto(docs().currentEditor(), QStringLiteral("x"));
    EXPECT_EQ(docs().current().Modified, 1u);

    // A folder and a device are no documents.
    for (const QString& name : {m_dir.path(), QStringLiteral("/dev/zero")}) {
        errors.clear();
        const int slot = docs().New();
        EXPECT_THROW(Fp->files().readFileIntoDocument(slot, name), ScrivoError) << name.toStdString();
        runGuarded([&] { Fp->files().readFileIntoDocument(slot, name); });
        EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("Cannot open file %1.").arg(name)});
        EXPECT_TRUE(docs().slot(slot).Editor->text().isEmpty());
    }
}

TEST_F(FileCommandsTest, SavingAnUntitledDocumentAsNotesWritesNotesTxt)
{
    typeInto(docs().currentEditor(), QStringLiteral("un"));
    QTest::keyClick(docs().currentEditor(), Qt::Key_Return);
    QTest::keyClicks(docs().currentEditor(), QStringLiteral("deux"));
    ASSERT_TRUE(saveEnabled());

    answerFileDialog(QStringLiteral("notes"));
    Fp->mnuSave->trigger();
    const QString path = tempPath(QStringLiteral("notes.txt"));
    EXPECT_EQ(readBytes(path), QByteArray("un\r\ndeux")) << "new documents take CRLF";
    EXPECT_EQ(Fp->pageEdition->tabText(0), QStringLiteral("notes.txt"));
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), path);
    EXPECT_EQ(docs().current().Path, path);
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_FALSE(saveEnabled());
    EXPECT_TRUE(saveAllEnabled()) << "Save leaves the Save All pair alone";
    EXPECT_TRUE(fileDialogName(Fp->saveDialogFp->dialog()).isEmpty()) << "the next save dialog opens without a name";

    // From now on Save writes to the path without asking.
    typeInto(docs().currentEditor(), QStringLiteral("!"));
    Fp->btSave->click();
    EXPECT_EQ(readBytes(path), QByteArray("un\r\ndeux!"));
}

TEST_F(FileCommandsTest, CancelledOrRefusedSaveKeepsTheDocumentModified)
{
    typeInto(docs().currentEditor(), QStringLiteral("texte"));
    cancelFileDialog();
    Fp->btSave->click();
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(saveEnabled());

    // A folder that does not exist: nothing written, the name cleared.
    const QString nowhere = tempPath(QStringLiteral("nowhere/texte.txt"));
    answerFileDialog(nowhere);
    Fp->btSave->click();
    EXPECT_FALSE(QFile::exists(nowhere));
    EXPECT_TRUE(fileDialogName(Fp->saveDialogFp->dialog()).isEmpty());
    EXPECT_TRUE(docs().current().Path.isEmpty());
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(saveEnabled());
}

TEST_F(FileCommandsTest, SaveAllWritesModifiedDocumentsAndAsksForUntitledOnes)
{
    // Slot 0: titled, not modified, its file changed by another program.
    const QString first = writeFile(QStringLiteral("first.txt"), "first");
    Fp->btClose->click();
    openThroughDialog(first);
    writeFile(QStringLiteral("first.txt"), "changed elsewhere");
    // Slot 1: untitled, the dialog cancelled. Slot 2: untitled, named "third".
    Fp->btNew->click();
    typeInto(docs().currentEditor(), QStringLiteral("second"));
    Fp->btNew->click();
    typeInto(docs().currentEditor(), QStringLiteral("third"));
    // Slot 3: titled and modified.
    const QString fourth = writeFile(QStringLiteral("fourth.txt"), "4");
    openThroughDialog(fourth);
    typeInto(docs().currentEditor(), QStringLiteral("4"));

    // Each untitled document is brought to the front before its dialog.
    int shownFirst = -1;
    answerModal<QFileDialog>([&](QFileDialog* dialog) {
        shownFirst = docs().CurrentSlot();
        dialog->reject();
    });
    answerFileDialog(QStringLiteral("third"));
    Fp->mnuSaveAll->trigger();

    EXPECT_EQ(shownFirst, 1);
    EXPECT_EQ(readBytes(first), QByteArray("changed elsewhere")) << "not modified: not written";
    EXPECT_EQ(docs().slot(1).Modified, 1u) << "its dialog was cancelled";
    EXPECT_TRUE(docs().slot(1).Path.isEmpty());
    EXPECT_EQ(readBytes(tempPath(QStringLiteral("third.txt"))), QByteArray("third"));
    EXPECT_EQ(docs().slot(2).Modified, 0u);
    EXPECT_EQ(Fp->pageEdition->tabText(2), QStringLiteral("third.txt"));
    EXPECT_EQ(readBytes(fourth), QByteArray("44"));
    EXPECT_EQ(docs().slot(3).Modified, 0u);
    // The commands tell the truth: slot 1 is still unsaved.
    EXPECT_TRUE(saveAllEnabled());
    EXPECT_EQ(docs().CurrentSlot(), 2) << "the last document named stays in front";
    EXPECT_FALSE(saveEnabled());
    docs().activate(1);
    EXPECT_TRUE(saveEnabled());

    // Once nothing is left unsaved, Save All goes grey.
    answerFileDialog(QStringLiteral("second"));
    Fp->btSaveAll->click();
    EXPECT_FALSE(saveAllEnabled());
    EXPECT_FALSE(saveEnabled());
}

TEST_F(FileCommandsTest, SaveAllEndsAtARefusedName)
{
    typeInto(docs().currentEditor(), QStringLiteral("zero"));
    const QString later = writeFile(QStringLiteral("later.txt"), "later");
    openThroughDialog(later);
    typeInto(docs().currentEditor(), QStringLiteral("!"));

    answerFileDialog(tempPath(QStringLiteral("missing/zero.txt")));
    Fp->btSaveAll->click();
    EXPECT_EQ(readBytes(later), QByteArray("later")) << "Save All stopped before it";
    EXPECT_EQ(docs().slot(1).Modified, 1u);
    EXPECT_TRUE(saveAllEnabled());
}

TEST_F(FileCommandsTest, ClosingAModifiedUntitledDocumentAsksForAName)
{
    // Cancel keeps it open, with its text.
    typeInto(docs().currentEditor(), QStringLiteral("pas perdu"));
    cancelFileDialog();
    Fp->btClose->click();
    EXPECT_EQ(docs().OpenDocumentCount(), 1);
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("pas perdu"));
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(Fp->mnuClose->isEnabled());
    docs().setModified(0, false); // the user gives it up
    Fp->btClose->click();
    ASSERT_EQ(docs().OpenDocumentCount(), 0);

    // A name is saved to before the document closes.
    Fp->btNew->click();
    typeInto(docs().currentEditor(), QStringLiteral("garde"));
    answerFileDialog(QStringLiteral("garde.txt"));
    Fp->btClose->click();
    EXPECT_EQ(docs().OpenDocumentCount(), 0);
    EXPECT_EQ(readBytes(tempPath(QStringLiteral("garde.txt"))), QByteArray("garde"));

    // A refused name keeps the document open with its changes, and Close All
    // stops there.
    Fp->btNew->click();
    typeInto(docs().currentEditor(), QStringLiteral("un"));
    Fp->btNew->click();
    typeInto(docs().currentEditor(), QStringLiteral("deux"));
    answerFileDialog(tempPath(QStringLiteral("missing/un.txt")));
    Fp->mnuCloseAll->trigger();
    EXPECT_EQ(docs().OpenDocumentCount(), 2);
    EXPECT_EQ(docs().slot(0).Editor->text(), QStringLiteral("un"));
    EXPECT_EQ(docs().slot(0).Modified, 1u);
    EXPECT_TRUE(Fp->mnuCloseAll->isEnabled());
}

TEST_F(FileCommandsTest, AFailedWriteKeepsTheDocumentModifiedAndTheFileIntact)
{
    ErrorRecorder errors;
    const QString path = writeFile(QStringLiteral("protected.txt"), "original");
    openThroughDialog(path);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    typeInto(docs().currentEditor(), QStringLiteral(" edited"));

    Fp->btSave->click();
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("Cannot create file %1.").arg(path)});
    EXPECT_EQ(readBytes(path), QByteArray("original"));
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(saveEnabled());

    // Close stops at the failure: the document stays open.
    errors.clear();
    Fp->btClose->click();
    EXPECT_EQ(errors.messages().size(), 1);
    EXPECT_EQ(docs().OpenDocumentCount(), 2);
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("original edited"));

    // An untitled document named into a read-only folder stays untitled.
    const QString folder = tempPath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    Fp->btNew->click();
    typeInto(docs().currentEditor(), QStringLiteral("nouveau"));
    errors.clear();
    answerFileDialog(folder + QStringLiteral("/nouveau.txt"));
    Fp->btSave->click();
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("Cannot create file %1/nouveau.txt.").arg(folder)});
    EXPECT_TRUE(docs().current().Path.isEmpty());
    EXPECT_EQ(Fp->pageEdition->tabText(Fp->pageEdition->currentIndex()), QStringLiteral("Nouvelle page"));
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/nouveau.txt")));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
}

TEST_F(FileCommandsTest, ExitWaitsForEveryDocumentToBeSavedWhenAsked)
{
    const QString path = writeFile(QStringLiteral("a.txt"), "a");
    openThroughDialog(path);
    typeInto(docs().currentEditor(), QStringLiteral("b"));
    Fp->btNew->click(); // the modified document need not be the current one

    setAllFileSaved(true);
    Fp->mnuExit->trigger();
    EXPECT_EQ(m_terminated, 0);
    EXPECT_FALSE(Fp->isTerminating());
    EXPECT_EQ(Fp->pageEdition->count(), 3) << "nothing saved, nothing closed";
    EXPECT_EQ(readBytes(path), QByteArray("a"));

    docs().activate(1);
    Fp->btSave->click();
    Fp->mnuExit->trigger();
    EXPECT_EQ(m_terminated, 1);
}

TEST_F(FileCommandsTest, ExitWithoutTheCheckEndsAtOnce)
{
    typeInto(docs().currentEditor(), QStringLiteral("perdu"));
    setAllFileSaved(false);
    Fp->mnuExit->trigger();
    EXPECT_EQ(m_terminated, 1);
    EXPECT_TRUE(Fp->isTerminating());
}

TEST_F(FileCommandsTest, TheEndOfTheDesktopSessionLeavesUnsavedWorkToItsJournal)
{
    typeInto(docs().currentEditor(), QStringLiteral("pas encore fini"));
    setAllFileSaved(true);
    EXPECT_TRUE(Fp->sessionEnding()) << "the journal keeps the unsaved work: the session need not wait";
    QCloseEvent accepted;
    QApplication::sendEvent(Fp, &accepted);
    EXPECT_TRUE(accepted.isAccepted()) << "the window lets the session close it";
}

TEST_F(FileCommandsTest, ALongNameIsCutToOneHundredCharactersOnItsTab)
{
    // 101 characters: one too many. The extension keeps five with its dot.
    const QString name = QString(94, u'n') + QStringLiteral(".abcdef");
    ASSERT_EQ(name.size(), 101);
    const QString path = writeFile(name, "x");
    openThroughDialog(path);
    EXPECT_EQ(Fp->pageEdition->tabText(1), name.left(100));
    EXPECT_EQ(docs().current().Name, name.left(100));
    EXPECT_EQ(docs().current().Extension, QStringLiteral(".abcd"));
    EXPECT_EQ(docs().current().Path, path) << "the path is never cut";
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), path);
}

TEST_F(FileCommandsTest, CloseAllKeepsADocumentWhoseDialogWasCancelledAndGoesOn)
{
    typeInto(docs().currentEditor(), QStringLiteral("garde"));
    const QString named = writeFile(QStringLiteral("nommé.txt"), "x");
    openThroughDialog(named);
    typeInto(docs().currentEditor(), QStringLiteral("y"));
    Fp->btNew->click(); // untitled, not modified: closes without a question

    cancelFileDialog();
    Fp->mnuCloseAll->trigger();
    ASSERT_EQ(docs().OpenDocumentCount(), 1);
    EXPECT_TRUE(docs().slot(0).InUse);
    EXPECT_EQ(docs().slot(0).Editor->text(), QStringLiteral("garde"));
    EXPECT_EQ(readBytes(named), QByteArray("xy")) << "the others were saved and closed";
    EXPECT_TRUE(Fp->mnuClose->isEnabled());
    EXPECT_TRUE(Fp->mnuEdition->menuAction()->isEnabled());
}

TEST_F(FileCommandsTest, SaveAsWritesACopyElsewhereAndRenamesTheTab)
{
    EXPECT_EQ(Fp->mnuSaveAs->text(), QStringLiteral("Enregistrer sous..."));
    EXPECT_EQ(Fp->mnuSaveAs->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    const QList<QAction*> items = Fp->mnuFile->actions();
    EXPECT_EQ(items.indexOf(Fp->mnuSaveAs), items.indexOf(Fp->mnuSaveAll) + 1);

    const QString original = writeFile(QStringLiteral("original.txt"), "texte");
    openThroughDialog(original);
    typeInto(docs().currentEditor(), QStringLiteral(" change"));
    const QString copy = tempPath(QStringLiteral("copie.txt"));
    QString offered;
    answerModal<QFileDialog>([&](QFileDialog* dialog) {
        offered = fileDialogName(dialog);
        typeAndAccept(dialog, copy);
    });
    Fp->mnuSaveAs->trigger();
    EXPECT_EQ(offered, QStringLiteral("original.txt")) << "the dialog starts at the document's file";
    EXPECT_EQ(readBytes(copy), QByteArray("texte change"));
    EXPECT_EQ(readBytes(original), QByteArray("texte"));
    EXPECT_EQ(Fp->pageEdition->tabText(Fp->pageEdition->currentIndex()), QStringLiteral("copie.txt"));
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), copy);
    EXPECT_EQ(docs().current().Modified, 0u);

    // Save now writes the copy.
    typeInto(docs().currentEditor(), QStringLiteral("!"));
    Fp->btSave->click();
    EXPECT_EQ(readBytes(copy), QByteArray("texte change!"));
    EXPECT_EQ(readBytes(original), QByteArray("texte"));
}

TEST_F(FileCommandsTest, SavingOverAnExistingFileAsksFirst)
{
    const QString existing = writeFile(QStringLiteral("existe.txt"), "ancien");
    typeInto(docs().currentEditor(), QStringLiteral("nouveau"));
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        bool asked = false;
        answerModal<QFileDialog>([&, answer](QFileDialog* dialog) {
            answerModal<QMessageBox>([&, answer](QMessageBox* box) {
                asked = true;
                box->button(answer)->click();
            });
            typeAndAccept(dialog, existing); // returns once the question is answered
            if (dialog->isVisible())
                dialog->reject(); // "No": the dialog stays; the user gives up
        });
        Fp->btSave->click();
        EXPECT_TRUE(asked);
    }
    EXPECT_EQ(readBytes(existing), QByteArray("nouveau"));
    EXPECT_EQ(docs().current().Path, existing);
}

TEST_F(FileCommandsTest, TextsAreShownAsTheyAre)
{
    // The error box takes no markup.
    Qt::TextFormat format = Qt::AutoText;
    QString shown;
    const ErrorReporter previous = setErrorReporter({});
    answerModal<QMessageBox>([&](QMessageBox* box) {
        format = box->textFormat();
        shown = box->text();
        box->accept();
    });
    reportError(QStringLiteral("Cannot open file <b>x.txt"));
    setErrorReporter(previous);
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, QStringLiteral("Cannot open file <b>x.txt."));

    // "&" in a file name is no mnemonic.
    const QString path = writeFile(QStringLiteral("a&b.txt"), "");
    openThroughDialog(path);
    const int tab = Fp->pageEdition->currentIndex();
    EXPECT_EQ(Fp->pageEdition->tabText(tab), QStringLiteral("a&&b.txt"));
    EXPECT_EQ(docs().currentEditor()->accessibleName(), QStringLiteral("a&b.txt"));
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(Fp->pageEdition->findChild<QTabBar*>());
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(bar->child(tab), nullptr);
    EXPECT_EQ(bar->child(tab)->text(QAccessible::Name), QStringLiteral("a&b.txt"));
}
