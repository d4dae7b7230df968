#include "documents/documentjournaling.h"
#include "documents/filecommands.h"
#include "editor/tredit.h"
#include "recovery/recoveryjournal.h"

#include "support/filebytes.h"
#include "support/testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

// The documents of one run of the program, without its window.
struct ProgramRun {
    explicit ProgramRun(const QString& root) : journaling(table, root) {}
    QTabWidget pages;
    DocumentTable table{&pages, {}};
    FileCommands files{table};
    DocumentJournaling journaling;
};

class DocumentJournalingTest : public ::testing::Test {
protected:
    QString root() const { return m_dir.path() + QStringLiteral("/state/scrivo"); }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.path() + u'/' + name;
        writeBytes(path, bytes);
        return path;
    }
    QStringList journals() const { return journalFilesUnder(root()); }
    // A file too long for its journal to copy: the edits rely on it.
    QString writeLongFile(const QString& name)
    {
        QByteArray content;
        while (content.size() <= RecoveryJournal::SnapshotLimit)
            content += "une ligne de texte assez longue pour remplir le fichier\n";
        return writeFile(name, content);
    }
    // The program ends without saving (a kill, as far as the journals go,
    // once they are written) and starts again.
    QStringList restart()
    {
        if (run)
            run->journaling.flush();
        run.reset();
        run = std::make_unique<ProgramRun>(root());
        return run->journaling.recoverEnded();
    }
    DocumentTable& table() { return run->table; }
    TREdit* editor(int slot) { return run->table.slot(slot).Editor; }
    void type(int slot, const QString& text)
    {
        editor(slot)->setCaret(editor(slot)->length());
        editor(slot)->replaceSelection(text, true);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ProgramRun> run;
};

} // namespace

TEST_F(DocumentJournalingTest, UnsavedDocumentsComeBackAsTheyWere)
{
    const QString letter = writeFile(QStringLiteral("lettre.txt"), "Cher ami,\r\ncaf\xE9\r\n");
    restart();
    const int opened = run->files.openInNewDocument(letter);
    type(opened, QStringLiteral("à bientôt"));
    const int untitled = table().New();
    type(untitled, QStringLiteral("idée"));
    table().setModified(opened, true);
    table().setModified(untitled, true);

    EXPECT_TRUE(restart().isEmpty());
    ASSERT_EQ(table().OpenDocumentCount(), 2);
    EXPECT_EQ(table().slot(0).Path, letter);
    EXPECT_EQ(table().slot(0).Name, QStringLiteral("lettre.txt"));
    EXPECT_EQ(editor(0)->text(), QStringLiteral("Cher ami,\ncafé\nà bientôt"));
    EXPECT_EQ(table().slot(0).Format, (TextFileFormat{TextEncoding::Windows1252, LineBreak::CRLF, false}));
    EXPECT_EQ(table().slot(0).Modified, 1u);
    EXPECT_TRUE(table().slot(1).Path.isEmpty());
    EXPECT_EQ(editor(1)->text(), QStringLiteral("idée"));
    EXPECT_EQ(table().slot(1).Modified, 1u);
    EXPECT_FALSE(editor(0)->isUndoAvailable()) << "a recovered text is loaded, not typed";

    // Saved, it is written in its own encoding and its journal goes.
    EXPECT_EQ(run->files.SaveDocument(0), SaveResult::Written);
    EXPECT_EQ(readBytes(letter), QByteArray("Cher ami,\r\ncaf\xE9\r\n\xE0 bient\xF4t"));
    run->journaling.flush();
    EXPECT_EQ(journals().size(), 1);
}

TEST_F(DocumentJournalingTest, OnlyUnsavedChangesHaveAJournal)
{
    const QString notes = writeFile(QStringLiteral("notes.txt"), "notes\n");
    restart();
    const int slot = run->files.openInNewDocument(notes);
    run->journaling.flush();
    EXPECT_TRUE(journals().isEmpty()) << "loading a file is no change";
    type(slot, QStringLiteral("more"));
    table().setModified(slot, true);
    run->journaling.flush();
    EXPECT_EQ(journals().size(), 1);
    EXPECT_EQ(run->files.SaveDocument(slot), SaveResult::Written);
    run->journaling.flush();
    EXPECT_TRUE(journals().isEmpty()) << "saved";

    type(slot, QStringLiteral(" again"));
    table().setModified(slot, true);
    run->journaling.flush();
    EXPECT_EQ(journals().size(), 1);
    table().removeDocument(slot);
    run->journaling.flush();
    EXPECT_TRUE(journals().isEmpty()) << "closed";
    EXPECT_TRUE(restart().isEmpty());
    EXPECT_EQ(table().OpenDocumentCount(), 0);
}

