#include "platform/MockNotifications.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

// A test that dies takes its bus and mock with it.
void endWithParent(QProcess& p)
{
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

}  // namespace

MockNotifications::MockNotifications(bool withService)
    : dir_(QDir::temp().filePath("tamsel-notify.XXXXXX"))
{
    endWithParent(daemon_);
    endWithParent(mock_);
    // The daemon prints its address once it listens.
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1",
                                  "--address=unix:path=" + dir_.filePath("bus")});
    QDeadlineTimer deadline(30000);
    while (!daemon_.canReadLine() && daemon_.state() != QProcess::NotRunning && !deadline.hasExpired())
        daemon_.waitForReadyRead(200);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    if (address_.isEmpty()) {
        failure_ = "the private bus did not start: " + QString::fromUtf8(daemon_.readAllStandardError());
        return;
    }
    if (!withService) return;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    mock_.setProcessEnvironment(env);
    mock_.setProcessChannelMode(QProcess::MergedChannels);
    mock_.setStandardOutputFile(dir_.filePath("mock.out"));
    // Debian's python, which has the module: another python3 on PATH may not.
    mock_.start("/usr/bin/python3", {"-m", "dbusmock", "--session", "--template", "notification_daemon"});
    const bool up = QTest::qWaitFor(
        [&] {
            return mock_.state() != QProcess::NotRunning && bus().interface()->isServiceRegistered(kService);
        },
        30000);
    if (!up) {
        QFile out(dir_.filePath("mock.out"));
        out.open(QIODevice::ReadOnly);
        failure_ = "the mock notification service did not start (is python3-dbusmock installed? "
                   "scripts/setup installs it): " + QString::fromUtf8(out.readAll());
    }
}

MockNotifications::~MockNotifications()
{
    QDBusConnection::disconnectFromBus(address_);
    freeze(false);
    end(mock_);
    end(daemon_);
}

void MockNotifications::end(QProcess& p)
{
    if (p.state() == QProcess::NotRunning) return;
    p.terminate();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(10000);
    }
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
