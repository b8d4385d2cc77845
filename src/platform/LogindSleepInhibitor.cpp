#include "platform/LogindSleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCall>

namespace {

// logind hands back a file descriptor and keeps the lock until every copy of
// it is closed. The call is not waited for: starting a recording must not
// stall on a slow or absent login manager. Its reply, with the descriptor in
// it, stays inside the pending call, so the lock lasts exactly as long as the
// pending call does; one that never answers holds nothing.
class LogindHold : public SleepInhibitor::Hold {
public:
    explicit LogindHold(QDBusPendingCall call) : call_(std::move(call)) {}

private:
    QDBusPendingCall call_;
};

class NoHold : public SleepInhibitor::Hold {};

}  // namespace

std::unique_ptr<SleepInhibitor::Hold> LogindSleepInhibitor::keepAwake(const QString& why)
{
    if (!bus_) bus_ = QDBusConnection::systemBus();
    if (!bus_->isConnected()) return std::make_unique<NoHold>();
    QDBusMessage inhibit = QDBusMessage::createMethodCall(
        "org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "Inhibit");
    inhibit << QStringLiteral("sleep:idle") << QStringLiteral("Tamsel") << why << QStringLiteral("block");
    return std::make_unique<LogindHold>(bus_->asyncCall(inhibit));
}
