#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

struct Finished {
    int exitCode = -1;
    QString out;
    QString err;
};

// The program itself, started as a user would from a terminal.
Finished runScrivo(const QStringList& arguments, const QString& lang = QStringLiteral("C.UTF-8"))
{
    QProcess scrivo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("LC_ALL"));
    environment.remove(QStringLiteral("LC_MESSAGES"));
    environment.insert(QStringLiteral("LANG"), lang);
    // Answers that need no window must not open one.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    scrivo.setProcessEnvironment(environment);
    scrivo.start(QStringLiteral(SCRIVO_BINARY_DIR "/scrivo"), arguments);
    Finished run;
    if (!scrivo.waitForFinished(30000)) {
        scrivo.kill();
        scrivo.waitForFinished();
        ADD_FAILURE() << "scrivo did not end";
        return run;
    }
    run.exitCode = scrivo.exitStatus() == QProcess::NormalExit ? scrivo.exitCode() : -1;
    run.out = QString::fromLocal8Bit(scrivo.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(scrivo.readAllStandardError());
    return run;
}

}

TEST(ProgramStart, HelpAndVersionAnswerWithoutAWindow)
{
    Finished run = runScrivo({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage: scrivo [OPTION]... [--] [FILE]...\n"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("--new-instance")));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    run = runScrivo({QStringLiteral("some file"), QStringLiteral("-h")}, QStringLiteral("fr_FR.UTF-8"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Usage : scrivo [OPTION]... [--] [FICHIER]...\n")));

    run = runScrivo({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("scrivo 2.0\n"));
}

TEST(ProgramStart, AnUnknownOptionIsRefusedWithStatusTwo)
{
    Finished run = runScrivo({QStringLiteral("notes.txt"), QStringLiteral("--frobnicate")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(run.err, QStringLiteral("scrivo: unknown option '--frobnicate'\nTry 'scrivo --help' for more information.\n"));

    run = runScrivo({QStringLiteral("-display")}, QStringLiteral("fr_FR.UTF-8"));
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, QStringLiteral("scrivo : l'option « -display » demande une valeur\n"
                                      "Essayez « scrivo --help » pour plus d'informations.\n"));
}
