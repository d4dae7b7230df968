#include "support/programfixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>

#include <iostream>

// The window of a first start, on whatever screen this run has: wholly on
// it, at the designed place and size where they fit. Printed for the runs
// on other screens below.
TEST_F(ProgramTest, FirstStartLiesOnTheScreen)
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(available.contains(Fp->frameGeometry())) << testing::PrintToString(Fp->frameGeometry()) << " outside " << testing::PrintToString(available);
    std::cout << "first placement: " << Fp->x() << ',' << Fp->y() << ',' << Fp->width() << ',' << Fp->height()
              << std::endl;
}

TEST(FirstPlacement, LaptopAndDesktopScreens)
{
    const struct {
        const char* screen;
        const char* placement;
    } runs[] = {
        // The test screens frame each window with 2 pixels.
        {"1920x1080", "382,311,800,600"}, // as designed
        {"1366x768", "382,164,800,600"},  // moved up
        {"1280x720", "382,116,800,600"},
        {"1024x560", "220,0,800,556"},    // moved up and left, then shrunk
    };
    for (const auto& run : runs) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("SCRIVO_TEST_SCREEN"), QString::fromLatin1(run.screen));
        environment.remove(QStringLiteral("SCRIVO_TEST_PLATFORM"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        // Events run meanwhile, as they would in the program.
        QEventLoop loop;
        QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(120000, &loop, &QEventLoop::quit);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=ProgramTest.FirstStartLiesOnTheScreen")});
        ASSERT_TRUE(child.waitForStarted()) << run.screen;
        loop.exec();
        ASSERT_EQ(child.state(), QProcess::NotRunning) << run.screen;
        const QString output = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << run.screen << "\n" << output.toStdString();
        const QRegularExpressionMatch found =
            QRegularExpression(QStringLiteral("first placement: (\\S+)")).match(output);
        EXPECT_EQ(found.captured(1), QString::fromLatin1(run.placement)) << run.screen;
    }
}
