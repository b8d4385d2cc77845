#include "platform/LogindPowerOff.h"

#include "platform/Error.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace {

struct Manager {
    QDBusInterface bus{"org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                       QDBusConnection::systemBus()};
};

}  // namespace

bool LogindPowerOff::canPowerOff(QString& why)
{
    Manager manager;
    if (!manager.bus.isValid()) {
        why = "the login manager is not reachable (" + manager.bus.lastError().message() + ")";
        return false;
    }
    const QDBusReply<QString> reply = manager.bus.call("CanPowerOff");
    if (!reply.isValid()) {
        why = "the login manager does not answer (" + reply.error().message() + ")";
        return false;
    }
    // "challenge" would mean a password dialog nobody is there to answer.
    const QString answer = reply.value();
    if (answer == "yes") return true;
    if (answer == "challenge")
        why = "powering off needs a password on this computer";
    else if (answer == "no")
        why = "this user may not power the computer off";
    else if (answer == "na")
        why = "powering off is not available on this computer";
    else
        why = "the login manager answers \"" + answer + "\" when asked whether it can power off";
    return false;
}

void LogindPowerOff::powerOff()
{
    Manager manager;
    if (!manager.bus.isValid())
        throw TamselError("Cannot power off: the login manager is not reachable ("
                          + manager.bus.lastError().message() + ")");
    const QDBusReply<void> reply = manager.bus.call("PowerOff", false);
    if (!reply.isValid())
        throw TamselError("Cannot power off: " + reply.error().message());
}
