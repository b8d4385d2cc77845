#pragma once
// Private D-Bus daemons and python3-dbusmock services for tests: the real
// D-Bus code talks to them and never reaches the machine's own buses.

#include <QProcess>
#include <QString>
#include <QStringList>

namespace privatebus {

// A test that dies takes the process with it.
void endWithParent(QProcess& process);
// Asked to end, then killed.
void end(QProcess& process);

// Starts dbus-daemon with `arguments` (beside --nofork and --print-address);
// its address once it listens, or empty with `failure` said.
QString startDaemon(QProcess& daemon, const QStringList& arguments, QString& failure);

// Starts python3-dbusmock with `arguments` (after "-m dbusmock") on the bus
// at `address`, as its system or session bus, and waits for `service` to
// answer there; empty then, otherwise what went wrong with `what`. The mock's
// output goes to `outputFile` when given.
QString startMock(QProcess& mock, const QString& address, bool system, const QStringList& arguments,
                  const QString& service, const QString& what, const QString& outputFile = {});

}  // namespace privatebus
