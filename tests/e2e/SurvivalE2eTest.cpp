// A recording through what happens to the machine, with the real program:
// its input unplugged and plugged in again, the sound server restarted, the
// program stopped for a while, a disk that fills. Checked from outside: the
// file and its sound, what the main window says (read as a screen reader
// reads it) and the message at the end.

#include "PulseTestTools.h"
#include "e2e/AccessibilityBus.h"
#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "join/JoinTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QThread>

#include <csignal>
#include <iostream>
#include <unistd.h>

using namespace e2e;

namespace {

// The recorded input: the monitor of a null sink of the test's own, taken
// away and made again under the same name as a USB device comes and goes.
class TestSink {
public:
    explicit TestSink(const QString& name) : name_(name) { load(); }
    ~TestSink() { unload(); }
    QString name() const { return name_; }
    QString monitor() const { return name_ + ".monitor"; }

    // Also after a restart of the server, which took the old one with it.
    void load()
    {
        module_ = pulsetest::pactl({"load-module", "module-null-sink", "sink_name=" + name_,
                                    "sink_properties=device.description=" + name_})
                      .trimmed();
        // PipeWire's session manager shows the monitor a moment later.
        if (!waitUntil([&] { return pulsetest::pactl({"list", "short", "sources"}).contains(monitor()); }, 10000))
            ADD_FAILURE() << "the source " << monitor().toStdString() << " did not appear";
    }
    void unload()
    {
        if (module_.isEmpty()) return;
        QProcess::execute("pactl", {"unload-module", module_});
        module_.clear();
    }

private:
    QString name_;
    QString module_;
};

// The program stopped as by memory pressure or a debugger, and always let go.
class Stopped {
public:
    explicit Stopped(qint64 pid) : pid_(pid_t(pid)) { ::kill(pid_, SIGSTOP); }
    ~Stopped() { ::kill(pid_, SIGCONT); }

private:
    pid_t pid_;
};

// A small disk mounted on a folder, let go however the case ends.
class SmallDisk {
public:
    SmallDisk(const QString& folder, int kilobytes) : folder_(folder)
    {
        QDir().mkpath(folder);
        QProcess mount;
        mount.setProcessChannelMode(QProcess::MergedChannels);
        mount.start("mount", {"-t", "tmpfs", "-o", QStringLiteral("size=%1k").arg(kilobytes), "tmpfs", folder});
        mounted_ = mount.waitForFinished(30000) && mount.exitCode() == 0;
        failure_ = QString::fromUtf8(mount.readAll());
    }
    // Lazily: the program may still hold the file when a case fails early.
    ~SmallDisk()
    {
        if (mounted_) QProcess::execute("umount", {"-l", folder_});
    }
    bool mounted() const { return mounted_; }
    QString failure() const { return failure_; }

private:
    QString folder_;
    bool mounted_ = false;
    QString failure_;
};

double secondsOf(const QElapsedTimer& clock) { return double(clock.elapsed()) / 1000; }

// The gaps an end message lists, "at 00:00:03 for 4.2 s", as stretches.
std::vector<Stretch> gapsIn(const QString& message)
{
    std::vector<Stretch> gaps;
    const QRegularExpression gap(R"(at (\d\d):(\d\d):(\d\d) for (\d+\.\d) s)");
    for (auto m = gap.globalMatch(message); m.hasNext();) {
        const auto g = m.next();
        gaps.push_back({g.captured(1).toDouble() * 3600 + g.captured(2).toDouble() * 60 + g.captured(3).toDouble(),
                        g.captured(4).toDouble()});
    }
    return gaps;
}

// The main window's format text, as a screen reader reads it; while the
// window says it waits for the input, the reason it gives names the input.
QString formatText(const AccessibilityBus& bus) { return nameOf(bus.read(), "Tamsel", "label", "Format"); }

// The text of the message box shown now, empty when none shows in time.
QString boxText(const AccessibilityBus& bus, const QString& startingWith)
{
    QString text;
    waitUntil([&] { return !(text = nameOf(bus.read(), "Information", "label", startingWith)).isEmpty(); }, 10000,
              300);
    return text;
}

}  // namespace

