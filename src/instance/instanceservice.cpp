#include "instance/instanceservice.h"

#include <QDBusMetaType>

namespace Instance {

QString serviceName(const QString& platformName, const QByteArray& display)
{
    // A bus name element holds letters, digits, "_" and "-", and does not
    // start with a digit: the platform name comes first.
    QString element = platformName.isEmpty() ? QStringLiteral("none") : QString();
    for (const QChar c : platformName)
        element += c.isLetterOrNumber() && c.unicode() < 128 ? c : u'_';
    element += u'_';
    for (const char byte : display) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            element += QChar(c);
        else
            element += QStringLiteral("_%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    return QLatin1String(appId) + u'.' + element;
}

QByteArray currentDisplay(const QString& platformName)
{
    if (platformName == QLatin1String("xcb")) {
        // ":0" and ":0.0" are one display: the screen number goes.
        QByteArray display = qgetenv("DISPLAY");
        const qsizetype colon = display.lastIndexOf(':');
        const qsizetype dot = display.indexOf('.', colon < 0 ? 0 : colon);
        if (dot >= 0)
            display.truncate(dot);
        return display;
    }
    if (platformName.startsWith(QLatin1String("wayland"))) {
        const QByteArray display = qgetenv("WAYLAND_DISPLAY");
        return display.isEmpty() ? QByteArrayLiteral("wayland-0") : display;
    }
    return {};
}

std::optional<QString> refusal(const QList<QByteArray>& files)
{
    if (files.isEmpty())
        return QStringLiteral("no file named");
    if (files.size() > maxFilesPerCall)
        return QStringLiteral("more than %1 files").arg(maxFilesPerCall);
    for (const QByteArray& file : files) {
        if (!file.startsWith('/'))
            return QStringLiteral("a file name that is not absolute");
        if (file.contains('\0'))
            return QStringLiteral("a file name that holds a NUL byte");
        if (file.size() > maxPathBytes)
            return QStringLiteral("a file name longer than %1 bytes").arg(maxPathBytes);
    }
    return std::nullopt;
}

}

InstanceService::InstanceService(QObject* parent) : QObject(parent)
{
    qDBusRegisterMetaType<QList<QByteArray>>();
}

void InstanceService::setReady()
{
    if (m_state != State::Waiting)
        return;
    m_state = State::Ready;
    const QList<QList<QByteArray>> waiting = std::exchange(m_waiting, {});
    for (const QList<QByteArray>& files : waiting) {
        if (files.isEmpty())
            Q_EMIT raiseRequested();
        else
            Q_EMIT openRequested(files);
    }
}

void InstanceService::stop()
{
    m_state = State::Stopped;
    m_waiting.clear();
}

bool InstanceService::refuseWhenEnding()
{
    if (m_state != State::Stopped)
        return false;
    // The caller then opens its files itself.
    if (calledFromDBus())
        sendErrorReply(QDBusError::Failed, QStringLiteral("the program is ending"));
    return true;
}

void InstanceService::OpenFiles(const QList<QByteArray>& files)
{
    if (refuseWhenEnding())
        return;
    if (const std::optional<QString> why = Instance::refusal(files)) {
        if (calledFromDBus())
            sendErrorReply(QDBusError::InvalidArgs, QStringLiteral("refused: %1").arg(*why));
        return;
    }
    if (m_state == State::Waiting)
        m_waiting << files;
    else
        Q_EMIT openRequested(files);
}

void InstanceService::Raise()
{
    if (refuseWhenEnding())
        return;
    if (m_state == State::Waiting)
        m_waiting << QList<QByteArray>();
    else
        Q_EMIT raiseRequested();
}
