#include "instance/instanceclaim.h"

#include "instance/instanceservice.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>

namespace {

// The owner went away between our request for the name and our call.
bool ownerGone(const QDBusMessage& answer)
{
    const QString name = answer.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownObject")
        || name == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod")
        || name == QLatin1String("org.freedesktop.DBus.Error.Failed");
}

}

InstanceClaim claimInstance(QDBusConnection bus, const QString& serviceName, const QList<QByteArray>& files,
                            QObject* serviceParent, int replyTimeoutMs)
{
    InstanceClaim claim;
    if (!bus.isConnected() || !bus.interface())
        return claim;
    for (int attempt = 0; attempt < 3; ++attempt) {
        auto* service = new InstanceService(serviceParent);
        if (!bus.registerObject(QLatin1String(Instance::objectPath), service, QDBusConnection::ExportScriptableSlots)) {
            delete service;
            claim.note = QStringLiteral("the bus object %1 is taken").arg(QLatin1String(Instance::objectPath));
            return claim;
        }
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
            serviceName, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered) {
            claim.role = InstanceClaim::Role::Primary;
            claim.service = service;
            return claim;
        }
        bus.unregisterObject(QLatin1String(Instance::objectPath));
        delete service;
        if (!reply.isValid()) {
            claim.note = reply.error().message();
            return claim;
        }

        QDBusMessage call = QDBusMessage::createMethodCall(serviceName, QLatin1String(Instance::objectPath),
                                                           QLatin1String(Instance::interfaceName),
                                                           files.isEmpty() ? QStringLiteral("Raise")
                                                                           : QStringLiteral("OpenFiles"));
        if (!files.isEmpty())
            call << QVariant::fromValue(files);
        const QDBusMessage answer = bus.call(call, QDBus::Block, replyTimeoutMs);
        if (answer.type() == QDBusMessage::ReplyMessage) {
            claim.role = InstanceClaim::Role::HandedOver;
            return claim;
        }
        claim.note = answer.errorMessage();
        if (!ownerGone(answer))
            return claim;
    }
    return claim;
}

void releaseInstance(QDBusConnection bus, const QString& serviceName, InstanceService* service)
{
    if (!service)
        return;
    service->stop();
    bus.unregisterService(serviceName);
    bus.unregisterObject(QLatin1String(Instance::objectPath));
}
