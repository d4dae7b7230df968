#include "support/filebytes.h"
#include "support/nativefiles.h"
#include "support/programfixture.h"

#include "documents/filecommands.h"
#include "editor/tredit.h"
#include "options/toption.h"
#include "platform/nativenames.h"
#include "widgets/checkbox.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstdio>
#include <memory>
#include <sys/stat.h>

// Documents follow their files when another program changes them.
namespace {

class DiskFollowTest : public ProgramTest {
protected:
    // Opens a file with the given text as the program's start-up document.
    QString startWith(const QString& name, const QByteArray& bytes)
    {
        const QString path = writeFile(name, bytes);
        start({path});
        return path;
    }

    TREdit* editor() { return docs().currentEditor(); }

    void typeAtEnd(const QString& text)
    {
        editor()->setFocus();
        editor()->setSelStart(editor()->textLength());
        QTest::keyClicks(editor(), text);
    }

    // As editors and version control save: a new file takes the name.
    void replaceByRename(const QString& path, const QByteArray& bytes)
    {
        const QString fresh = writeFile(QStringLiteral("fresh.tmp"), bytes);
        ASSERT_EQ(std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()), 0);
    }

    bool waitForText(const QString& text)
    {
        return QTest::qWaitFor([&] { return editor()->text() == text; }, 10000);
    }
};

struct stat statOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}

}

TEST_F(DiskFollowTest, AnUnmodifiedDocumentTakesItsFilesNewTextAndKeepsItsPlace)
{
    const QString path = startWith(QStringLiteral("suivi.txt"), "un\ndeux\ntrois\n");
    editor()->setSelStart(5); // line 1, column 2
    QSignalSpy reloaded(&docs(), &DocumentTable::documentReloaded);

    writeFile(QStringLiteral("suivi.txt"), "UN\nDEUX\nTROIS\nquatre\n");
    ASSERT_TRUE(waitForText(QStringLiteral("UN\nDEUX\nTROIS\nquatre\n")));
    EXPECT_EQ(editor()->currentLine(), 1);
    EXPECT_EQ(editor()->currentColumn(), 2);
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_FALSE(Fp->btSave->isEnabled());
    EXPECT_FALSE(docs().LoadingDocument);
    EXPECT_EQ(reloaded.size(), 1);

    // A file replaced by a rename is followed still, and again after that.
    replaceByRename(path, "cinq\n");
    ASSERT_TRUE(waitForText(QStringLiteral("cinq\n")));
    EXPECT_EQ(editor()->currentLine(), 1) << "kept as far as the text goes";
    replaceByRename(path, "six\n");
    ASSERT_TRUE(waitForText(QStringLiteral("six\n")));
    EXPECT_EQ(docs().current().Modified, 0u);
}

TEST_F(DiskFollowTest, AChangeUnderAModifiedDocumentIsToldOnceThenOverwritten)
{
    const QString path = startWith(QStringLiteral("conflit.txt"), "base\n");
    typeAtEnd(QStringLiteral("mine"));
    writeFile(QStringLiteral("conflit.txt"), "theirs\n");

    ErrorRecorder errors;
    Fp->btSave->click();
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("%1 was changed by another program.").arg(path)});
    EXPECT_EQ(readBytes(path), QByteArray("theirs\n")) << "nothing written";
    EXPECT_EQ(editor()->text(), QStringLiteral("base\nmine")) << "nothing typed is lost";
    EXPECT_EQ(docs().current().Modified, 1u);
    EXPECT_TRUE(Fp->btSave->isEnabled());

    // The user has been told: the next Save writes.
    errors.clear();
    Fp->btSave->click();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(readBytes(path), QByteArray("base\nmine"));
    EXPECT_EQ(docs().current().Modified, 0u);

    // From then on the document's own writes are no change by another program.
    typeAtEnd(QStringLiteral("!"));
    Fp->btSave->click();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(readBytes(path), QByteArray("base\nmine!"));
}

