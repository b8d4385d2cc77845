#pragma once
// Telling the user something while nobody may be watching the window: an
// unattended recording never waits for a click, so what goes wrong in it is
// also said on the desktop. Only the program itself links the real one
// (freedesktop notifications on the session bus); tests use a fake.

#include <QString>
#include <memory>

class QDBusConnection;

class DesktopNotifier {
public:
    virtual ~DesktopNotifier() = default;
    // Never fails, never waits and never asks: where no notification service
    // runs, nothing is shown.
    virtual void notify(const QString& summary, const QString& body) = 0;
};

// On the session bus, reached at the first notice.
std::unique_ptr<DesktopNotifier> makeDesktopNotifier();
std::unique_ptr<DesktopNotifier> makeDesktopNotifier(const QDBusConnection& bus);
