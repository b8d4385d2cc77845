#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

namespace privatebus {

void endWithParent(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

void end(QProcess& process)
{
    if (process.state() == QProcess::NotRunning) return;
    process.terminate();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(10000);
    }
}

QString startDaemon(QProcess& daemon, const QStringList& arguments, QString& failure)
{
    endWithParent(daemon);
    daemon.start("dbus-daemon", arguments + QStringList{"--nofork", "--print-address=1"});
    // The daemon prints its address once it listens.
    QDeadlineTimer deadline(30000);
    while (!daemon.canReadLine() && daemon.state() != QProcess::NotRunning && !deadline.hasExpired())
        daemon.waitForReadyRead(200);
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    if (address.isEmpty()) failure = "the private bus did not start: " + QString::fromUtf8(daemon.readAllStandardError());
    return address;
}

QString startMock(QProcess& mock, const QString& address, bool system, const QStringList& arguments,
                  const QString& service, const QString& what, const QString& outputFile)
{
    endWithParent(mock);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(system ? "DBUS_SYSTEM_BUS_ADDRESS" : "DBUS_SESSION_BUS_ADDRESS", address);
    mock.setProcessEnvironment(env);
    mock.setProcessChannelMode(QProcess::MergedChannels);
    if (!outputFile.isEmpty()) mock.setStandardOutputFile(outputFile);
    // Debian's python, which has the module: another python3 on PATH may not.
    mock.start("/usr/bin/python3",
               QStringList{"-m", "dbusmock", system ? "--system" : "--session"} + arguments);
    const QString connection = "mock-" + address;
    bool up = false;
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, connection);
        up = QTest::qWaitFor(
            [&] {
                return mock.state() == QProcess::NotRunning || bus.interface()->isServiceRegistered(service).value();
            },
            30000);
        up = up && mock.state() != QProcess::NotRunning;
    }
    QDBusConnection::disconnectFromBus(connection);
    if (up) return {};
    QByteArray output = mock.readAll();
    if (!outputFile.isEmpty()) {
        QFile out(outputFile);
        if (out.open(QIODevice::ReadOnly)) output = out.readAll();
    }
    return what + " did not start (is python3-dbusmock installed? scripts/setup installs it): " +
           QString::fromUtf8(output);
}

}  // namespace privatebus
