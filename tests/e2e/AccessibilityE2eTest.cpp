// What a screen reader finds in the program: through AT-SPI, as Orca reads
// it, each window with every element by role, name and state, and a press
// made through it.

#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

#include <csignal>
#include <sys/prctl.h>

using namespace e2e;

namespace {

// Lists the shown windows of the program and their children, one line each
// ("window|role|name|states"), or presses the element named by the argument.
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
)";

// A session bus of the test's own with the accessibility bus launcher on it:
// what a desktop gives a screen reader, and nothing else (no service starts
// on demand). The program and the reader meet there.
class AccessibilityBus {
public:
    AccessibilityBus(const Session& session, const QString& dir) : display_(session.display())
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
    }

    ~AccessibilityBus()
    {
        for (QProcess* p : {&launcher_, &bus_}) {
            p->terminate();
            if (p->waitForFinished(10000)) continue;
            p->kill();
            p->waitForFinished(10000);
        }
    }

    QString failure() const { return failure_; }
    QString address() const { return address_; }

    // The reader's lines; empty while the program is not on the bus yet.
    QStringList read(const QStringList& args = {}) const
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

private:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display_);
        env.insert("DBUS_SESSION_BUS_ADDRESS", address_);
        return env;
    }

    QString display_;
    QString address_;
    QString failure_;
    QProcess bus_;
    QProcess launcher_;
};

// The lines of window that show role and name, states left aside.
QStringList elementsOf(const QStringList& lines, const QString& window)
{
    QStringList seen;
    for (const QString& line : lines)
        if (line.startsWith(window + '|')) seen << line.section('|', 1, 2);
    return seen;
}

}  // namespace

TEST_F(E2e, AScreenReaderFindsEveryElementByRoleNameAndStateAndPressesThem)
{
    AccessibilityBus bus(*session, session->scratch("a11y"));
    ASSERT_TRUE(bus.failure().isEmpty()) << bus.failure().toStdString();
    session->setEnvironment("DBUS_SESSION_BUS_ADDRESS", bus.address());
    session->setEnvironment("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
    const QString folder = session->scratch("takes");
    session->writeSettings(outputTo(folder));
    session->startTone();
    ASSERT_TRUE(session->start());

    QStringList lines;
    ASSERT_TRUE(waitUntil([&] { return !(lines = bus.read()).isEmpty(); }, 30000))
        << "the program never reached the screen reader";
    const QStringList main = elementsOf(lines, "Tamsel");
    for (const char* expected :
         {"push button|Record", "push button|Pause", "push button|Stop", "push button|Play", "push button|Add files",
          "push button|Join list", "push button|Schedule", "push button|Recording source", "push button|Settings",
          "push button|Tag", "push button|Help", "push button|Minimize", "push button|Close", "label|Elapsed time",
          "label|File size", "label|File name", "label|Format", "slider|Position"})
        EXPECT_TRUE(main.contains(QLatin1String(expected))) << expected << " is not in " << main.join(", ").toStdString();
    const QStringList list = elementsOf(lines, "List");
    for (const char* expected : {"push button|Add files to the list", "push button|Remove", "push button|Move up",
                                 "push button|Move down", "push button|Join", "push button|Stop joining",
                                 "progress bar|Join progress"})
        EXPECT_TRUE(list.contains(QLatin1String(expected))) << expected << " is not in " << list.join(", ").toStdString();
    // Nothing plays, so the seek bar is there but disabled.
    EXPECT_TRUE(lines.contains("Tamsel|slider|Position|focusable")) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains("Tamsel|push button|Record|sensitive,focusable"));

    // Pressed through the reader, Record records, and the time is read out as it runs.
    bus.read({"Record"});
    const QString take = waitForRecording(folder);
    ASSERT_FALSE(take.isEmpty()) << "pressing Record through the screen reader recorded nothing";
    const QRegularExpression running(R"(^Tamsel\|label\|Elapsed time 00:00:0[1-9]\|)");
    EXPECT_TRUE(waitUntil([&] { return !bus.read().filter(running).isEmpty(); }, 20000))
        << bus.read().join('\n').toStdString();
    bus.read({"Stop"});
    EXPECT_GT(waitForSteadySize(take, 1500, 20000), 0) << "pressing Stop through the screen reader did not stop";
    session->stopTone();
}
