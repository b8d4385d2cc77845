// The whole process stopped for a while (SIGSTOP, as under memory pressure or
// in a suspend): the recording keeps its place in time and a stop just after
// keeps everything captured up to it, as parec on the same source hears it.

#include "CaptureCollector.h"
#include "PulseTestTools.h"

#include "components/pulse/PulseRecorder.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace pulsetest;

namespace {

// Stops this process for the given time from a shell outside it.
void stopProcessFor(int seconds)
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    QProcess::startDetached("sh", {"-c", QStringLiteral("kill -STOP %1; sleep %2; kill -CONT %1").arg(pid).arg(seconds)});
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < seconds * 1000 + 300) QTest::qWait(50);
}

TEST(PulseStall, AStoppedProcessKeepsItsPlaceAndAStopAfterKeepsAllUpToIt)
{
    REQUIRE_PULSE();
    restoreDefaultSource();
    QTemporaryDir dir;
    const QString raw = dir.filePath("clock.raw");
    writeClockRaw(raw, 30 * kRate);
    PulseRecorder recorder;
    recorder.InputLineCount();
    ClockedMonitor monitor;
    Peer player("pacat", {"--raw", "--format=s16le", "--rate=44100", "--channels=2", "-d", "tamsel_null", raw});
    ASSERT_TRUE(monitor.waitForData());
    Collector got(recorder, 200);
    QSignalSpy gaps(&recorder, &TAudioRecord2::OnGap);
    recorder.StartRecord();
    ASSERT_TRUE(got.waitForClock(8000));

    stopProcessFor(3);
    const qint64 stopAt = ClockedMonitor::now();
    recorder.StopRecord();
    const Block rest = recorder.TakeRemainder();
    got.samples.insert(got.samples.end(), rest.samples.begin(), rest.samples.end());
    QTest::qWait(300);  // the reference runs past the stop
    const std::vector<float> heard = monitor.stop();

    const ClockScan scan = scanClock(got.samples);
    // pipewire-pulse may drop a few milliseconds in a stall without telling
    // the client (270 frames seen); more than that is a cut.
    constexpr qint64 kUntold = kRate / 100;
    for (const auto skipped : scan.jumps)
        EXPECT_LE(std::abs(qint64(skipped)), kUntold) << "audio was cut out: a break skips " << skipped << " frames";
    EXPECT_TRUE(gaps.isEmpty()) << "the server kept all of it";
    const qint64 last = findStep(heard, scan.lastStep, monitor.frameAt(stopAt));
    ASSERT_GE(last, 0);
    EXPECT_NEAR(double(monitor.capturedAt(last) - stopAt) / 1e6, 0, 50) << "ms between the stop and the last frame";
}

}  // namespace
