// A second start of the program on the same display, with and without a
// session bus: the real program started as a user would, beside a program
// running in this test.

#include "app/instancerequests.h"
#include "instance/instanceclaim.h"
#include "instance/instanceservice.h"
#include "editor/tredit.h"
#include "options/toption.h"
#include "support/privatebus.h"
#include "support/programfixture.h"
#include "widgets/checkbox.h"
#include "widgets/pagecontrol.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace {

class SingleInstanceTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        ASSERT_TRUE(m_bus.isRunning()) << "dbus-daemon did not start";
        m_connection = m_bus.connect();
        m_claim = claimInstance(m_connection, Instance::serviceName(QStringLiteral("offscreen"), {}), {}, Fp);
        ASSERT_EQ(m_claim.role, InstanceClaim::Role::Primary) << m_claim.note.toStdString();
        serveInstanceRequests(m_claim.service);
    }
    void TearDown() override
    {
        releaseInstance(m_connection, Instance::serviceName(QStringLiteral("offscreen"), {}), m_claim.service);
        ProgramTest::TearDown();
    }

    // Starts the program in folder with arguments; it either ends within
    // waitMs (its exit status is returned) or is still running then (-1,
    // and it is ended). Events run meanwhile: the program here answers.
    int startAnother(const QStringList& arguments, const QString& busAddress, int waitMs = 20000)
    {
        QProcess other;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), tempPath(QStringLiteral("other-config")));
        other.setProcessEnvironment(environment);
        other.setWorkingDirectory(tempPath(QStringLiteral("work")));
        QEventLoop loop;
        QObject::connect(&other, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        other.start(QStringLiteral(SCRIVO_BINARY_DIR "/scrivo"), arguments);
        if (!other.waitForStarted(10000))
            return -2;
        loop.exec();
        QCoreApplication::processEvents();
        if (other.state() != QProcess::NotRunning) {
            other.kill();
            other.waitForFinished();
            return -1;
        }
        return other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -2;
    }

    static QStringList tabTexts()
    {
        QStringList texts;
        for (int i = 0; i < Fp->pageEdition->count(); ++i)
            texts << Fp->pageEdition->tabText(i);
        return texts;
    }

    PrivateBus m_bus;
    QDBusConnection m_connection{QString()};
    InstanceClaim m_claim;
};

}

TEST_F(SingleInstanceTest, ASecondStartOpensItsFilesAsTabsOfTheFirst)
{
    QDir().mkpath(tempPath(QStringLiteral("work/sub")));
    writeFile(QStringLiteral("work/a.txt"), "first\n");
    writeFile(QStringLiteral("work/sub/b.txt"), "second\n");
    writeFile(QStringLiteral("work/-dash.txt"), "third\n");

    // Relative names are the caller's, in its own folder; the order holds.
    EXPECT_EQ(startAnother({QStringLiteral("a.txt"), QStringLiteral("sub/b.txt"), QStringLiteral("--"),
                            QStringLiteral("-dash.txt")},
                           m_bus.address()),
              0);
    EXPECT_EQ(tabTexts(), (QStringList{QStringLiteral("Nouvelle page"), QStringLiteral("a.txt"),
                                       QStringLiteral("b.txt"), QStringLiteral("-dash.txt")}));
    EXPECT_EQ(docs().slot(2).Path, QFileInfo(tempPath(QStringLiteral("work/sub/b.txt"))).absoluteFilePath());
    EXPECT_EQ(docs().slot(2).Editor->text(), QStringLiteral("second\n"));
    EXPECT_EQ(docs().CurrentSlot(), 3);

    // As Open: with a second copy forbidden, the open copy comes forward.
    Option->chkboxOptionSeveralTimes->setCheckedSilently(false);
    EXPECT_EQ(startAnother({QStringLiteral("a.txt")}, m_bus.address()), 0);
    EXPECT_EQ(docs().OpenDocumentCount(), 4);
    EXPECT_EQ(docs().CurrentSlot(), 1);

    // No file: the window is raised and nothing opens.
    EXPECT_EQ(startAnother({}, m_bus.address()), 0);
    EXPECT_EQ(docs().OpenDocumentCount(), 4);
    EXPECT_TRUE(Fp->isVisible());
}

TEST_F(SingleInstanceTest, ANewInstanceOrNoBusIsAProgramOfItsOwn)
{
    QDir().mkpath(tempPath(QStringLiteral("work")));
    writeFile(QStringLiteral("work/a.txt"), "text\n");
    // Still running after a few seconds: a window of its own.
    EXPECT_EQ(startAnother({QStringLiteral("--new-instance"), QStringLiteral("a.txt")}, m_bus.address(), 3000), -1);
    EXPECT_EQ(startAnother({QStringLiteral("a.txt")}, QStringLiteral("unix:path=/nonexistent/bus"), 3000), -1);
    EXPECT_EQ(docs().OpenDocumentCount(), 1);
}
