#include "support/childprogram.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <csignal>

namespace {
constexpr int StartTimeout = 60000; // a busy machine starts slowly
}

PrivateXServer::PrivateXServer()
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        return;
    // -displayfd 1: the server picks a free display and writes its number
    // on its standard output once it accepts connections.
    m_server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                            QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(10000))
        return;
    QByteArray number;
    QDeadlineTimer deadline(StartTimeout);
    while (!number.contains('\n') && !deadline.hasExpired() && m_server.state() == QProcess::Running) {
        m_server.waitForReadyRead(100);
        number += m_server.readAllStandardOutput();
    }
    if (number.contains('\n'))
        m_display = u':' + QString::fromLatin1(number.trimmed());
}

PrivateXServer::~PrivateXServer()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    m_server.terminate();
    if (!m_server.waitForFinished(10000)) {
        m_server.kill();
        m_server.waitForFinished();
    }
}

ScrivoProcess::ScrivoProcess(const PrivateXServer& server, const QString& folder)
    : m_display(server.display()), m_folder(folder)
{
    QDir(folder).mkpath(QStringLiteral("home"));
}

ScrivoProcess::~ScrivoProcess()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished();
}

bool ScrivoProcess::xdotool(const QStringList& arguments, QString* output) const
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(StartTimeout))
        return false;
    if (output)
        *output = QString::fromLocal8Bit(tool.readAllStandardOutput());
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

bool ScrivoProcess::start(const QStringList& arguments) { return launch(arguments) && waitForMainWindow(); }

bool ScrivoProcess::launch(const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), m_folder + QStringLiteral("/home"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    environment.insert(QStringLiteral("XDG_STATE_HOME"), stateHome());
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    m_process.setProcessEnvironment(environment);
    m_process.start(QStringLiteral(SCRIVO_BINARY_DIR "/scrivo"), QStringList{QStringLiteral("--new-instance")} + arguments);
    return m_process.waitForStarted(StartTimeout);
}

// The main window's title begins "Scrivo 2.0 - "; the error box's is
// "Scrivo 2.0" alone. --pid keeps other programs' windows apart.
bool ScrivoProcess::waitForMainWindow() { return waitForWindow(QStringLiteral("^Scrivo 2\\.0 - ")); }

bool ScrivoProcess::waitForErrorBox() { return waitForWindow(QStringLiteral("^Scrivo 2\\.0$")); }

bool ScrivoProcess::waitForWindow(const QString& title)
{
    // xdotool gives up on an X error, as when a window it looks at goes
    // away meanwhile (the program's start opens and closes some): asked
    // again while the program runs.
    const QDeadlineTimer deadline(StartTimeout);
    while (m_process.state() == QProcess::Running && !deadline.hasExpired()) {
        QString found;
        const bool shown = xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                                    QStringLiteral("--pid"), QString::number(pid()), QStringLiteral("--name"), title},
                                   &found);
        m_window = found.split(u'\n', Qt::SkipEmptyParts).value(0);
        if (shown && !m_window.isEmpty())
            return true;
        QThread::msleep(50);
    }
    if (m_process.state() != QProcess::Running)
        qWarning("scrivo ended before its window showed (status %d, code %d)", int(m_process.exitStatus()),
                 m_process.exitCode());
    return false;
}

void ScrivoProcess::typeIntoEditor(const QString& text)
{
    // The editor fills the right of the default 800 x 600 window.
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), m_window});
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), m_window, QStringLiteral("500"),
             QStringLiteral("300"), QStringLiteral("click"), QStringLiteral("1")});
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), text});
}

void ScrivoProcess::key(const QString& keys)
{
    xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), m_window});
    xdotool({QStringLiteral("key"), keys});
}

void ScrivoProcess::sendSignal(int number) { ::kill(pid_t(pid()), number); }

bool ScrivoProcess::waitForEnd(int timeoutMs) { return m_process.waitForFinished(timeoutMs); }

int ScrivoProcess::exitCode() const
{
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

QString ScrivoProcess::errorOutput() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }
