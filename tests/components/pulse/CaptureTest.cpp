// Capture through the sound server: what the null sink plays is recorded from
// its monitor, and the blocks must carry it whole, in order, at the set format.

#include "CaptureCollector.h"
#include "PulseTestTools.h"

#include "components/pulse/PulseRecorder.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>

using namespace pulsetest;

namespace {

class PulseCapture : public ::testing::Test {
protected:
    void SetUp() override
    {
        REQUIRE_PULSE();
        restoreDefaultSource();
    }
    void TearDown() override
    {
        if (testsupport::pulseAvailable()) restoreDefaultSource();
    }

    // Plays the clock into the null sink for 20 s and starts recording it.
    Collector& startClockCapture(qint64* startedAt = nullptr)
    {
        const QString raw = dir.filePath("clock.raw");
        writeClockRaw(raw, 20 * kRate);
        player = std::make_unique<Peer>(
            "pacat", QStringList{"--raw", "--format=s16le", "--rate=44100", "--channels=2", "-d", "tamsel_null", raw});
        EXPECT_TRUE(waitForStreams("sink-inputs", 1));
        got = std::make_unique<Collector>(recorder);
        if (startedAt) *startedAt = ClockedMonitor::now();
        recorder.StartRecord();
        return *got;
    }

    QTemporaryDir dir;
    std::unique_ptr<Peer> player;
    PulseRecorder recorder;
    std::unique_ptr<Collector> got;
};

TEST_F(PulseCapture, PauseResumeAndTheRemainderAfterStopLoseAndRepeatNoFrame)
{
    Collector& got = startClockCapture();
    ASSERT_TRUE(got.waitForClock(8000));
    ASSERT_TRUE(got.waitForFrames(got.frames() + kRate, 5000));
    recorder.StopRecord();
    QElapsedTimer paused;
    paused.start();
    const size_t blocksAtPause = got.sizes.size();
    const size_t ticksAtPause = got.timerCounts.size();
    QTest::qWait(700);  // the pause itself
    EXPECT_EQ(got.sizes.size(), blocksAtPause) << "blocks arrived while paused";
    EXPECT_EQ(got.timerCounts.size(), ticksAtPause) << "timer ran while paused";
    const qint64 pausedFrames = paused.elapsed() * kRate / 1000;
    const qint64 countBeforePause = got.timerCounts.back();

    recorder.StartRecord();
    ASSERT_TRUE(got.waitForFrames(got.frames() + kRate, 5000));
    // Stop between two blocks, so part of a block is still being cut.
    QTest::qWait(90);
    recorder.StopRecord();
    // The count restarts at each start.
    EXPECT_LT(got.timerCounts[ticksAtPause], countBeforePause);
    const qint64 counted = countBeforePause + got.timerCounts.back();
    EXPECT_NEAR(counted, got.frames(), 2 * got.blockFrames);

    EXPECT_TRUE(pactl({"list", "source-outputs"}).contains("Corked: no")) << "a pause keeps the input";
    const Block rest = recorder.TakeRemainder();
    EXPECT_TRUE(pactl({"list", "source-outputs"}).contains("Corked: yes")) << "the ended recording still holds the input";
    EXPECT_EQ(rest.channels, 2);
    EXPECT_EQ(rest.sampleRate, kRate);
    EXPECT_LT(rest.frames(), 2 * got.blockFrames);
    EXPECT_TRUE(recorder.TakeRemainder().empty()) << "a remainder is handed out once";
    got.samples.insert(got.samples.end(), rest.samples.begin(), rest.samples.end());
    EXPECT_GE(got.frames(), counted) << "everything the timer counted is written";

    const ClockScan scan = scanClock(got.samples);
    // The only break is the pause, and it skips forward by about its length;
    // a repeated frame would show as a jump of nearly a whole clock period, and
    // a remainder that does not continue the last block as a second break.
    ASSERT_EQ(scan.jumps.size(), 1u);
    EXPECT_NEAR(scan.jumps[0], pausedFrames, 0.25 * kRate);
}

// A recording holds what the server captured between the calls, as parec on
// the same server hears it: from start to pause and from resume to stop. The
// first start of a recorder that listed its lines starts at the press.
TEST_F(PulseCapture, ARecordingHoldsWhatWasCapturedBetweenItsStartPauseResumeAndStop)
{
    recorder.InputLineCount();  // as the program's start-up does
    ClockedMonitor monitor;
    ASSERT_TRUE(monitor.waitForData());
    qint64 at[4] = {};  // start, pause, resume, stop
    Collector& got = startClockCapture(&at[0]);
    for (int call = 1; call < 4; ++call) {
        if (call == 2) {
            QTest::qWait(700);
        } else {
            ASSERT_TRUE(got.waitForFrames(got.frames() + kRate / 2, 8000));
            // Away from the moment a block came in, when the server has just
            // sent all it had.
            QTest::qWait(120);
        }
        at[call] = ClockedMonitor::now();
        if (call == 2)
            recorder.StartRecord();
        else
            recorder.StopRecord();
    }
    const Block rest = recorder.TakeRemainder();
    got.samples.insert(got.samples.end(), rest.samples.begin(), rest.samples.end());
    const std::vector<float> heard = monitor.stop();

    const ClockScan scan = scanClock(got.samples);
    ASSERT_EQ(scan.segments.size(), 2u) << "a break besides the pause";
    const int steps[4] = {scan.firstStep, int(scan.firstStep + scan.segments[0] - 1), scan.stepsAfterBreak[0],
                          scan.lastStep};
    const char* names[4] = {"start", "pause", "resume", "stop"};
    std::ostringstream offsets;
    for (int call = 0; call < 4; ++call) {
        const qint64 frame = findStep(heard, steps[call], monitor.frameAt(at[call]) - kRate / 4);
        ASSERT_GE(frame, 0) << names[call];
        const double ms = double(monitor.capturedAt(frame) - at[call]) / 1e6;
        offsets << names[call] << " " << ms << " ms; ";
        // The stream made ready at start-up is taken up at the press, the
        // first one too.
        EXPECT_NEAR(ms, 0, call == 0 ? 50 : 20) << names[call];
    }
    qint64 silence = 0;
    while (silence < got.frames() && !onClock(&got.samples[size_t(2 * silence)])) ++silence;
    std::cout << "Captured relative to the calls: " << offsets.str() << double(silence) * 1000 / kRate
              << " ms of silence first\n";
}

TEST_F(PulseCapture, StalledUserInterfaceLosesNoFrame)
{
    Collector& got = startClockCapture();
    ASSERT_TRUE(got.waitForClock(8000));

    const qint64 before = got.frames();
    QElapsedTimer stall;
    stall.start();
    while (stall.elapsed() < 5000) {
        // Busy: no event is handled for five seconds.
    }
    ASSERT_TRUE(got.waitForFrames(before + 5 * kRate, 3000)) << "frames captured during the stall are missing";
    recorder.StopRecord();

    const ClockScan scan = scanClock(got.samples);
    EXPECT_TRUE(scan.jumps.empty()) << "first break skips " << scan.jumps.front() << " frames";
    EXPECT_GE(scan.heard, 5 * kRate);
}

// The source recorded is the program's choice by name; the server's default
// source is never changed, and the list follows sources as they come and go.
TEST_F(PulseCapture, LinesAreTheServersSourcesAndAPickRecordsFromItAlone)
{
    auto second = std::make_unique<testsupport::TestSource>("tamsel_src2", "Tamsel-Second");

    EXPECT_EQ(recorder.DeviceCount(), 0);
    recorder.SetDevice(0);
    EXPECT_EQ(recorder.DeviceName(), testsupport::soundServerName());
    EXPECT_THROW(recorder.SetDevice(1), TamselError);

    auto lineNamed = [&](const QString& name) {
        for (int n = 1; n <= recorder.InputLineCount(); ++n) {
            recorder.SetLine(n);
            if (recorder.LineName() == name) return n;
        }
        return 0;
    };
    const int count = recorder.InputLineCount();
    int selected = 0;
    for (int n = 1; n <= count; ++n) {
        recorder.SetLine(n);
        if (recorder.LineSelected()) selected = n;
    }
    recorder.SetLine(1);
    EXPECT_EQ(recorder.LineName(), "the system default");
    EXPECT_EQ(selected, 1) << "nothing chosen records the system default";
    const int picked = lineNamed("Tamsel-Second");
    ASSERT_NE(picked, 0);
    ASSERT_NE(lineNamed("Monitor of Tamsel-Null"), 0);

    recorder.SetLine(picked);
    recorder.SetLineSelected();
    EXPECT_EQ(recorder.LineSource(), "tamsel_src2");
    EXPECT_TRUE(recorder.LineSelected());
    EXPECT_EQ(pactl({"get-default-source"}).trimmed(), "tamsel_null.monitor") << "the system keeps its default";
    recorder.SetLine(1);
    EXPECT_FALSE(recorder.LineSelected());

    Collector got(recorder);
    recorder.StartRecord();
    const QString index = pactl({"list", "short", "sources"}).section("tamsel_src2", 0, 0).section('\n', -1).trimmed();
    EXPECT_TRUE(pactl({"list", "short", "source-outputs"}).contains(QRegularExpression("^\\d+\\s+" + index + "\\s", QRegularExpression::MultilineOption)))
        << pactl({"list", "short", "source-outputs"}).toStdString();
    recorder.StopRecord();

    // Line 0 and lines past the end are no line: nothing to read or change.
    recorder.SetLine(picked);
    const int volume = recorder.LineVolume();
    for (int none : {0, -1, count + 1}) {
        recorder.SetLine(none);
        EXPECT_EQ(recorder.LineName(), "");
        EXPECT_FALSE(recorder.LineSelected());
        EXPECT_EQ(recorder.LineVolume(), 0);
        recorder.SetLineVolume(1000);
    }
    recorder.SetLine(picked);
    EXPECT_EQ(recorder.LineVolume(), volume);

    // A source that goes is told and no longer listed; one that comes is.
    QSignalSpy changed(&recorder, &TAudioRecord2::OnLinesChanged);
    // (A server may tell of other changes first.)
    second.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !changed.isEmpty() && lineNamed("Tamsel-Second") == 0; }, 3000));
    changed.clear();
    const testsupport::TestSource third("tamsel_src3", "Tamsel-Third");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !changed.isEmpty() && lineNamed("Tamsel-Third") != 0; }, 3000));
}

