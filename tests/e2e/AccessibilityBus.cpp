#include "e2e/AccessibilityBus.h"

#include "e2e/OutsideChecks.h"
#include "e2e/Session.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>

namespace e2e {

namespace {

// Exits 3 while the program has not reached the registry yet.
const char* const kReader = R"(
import sys, pyatspi
apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == 'Tamsel']
if not apps: sys.exit(3)
for window in apps[0]:
    for child in window:
        if len(sys.argv) > 1:
            if child.name == sys.argv[1]: child.queryAction().doAction(0)
            continue
        state = child.getState()
        states = [n for n, s in (('sensitive', pyatspi.STATE_SENSITIVE), ('focusable', pyatspi.STATE_FOCUSABLE))
                  if state.contains(s)]
        print('%s|%s|%s|%s' % (window.name, child.getRoleName(), child.name, ','.join(states)))
        if child.getRole() == pyatspi.ROLE_TABLE:
            for cell in child:
                if cell.getRole() == pyatspi.ROLE_TABLE_CELL: print('%s|table cell|%s|' % (window.name, cell.name))
)";

}  // namespace

AccessibilityBus::AccessibilityBus(Session& session, const QString& dir) : display_(session.display())
{
    QDir().mkpath(dir);
    for (QProcess* p : {&bus_, &launcher_})
        p->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    const QString config = QDir(dir).filePath("bus.conf");
    QFile f(config);
    if (f.open(QIODevice::WriteOnly))
        f.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                               "<auth>EXTERNAL</auth><policy context='default'><allow send_destination='*' "
                               "eavesdrop='true'/><allow eavesdrop='true'/><allow own='*'/></policy></busconfig>")
                    .arg(dir)
                    .toUtf8());
    f.close();
    bus_.start("dbus-daemon", {"--config-file=" + config, "--nofork", "--print-address=1"});
    QDeadlineTimer deadline(30000);
    while (!bus_.canReadLine() && bus_.state() != QProcess::NotRunning && !deadline.hasExpired())
        bus_.waitForReadyRead(200);
    address_ = QString::fromUtf8(bus_.readLine()).trimmed();
    if (address_.isEmpty()) {
        failure_ = "the session bus did not start: " + QString::fromUtf8(bus_.readAllStandardError());
        return;
    }
    QProcessEnvironment env = environment();
    env.insert("HOME", session.home());
    env.insert("XDG_RUNTIME_DIR", dir);
    launcher_.setProcessEnvironment(env);
    launcher_.setProcessChannelMode(QProcess::MergedChannels);
    launcher_.start("/usr/libexec/at-spi-bus-launcher", {"--launch-immediately"});
    QDBusConnection bus = QDBusConnection::connectToBus(address_, "a11y-" + address_);
    if (!QTest::qWaitFor([&] { return bus.interface()->isServiceRegistered("org.a11y.Bus").value(); }, 30000))
        failure_ = "the accessibility bus did not start (scripts/setup installs at-spi2-core): "
                   + QString::fromUtf8(launcher_.readAll());
    QDBusConnection::disconnectFromBus("a11y-" + address_);
    session.setEnvironment("DBUS_SESSION_BUS_ADDRESS", address_);
    session.setEnvironment("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
}

AccessibilityBus::~AccessibilityBus()
{
    for (QProcess* p : {&launcher_, &bus_}) {
        p->terminate();
        if (p->waitForFinished(10000)) continue;
        p->kill();
        p->waitForFinished(10000);
    }
}

bool AccessibilityBus::reached(int timeoutMs) const
{
    return waitUntil([this] { return !read().isEmpty(); }, timeoutMs, 300);
}

QStringList AccessibilityBus::read(const QStringList& args) const
{
    QProcess reader;
    reader.setProcessEnvironment(environment());
    // Debian's python, which has pyatspi: another python3 on PATH may not.
    reader.start("/usr/bin/python3", QStringList{"-c", kReader} + args);
    if (!reader.waitForFinished(30000)) {
        reader.kill();
        reader.waitForFinished();
    }
    if (reader.exitCode() != 0 && reader.exitCode() != 3)
        ADD_FAILURE() << "the screen reader failed: " << reader.readAllStandardError().toStdString();
    return QString::fromUtf8(reader.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

QProcessEnvironment AccessibilityBus::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display_);
    env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
    return env;
}

QStringList elementsOf(const QStringList& lines, const QString& window)
{
    QStringList seen;
    for (const QString& line : lines)
        if (line.startsWith(window + '|')) seen << line.section('|', 1, 2);
    return seen;
}

QString nameOf(const QStringList& lines, const QString& window, const QString& role, const QString& prefix)
{
    for (const QString& element : elementsOf(lines, window))
        if (element.section('|', 0, 0) == role && element.section('|', 1).startsWith(prefix))
            return element.section('|', 1);
    return {};
}

}  // namespace e2e
