#include "recovery/journalfolder.h"

#include "support/filebytes.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

int modeOf(const QString& path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

class JournalFolder : public ::testing::Test {
protected:
    QString root() const { return m_dir.path() + QStringLiteral("/state/scrivo"); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(JournalFolder, IsTheStateFolderOfTheBaseDirectorySpecification)
{
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/somewhere/state");
    EXPECT_EQ(defaultJournalRoot(), QStringLiteral("/somewhere/state/scrivo"));
    qputenv("XDG_STATE_HOME", "relative/state"); // not absolute: ignored
    EXPECT_EQ(defaultJournalRoot(), QDir::homePath() + QStringLiteral("/.local/state/scrivo"));
    qunsetenv("XDG_STATE_HOME");
    EXPECT_EQ(defaultJournalRoot(), QDir::homePath() + QStringLiteral("/.local/state/scrivo"));
    if (!saved.isNull())
        qputenv("XDG_STATE_HOME", saved);
}

TEST_F(JournalFolder, ASessionIsPrivateAndLockedWithItsProcessId)
{
    QString problem;
    auto session = OwnSession::open(root(), problem);
    ASSERT_TRUE(session) << problem.toStdString();
    EXPECT_EQ(modeOf(root()), 0700);
    EXPECT_EQ(modeOf(session->path()), 0700);
    EXPECT_EQ(modeOf(session->path() + QStringLiteral("/lock")), 0600);
    EXPECT_EQ(readBytes(session->path() + QStringLiteral("/lock")), QByteArray::number(::getpid()) + '\n');
    EXPECT_TRUE(QFileInfo(session->path()).fileName().startsWith(QStringLiteral("session-")));
    // A running session is nobody else's to take.
    EXPECT_TRUE(EndedSession::claimAll(root(), QString()).empty());

    // A clean end leaves nothing.
    session->remove();
    EXPECT_FALSE(QFileInfo::exists(session->path()));
}

TEST_F(JournalFolder, AnExistingFolderIsMadePrivateAndAForeignOneRefused)
{
    QDir().mkpath(root());
    ::chmod(QFile::encodeName(root()).constData(), 0755);
    QString problem;
    EXPECT_TRUE(preparePrivateFolder(root(), problem));
    EXPECT_EQ(modeOf(root()), 0700);

    const QString file = m_dir.path() + QStringLiteral("/a-file");
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_FALSE(preparePrivateFolder(file, problem));
    EXPECT_FALSE(problem.isEmpty());
    if (::geteuid() != 0) {
        EXPECT_FALSE(preparePrivateFolder(QStringLiteral("/"), problem)); // root's
        EXPECT_TRUE(problem.contains(QStringLiteral("another user")));
    }
}

TEST_F(JournalFolder, AnEndedSessionIsClaimedByOneProgramOnly)
{
    QString problem;
    auto first = OwnSession::open(root(), problem);
    const QString firstPath = first->path();
    QFile(firstPath + QStringLiteral("/doc-2.journal")).open(QIODevice::WriteOnly);
    QFile(firstPath + QStringLiteral("/doc-10.journal")).open(QIODevice::WriteOnly);
    QFile(firstPath + QStringLiteral("/doc-3.journal.tmp")).open(QIODevice::WriteOnly);
    first.reset(); // the program ends: its lock goes with it

    auto second = OwnSession::open(root(), problem);
    auto third = OwnSession::open(root(), problem);
    auto claimed = EndedSession::claimAll(root(), second->path());
    ASSERT_EQ(claimed.size(), 1u);
    EXPECT_EQ(claimed[0]->path(), firstPath);
    // The third program starting meanwhile finds it taken.
    EXPECT_TRUE(EndedSession::claimAll(root(), third->path()).empty());

    EXPECT_EQ(claimed[0]->journalFiles(),
              QStringList({firstPath + QStringLiteral("/doc-2.journal"), firstPath + QStringLiteral("/doc-10.journal")}));
    EXPECT_FALSE(QFileInfo::exists(firstPath + QStringLiteral("/doc-3.journal.tmp")));
    claimed[0]->removeIfEmpty(); // journals are still there: it stays
    EXPECT_TRUE(QFileInfo::exists(firstPath));
    QFile::remove(firstPath + QStringLiteral("/doc-2.journal"));
    QFile::remove(firstPath + QStringLiteral("/doc-10.journal"));
    claimed[0]->removeIfEmpty();
    EXPECT_FALSE(QFileInfo::exists(firstPath));
}

TEST_F(JournalFolder, AJournalSetAsideKeepsItsBytesUnderAFreeName)
{
    QString problem;
    auto session = OwnSession::open(root(), problem);
    const QString journal = session->path() + QStringLiteral("/doc-1.journal");
    for (int round = 0; round < 2; ++round) {
        QFile file(journal);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray("damaged ") + QByteArray::number(round));
        file.close();
        const QString aside = setJournalAside(root(), journal);
        ASSERT_FALSE(aside.isEmpty());
        EXPECT_TRUE(aside.startsWith(root() + QStringLiteral("/set-aside/")));
        EXPECT_EQ(readBytes(aside), QByteArray("damaged ") + QByteArray::number(round));
        EXPECT_FALSE(QFileInfo::exists(journal));
    }
    EXPECT_EQ(QDir(root() + QStringLiteral("/set-aside")).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(modeOf(root() + QStringLiteral("/set-aside")), 0700);
}
