#include "support/testenv.h"

#include "platform/errors.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QTimer>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<QTemporaryDir>& runDir()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}
}

namespace {

// The offscreen platform with one screen of the given size, described in a
// file in folder.
QByteArray offscreenPlatform(const QString& folder, QSize screen)
{
    const QString path = folder + QStringLiteral("/screen-%1x%2.json").arg(screen.width()).arg(screen.height());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QStringLiteral("{\"screens\": [{\"name\": \"Screen\", \"x\": 0, \"y\": 0, \"width\": %1, "
                                  "\"height\": %2, \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}]}\n")
                       .arg(screen.width())
                       .arg(screen.height())
                       .toUtf8());
    return "offscreen:configfile=" + QFile::encodeName(path);
}

// "WIDTHxHEIGHT" from SCRIVO_TEST_SCREEN, else a desktop's 1920 x 1080.
QSize testScreenSize()
{
    const QList<QByteArray> parts = qgetenv("SCRIVO_TEST_SCREEN").split('x');
    if (parts.size() == 2 && parts[0].toInt() > 0 && parts[1].toInt() > 0)
        return QSize(parts[0].toInt(), parts[1].toInt());
    return QSize(1920, 1080);
}

}

void TestEnvironment::prepareProcess()
{
    runDir() = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/scrivo-tests-XXXXXX"));
    // Offscreen on a desktop-sized screen unless a run asks for another
    // platform (the Wayland smoke run) or screen (SCRIVO_TEST_SCREEN).
    const QByteArray platform = qgetenv("SCRIVO_TEST_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform.isEmpty() ? offscreenPlatform(runDir()->path(), testScreenSize()) : platform);
    QDir(runDir()->path()).mkpath(QStringLiteral("home"));
    QDir(runDir()->path()).mkpath(QStringLiteral("config"));
    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    // Recovery journals too stay in the run's own folder.
    qputenv("XDG_STATE_HOME", (runDir()->path() + QStringLiteral("/state")).toLocal8Bit());
    // A modal error box would stall the run: outside an ErrorRecorder an
    // error is a test failure.
    setErrorReporter([](const QString& text) { ADD_FAILURE() << "unexpected error box: " << text.toStdString(); });
}

QString TestEnvironment::home() { return runDir()->path() + QStringLiteral("/home"); }

QString TestEnvironment::configHome() { return runDir()->path() + QStringLiteral("/config"); }

void TestEnvironment::SetUp()
{
    // A modal dialog nobody answers would stall the whole run: after 20 s
    // the watchdog fails the test and rejects the dialog.
    auto* watchdog = new QTimer(qApp);
    auto seen = std::make_shared<QPointer<QWidget>>();
    auto since = std::make_shared<QElapsedTimer>();
    QObject::connect(watchdog, &QTimer::timeout, watchdog, [seen, since] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != seen->data()) {
            *seen = modal;
            since->start();
            return;
        }
        if (modal && since->elapsed() > 20000) {
            ADD_FAILURE() << "a modal dialog stayed unanswered: " << modal->metaObject()->className() << " "
                          << modal->windowTitle().toStdString();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            else
                modal->close();
            *seen = nullptr;
        }
    });
    watchdog->start(500);
}

void TestEnvironment::TearDown() { runDir().reset(); }

ErrorRecorder::ErrorRecorder()
{
    m_previous = setErrorReporter([this](const QString& text) { m_messages << text; });
}

ErrorRecorder::~ErrorRecorder() { setErrorReporter(std::move(m_previous)); }
