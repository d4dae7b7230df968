// The installed files a desktop needs: binary, desktop entry, icon and
// AppStream metainfo, each valid for the desktop's own tools.

#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProcessResult {
    int exitCode = -1;
    QString output;
};

ProcessResult runProcess(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAll())};
}

}

TEST(DesktopFiles, InstallPutsEveryFileWhereTheDesktopLooks)
{
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    if (cmake.isEmpty())
        GTEST_SKIP() << "cmake not found";
    QTemporaryDir prefix;
    const ProcessResult install = runProcess(cmake, {QStringLiteral("--install"), QStringLiteral(SCRIVO_BINARY_DIR),
                                    QStringLiteral("--prefix"), prefix.path()});
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
    for (const char* file : {"bin/scrivo", "share/applications/scrivo.desktop",
                             "share/icons/hicolor/scalable/apps/scrivo.svg",
                             "share/metainfo/io.github.orvik.scrivo.metainfo.xml", "share/man/man1/scrivo.1.gz",
                             "share/man/fr/man1/scrivo.1.gz", "share/doc/scrivo/copyright",
                             "share/doc/scrivo/changelog.gz"})
        EXPECT_TRUE(QFile::exists(prefix.filePath(QLatin1String(file)))) << file;

    // The manual pages read in both languages.
    const QString man = QStandardPaths::findExecutable(QStringLiteral("man"));
    if (!man.isEmpty()) {
        for (const char* page : {"share/man/man1/scrivo.1.gz", "share/man/fr/man1/scrivo.1.gz"}) {
            const ProcessResult shown = runProcess(man, {QStringLiteral("-l"), prefix.filePath(QLatin1String(page))});
            EXPECT_EQ(shown.exitCode, 0) << page;
            EXPECT_TRUE(shown.output.contains(QStringLiteral("--new-instance"))) << page;
        }
    }

    QFile entry(prefix.filePath(QStringLiteral("share/applications/scrivo.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(entry.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("\nName=Scrivo 2.0\n")));
    // "Open with Scrivo" hands every file chosen, each an argument.
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=scrivo %F\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("MimeType=text/plain;")));

    const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (!validate.isEmpty()) {
        const ProcessResult checked = runProcess(validate, {entry.fileName()});
        EXPECT_EQ(checked.exitCode, 0) << checked.output.toStdString();
        EXPECT_TRUE(checked.output.trimmed().isEmpty()) << checked.output.toStdString();
    }
    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (!appstream.isEmpty()) {
        const ProcessResult checked = runProcess(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                            prefix.filePath(QStringLiteral("share/metainfo/io.github.orvik.scrivo.metainfo.xml"))});
        EXPECT_EQ(checked.exitCode, 0) << checked.output.toStdString();
    }
}
