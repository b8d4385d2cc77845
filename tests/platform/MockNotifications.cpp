#include "platform/MockNotifications.h"

#include "support/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusMessage>

#include <csignal>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

}  // namespace

MockNotifications::MockNotifications(bool withService)
    : dir_(QDir::temp().filePath("tamsel-notify.XXXXXX"))
{
    address_ = privatebus::startDaemon(daemon_, {"--session", "--address=unix:path=" + dir_.filePath("bus")}, failure_);
    if (!address_.isEmpty() && withService) startService();
}

MockNotifications::MockNotifications(const QString& onBus)
    : dir_(QDir::temp().filePath("tamsel-notify.XXXXXX")), address_(onBus)
{
    startService();
}

void MockNotifications::startService()
{
    failure_ = privatebus::startMock(mock_, address_, false, {"--template", "notification_daemon"}, kService,
                                     "the mock notification service", dir_.filePath("mock.out"));
}

MockNotifications::~MockNotifications()
{
    QDBusConnection::disconnectFromBus(address_);
    freeze(false);
    privatebus::end(mock_);
    privatebus::end(daemon_);
}

QDBusConnection MockNotifications::bus() const
{
    // One connection per mock, named after its address.
    return QDBusConnection::connectToBus(address_, address_);
}

void MockNotifications::freeze(bool frozen)
{
    if (mock_.state() == QProcess::NotRunning) return;
    ::kill(pid_t(mock_.processId()), frozen ? SIGSTOP : SIGCONT);
}

QList<MockNotifications::Notice> MockNotifications::notices() const
{
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Mock", "GetMethodCalls");
    get << QStringLiteral("Notify");
    const QDBusMessage reply = bus().call(get);
    QList<Notice> list;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return list;
    // a(tav): the time of each call and its arguments.
    const QDBusArgument calls = reply.arguments().first().value<QDBusArgument>();
    calls.beginArray();
    while (!calls.atEnd()) {
        qulonglong time = 0;
        QVariantList args;
        calls.beginStructure();
        calls >> time >> args;
        calls.endStructure();
        if (args.size() != 8) continue;
        Notice n{args[0].toString(), args[1].toUInt(), args[2].toString(), args[3].toString(),
                 args[4].toString(), qdbus_cast<QVariantMap>(args[6]), args[7].toInt()};
        list << n;
    }
    calls.endArray();
    return list;
}
