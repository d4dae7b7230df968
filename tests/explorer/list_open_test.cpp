#include "support/modal.h"
#include "support/nativefiles.h"
#include "support/programfixture.h"

#include "editor/tredit.h"
#include "explorer/list_fixture.h"
#include "explorer/listview.h"
#include "explorer/pidlmanager.h"
#include "explorer/threadfilenotifier.h"
#include "options/toption.h"
#include "platform/nativenames.h"
#include "tabcontrol/extpagecontroltag.h"
#include "widgets/checkbox.h"
#include "widgets/label3d.h"
#include "widgets/pagecontrol.h"

#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <thread>

namespace {

// The program with its file list on the test's folder.
class ListOpenTest : public ProgramTest {
protected:
    // Before the program starts, after it ends: the column widths it
    // writes stay with the test.
    SettingsFolder settings;

    void SetUp() override
    {
        ProgramTest::SetUp();
        readme = writeFile("readme.txt", "Read me\r\nplease");
        writeFile("LICENSE", "no extension");
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("sub"));
        ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.txt"));
        showFolder();
    }

    void showFolder()
    {
        Fp->extpageExplorateur->setActivePage(Fp->tabsheetFpExplorateurFiles);
        list()->setDirectory(m_dir.path());
        ASSERT_EQ(list()->Directory(), m_dir.path());
        QApplication::processEvents();
    }

    TSxExplorerListView* list() const { return Fp->listviewFp; }

    // Double-clicks the row of a name, as a user does, and lets the list's
    // own work run.
    void open(const QString& name)
    {
        int row = -1;
        for (int r = 0; r < list()->model()->rowCount(); ++r) {
            if (list()->model()->data(list()->model()->index(r, 0)).toString() == name)
                row = r;
        }
        ASSERT_GE(row, 0) << name.toStdString();
        list()->selectRow(row);
        const QPoint at = list()->visualRect(list()->model()->index(row, 0)).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list()->viewport(), Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }

    QString tabText() const { return Fp->pageEdition->tabText(Fp->pageEdition->currentIndex()); }
    int tabs() const { return Fp->pageEdition->count(); }

    QString readme;
};


}

TEST_F(ListOpenTest, TheListFillsItsPageAndStartsAtTheRoot)
{
    start();
    ASSERT_NE(list(), nullptr);
    EXPECT_EQ(list()->objectName(), QStringLiteral("listviewFp"));
    EXPECT_EQ(list()->parentWidget(), Fp->tabsheetFpExplorateurFiles);
    EXPECT_EQ(list()->Directory(), QStringLiteral("/"));
    EXPECT_GT(list()->model()->rowCount(), 0);
    Fp->extpageExplorateur->setActivePage(Fp->tabsheetFpExplorateurFiles);
    QApplication::processEvents();
    EXPECT_EQ(list()->geometry(), Fp->tabsheetFpExplorateurFiles->rect());
}

TEST_F(ListOpenTest, DoubleClickingAFileOpensItInANewTab)
{
    ASSERT_EQ(tabs(), 1);
    open("readme.txt");
    ASSERT_EQ(tabs(), 2);
    EXPECT_EQ(tabText(), QStringLiteral("readme.txt"));
    EXPECT_EQ(docs().current().Path, readme);
    EXPECT_EQ(docs().current().Extension, QStringLiteral(".txt"));
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), readme);
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("Read me\nplease"));
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_FALSE(docs().LoadingDocument);
    EXPECT_FALSE(Fp->mnuSave->isEnabled());
    // The list stays where it was.
    EXPECT_EQ(list()->Directory(), m_dir.path());
}

TEST_F(ListOpenTest, AnOpenCopyIsShownUnlessTheOptionAllowsASecond)
{
    open("readme.txt");
    ASSERT_EQ(tabs(), 2);
    Fp->pageEdition->setCurrentIndex(0);
    Fp->pageEditionChange();
    Option->chkboxOptionSeveralTimes->setChecked(false);
    open("readme.txt");
    EXPECT_EQ(tabs(), 2);
    EXPECT_EQ(Fp->pageEdition->currentIndex(), 1);
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), readme);

    Option->chkboxOptionSeveralTimes->setChecked(true);
    open("readme.txt");
    EXPECT_EQ(tabs(), 3);
    EXPECT_EQ(tabText(), QStringLiteral("readme.txt"));
}

