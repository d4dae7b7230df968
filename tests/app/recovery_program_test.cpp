#include "codec/textcodec.h"
#include "editor/tredit.h"
#include "recovery/journalformat.h"
#include "recovery/journalreplay.h"
#include "settings/profilefile.h"
#include "support/childprogram.h"
#include "support/filebytes.h"
#include "support/programfixture.h"
#include "widgets/pagecontrol.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QTabWidget>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

int modeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// The real program in a child process, killed and started again, its
// documents then read back by the forms of this test's process, which use
// the same folders.
class RecoveryProgramTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        stop(); // the child is the program now
        if (!m_x.isRunning())
            GTEST_SKIP() << "no Xvfb or no xdotool";
    }

    std::unique_ptr<ScrivoProcess> child()
    {
        return std::make_unique<ScrivoProcess>(m_x, m_dir.path());
    }
    QString root() const { return m_dir.path() + QStringLiteral("/state/scrivo"); }
    QStringList journalFiles() const { return journalFilesUnder(root()); }
    // Waits until some journal stands for text.
    bool waitForJournalOf(const QString& text)
    {
        for (QDeadlineTimer deadline(30000); !deadline.hasExpired(); QThread::msleep(50))
            for (const QString& file : journalFiles())
                if (const auto content = readJournal(readBytes(file))) {
                    const auto decode = [](QByteArrayView bytes, const QString&) {
                        return std::optional(decodeTextFile(bytes).text);
                    };
                    if (replayJournal(*content, decode).text == text)
                        return true;
                }
        return false;
    }
    // Starts the program, types into its current document, waits until a
    // journal holds expected, and kills it.
    void typeAndKill(const QStringList& arguments, const QString& typed, const QString& expected)
    {
        auto scrivo = child();
        ASSERT_TRUE(scrivo->start(arguments));
        scrivo->typeIntoEditor(typed);
        ASSERT_TRUE(waitForJournalOf(expected));
        scrivo->sendSignal(SIGKILL);
        ASSERT_TRUE(scrivo->waitForEnd());
    }
    const TREdit* editorOf(int slot) { return docs().slot(slot).Editor; }
    QString caption(int slot) { return Fp->pageEdition->tabText(Fp->pageEdition->indexOf(docs().slot(slot).TabSheet)); }

    PrivateXServer m_x;
};

} // namespace

TEST_F(RecoveryProgramTest, TypingComesBackAfterAKillWithPathsCaptionsAndModifiedMarks)
{
    const QString notes = writeFile(QStringLiteral("notes.txt"), "alpha\r\n");
    ASSERT_NO_FATAL_FAILURE(typeAndKill({notes}, QStringLiteral("typed"), QStringLiteral("alpha\ntyped")));
    // The next run takes the journal over and adds an untitled page.
    ASSERT_NO_FATAL_FAILURE(typeAndKill({}, QStringLiteral("second run"), QStringLiteral("second run")));
    ErrorRecorder errors;
    start();
    EXPECT_TRUE(errors.messages().isEmpty()) << errors.messages().join(u'\n').toStdString();
    ASSERT_EQ(docs().OpenDocumentCount(), 3);
    EXPECT_EQ(docs().CurrentSlot(), 0) << "the start-up page stays current";
    EXPECT_EQ(editorOf(0)->text(), QString());
    EXPECT_EQ(docs().slot(0).Modified, 0u);
    EXPECT_EQ(docs().slot(1).Path, notes);
    EXPECT_EQ(caption(1), QStringLiteral("notes.txt"));
    EXPECT_EQ(editorOf(1)->text(), QStringLiteral("alpha\ntyped"));
    EXPECT_EQ(docs().slot(1).Modified, 1u);
    EXPECT_EQ(docs().slot(1).Format.lineBreak, LineBreak::CRLF);
    EXPECT_TRUE(docs().slot(2).Path.isEmpty());
    EXPECT_EQ(caption(2), QStringLiteral("Nouvelle page"));
    EXPECT_EQ(editorOf(2)->text(), QStringLiteral("second run"));
    EXPECT_EQ(docs().slot(2).Modified, 1u);
    // Nothing was written to the file itself.
    EXPECT_EQ(readBytes(notes), QByteArray("alpha\r\n"));
}

TEST_F(RecoveryProgramTest, TerminationKeepsTheJournalsAndWritesBothSettingsSections)
{
    auto scrivo = child();
    ASSERT_TRUE(scrivo->start());
    scrivo->typeIntoEditor(QStringLiteral("kept"));
    ASSERT_TRUE(waitForJournalOf(QStringLiteral("kept")));
    scrivo->sendSignal(SIGTERM);
    ASSERT_TRUE(scrivo->waitForEnd());
    EXPECT_EQ(scrivo->exitCode(), 0) << scrivo->errorOutput().toStdString();
    const ProfileFile settings(scrivo->settingsFile());
    EXPECT_TRUE(settings.value(QStringLiteral("TFp"), QStringLiteral("NormPos")));
    EXPECT_TRUE(settings.value(QStringLiteral("TOption"), QStringLiteral("chkboxOptionStatusBar_Checked")));

    start();
    ASSERT_EQ(docs().OpenDocumentCount(), 2);
    EXPECT_EQ(editorOf(1)->text(), QStringLiteral("kept"));
    EXPECT_EQ(docs().slot(1).Modified, 1u);
}