TEST_F(PulseCapture, FormatAndSizeAreChecked)
{
    EXPECT_THROW(recorder.SetFormat(0, 2), TamselError);
    EXPECT_THROW(recorder.SetFormat(44100, 0), TamselError);
    EXPECT_THROW(recorder.SetFormat(44100, 64), TamselError);
    EXPECT_THROW(recorder.SetArraySize(0), TamselError);
    recorder.SetFormat(8000, 1);
    EXPECT_EQ(recorder.MsToSamples(200), 1600);
    EXPECT_EQ(recorder.SamplesToMs(int64_t{8000} * 3600 * 100), int64_t{3600} * 100 * 1000);

    // Mono blocks of the odd size asked for.
    Collector got(recorder, 200, 8000, 1);
    recorder.SetArraySize(1234);
    got.onBlock = [](const Block& block) {
        EXPECT_EQ(block.channels, 1);
        EXPECT_EQ(block.sampleRate, 8000);
        EXPECT_EQ(block.frames(), 1234);
    };
    recorder.StartRecord();
    EXPECT_TRUE(QTest::qWaitFor([&] { return got.sizes.size() >= 2; }, 8000));
    recorder.StopRecord();
}

// A server that goes away and comes back costs the recording the time between,
// kept as silence; it neither ends nor needs a new start.
TEST_F(PulseCapture, ServerRestartWaitsAndResumesByItselfWithTheGapAsSilence)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.unavailable().isEmpty()) << server.unavailable().toStdString();
    Collector got(recorder, 100);
    QSignalSpy errors(&recorder, &TAudioRecord2::OnError);
    QSignalSpy waiting(&recorder, &TAudioRecord2::OnInputWaiting);
    QSignalSpy gaps(&recorder, &TAudioRecord2::OnGap);
    QElapsedTimer clock;
    clock.start();
    recorder.StartRecord();
    ASSERT_TRUE(got.waitForFrames(kRate / 2, 8000));
    const qint64 startupFrames = clock.nsecsElapsed() * kRate / 1000000000 - got.frames();

    server.stop();
    ASSERT_TRUE(waiting.wait(5000));
    EXPECT_TRUE(waiting.at(0).at(0).toString().contains("tamsel_null.monitor"))
        << waiting.at(0).at(0).toString().toStdString();
    QTest::qWait(1500);
    server.start();
    ASSERT_TRUE(gaps.wait(8000)) << "capture did not resume by itself";
    EXPECT_GT(gaps.at(0).at(0).toLongLong(), kRate);
    ASSERT_TRUE(got.waitForFrames(got.frames() + kRate, 8000));
    const qint64 elapsed = clock.nsecsElapsed() * kRate / 1000000000;
    recorder.StopRecord();
    const Block rest = recorder.TakeRemainder();
    EXPECT_TRUE(errors.isEmpty()) << errors.at(0).at(0).toString().toStdString();
    // Positions match the clock: what was captured and the gap fill the time
    // since the start, less the stream's own start-up.
    const qint64 recorded = got.frames() + rest.frames();
    EXPECT_NEAR(double(recorded + startupFrames) / kRate, double(elapsed) / kRate, 0.4);
}

}  // namespace
