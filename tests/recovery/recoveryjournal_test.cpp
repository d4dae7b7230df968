#include "recovery/journalfolder.h"
#include "recovery/journalreplay.h"
#include "recovery/recoveryjournal.h"

#include "platform/nativenames.h"

#include "support/filebytes.h"
#include "support/nativefiles.h"
#include "support/testenv.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A document as the journal sees it: its text, its file and its changes.
struct Doc {
    QString text;
    QString path;
    std::optional<FileIdentity> base;

    JournalSource source()
    {
        return {[this] {
                    JournalHeader h;
                    h.path = path;
                    h.base = base;
                    h.encoding = QStringLiteral("utf-8");
                    return h;
                },
                [this] { return text; }};
    }
    void edit(RecoveryJournal& journal, quint64 id, qint64 position, qint64 removed, const QString& inserted)
    {
        text.replace(position, removed, inserted);
        journal.edited(id, position, removed, inserted, text.size());
    }
    void type(RecoveryJournal& journal, quint64 id, const QString& typed)
    {
        for (const QChar c : typed)
            edit(journal, id, text.size(), 0, QString(c));
    }
};

std::optional<QString> decodeUtf8(QByteArrayView bytes, const QString& encoding)
{
    if (encoding != QStringLiteral("utf-8"))
        return std::nullopt;
    return QString::fromUtf8(bytes);
}

QString recovered(const OrphanJournal& orphan)
{
    const ReplayResult r = replayJournal(orphan.content, decodeUtf8);
    return r.problem == ReplayProblem::None ? r.text : QStringLiteral("<problem %1>").arg(int(r.problem));
}

class Journal : public ::testing::Test {
protected:
    QString root() const { return m_dir.path() + QStringLiteral("/scrivo"); }
    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.path() + u'/' + name;
        writeBytes(path, bytes);
        return path;
    }
    // A document read from a new file holding content.
    Doc readFrom(const QString& name, const QByteArray& content)
    {
        Doc doc;
        doc.path = writeFile(name, content);
        doc.text = QString::fromLatin1(content);
        doc.base = FileIdentity::ofFile(doc.path, content);
        return doc;
    }
    QStringList journalsIn(const QString& folder) const
    {
        return QDir(folder).entryList({QStringLiteral("*.journal")}, QDir::Files);
    }
    // What the next program finds.
    QList<OrphanJournal> nextStart(QStringList* problems = nullptr)
    {
        m_next = std::make_unique<RecoveryJournal>(root());
        QStringList ignored;
        return m_next->claimEnded(problems ? *problems : ignored);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<RecoveryJournal> m_next;
};

} // namespace

TEST_F(Journal, EditsComeBackAfterTheProgramEnds)
{
    Doc untitled, named;
    named.path = QStringLiteral("/nowhere/named.txt");
    {
        RecoveryJournal journal(root());
        ASSERT_TRUE(journal.isActive()) << journal.problem().toStdString();
        journal.track(1, untitled.source());
        journal.track(2, named.source());
        untitled.type(journal, 1, QStringLiteral("Bonjour\nle monde"));
        untitled.edit(journal, 1, 0, 7, QStringLiteral("Salut"));
        named.type(journal, 2, QStringLiteral("€ ") + QChar(0xEF93) + QChar(0xDC00));
        journal.flush();
        EXPECT_EQ(journalsIn(journal.sessionPath()).size(), 2);
    }
    const auto orphans = nextStart();
    ASSERT_EQ(orphans.size(), 2);
    EXPECT_EQ(recovered(orphans[0]), untitled.text);
    EXPECT_EQ(orphans[0].content.header.path, QString());
    EXPECT_EQ(recovered(orphans[1]), named.text);
    EXPECT_EQ(orphans[1].content.header.path, named.path);
    EXPECT_EQ(orphans[1].content.header.encoding, QStringLiteral("utf-8"));
}

