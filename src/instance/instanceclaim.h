#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QList>
#include <QString>

class InstanceService;
class QObject;

// What a start does about the program already running on its display.
struct InstanceClaim {
    enum class Role {
        Alone,      // no bus, or the bus would not have us: a program of its own
        Primary,    // this program now answers on the bus
        HandedOver, // the running program took the files: this start ends
    };
    Role role = Role::Alone;
    // For Primary: the object on the bus, a child of the parent given.
    InstanceService* service = nullptr;
    // For Alone with a bus: why (for the terminal).
    QString note;
};

// Takes the bus name serviceName on bus, or hands files (absolute names) to
// the program that holds it (with no file, asks it to raise its window).
// When that program ends while being asked, the name is tried again.
InstanceClaim claimInstance(QDBusConnection bus, const QString& serviceName, const QList<QByteArray>& files,
                            QObject* serviceParent, int replyTimeoutMs = 20000);

// Gives the name up, so that a start from now on is a program of its own;
// requests still on their way are refused.
void releaseInstance(QDBusConnection bus, const QString& serviceName, InstanceService* service);
