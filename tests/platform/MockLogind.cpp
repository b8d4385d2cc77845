#include "platform/MockLogind.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace {

const QString kService = QStringLiteral("org.freedesktop.login1");
const QString kPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");

// A test that dies takes its bus and mock with it.
void endWithParent(QProcess& p)
{
    p.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

}  // namespace

MockLogind::MockLogind(const QString& canPowerOff) : dir_(QDir::temp().filePath("tamsel-logind.XXXXXX"))
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

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", address_);
    mock_.setProcessEnvironment(env);
    mock_.setProcessChannelMode(QProcess::MergedChannels);
    mock_.setStandardOutputFile(dir_.filePath("mock.out"));
    // Debian's python, which has the module: another python3 on PATH may not.
    mock_.start("/usr/bin/python3", {"-m", "dbusmock", "--system", "--template", "logind", "-l",
                                     dir_.filePath("calls.log"), "-p",
                                     QStringLiteral(R"({"CanPowerOff": "%1"})").arg(canPowerOff)});
    const bool up = QTest::qWaitFor(
        [&] {
            return mock_.state() != QProcess::NotRunning && bus().interface()->isServiceRegistered(kService);
        },
        30000);
    if (!up) {
        QFile out(dir_.filePath("mock.out"));
        out.open(QIODevice::ReadOnly);
        failure_ = "the mock login manager did not start (is python3-dbusmock installed? scripts/setup "
                   "installs it): " + QString::fromUtf8(out.readAll());
    }
}

MockLogind::~MockLogind()
{
    QDBusConnection::disconnectFromBus(address_);
    end(mock_);
    end(daemon_);
}

void MockLogind::end(QProcess& p)
{
    if (p.state() == QProcess::NotRunning) return;
    p.terminate();
    if (!p.waitForFinished(10000)) {
        p.kill();
        p.waitForFinished(10000);
    }
}

QDBusConnection MockLogind::bus() const
{
    // One connection per mock, named after its address.
    return QDBusConnection::connectToBus(address_, address_);
}

QList<MockLogind::Inhibitor> MockLogind::inhibitors() const
{
    const QDBusMessage reply =
        bus().call(QDBusMessage::createMethodCall(kService, kPath, kManager, "ListInhibitors"));
    QList<Inhibitor> list;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return list;
    const QDBusArgument array = reply.arguments().first().value<QDBusArgument>();
    array.beginArray();
    while (!array.atEnd()) {
        Inhibitor i;
        uint uid = 0, pid = 0;
        array.beginStructure();
        array >> i.what >> i.who >> i.why >> i.mode >> uid >> pid;
        array.endStructure();
        list << i;
    }
    array.endArray();
    return list;
}

QStringList MockLogind::calls() const
{
    QFile log(dir_.filePath("calls.log"));
    if (!log.open(QIODevice::ReadOnly)) return {};
    QStringList calls;
    // Each line: "<time> <Method> <arguments>".
    for (const QString& line : QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts))
        calls << line.section(' ', 1);
    return calls;
}