// One take lives through its input going and coming back, a restart of the
// sound server and the program stopped for 25 s (longer than the server
// holds its audio). Each time the missing audio is kept as silence of its
// length: the file is as long as the time between the presses of Record and
// Stop, and each stretch of sound is the tone that played then.
TEST_F(E2e, ATakeKeepsItsTimeThroughALostInputAServerRestartAndAStall)
{
    pulsetest::ServerUnderTest server;
    ASSERT_TRUE(server.unavailable().isEmpty()) << server.unavailable().toStdString();
    TestSink input("tamsel_e2e");
    const QString folder = session->scratch("takes");
    session->writeSettings(outputTo(folder) + "[rd]\nline=" + input.monitor() + "\n");
    session->startTone(440, input.name());
    AccessibilityBus bus(*session, session->scratch("a11y"));
    ASSERT_TRUE(bus.failure().isEmpty()) << bus.failure().toStdString();
    ASSERT_TRUE(session->start());
    ASSERT_TRUE(bus.reached()) << "the program never reached the screen reader";
    const QPoint record = session->elementCentre("mp3rec", "recorder");
    const QPoint stop = session->elementCentre("mp3rec", "stop");
    QElapsedTimer take;
    session->clickAt(record);
    take.start();
    const QString file = waitForRecording(folder);
    ASSERT_FALSE(file.isEmpty()) << "no recording appeared in " << folder.toStdString();
    ASSERT_TRUE(waitUntil([&] { return secondsOf(take) > 3; }, 10000));
    // Whether the main window comes to say, or stops saying, that it waits.
    const auto saysItWaits = [&](bool waits) {
        const bool ok = waitUntil([&] { return formatText(bus).contains(input.monitor()) == waits; }, 10000, 300);
        if (!ok) ADD_FAILURE() << "the main window reads: " << formatText(bus).toStdString();
        return ok;
    };
    const auto runTo = [&](double seconds) {
        while (secondsOf(take) < seconds) QThread::msleep(50);
    };

    // Unplugged for about three seconds.
    input.unload();
    const double unplugged = secondsOf(take);
    session->stopTone();
    saysItWaits(true);
    runTo(unplugged + 3);
    input.load();
    const double pluggedIn = secondsOf(take);
    session->startTone(660, input.name());
    saysItWaits(false);
    runTo(pluggedIn + 3);

    // The server goes and comes back, its sources made anew.
    const double serverGone = secondsOf(take);
    server.stop();
    session->stopTone();
    saysItWaits(true);
    server.start();
    input.load();
    const double serverBack = secondsOf(take);
    session->startTone(880, input.name());
    saysItWaits(false);
    runTo(serverBack + 3);

    // Stopped for longer than the server holds what it captures.
    const double stalled = secondsOf(take);
    {
        Stopped stopped(session->processId());
        QThread::sleep(25);
    }
    runTo(stalled + 28);
    session->clickAt(stop);
    const double length = secondsOf(take);
    ASSERT_GT(waitForSteadySize(file, 1500, 20000), 0) << "the file keeps growing after stop";
    ASSERT_TRUE(session->waitForWindow("Information")) << "no message at the end; shown: "
                                                       << session->shownTitles().toStdString();
    const QString message = boxText(bus, "The recording");
    session->stopTone();

    // Valid, its header telling the whole file, and as long as the take was.
    const double seconds = durationOf(file);
    EXPECT_NEAR(seconds * kCdBytesPerSecond, double(sizeOf(file)), 16384);
    std::cout << "On " << testsupport::soundServerName().toStdString() << " the file holds " << seconds
              << " s of a take of " << length << " s\n"
              << message.toStdString() << "\n";
    // Shorter by the time the program takes to start recording once Record
    // is pressed (it opens the file and takes the sleep lock first: 0.2 to
    // 0.5 s here), and each of the three gaps good to a fragment (50 ms).
    EXPECT_GT(seconds, length - 0.8);
    EXPECT_LT(seconds, length + 0.3);

    EXPECT_TRUE(message.contains(file)) << message.toStdString();
    std::vector<Stretch> gaps = gapsIn(message);
    std::vector<Stretch> silent = silences(file, 0.3);
    // Pressed before the input's stream delivered its first audio (up to two
    // seconds after the program's start on PulseAudio), a take begins with
    // that wait as silence, untold.
    if (!silent.empty() && silent.front().start == 0) silent.erase(silent.begin());
    ASSERT_EQ(gaps.size(), 3u) << message.toStdString();
    // Told where the test made them, to within the whole seconds the message
    // gives, the program's start and the time the server takes to tell.
    EXPECT_NEAR(gaps[0].start, unplugged, 1.5);
    EXPECT_NEAR(gaps[1].start, serverGone, 1.5);
    // Unplugged and gone until plugged in and back, and longer by the time a
    // new stream takes to deliver (up to two seconds on PulseAudio).
    EXPECT_GE(gaps[0].length, pluggedIn - unplugged - 0.3);
    EXPECT_LE(gaps[0].length, pluggedIn - unplugged + 3);
    EXPECT_GE(gaps[1].length, serverBack - serverGone - 0.3);
    EXPECT_LE(gaps[1].length, serverBack - serverGone + 3);
    // What the server could not hold of the stall follows what it held, where
    // the program notices the shortfall: once audio comes at its pace again,
    // a moment after the program wakes (up to two seconds here).
    EXPECT_GT(gaps[2].start, stalled - 1.5);
    EXPECT_LT(gaps[2].end(), stalled + 25 + 3);
    EXPECT_GT(gaps[2].length, 3);

    // Each gap is silence in the file where the message puts it, ended by the
    // tone that played after it; nothing else is silent.
    ASSERT_EQ(silent.size(), 3u) << "silent stretches: " << silent.size();
    const double tones[] = {440, 660, 880, 880};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        // The message gives whole seconds; a new stream's sound may come a
        // moment after its first (silent) audio.
        EXPECT_GE(silent[i].start, gaps[i].start - 0.1);
        EXPECT_LT(silent[i].start, gaps[i].start + 1.1);
        EXPECT_GE(silent[i].length, gaps[i].length - 0.1);
        EXPECT_LT(silent[i].length, gaps[i].length + 1.0);
        EXPECT_NEAR(jointest::pitchAt(file, silent[i].start - 1.1, 1.0), tones[i], 20);
        EXPECT_NEAR(jointest::pitchAt(file, silent[i].end() + 0.1, 1.0), tones[i + 1], 20);
    }
}

