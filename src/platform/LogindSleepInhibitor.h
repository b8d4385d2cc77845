#pragma once
// Asks systemd-logind to hold off suspend and idle actions ("block" mode)
// while a hold lives. Without a system bus or logind the program goes on as
// before, silently.

#include "platform/SleepInhibitor.h"

#include <QDBusConnection>
#include <optional>

class LogindSleepInhibitor : public SleepInhibitor {
public:
    // The system bus, reached at the first hold.
    LogindSleepInhibitor() = default;
    explicit LogindSleepInhibitor(const QDBusConnection& bus) : bus_(bus) {}

    std::unique_ptr<Hold> keepAwake(const QString& why) override;

private:
    std::optional<QDBusConnection> bus_;
};