TEST_F(ListOpenTest, FoldersAndNamesWithoutExtensionOpenNothing)
{
    open("LICENSE");
    EXPECT_EQ(tabs(), 1);
    EXPECT_EQ(list()->Directory(), m_dir.path());

    // A folder: no document, and the list shows the folder.
    open("sub");
    EXPECT_EQ(tabs(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return list()->Directory() == tempPath("sub"); }, 10000));

    // Nothing selected: nothing at all.
    showFolder();
    list()->selectRow(-1);
    QTest::keyClick(list(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(tabs(), 1);
    EXPECT_EQ(list()->Directory(), m_dir.path());
}

TEST_F(ListOpenTest, AFolderNamedLikeAFileIsEnteredAndOpensNothing)
{
    // Folders such as python3.11 or conf.d: no error, no extra tab.
    ErrorRecorder errors;
    open("folder.txt");
    EXPECT_TRUE(QTest::qWaitFor([&] { return list()->Directory() == tempPath("folder.txt"); }, 10000));
    EXPECT_TRUE(errors.messages().isEmpty()) << errors.messages().join(u' ').toStdString();
    EXPECT_EQ(tabs(), 1);
    EXPECT_FALSE(docs().LoadingDocument);
}

TEST_F(ListOpenTest, TheNextOpenDialogStartsWithTheFile)
{
    open("readme.txt");
    QString shown;
    answerModal<QFileDialog>([&](QFileDialog* dialog) {
        shown = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    Fp->btOpenClick();
    EXPECT_EQ(shown, readme);
}

TEST_F(ListOpenTest, ANameWithQuotesOpensThatVeryFile)
{
    const QString odd = writeFile("say \"hi\".txt", "quoted");
    writeFile("hi", "not this one");
    list()->RefreshView();
    open("say \"hi\".txt");
    ASSERT_EQ(tabs(), 2);
    EXPECT_EQ(docs().current().Path, odd);
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("quoted"));
}

TEST_F(ListOpenTest, ColumnWidthsSurviveARestartAndNoIdentifierIsLeft)
{
    start();
    showFolder();
    list()->header()->resizeSection(0, 260);
    list()->header()->resizeSection(4, 44);
    open("readme.txt");
    open("sub");
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->Directory() == tempPath("sub"); }, 10000));
    stop();
    EXPECT_EQ(TSxPidlManager::instance().count(), 0);

    start();
    EXPECT_EQ(list()->header()->sectionSize(0), 260);
    EXPECT_EQ(list()->header()->sectionSize(4), 44);
    EXPECT_EQ(list()->header()->sectionSize(1), 50);
    stop();
    EXPECT_EQ(TSxPidlManager::instance().count(), 0);
}

TEST_F(ListOpenTest, NamesThatAreNotUtf8OpenSaveAndFollowTheirOwnFiles)
{
    const QByteArray folder = QFile::encodeName(m_dir.path()) + "/dir\xE9";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const auto removed = qScopeGuard([&] {
        stop();
        removeNativeTree(folder);
    });
    const QByteArray odd = folder + "/c\xFF.txt";                 // FF is no UTF-8
    const QByteArray replacement = folder + "/c\xEF\xBF\xBD.txt"; // U+FFFD spelled out
    ASSERT_TRUE(writeNative(odd, "octet FF\n"));
    ASSERT_TRUE(writeNative(replacement, "U+FFFD\n"));
    ASSERT_TRUE(writeNative(folder + "/inv\xFF\xFEname.txt", "FF FE\n"));
    ErrorRecorder errors;
    showFolder();
    open(QStringLiteral("dir\\xE9"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->model()->rowCount() == 3; }, 10000));
    EXPECT_EQ(NativeNames::toNative(list()->Directory()), folder);

    open(QStringLiteral("c\\xFF.txt"));
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("octet FF\n"));
    EXPECT_EQ(tabText(), QStringLiteral("c\\xFF.txt"));
    const int first = Fp->pageEdition->currentIndex();
    open(QString::fromUtf8("c\xEF\xBF\xBD.txt"));
    EXPECT_NE(Fp->pageEdition->currentIndex(), first) << "taken for the same file";
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("U+FFFD\n"));
    open(QStringLiteral("inv\\xFF\\xFEname.txt"));
    EXPECT_EQ(docs().currentEditor()->text(), QStringLiteral("FF FE\n"));
    const int pages = tabs();
    Option->chkboxOptionSeveralTimes->setChecked(false);
    open(QStringLiteral("c\\xFF.txt")); // already open: shown again, not read again
    EXPECT_EQ(tabs(), pages);
    EXPECT_EQ(Fp->pageEdition->currentIndex(), first);
    EXPECT_EQ(Fp->lbFpInfoFichier->text(), NativeNames::display(odd));
    EXPECT_TRUE(errors.messages().isEmpty()) << errors.messages().join(u' ').toStdString();

    // Saved into its own file, and only there.
    TREdit* editor = docs().currentEditor();
    editor->setFocus();
    editor->setSelStart(editor->textLength());
    QTest::keyClicks(editor, QStringLiteral("saved"));
    Fp->btSave->click();
    EXPECT_EQ(readNative(odd), "octet FF\nsaved");
    EXPECT_EQ(readNative(replacement), "U+FFFD\n");
    EXPECT_EQ(docs().current().Modified, 0u);

    // Another program's change reaches that file's document.
    std::thread([&] { EXPECT_TRUE(writeNative(odd, "rewritten\n")); }).join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return editor->text() == QStringLiteral("rewritten\n"); }, 10000));
}