// The stored input is not there when Record is pressed (a USB microphone not
// plugged in yet): the take starts and says it waits, and records from the
// moment the input appears, the time before kept as silence and told.
TEST_F(E2e, ATakeOfAStoredInputNotThereYetWaitsForIt)
{
    const QString folder = session->scratch("takes");
    session->writeSettings(outputTo(folder) + "[rd]\nline=tamsel_late.monitor\n");
    AccessibilityBus bus(*session, session->scratch("a11y"));
    ASSERT_TRUE(bus.failure().isEmpty()) << bus.failure().toStdString();
    ASSERT_TRUE(session->start());
    ASSERT_TRUE(bus.reached()) << "the program never reached the screen reader";
    const QPoint stop = session->elementCentre("mp3rec", "stop");
    QElapsedTimer take;
    session->click("mp3rec", "recorder");
    take.start();
    EXPECT_TRUE(waitUntil([&] { return formatText(bus).contains("tamsel_late.monitor"); }, 10000, 300))
        << "the main window did not say it waits for the input: " << formatText(bus).toStdString();
    const QString file = waitForRecording(folder);
    ASSERT_FALSE(file.isEmpty()) << "the take did not start";
    EXPECT_FALSE(session->shown("Information")) << "the start failed";

    while (secondsOf(take) < 3) QThread::msleep(50);
    TestSink input("tamsel_late");
    const double pluggedIn = secondsOf(take);
    session->startTone(440, input.name());
    EXPECT_TRUE(waitUntil([&] { return !formatText(bus).contains("tamsel_late.monitor"); }, 10000, 300))
        << "the main window still waits: " << formatText(bus).toStdString();
    while (secondsOf(take) < pluggedIn + 3) QThread::msleep(50);
    session->clickAt(stop);
    const double length = secondsOf(take);
    ASSERT_GT(waitForSteadySize(file, 1500, 20000), 0) << "the file keeps growing after stop";
    const QString message = boxText(bus, "The recording");
    session->stopTone();

    const std::vector<Stretch> gaps = gapsIn(message);
    ASSERT_EQ(gaps.size(), 1u) << message.toStdString();
    EXPECT_EQ(gaps[0].start, 0);
    EXPECT_GE(gaps[0].length, pluggedIn - 0.3);
    EXPECT_LE(gaps[0].length, pluggedIn + 2.5);
    EXPECT_NEAR(durationOf(file), length, 0.8);
    const std::vector<Stretch> silent = silences(file, 0.3);
    ASSERT_EQ(silent.size(), 1u);
    EXPECT_EQ(silent[0].start, 0);
    EXPECT_NEAR(jointest::pitchAt(file, silent[0].end() + 0.1, 1.0), 440, 20);
}