TEST_F(Journal, ChangesReachTheDiskWithoutBeingAsked)
{
    Doc doc;
    RecoveryJournal journal(root());
    journal.track(1, doc.source());
    doc.type(journal, 1, QStringLiteral("a"));
    const QString file = journal.sessionPath() + QStringLiteral("/doc-1.journal");
    EXPECT_FALSE(QFileInfo::exists(file)); // kept in memory for now
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(file), 5000);
    doc.type(journal, 1, QStringLiteral("b"));
    QTRY_VERIFY_WITH_TIMEOUT(readJournal(readBytes(file))->edits.size() == 1, 5000);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

TEST_F(Journal, SavedClosedOrCleanlyEndedLeavesNoJournal)
{
    Doc saved, closed, open;
    QString session;
    {
        RecoveryJournal journal(root());
        session = journal.sessionPath();
        const std::pair<quint64, Doc*> docs[] = {{1, &saved}, {2, &closed}, {3, &open}};
        for (const auto& [id, doc] : docs) {
            journal.track(id, doc->source());
            doc->type(journal, id, QStringLiteral("text"));
        }
        journal.flush();
        EXPECT_EQ(journalsIn(session).size(), 3);
        journal.discard(1);
        journal.untrack(2);
        journal.flush();
        EXPECT_EQ(journalsIn(session), QStringList{QStringLiteral("doc-3.journal")});
        // Changed again after its save: a new journal from the saved text.
        saved.text.clear();
        saved.type(journal, 1, QStringLiteral("new"));
        journal.endCleanly();
    }
    EXPECT_FALSE(QFileInfo::exists(session));
    EXPECT_TRUE(nextStart().isEmpty());
}

TEST_F(Journal, ARunningProgramsJournalsAreNotTaken)
{
    Doc doc;
    RecoveryJournal running(root());
    running.track(1, doc.source());
    doc.type(running, 1, QStringLiteral("mine"));
    running.flush();
    EXPECT_TRUE(nextStart().isEmpty());
    m_next.reset();
    doc.type(running, 1, QStringLiteral(" still"));
    running.flush();
    // A copy of "m", then the other nine keys.
    EXPECT_EQ(readJournal(readBytes(running.sessionPath() + QStringLiteral("/doc-1.journal")))->edits.size(), 9);
}

TEST_F(Journal, ATornLastRecordIsCutOff)
{
    Doc doc;
    QString file;
    {
        RecoveryJournal journal(root());
        journal.track(1, doc.source());
        doc.type(journal, 1, QStringLiteral("abc"));
        journal.flush();
        doc.type(journal, 1, QStringLiteral("def"));
        journal.flush();
        file = journal.sessionPath() + QStringLiteral("/doc-1.journal");
    }
    // Power went in the middle of the last write.
    const QByteArray bytes = readBytes(file);
    QFile(file).resize(bytes.size() - 3);
    const auto orphans = nextStart();
    ASSERT_EQ(orphans.size(), 1);
    EXPECT_TRUE(orphans[0].content.cutShort);
    EXPECT_EQ(recovered(orphans[0]), QStringLiteral("abcde"));
}

TEST_F(Journal, AnUnreadableJournalIsSetAsideAndToldOnce)
{
    QString session;
    {
        RecoveryJournal journal(root());
        session = journal.sessionPath();
    }
    QFile bad(session + QStringLiteral("/doc-1.journal"));
    bad.open(QIODevice::WriteOnly);
    bad.write("not a journal");
    bad.close();
    QStringList problems;
    EXPECT_TRUE(nextStart(&problems).isEmpty());
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith(QStringLiteral("The recovery journal %1 cannot be read; it is kept as %2/set-aside/")
                                           .arg(bad.fileName(), root())));
    const QString aside = QDir(root() + QStringLiteral("/set-aside")).entryList(QDir::Files).value(0);
    EXPECT_EQ(readBytes(root() + QStringLiteral("/set-aside/") + aside), QByteArray("not a journal"));
    m_next->releaseEnded();
    EXPECT_FALSE(QFileInfo::exists(session));
    m_next.reset();
    problems.clear();
    EXPECT_TRUE(nextStart(&problems).isEmpty());
    EXPECT_TRUE(problems.isEmpty());
}

