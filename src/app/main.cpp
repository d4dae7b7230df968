#include "app/forms.h"
#include "app/instancerequests.h"
#include "app/tfp.h"
#include "explorer/pidlmanager.h"
#include "instance/commandline.h"
#include "instance/instanceclaim.h"
#include "instance/instanceservice.h"
#include "platform/nativenames.h"
#include "platform/terminationsignals.h"

#include <QApplication>

#include <cstdio>
#include <vector>

namespace {

// --help, --version and a refused command line end here, before any
// display is opened.
int answerWithoutWindow(const CommandLine& line)
{
    const bool french = userSpeaksFrench();
    switch (line.action) {
    case CommandLine::Action::Help:
        std::fputs(usageText(french).toLocal8Bit().constData(), stdout);
        return 0;
    case CommandLine::Action::Version:
        std::fputs(versionText().toLocal8Bit().constData(), stdout);
        return 0;
    default:
        std::fputs(errorText(line, french).toLocal8Bit().constData(), stderr);
        return 2;
    }
}

}

int main(int argc, char* argv[])
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    const CommandLine line = parseCommandLine(arguments);
    if (line.action != CommandLine::Action::Run)
        return answerWithoutWindow(line);

    // Qt sees its own options only: a file name is never taken for one.
    std::vector<char*> qtArgv{argv[0]};
    QList<QByteArray> qtArguments = line.qtArguments;
    for (QByteArray& argument : qtArguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = int(qtArgv.size()) - 1;
    QApplication app(qtArgc, qtArgv.data());
    QGuiApplication::setDesktopFileName(QStringLiteral("scrivo"));

    const QByteArray folder = currentFolder();
    QList<QByteArray> files;
    for (const QByteArray& file : line.files)
        files << absoluteFileName(file, folder);

    // One program per user and display: a start while one runs hands its
    // files over and ends.
    const QString platform = QGuiApplication::platformName();
    const QString serviceName = Instance::serviceName(platform, Instance::currentDisplay(platform));
    QDBusConnection bus = QDBusConnection::sessionBus();
    InstanceClaim claim;
    if (!line.newInstance) {
        claim = claimInstance(bus, serviceName, files, &app);
        if (claim.role == InstanceClaim::Role::HandedOver)
            return 0;
        if (!claim.note.isEmpty())
            std::fprintf(stderr, "scrivo: %s\n", qPrintable(claim.note));
    }

    // The first file goes into the start-up document, the others follow.
    createForms(files.isEmpty() ? QStringList() : QStringList{NativeNames::fromNative(files.first())});
    openRequestedFiles(files.mid(1));
    serveInstanceRequests(claim.service);
    // A kill, the terminal's end or Ctrl+C: the program ends in order, its
    // unsaved documents kept in their journals and its settings saved.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::terminationRequested, Fp, [] { Fp->endOnSignal(); });
    const int code = QApplication::exec();
    releaseInstance(bus, serviceName, claim.service);
    destroyForms();
    // Warns when an item identifier was never freed.
    TSxPidlManager::instance().Shutdown();
    return code;
}
