#include "editor/tredit.h"
#include "options/toption.h"
#include "support/filebytes.h"
#include "support/programfixture.h"
#include "widgets/checkbox.h"

#include <QCloseEvent>
#include <QDir>
#include <QDirIterator>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

class RecoveryTest : public ProgramTest {
protected:
    QStringList journals() const { return journalFilesUnder(stateHome()); }
    void type(const QString& text)
    {
        TREdit* editor = docs().currentEditor();
        editor->setFocus();
        QTest::keyClicks(editor, text);
    }
};

} // namespace

TEST_F(RecoveryTest, ASignalEndsTheProgramWithItsUnsavedWorkWritten)
{
    type(QStringLiteral("written before the signal"));
    EXPECT_TRUE(journals().isEmpty()) << "not written yet";
    Fp->endOnSignal();
    EXPECT_EQ(m_terminated, 1);
    EXPECT_EQ(journals().size(), 1) << "written before the program ends";

    stop();
    ErrorRecorder errors;
    start();
    EXPECT_TRUE(errors.messages().isEmpty());
    ASSERT_EQ(docs().OpenDocumentCount(), 2);
    EXPECT_EQ(docs().slot(1).Editor->text(), QStringLiteral("written before the signal"));
    EXPECT_EQ(docs().slot(1).Modified, 1u);
    EXPECT_TRUE(Fp->btSaveAll->isEnabled());
}

TEST_F(RecoveryTest, QuitterGivesUpWhatItWasAllowedToGiveUp)
{
    Option->chkboxOptionAllFileSaved->setCheckedSilently(false);
    type(QStringLiteral("given up"));
    QTRY_COMPARE_WITH_TIMEOUT(journals().size(), 1, 10000);
    Fp->mnuExitClick();
    EXPECT_EQ(m_terminated, 1);
    EXPECT_TRUE(journals().isEmpty());
    stop();
    start();
    EXPECT_EQ(docs().OpenDocumentCount(), 1);
}

TEST_F(RecoveryTest, WithoutJournalsTheUserHearsOfItAndTheSessionWaitsForUnsavedWork)
{
    stop();
    QDir(stateHome()).removeRecursively();
    QDir().mkpath(stateHome());
    QFile blocker(stateHome() + QStringLiteral("/scrivo"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    ErrorRecorder errors;
    start();
    ASSERT_EQ(errors.messages().size(), 1);
    EXPECT_TRUE(errors.messages()[0].startsWith(QStringLiteral("Unsaved changes cannot be kept for recovery: ")));

    type(QStringLiteral("pas encore fini"));
    EXPECT_FALSE(Fp->sessionEnding()) << "unsaved work and no journal: the session is asked to wait";
    QCloseEvent refused;
    QApplication::sendEvent(Fp, &refused);
    EXPECT_FALSE(refused.isAccepted());
    Option->chkboxOptionAllFileSaved->setCheckedSilently(false);
    EXPECT_TRUE(Fp->sessionEnding());
}
