#include "support/filebytes.h"
#include "support/programfixture.h"

#include "documents/filecommands.h"
#include "documents/textfilereader.h"
#include "editor/tredit.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <atomic>

// A document whose file another program changed is read again in the
// background, and a change under a modified document is known by its hash
// before the user saves.
namespace {

// More than the reader's first block, so that the rest comes in the
// background; every line tells its number and the version of the file,
// and each version has its own size.
QByteArray largeText(char version)
{
    QByteArray bytes;
    int extraLines = 100 * (version - 'a');
    for (int i = 0; bytes.size() < 3 * TextFileReader::FirstBlock || extraLines-- > 0; ++i)
        bytes += "line " + QByteArray::number(i) + " version " + version + (i % 2 ? " caf\xC3\xA9\r\n" : "\n");
    return bytes;
}

QString textOf(const QByteArray& bytes)
{
    return QString::fromUtf8(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

class DiskReloadTest : public ProgramTest {
protected:
    TREdit* editor() { return docs().currentEditor(); }
    int slot() { return docs().CurrentSlot(); }

    QString openWith(const QByteArray& bytes)
    {
        m_path = writeFile(QStringLiteral("suivi.txt"), bytes);
        start({m_path});
        EXPECT_TRUE(QTest::qWaitFor([&] { return !editor()->isLoading(); }, 20'000));
        return m_path;
    }

    // Another program writes the file; the watcher's report is not waited
    // for: the document follows at once.
    void changeFile(const QByteArray& bytes)
    {
        ASSERT_TRUE(writeBytes(m_path, bytes));
        Fp->files().followFileOnDisk(slot());
    }

    bool waitForText(const QString& text)
    {
        return QTest::qWaitFor([&] { return !editor()->isLoading() && editor()->text() == text; }, 20'000);
    }

    QString m_path;
};

} // namespace

TEST_F(DiskReloadTest, ALargeFileIsReadAgainInTheBackgroundKeepingTheCaretAndTheView)
{
    openWith(largeText('a'));
    const int far = editor()->lineCount() - 20; // well past the first block
    editor()->setTopLine(far - 5);
    editor()->setSelStart(int(editor()->store().lineStart(far)) + 3);
    const int top = editor()->firstVisibleLine();
    QSignalSpy reloaded(&docs(), &DocumentTable::documentReloaded);

    const QByteArray next = largeText('k');
    changeFile(next);
    EXPECT_TRUE(editor()->isLoading()) << "the window does not wait for the whole file";
    EXPECT_TRUE(editor()->text().startsWith(QStringLiteral("line 0 version k\n")));
    ASSERT_TRUE(waitForText(textOf(next)));
    EXPECT_EQ(editor()->currentLine(), far);
    EXPECT_EQ(editor()->currentColumn(), 3);
    EXPECT_EQ(editor()->firstVisibleLine(), top);
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_EQ(docs().current().Disk.hash, FileIdentity::hashOf(next));
    EXPECT_FALSE(docs().LoadingDocument);
    EXPECT_EQ(reloaded.size(), 1);
}

TEST_F(DiskReloadTest, TypingDuringTheReloadWaitsForTheNewTextAndGoesIntoIt)
{
    openWith(largeText('a'));
    const QByteArray next = largeText('b');
    changeFile(next);
    ASSERT_TRUE(editor()->isLoading());
    editor()->setFocus();
    QTest::keyClicks(editor(), QStringLiteral("Z"));
    EXPECT_FALSE(editor()->isLoading());
    EXPECT_EQ(editor()->text(), QStringLiteral("Z") + textOf(next)) << "nothing typed lost, no old text mixed in";
    EXPECT_EQ(docs().current().Modified, 1u);

    // The document knows the file it read: its save is no overwrite of
    // another program's change.
    ErrorRecorder errors;
    Fp->btSave->click();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(readBytes(m_path), "Z" + next);
}

TEST_F(DiskReloadTest, SaveDuringTheReloadWaitsAndWritesTheWholeText)
{
    openWith(largeText('a'));
    const QByteArray next = largeText('b');
    changeFile(next);
    ASSERT_TRUE(editor()->isLoading());
    ErrorRecorder errors;
    Fp->files().Save();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_FALSE(editor()->isLoading());
    EXPECT_EQ(readBytes(m_path), next);
}

TEST_F(DiskReloadTest, AFileChangedAgainDuringTheReloadEndsAsItsNewestContent)
{
    openWith(largeText('a'));
    changeFile(largeText('b'));
    ASSERT_TRUE(editor()->isLoading());
    const QByteArray newest = largeText('c');
    changeFile(newest); // while b is still read
    ASSERT_TRUE(waitForText(textOf(newest)));
    EXPECT_EQ(docs().current().Disk.hash, FileIdentity::hashOf(newest));
    EXPECT_EQ(docs().current().Modified, 0u);
}

TEST_F(DiskReloadTest, AFileChangedWhileItIsOpenedIsReadAgainOnceItIsIn)
{
    m_path = writeFile(QStringLiteral("suivi.txt"), largeText('a'));
    start();
    ASSERT_GE(Fp->files().openInNewDocument(m_path), 0);
    ASSERT_TRUE(editor()->isLoading());
    const QByteArray newer = largeText('d');
    ASSERT_TRUE(writeBytes(m_path, newer));
    Fp->files().followFileOnDisk(slot()); // as the watcher would, while the read runs
    ASSERT_TRUE(waitForText(textOf(newer)));
    EXPECT_EQ(docs().current().Disk.hash, FileIdentity::hashOf(newer));
    EXPECT_EQ(docs().current().Modified, 0u);
}

TEST_F(DiskReloadTest, ClosingTheDocumentOrTheProgramDuringTheReloadStopsIt)
{
    openWith(largeText('a'));
    changeFile(largeText('b'));
    ASSERT_TRUE(editor()->isLoading());
    docs().removeDocument(slot());
    QTest::qWait(50);
    EXPECT_EQ(docs().OpenDocumentCount(), 0);

    Fp->files().openInNewDocument(m_path);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !editor()->isLoading(); }, 20'000));
    changeFile(largeText('c'));
    ASSERT_TRUE(editor()->isLoading());
    stop(); // the forms go with the worker still reading
}

TEST_F(DiskReloadTest, AReloadThatBreaksOffShowsTheTextFromBeforeAgain)
{
    openWith("old text\nsecond line\n");
    editor()->setSelStart(int(editor()->store().lineStart(1)) + 2);
    const FileIdentity before = docs().current().Disk;
    // Memory runs out while reading: the file's mark said UTF-16, and it
    // turns out not to fit it far past the first screen, so it is read
    // again, for which no memory is left.
    static std::atomic<int> probes{0};
    probes = 0;
    TextFileReader::setMemoryProbe([] { return probes++ == 0 ? qint64(1) << 40 : qint64(0); });
    const auto restore = qScopeGuard([] { TextFileReader::setMemoryProbe(nullptr); });
    QStringEncoder encoder(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    changeFile(QByteArray(encoder.encode(textOf(largeText('b')))) + QByteArray("\x3D\xD8", 2));
    ASSERT_TRUE(editor()->isLoading());
    ASSERT_TRUE(waitForText(QStringLiteral("old text\nsecond line\n")));
    EXPECT_EQ(docs().current().Modified, 0u);
    EXPECT_EQ(docs().current().Disk, before) << "the file is still to be read";
    EXPECT_EQ(docs().current().Format.encoding, TextEncoding::Utf8);
    EXPECT_EQ(editor()->currentLine(), 1);
    EXPECT_EQ(editor()->currentColumn(), 2);
}

TEST_F(DiskReloadTest, AFileRewrittenWithTheSameSizeIsReadAgainAndATouchKeepsTheUndoSteps)
{
    openWith("first version\n");
    editor()->setFocus();
    editor()->setSelStart(editor()->textLength());
    QTest::keyClicks(editor(), QStringLiteral("!"));
    Fp->btSave->click();
    ASSERT_EQ(docs().current().Modified, 0u);
    ASSERT_TRUE(editor()->isUndoAvailable());

    // Touched: the same bytes, no reload, the undo steps stay.
    {
        QFile file(m_path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    }
    Fp->files().followFileOnDisk(slot());
    ASSERT_TRUE(QTest::qWaitFor([&] { return docs().current().Disk.sameMetadata(FileIdentity::of(m_path)); }, 10'000));
    EXPECT_TRUE(editor()->isUndoAvailable());
    EXPECT_EQ(editor()->text(), QStringLiteral("first version\n!"));

    // Other bytes of the same size: read again.
    changeFile("FIRST VERSION\n!");
    ASSERT_TRUE(waitForText(QStringLiteral("FIRST VERSION\n!")));
    EXPECT_EQ(docs().current().Modified, 0u);
}

TEST_F(DiskReloadTest, AChangeOfTheSameSizeUnderAModifiedDocumentIsToldOnceAtItsSave)
{
    openWith("base\n");
    editor()->setFocus();
    editor()->setSelStart(editor()->textLength());
    QTest::keyClicks(editor(), QStringLiteral("mine"));
    changeFile("BASE\n"); // hashed in the background from now on

    ErrorRecorder errors;
    Fp->btSave->click();
    EXPECT_EQ(errors.messages(), QStringList{QStringLiteral("%1 was changed by another program.").arg(m_path)});
    EXPECT_EQ(readBytes(m_path), QByteArray("BASE\n"));
    EXPECT_EQ(editor()->text(), QStringLiteral("base\nmine"));
    errors.clear();
    Fp->btSave->click();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(readBytes(m_path), QByteArray("base\nmine"));
}
