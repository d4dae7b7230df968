#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QProcess>
#include <QString>
#include <QTimer>

// A session bus of the test's own (a dbus-daemon child), so that no test
// meets a program of the user's session.
class PrivateBus {
public:
    PrivateBus()
    {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(10000) || !m_daemon.waitForReadyRead(10000))
            return;
        m_address = QString::fromLocal8Bit(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString& name : m_connections)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(5000);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }

    // A new connection to the bus, as another program would have.
    QDBusConnection connect()
    {
        const QString name = QStringLiteral("private-bus-%1-%2").arg(quintptr(this)).arg(m_connections.size());
        m_connections << name;
        return QDBusConnection::connectToBus(m_address, name);
    }

    // Sends a call and waits for its answer while events run (the callee
    // may live on this very thread).
    static QDBusMessage call(QDBusConnection& connection, const QDBusMessage& message)
    {
        QDBusPendingCallWatcher watcher(connection.asyncCall(message, 10000));
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(15000, &loop, &QEventLoop::quit);
        if (!watcher.isFinished())
            loop.exec();
        return watcher.reply();
    }

private:
    QProcess m_daemon;
    QString m_address;
    QStringList m_connections;
};