TEST_F(RecoveryProgramTest, AFileChangedSinceComesBackFromTheJournalsCopy)
{
    const QString notes = writeFile(QStringLiteral("notes.txt"), "first\n");
    ASSERT_NO_FATAL_FAILURE(typeAndKill({notes}, QStringLiteral("line"), QStringLiteral("first\nline")));
    writeFile(QStringLiteral("notes.txt"), "another program's text\n");

    start();
    ASSERT_EQ(docs().OpenDocumentCount(), 2);
    EXPECT_EQ(editorOf(1)->text(), QStringLiteral("first\nline"));
    EXPECT_EQ(docs().slot(1).Path, notes);
    EXPECT_EQ(docs().slot(1).Modified, 1u) << "not written over the other program's text unasked";
    EXPECT_EQ(readBytes(notes), QByteArray("another program's text\n"));
}

TEST_F(RecoveryProgramTest, ACorruptJournalIsSetAsideAndReportedOnce)
{
    // A journal left by an ended program, damaged beyond reading.
    const QString ended = root() + QStringLiteral("/session-1000-999999");
    QDir().mkpath(ended);
    QFile(ended + QStringLiteral("/lock")).open(QIODevice::WriteOnly);
    QFile damaged(ended + QStringLiteral("/doc-1.journal"));
    damaged.open(QIODevice::WriteOnly);
    damaged.write("SCRIVO-JOURNAL-1\n\x01garbage");
    damaged.close();

    auto scrivo = child();
    ASSERT_TRUE(scrivo->launch());
    ASSERT_TRUE(scrivo->waitForErrorBox());
    scrivo->key(QStringLiteral("Return"));
    ASSERT_TRUE(scrivo->waitForMainWindow());
    const QStringList aside = QDir(root() + QStringLiteral("/set-aside")).entryList(QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readBytes(root() + QStringLiteral("/set-aside/") + aside[0]), QByteArray("SCRIVO-JOURNAL-1\n\x01garbage"));
    scrivo->sendSignal(SIGTERM);
    ASSERT_TRUE(scrivo->waitForEnd());

    // Once: the next start has nothing to tell.
    ErrorRecorder errors;
    start();
    EXPECT_TRUE(errors.messages().isEmpty());
    EXPECT_EQ(docs().OpenDocumentCount(), 1);
}

TEST_F(RecoveryProgramTest, TwoProgramsNeverTakeEachOthersJournals)
{
    auto first = child();
    ASSERT_TRUE(first->start());
    first->typeIntoEditor(QStringLiteral("mine"));
    ASSERT_TRUE(waitForJournalOf(QStringLiteral("mine")));
    const QStringList before = journalFiles();

    auto second = child();
    ASSERT_TRUE(second->start());
    EXPECT_EQ(journalFiles(), before) << "the second program took nothing";
    second->sendSignal(SIGKILL);
    ASSERT_TRUE(second->waitForEnd());

    first->sendSignal(SIGKILL);
    ASSERT_TRUE(first->waitForEnd());
    start();
    ASSERT_EQ(docs().OpenDocumentCount(), 2);
    EXPECT_EQ(editorOf(1)->text(), QStringLiteral("mine"));
}

TEST_F(RecoveryProgramTest, ACleanExitLeavesNoJournalAndTheFolderIsPrivate)
{
    // Exit does not wait for unsaved documents: Ctrl+Q gives them up.
    QDir().mkpath(configHome());
    writeFile(QStringLiteral("config/scrivo.INI"), "[TOption]\nchkboxOptionAllFileSaved_Checked=False\n");
    auto scrivo = child();
    ASSERT_TRUE(scrivo->start());
    scrivo->typeIntoEditor(QStringLiteral("given up"));
    ASSERT_TRUE(waitForJournalOf(QStringLiteral("given up")));
    const QString journal = journalFiles().value(0);
    EXPECT_EQ(modeOf(root()), 0700);
    EXPECT_EQ(modeOf(QFileInfo(journal).absolutePath()), 0700);
    EXPECT_EQ(modeOf(journal), 0600);
    EXPECT_EQ(modeOf(QFileInfo(journal).absolutePath() + QStringLiteral("/lock")), 0600);

    scrivo->key(QStringLiteral("ctrl+q"));
    ASSERT_TRUE(scrivo->waitForEnd());
    EXPECT_EQ(scrivo->exitCode(), 0);
    EXPECT_TRUE(journalFiles().isEmpty());
    EXPECT_TRUE(QDir(root()).entryList({QStringLiteral("session-*")}, QDir::Dirs).isEmpty());
}
