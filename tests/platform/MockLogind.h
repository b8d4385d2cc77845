#pragma once
// A private bus with a mock systemd-logind on it (python3-dbusmock's logind
// template), standing in for the system bus: the real D-Bus code talks to it
// and never reaches the machine's own login manager. Everything it starts it
// ends; its folder goes with it.

#include <QDBusConnection>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class MockLogind {
public:
    // canPowerOff: what the mock answers to CanPowerOff.
    explicit MockLogind(const QString& canPowerOff = QStringLiteral("yes"));
    ~MockLogind();
    MockLogind(const MockLogind&) = delete;
    MockLogind& operator=(const MockLogind&) = delete;

    // Empty once the mock answers on its bus; otherwise what went wrong.
    QString failure() const { return failure_; }
    // For DBUS_SYSTEM_BUS_ADDRESS.
    QString address() const { return address_; }
    QDBusConnection bus() const;

    struct Inhibitor {
        QString what, who, why, mode;
    };
    // As logind's ListInhibitors answers now.
    QList<Inhibitor> inhibitors() const;
    // The manager's logged calls in order, each "Method args", e.g. "PowerOff False".
    QStringList calls() const;
    // Ends the login manager and leaves its bus running.
    void stopLogind();

private:
    QTemporaryDir dir_;
    QProcess daemon_;
    QProcess mock_;
    QString address_;
    QString failure_;
};