TEST_F(DocumentJournalingTest, ALongFileKeepsOnlyItsEditsAndComesBackWhileUnchanged)
{
    const QString big = writeLongFile(QStringLiteral("big.txt"));
    restart();
    const int slot = run->files.openInNewDocument(big);
    editor(slot)->setSelStart(1000);
    editor(slot)->replaceSelection(QStringLiteral("INSÉRÉ"), true);
    table().setModified(slot, true);
    run->journaling.flush();
    ASSERT_EQ(journals().size(), 1);
    EXPECT_LT(QFileInfo(journals()[0]).size(), 1024);
    const QString expected = editor(slot)->text();

    EXPECT_TRUE(restart().isEmpty());
    ASSERT_EQ(table().OpenDocumentCount(), 1);
    EXPECT_EQ(editor(0)->text(), expected);
    // Its next save checks the file against the one the edits were made on.
    EXPECT_TRUE(table().slot(0).Disk.exists);
    EXPECT_TRUE(table().slot(0).Disk.holds(readBytes(big)));
}

TEST_F(DocumentJournalingTest, ALongFileChangedSinceIsToldAndItsJournalKeptAside)
{
    const QString big = writeLongFile(QStringLiteral("big.txt"));
    restart();
    const int slot = run->files.openInNewDocument(big);
    type(slot, QStringLiteral("end"));
    table().setModified(slot, true);
    run->journaling.flush();
    run.reset(); // killed

    writeFile(QStringLiteral("big.txt"), "another program wrote this");
    const QStringList problems = restart();
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith(
        QStringLiteral("The unsaved changes to %1 cannot be recovered: the file has changed since; they are kept in %2/set-aside/")
            .arg(big, root())))
        << problems[0].toStdString();
    EXPECT_EQ(table().OpenDocumentCount(), 0);
    EXPECT_EQ(QDir(root() + QStringLiteral("/set-aside")).entryList(QDir::Files).size(), 1);
    // Told once: the next start has nothing to say.
    EXPECT_TRUE(restart().isEmpty());
}

TEST_F(DocumentJournalingTest, AFileThatWentAwayLeavesItsTextToTheJournal)
{
    const QString notes = writeFile(QStringLiteral("notes.txt"), "only copy\n");
    restart();
    const int slot = run->files.openInNewDocument(notes);
    QFile::remove(notes);
    run->files.followFileOnDisk(slot); // no edit, yet the text is unsaved now
    ASSERT_EQ(table().slot(slot).Modified, 1u);
    EXPECT_TRUE(restart().isEmpty());
    ASSERT_EQ(table().OpenDocumentCount(), 1);
    EXPECT_EQ(editor(0)->text(), QStringLiteral("only copy\n"));
    EXPECT_EQ(table().slot(0).Path, notes);
}

TEST_F(DocumentJournalingTest, KeptForRecoveryNothingIsRemovedOnTheWayOut)
{
    restart();
    const int slot = table().New();
    type(slot, QStringLiteral("keep me"));
    table().setModified(slot, true);
    run->journaling.keepForRecovery();
    EXPECT_EQ(journals().size(), 1) << "written at once";
    // What the ending does to the documents no longer reaches the journals.
    table().setModified(slot, false);
    table().removeDocument(slot);
    run->journaling.endCleanly();
    run->journaling.flush();
    EXPECT_EQ(journals().size(), 1);

    restart();
    ASSERT_EQ(table().OpenDocumentCount(), 1);
    EXPECT_EQ(editor(0)->text(), QStringLiteral("keep me"));
}

TEST_F(DocumentJournalingTest, ACleanEndLeavesNothing)
{
    restart();
    const int slot = table().New();
    type(slot, QStringLiteral("given up"));
    table().setModified(slot, true);
    run->journaling.flush();
    run->journaling.endCleanly();
    EXPECT_TRUE(journals().isEmpty());
    EXPECT_TRUE(QDir(root()).entryList({QStringLiteral("session-*")}, QDir::Dirs).isEmpty());
}

TEST_F(DocumentJournalingTest, RecoveredTabsFollowTheOpenOnesWhichStayCurrent)
{
    restart();
    for (const char* text : {"one", "two"}) {
        const int slot = table().New();
        type(slot, QString::fromLatin1(text));
        table().setModified(slot, true);
    }
    run->journaling.flush();
    run.reset();
    run = std::make_unique<ProgramRun>(root());
    const int startup = table().New();
    table().New();
    table().activate(startup);
    run->journaling.recoverEnded();
    ASSERT_EQ(table().OpenDocumentCount(), 4);
    EXPECT_EQ(table().CurrentSlot(), startup);
    EXPECT_EQ(editor(2)->text(), QStringLiteral("one"));
    EXPECT_EQ(editor(3)->text(), QStringLiteral("two"));
    EXPECT_EQ(table().pageEdition()->indexOf(table().slot(3).TabSheet), 3);
}

TEST_F(DocumentJournalingTest, AFolderThatCannotBeHadIsToldAndNothingElseChanges)
{
    QDir().mkpath(m_dir.path() + QStringLiteral("/state"));
    writeFile(QStringLiteral("state/scrivo"), "a file in the folder's place");
    run = std::make_unique<ProgramRun>(root());
    EXPECT_FALSE(run->journaling.isActive());
    EXPECT_TRUE(run->journaling.problem().startsWith(QStringLiteral("Unsaved changes cannot be kept for recovery: ")));
    const int slot = table().New();
    type(slot, QStringLiteral("typing goes on"));
    run->journaling.flush();
    EXPECT_EQ(editor(slot)->text(), QStringLiteral("typing goes on"));
}
