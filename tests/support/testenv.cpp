#include "support/testenv.h"

#include "platform/errors.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
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

void TestEnvironment::prepareProcess()
{
    // Offscreen unless a run asks for a real platform (the Wayland smoke run).
    const QByteArray platform = qgetenv("SCRIVO_TEST_PLATFORM");
    qputenv("QT_QPA_PLATFORM", platform.isEmpty() ? QByteArray("offscreen") : platform);
    runDir() = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/scrivo-tests-XXXXXX"));
    QDir(runDir()->path()).mkpath(QStringLiteral("home"));
    QDir(runDir()->path()).mkpath(QStringLiteral("config"));
    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
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
