#pragma once
// A private session bus with a mock notification service on it
// (python3-dbusmock's notification_daemon template): the real D-Bus code
// talks to it and never shows anything on the machine's own desktop.
// Everything it starts it ends; its folder goes with it.

#include <QDBusConnection>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QVariantMap>

class MockNotifications {
public:
    // withService false: the bus alone, where no notification service runs.
    explicit MockNotifications(bool withService = true);
    // The service alone, on a bus a case already runs.
    explicit MockNotifications(const QString& onBus);
    ~MockNotifications();
    MockNotifications(const MockNotifications&) = delete;
    MockNotifications& operator=(const MockNotifications&) = delete;

    // Empty once the mock answers on its bus; otherwise what went wrong.
    QString failure() const { return failure_; }
    QDBusConnection bus() const;

    struct Notice {
        QString appName;
        uint replacesId = 0;
        QString icon, summary, body;
        QVariantMap hints;
        int timeout = 0;
    };
    // The Notify calls received so far, in order.
    QList<Notice> notices() const;
    // The service stops answering (SIGSTOP) until resumed; its name stays owned.
    void freeze(bool frozen);

private:
    void startService();

    QTemporaryDir dir_;
    QProcess daemon_;
    QProcess mock_;
    QString address_;
    QString failure_;
};