TEST_F(Journal, ALongTextReadFromAFileKeepsOnlyItsEdits)
{
    const QByteArray content(RecoveryJournal::SnapshotLimit + 10, 'x');
    Doc doc = readFrom(QStringLiteral("big.txt"), content);
    {
        RecoveryJournal journal(root());
        journal.track(1, doc.source());
        doc.edit(journal, 1, 5, 3, QStringLiteral("hello"));
        doc.edit(journal, 1, 0, 0, QStringLiteral("start "));
        journal.flush();
        EXPECT_LT(QFileInfo(journal.sessionPath() + QStringLiteral("/doc-1.journal")).size(), 1000);
    }
    auto orphans = nextStart();
    ASSERT_EQ(orphans.size(), 1);
    EXPECT_FALSE(orphans[0].content.snapshot);
    EXPECT_EQ(recovered(orphans[0]), doc.text);

    // Changed by another program since: the edits no longer apply.
    writeFile(QStringLiteral("big.txt"), content + "more");
    EXPECT_EQ(replayJournal(orphans[0].content, decodeUtf8).problem, ReplayProblem::FileChanged);
    QFile::remove(doc.path);
    EXPECT_EQ(replayJournal(orphans[0].content, decodeUtf8).problem, ReplayProblem::FileUnreadable);
}

TEST_F(Journal, EditsApplyToTheFileOfANameThatIsNotUtf8)
{
    // Two names that Qt would read alike: the edits go with the first.
    const QByteArray odd = QFile::encodeName(m_dir.path()) + "/big\xFF.txt";
    const QByteArray content(RecoveryJournal::SnapshotLimit + 10, 'x');
    ASSERT_TRUE(writeNative(odd, content));
    const auto removed = qScopeGuard([&] { removeNativeTree(odd); });
    writeFile(QString::fromUtf8("big\xEF\xBF\xBD.txt"), content + "other");
    Doc doc;
    doc.path = NativeNames::fromNative(odd);
    doc.text = QString::fromLatin1(content);
    doc.base = FileIdentity::ofFile(doc.path, content);
    ASSERT_TRUE(doc.base->exists);
    {
        RecoveryJournal journal(root());
        journal.track(1, doc.source());
        doc.edit(journal, 1, 0, 0, QStringLiteral("start "));
        journal.flush();
    }
    const auto orphans = nextStart();
    ASSERT_EQ(orphans.size(), 1);
    EXPECT_EQ(NativeNames::toNative(orphans[0].content.header.path), odd);
    EXPECT_EQ(recovered(orphans[0]), doc.text);
}

TEST_F(Journal, AShortTextComesBackEvenWhenItsFileChanged)
{
    Doc doc = readFrom(QStringLiteral("short.txt"), "original");
    {
        RecoveryJournal journal(root());
        journal.track(1, doc.source());
        doc.edit(journal, 1, 8, 0, QStringLiteral(" text"));
        journal.flush();
    }
    writeFile(QStringLiteral("short.txt"), "rewritten elsewhere");
    const auto orphans = nextStart();
    ASSERT_EQ(orphans.size(), 1);
    EXPECT_EQ(recovered(orphans[0]), QStringLiteral("original text"));
}

TEST_F(Journal, AFileChangedWhileTheProgramRunsIsNoLongerReliedOn)
{
    Doc doc = readFrom(QStringLiteral("big.txt"), QByteArray(RecoveryJournal::SnapshotLimit + 10, 'y'));
    RecoveryJournal journal(root());
    journal.track(1, doc.source());
    doc.edit(journal, 1, 0, 1, QStringLiteral("Y"));
    journal.flush();
    writeFile(QStringLiteral("big.txt"), "gone");
    doc.edit(journal, 1, 1, 1, QStringLiteral("Y"));
    journal.flush();
    // The write noticed the file's new stamp; the next one is a copy of the text.
    QTRY_VERIFY_WITH_TIMEOUT(
        readJournal(readBytes(journal.sessionPath() + QStringLiteral("/doc-1.journal")))->snapshot.has_value(), 5000);
    const auto written = readJournal(readBytes(journal.sessionPath() + QStringLiteral("/doc-1.journal")));
    EXPECT_EQ(written->snapshot, doc.text);
}

