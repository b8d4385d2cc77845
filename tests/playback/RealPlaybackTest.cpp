// The player with the real reader and sound-server player, heard on the
// private server's null sink monitor.

#include "PulseTestTools.h"

#include "components/file/AudioFile.h"
#include "components/pulse/PulsePlayer.h"
#include "PlaybackFakes.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

using namespace pulsetest;

namespace {

using Text = PlaybackControl::Text;

// Distance of two clock steps on the clock's circle.
double clockDistance(qint64 a, qint64 b) { return std::fabs(stepsApart(double(a - b))); }

class RealPlayback : public ::testing::Test, protected PlayerDisplay {
protected:
    void SetUp() override
    {
        REQUIRE_PULSE();
        build(reader, player);
        QObject::connect(&player, &TAudioPlayer2::OnEndPlay, [this] { ++ends; });
    }
    ~RealPlayback() override { control.reset(); }

    bool waitUntilStopped(int timeoutMs) { return QTest::qWaitFor([this] { return !activity.playing(); }, timeoutMs); }
    int highestBar() const { return barWrites.isEmpty() ? 0 : *std::max_element(barWrites.begin(), barWrites.end()); }

    QTemporaryDir dir;
    AudioFile reader;
    PulsePlayer player;
    int ends = 0;
};

TEST_F(RealPlayback, AFileIsHeardAndItsEndClearsTheDisplayOnce)
{
    const QString tone = dir.filePath("tone.wav");
    testsupport::makeTone(tone, 440, 1, kRate, 2);
    entries << tone;
    MonitorRecorder monitor(dir.filePath("monitor.raw"));
    ASSERT_TRUE(monitor.waitForData());

    // The texts a start shows are PlaybackTest's and PlaybackWiring's.
    control->PlayCommand();
    EXPECT_TRUE(activity.playing());
    ASSERT_TRUE(QTest::qWaitFor([this] { return texts[Text::Time] == "Time:00:00:00"; }, 8000));

    ASSERT_TRUE(waitUntilStopped(10000));
    EXPECT_FALSE(QSignalSpy(&player, &TAudioPlayer2::OnEndPlay).wait(500));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(highestBar(), 980) << "the bar reached the end";
    for (Text t : {Text::Time, Text::Size, Text::FileName, Text::Info}) EXPECT_TRUE(texts[t].isEmpty());
    EXPECT_FALSE(barEnabled);
    EXPECT_TRUE(levels.isHidden());
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_GT(levels.blocks, 10);

    ASSERT_TRUE(monitor.waitForMore(kRate / 4));
    const std::vector<float> heard = monitor.stopAndRead();
    float peak = 0;
    for (float v : heard) peak = std::max(peak, std::fabs(v));
    EXPECT_NEAR(peak, 0.5, 0.02) << "the tone was not heard";
}

TEST_F(RealPlayback, AnEmptyFileAndASixChannelFileEndOnTheirOwn)
{
    const QString empty = dir.filePath("empty.wav");
    testsupport::runPeer("sox", {"-n", "-r", QString::number(kRate), "-c", "2", "-b", "16", empty, "trim",
                                 "0", "0"});
    const QString six = dir.filePath("six.wav");
    testsupport::makeTone(six, 440, 0.3, 48000, 6, {"-b", "16"});
    entries << empty << six;

    selected = 0;
    bar = 700;  // where an earlier file left it
    int expectedEnds = 0;
    control->PlayCommand();
    ASSERT_TRUE(waitUntilStopped(8000));
    EXPECT_EQ(ends, ++expectedEnds);
    EXPECT_EQ(bar, 0);
    EXPECT_EQ(highestBar(), 0) << "the bar moved off 0 for a file of no frames";

    selected = 1;
    control->PlayCommand();
    EXPECT_TRUE(texts[Text::Info].startsWith("File Info: 6 Channels ")) << texts[Text::Info].toStdString();
    ASSERT_TRUE(waitUntilStopped(8000));
    EXPECT_EQ(ends, expectedEnds + 1);
    EXPECT_EQ(highestBar(), 980);
}

TEST_F(RealPlayback, PauseResumesWhereTheSoundStoppedAndASeekLandsOnTheBar)
{
    // Long enough that the 2/980 after a seek to 978 (a quarter second)
    // outlast what the monitor may miss of a new stream on a loaded machine.
    const qint64 total = 120 * kRate;
    const QString raw = dir.filePath("clock.raw");
    const QString clock = dir.filePath("clock.wav");
    writeClockRaw(raw, total);
    testsupport::runPeer("sox", {"-t", "raw", "-r", QString::number(kRate), "-e", "signed", "-b", "16", "-c",
                                 "2", raw, clock});
    entries << clock;
    MonitorRecorder monitor(dir.filePath("monitor.raw"));
    ASSERT_TRUE(monitor.waitForData());

    control->PlayCommand();
    ASSERT_TRUE(QTest::qWaitFor([this] { return control->position() >= kRate; }, 8000));
    control->TogglePlaybackPause();
    const qint64 pausedAt = control->position();
    QTest::qWait(500);
    EXPECT_EQ(control->position(), pausedAt) << "the position moved during the pause";
    EXPECT_TRUE(activity.playing());

    control->PlayCommand();  // resumes
    EXPECT_FALSE(activity.playbackPaused());
    ASSERT_TRUE(QTest::qWaitFor([&] { return control->position() >= pausedAt + kRate / 2; }, 8000));
    const qint64 seekedFrom = control->position();

    bar = 978;
    control->SeekFromBar();
    const qint64 target = PlaybackControl::positionFromBar(978, total);
    EXPECT_EQ(control->position(), target);
    ASSERT_TRUE(waitUntilStopped(8000));
    EXPECT_EQ(ends, 1);
    ASSERT_TRUE(monitor.waitForMore(kRate / 4));

    const ClockScan scan = scanClock(monitor.stopAndRead());
    ASSERT_EQ(scan.segments.size(), 3u);
    const double tolerance = 0.1 * kRate;
    // Heard up to the pause, then on from there: nothing skipped, at most a
    // timer period repeated.
    EXPECT_NEAR(scan.firstStep + scan.segments[0], pausedAt, tolerance);
    EXPECT_LE(clockDistance(scan.stepsAfterBreak[0], pausedAt), tolerance + kStartLoss);
    EXPECT_NEAR(pausedAt + scan.segments[1], seekedFrom, tolerance + kStartLoss);
    // After the seek, the rest of the file from 978/980, to its last frame.
    const double late = stepsApart(scan.stepsAfterBreak[1] - double(target));
    EXPECT_GE(late, -kSmear);
    EXPECT_LE(late, kStartLoss);
    EXPECT_NEAR(late + double(scan.segments[2]), double(total - target), kSmear);
}

}  // namespace
