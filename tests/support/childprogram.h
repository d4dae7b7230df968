#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// An X server of the test's own (Xvfb), so a test can type into the real
// program's window as a user would (xdotool). Not running when Xvfb or
// xdotool is missing.
class PrivateXServer {
public:
    PrivateXServer();
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool isRunning() const { return !m_display.isEmpty(); }
    // ":N"
    const QString& display() const { return m_display; }

private:
    QProcess m_server;
    QString m_display;
};

// The real program in a child process, with its home, settings and state
// folders under one folder of the test's, on a private X server.
class ScrivoProcess {
public:
    ScrivoProcess(const PrivateXServer& server, const QString& folder);
    ~ScrivoProcess(); // a program still running is killed
    ScrivoProcess(const ScrivoProcess&) = delete;
    ScrivoProcess& operator=(const ScrivoProcess&) = delete;

    QString configHome() const { return m_folder + QStringLiteral("/config"); }
    QString stateHome() const { return m_folder + QStringLiteral("/state"); }
    QString settingsFile() const { return configHome() + QStringLiteral("/scrivo.INI"); }

    // Starts it and waits until its main window is shown; false when it
    // did not come.
    bool start(const QStringList& arguments = {});
    // Starts it, leaving the waiting to the caller.
    bool launch(const QStringList& arguments = {});
    // Waits until its main window, or its error box, is shown; keys then go
    // to that window.
    bool waitForMainWindow();
    bool waitForErrorBox();
    // Clicks into the current document's editor and types text.
    void typeIntoEditor(const QString& text);
    // Presses keys, in xdotool's names ("ctrl+q").
    void key(const QString& keys);
    void sendSignal(int number);
    // Waits for the end; false when it is still running after timeoutMs.
    bool waitForEnd(int timeoutMs = 30000);
    // After the end: the exit code, or -1 when a signal ended it.
    int exitCode() const;
    QString errorOutput();
    qint64 pid() const { return m_process.processId(); }

private:
    bool xdotool(const QStringList& arguments, QString* output = nullptr) const;
    bool waitForWindow(const QString& title);

    QString m_display;
    QString m_folder;
    QString m_window;
    QProcess m_process;
};