TEST_F(Journal, AChangeWithoutAnEditStartsWithACopyWhateverTheLength)
{
    Doc doc = readFrom(QStringLiteral("big.txt"), QByteArray(RecoveryJournal::SnapshotLimit + 10, 'z'));
    {
        RecoveryJournal journal(root());
        journal.track(1, doc.source());
        QFile::remove(doc.path); // the file went away: the text is all there is
        journal.changedWithoutEdit(1);
        journal.changedWithoutEdit(1); // once is enough
        doc.edit(journal, 1, 0, 1, QStringLiteral("Z"));
        journal.flush();
    }
    const auto orphans = nextStart();
    ASSERT_EQ(orphans.size(), 1);
    EXPECT_TRUE(orphans[0].content.snapshot);
    EXPECT_EQ(recovered(orphans[0]), doc.text);
}

TEST_F(Journal, EditsOutgrowingTheTextBecomeOneCopyOfIt)
{
    Doc doc;
    RecoveryJournal journal(root());
    journal.track(1, doc.source());
    const QString file = journal.sessionPath() + QStringLiteral("/doc-1.journal");
    for (int i = 0; i < 20000; ++i) {
        doc.type(journal, 1, QStringLiteral("x"));
        doc.edit(journal, 1, doc.text.size() - 1, 1, QString());
        if (i % 1000 == 0)
            journal.flush();
    }
    doc.type(journal, 1, QStringLiteral("end"));
    journal.flush();
    // 40,000 edits of a text of at most a few characters: rewritten on the way.
    EXPECT_LT(QFileInfo(file).size(), 128 * 1024);
    EXPECT_EQ(recovered({file, *readJournal(readBytes(file))}), QStringLiteral("end"));
}

TEST_F(Journal, AnAdoptedJournalGoesOnWhereItStopped)
{
    Doc doc;
    {
        RecoveryJournal journal(root());
        journal.track(1, doc.source());
        doc.type(journal, 1, QStringLiteral("first run"));
        journal.flush();
    }
    QString secondSession;
    {
        auto orphans = nextStart();
        ASSERT_EQ(orphans.size(), 1);
        Doc again;
        again.text = recovered(orphans[0]);
        m_next->track(7, again.source());
        m_next->adopt(orphans[0], 7, again.text.size());
        m_next->releaseEnded();
        again.type(*m_next, 7, QStringLiteral(", second run"));
        m_next->flush();
        secondSession = m_next->sessionPath();
        EXPECT_EQ(journalsIn(secondSession), QStringList{QStringLiteral("doc-7.journal")});
        m_next.reset(); // and that one ends too
    }
    const auto orphans = nextStart();
    ASSERT_EQ(orphans.size(), 1);
    EXPECT_EQ(recovered(orphans[0]), QStringLiteral("first run, second run"));
    // The first program's folder went once its journal was taken.
    EXPECT_EQ(QDir(root()).entryList({QStringLiteral("session-*")}, QDir::Dirs).size(), 2);
}

TEST_F(Journal, AFolderThatCannotBeHadMeansNoJournal)
{
    writeFile(QStringLiteral("scrivo"), "a file where the folder should be");
    RecoveryJournal journal(root());
    EXPECT_FALSE(journal.isActive());
    EXPECT_FALSE(journal.problem().isEmpty());
    Doc doc;
    journal.track(1, doc.source());
    doc.type(journal, 1, QStringLiteral("nothing breaks"));
    journal.flush();
    journal.endCleanly();
}

TEST_F(Journal, AFailedWriteIsToldOnce)
{
    Doc doc;
    RecoveryJournal journal(root());
    QSignalSpy failures(&journal, &RecoveryJournal::failed);
    journal.track(1, doc.source());
    // The session folder vanishes under the program.
    QDir(journal.sessionPath()).removeRecursively();
    doc.type(journal, 1, QStringLiteral("a"));
    journal.flush();
    QTRY_COMPARE(failures.size(), 1);
    doc.type(journal, 1, QStringLiteral("b"));
    journal.flush();
    QTest::qWait(50);
    EXPECT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures[0][0].toString().startsWith(QStringLiteral("Cannot write the recovery journal")));
}