TEST_F(DiskFollowTest, AFileTouchedOrRewrittenAlikeIsNoChange)
{
    const QString path = startWith(QStringLiteral("pareil.txt"), "same\n");
    typeAtEnd(QStringLiteral("+"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    }
    replaceByRename(path, "same\n");
    ErrorRecorder errors;
    Fp->btSave->click();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(readBytes(path), QByteArray("same\n+"));
}

TEST_F(DiskFollowTest, ADeletedFileMarksItsDocumentModified)
{
    const QString path = startWith(QStringLiteral("parti.txt"), "encore là\n");
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QTest::qWaitFor([&] { return docs().current().Modified == 1; }, 10000));
    EXPECT_TRUE(Fp->btSave->isEnabled());
    EXPECT_TRUE(Fp->btSaveAll->isEnabled());
    EXPECT_EQ(editor()->text(), QStringLiteral("encore là\n"));

    Option->chkboxOptionAllFileSaved->setCheckedSilently(true);
    Fp->mnuExit->trigger();
    EXPECT_EQ(m_terminated, 0) << "the exit check protects the text";

    Fp->btSaveAll->click();
    EXPECT_EQ(readBytes(path), QByteArray("encore l\xc3\xa0\n"));
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_FALSE(Fp->btSaveAll->isEnabled());
}

TEST_F(DiskFollowTest, AFileWhoseNamesAreNotUtf8IsFollowedThroughARenameAndADeletion)
{
    const QByteArray folder = QFile::encodeName(m_dir.path()) + "/dir\xE9";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const auto removed = qScopeGuard([&] {
        stop();
        removeNativeTree(folder);
    });
    const QByteArray odd = folder + "/c\xFF.txt";
    ASSERT_TRUE(writeNative(odd, "one\n"));
    ASSERT_TRUE(writeNative(folder + "/c\xEF\xBF\xBD.txt", "not this one\n"));
    start({NativeNames::fromNative(odd)});
    ASSERT_EQ(editor()->text(), QStringLiteral("one\n"));

    ASSERT_TRUE(writeNative(folder + "/fresh.tmp", "two\n"));
    ASSERT_EQ(std::rename((folder + "/fresh.tmp").constData(), odd.constData()), 0);
    ASSERT_TRUE(waitForText(QStringLiteral("two\n")));
    // The new file is watched in its turn.
    ASSERT_TRUE(writeNative(odd, "three\n"));
    ASSERT_TRUE(waitForText(QStringLiteral("three\n")));
    EXPECT_EQ(docs().current().Modified, 0u);

    ASSERT_EQ(::unlink(odd.constData()), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return docs().current().Modified == 1; }, 10000));
    Fp->btSave->click();
    EXPECT_EQ(readNative(odd), "three\n");
    EXPECT_EQ(readNative(folder + "/c\xEF\xBF\xBD.txt"), "not this one\n");
}

TEST_F(DiskFollowTest, SaveAllLeavesUnmodifiedDocumentsFilesUntouched)
{
    const QString kept = startWith(QStringLiteral("garde.txt"), "kept\n");
    const QString edited = writeFile(QStringLiteral("edite.txt"), "edited\n");
    Fp->files().openInNewDocument(edited);
    typeAtEnd(QStringLiteral("!"));
    Fp->btNew->click(); // untitled and empty: nothing to save, no dialog
    const struct stat before = statOf(kept);

    // Any save dialog is a failure, and is closed so the test goes on.
    auto asked = std::make_shared<bool>(false);
    QTimer::singleShot(3000, Fp, [asked] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            *asked = true;
            dialog->reject();
        }
    });
    Fp->btSaveAll->click();
    EXPECT_FALSE(*asked);
    const struct stat after = statOf(kept);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(readBytes(edited), QByteArray("edited\n!"));
    EXPECT_EQ(docs().OpenDocumentCount(), 3);
}
