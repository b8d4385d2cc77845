#include "platform/LogindPowerOff.h"

#include "platform/Error.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

void LogindPowerOff::powerOff()
{
    QDBusInterface manager("org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", QDBusConnection::systemBus());
    if (!manager.isValid())
        throw TamselError("Cannot power off: the login manager is not reachable ("
                          + manager.lastError().message() + ")");
    const QDBusReply<void> reply = manager.call("PowerOff", false);
    if (!reply.isValid())
        throw TamselError("Cannot power off: " + reply.error().message());
}
