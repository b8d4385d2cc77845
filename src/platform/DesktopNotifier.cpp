#include "platform/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QStringList>
#include <QVariantMap>
#include <optional>

namespace {

class FreedesktopNotifier : public DesktopNotifier {
public:
    FreedesktopNotifier() = default;
    explicit FreedesktopNotifier(const QDBusConnection& bus) : bus_(bus) {}

    void notify(const QString& summary, const QString& body) override
    {
        if (!bus_) bus_ = QDBusConnection::sessionBus();
        if (!bus_->isConnected()) return;
        QDBusMessage call =
            QDBusMessage::createMethodCall("org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                                           "org.freedesktop.Notifications", "Notify");
        // The desktop entry lets the shell group the notice with the program's windows.
        const QVariantMap hints{{"desktop-entry", QStringLiteral("org.tamsel.Tamsel")}};
        call << QStringLiteral("Tamsel") << 0u << QStringLiteral("tamsel") << summary << body << QStringList()
             << hints << -1;
        // Not waited for: a busy or absent service must not hold up the
        // recording, and its answer (or the bus's refusal) is of no use.
        bus_->asyncCall(call);
    }

private:
    std::optional<QDBusConnection> bus_;
};

}  // namespace

std::unique_ptr<DesktopNotifier> makeDesktopNotifier() { return std::make_unique<FreedesktopNotifier>(); }

std::unique_ptr<DesktopNotifier> makeDesktopNotifier(const QDBusConnection& bus)
{
    return std::make_unique<FreedesktopNotifier>(bus);
}