// A disk that fills: the main window warns at once that it holds under ten
// minutes, the take is completed and listed before the disk is full, and a
// Record with no room left is refused without leaving a file behind.
TEST_F(E2e, AFillingDiskWarnsCompletesTheTakeInTimeAndThenRefuses)
{
    if (::geteuid() != 0) GTEST_SKIP() << "mounting a small disk takes root; scripts/test runs as root in CI";
    const QString folder = session->scratch("small");
    // Room for about 9 s of CD audio, and a take stops 3 s short of full.
    const SmallDisk disk(folder, 1536);
    ASSERT_TRUE(disk.mounted()) << "cannot mount a small disk: " << disk.failure().toStdString();
    session->writeSettings(outputTo(folder));
    session->startTone();
    AccessibilityBus bus(*session, session->scratch("a11y"));
    ASSERT_TRUE(bus.failure().isEmpty()) << bus.failure().toStdString();
    ASSERT_TRUE(session->start());
    ASSERT_TRUE(bus.reached()) << "the program never reached the screen reader";

    session->click("mp3rec", "recorder");
    const QString file = waitForRecording(folder);
    ASSERT_FALSE(file.isEmpty()) << "no recording appeared in " << folder.toStdString();
    EXPECT_TRUE(waitUntil([&] { return formatText(bus).startsWith("Format Disk space for 00:00:"); }, 10000, 300))
        << "no warning: " << formatText(bus).toStdString();
    ASSERT_TRUE(session->waitForWindow("Information", 30000)) << "the take was not stopped before the disk filled";
    const QString told = boxText(bus, "The disk holding");
    EXPECT_TRUE(told.contains("nearly full") && told.contains(file))
        << "the box says: " << elementsOf(bus.read(), "Information").join(" ").toStdString();

    const qint64 size = waitForSteadySize(file, 1000, 10000);
    EXPECT_GT(QStorageInfo(folder).bytesAvailable(), 0) << "the disk filled up";
    EXPECT_NEAR(durationOf(file) * kCdBytesPerSecond, double(size), 16384) << "the file was not completed";
    EXPECT_GT(durationOf(file), 4);
    EXPECT_NEAR(pitchAfterSilence(file), 1000, 20);
    EXPECT_TRUE(bus.read().contains("List|table cell|" + QFileInfo(file).fileName() + "|"))
        << "the take is not in the list";
    session->keys({"Return"});
    ASSERT_TRUE(session->waitForNoWindow("Information", 10000));

    session->click("mp3rec", "recorder");
    ASSERT_TRUE(session->waitForWindow("Information", 10000)) << "Record on a full disk was not refused";
    const QString refused = boxText(bus, "The disk holding");
    EXPECT_TRUE(refused.contains("no room to record")) << refused.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).join(" | ").toStdString(), QFileInfo(file).fileName().toStdString());
    EXPECT_EQ(sizeOf(file), size);
    session->stopTone();
}
