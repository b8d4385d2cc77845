// Playback through the sound server into the null sink, heard on its monitor.
// The feeder answers the player's events the way the program's player does:
// one block of 4100 frames per request or finished block.

#include "PulseTestTools.h"

#include "components/file/AudioFile.h"
#include "components/pulse/PulsePlayer.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace pulsetest;

namespace {

constexpr int kBlock = 4100;

struct Feeder {
    Feeder(PulsePlayer& player, std::function<Block()> next) : player(player), next(std::move(next))
    {
        QObject::connect(&player, &TAudioPlayer2::OnRequestOnLoadArray, [this] { feed(); });
        QObject::connect(&player, &TAudioPlayer2::OnEndArrayPlay, [this] {
            ++blocksFinished;
            feed();
        });
        QObject::connect(&player, &TAudioPlayer2::OnTimer,
                         [this](qint64 count, int, int) { timerCounts.push_back(count); });
        QObject::connect(&player, &TAudioPlayer2::OnEndPlay, [this] { ++ends; });
    }
    void feed()
    {
        const Block block = next();
        if (!block.empty()) ++blocksFed;
        player.PlayArray(block);
    }
    void play()
    {
        player.StartPlay();
        feed();
        feed();
    }
    // Waits for a count of at least `frames` among the ticks from `since` on.
    bool waitForPlayed(qint64 frames, int timeoutMs, size_t since = 0)
    {
        return QTest::qWaitFor(
            [&] { return timerCounts.size() > since && timerCounts.back() >= frames; }, timeoutMs);
    }
    bool waitForEnd(int timeoutMs)
    {
        return QTest::qWaitFor([&] { return ends > 0; }, timeoutMs);
    }

    PulsePlayer& player;
    std::function<Block()> next;
    int blocksFed = 0;
    int blocksFinished = 0;
    int ends = 0;
    std::vector<qint64> timerCounts;
};

// Hands out consecutive blocks of interleaved stereo data from a position.
struct MemorySource {
    std::vector<float> data;
    qint64 position = 0;
    Block operator()()
    {
        Block block;
        block.channels = 2;
        block.sampleRate = kRate;
        const qint64 frames = std::min<qint64>(kBlock, static_cast<qint64>(data.size()) / 2 - position);
        if (frames > 0)
            block.samples.assign(data.begin() + 2 * position, data.begin() + 2 * (position + frames));
        position += std::max<qint64>(frames, 0);
        return block;
    }
};

class PulsePlayback : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_PULSE(); }
    QTemporaryDir dir;
};

TEST_F(PulsePlayback, FileIsHeardOnTheMonitorAndEndsOnce)
{
    const QString tone = dir.filePath("tone.wav");
    testsupport::makeTone(tone, 440, 2, kRate, 2);
    AudioFile reader;
    reader.OpenRead(tone, 0, 1);
    const qint64 total = reader.Samples();
    ASSERT_EQ(total, 2 * kRate);

    MonitorRecorder monitor(dir.filePath("monitor.raw"));
    ASSERT_TRUE(monitor.waitForData());

    PulsePlayer player;
    player.SetFormat(reader.ArraySampleRate(), reader.ArrayChannels());
    Feeder feeder(player, [&] { return reader.ReadArray(kBlock); });
    feeder.play();
    ASSERT_TRUE(feeder.waitForEnd(10000));
    EXPECT_FALSE(QSignalSpy(&player, &TAudioPlayer2::OnEndPlay).wait(500));
    EXPECT_EQ(feeder.ends, 1);
    EXPECT_EQ(feeder.blocksFinished, feeder.blocksFed);
    player.StopPlay();
    ASSERT_TRUE(monitor.waitForMore(kRate / 2));
    const std::vector<float> heard = monitor.stopAndRead();

    // The tone appears whole on the monitor: its length, pitch and level.
    qint64 first = -1, last = -1, crossings = 0;
    float peak = 0;
    for (size_t i = 0; i < heard.size(); i += 2) {
        if (std::fabs(heard[i]) > 0.01f) {
            if (first < 0) first = static_cast<qint64>(i / 2);
            last = static_cast<qint64>(i / 2);
        }
        peak = std::max(peak, std::fabs(heard[i]));
    }
    ASSERT_GE(first, 0) << "nothing was heard";
    // The pitch of the tone itself, not of what the server leaves after it.
    for (qint64 i = first + 1; i <= last; ++i)
        if ((heard[size_t(2 * i - 2)] < 0) != (heard[size_t(2 * i)] < 0)) ++crossings;
    const double seconds = static_cast<double>(last - first + 1) / kRate;
    EXPECT_LE(seconds, 2.001);
    EXPECT_GE(seconds, 2.0 - static_cast<double>(kStartLoss) / kRate);
    EXPECT_NEAR(crossings / 2.0 / seconds, 440, 5);
    EXPECT_NEAR(peak, 0.5, 0.02);

    // The played count runs forward only, never past what was written, and
    // ends on the whole file.
    ASSERT_FALSE(feeder.timerCounts.empty());
    EXPECT_TRUE(std::is_sorted(feeder.timerCounts.begin(), feeder.timerCounts.end()));
    EXPECT_EQ(feeder.timerCounts.back(), total);
}

TEST_F(PulsePlayback, FormatsAreCheckedEmptyDataEndsAtOnceAndBlocksBeforeStartAreKept)
{
    PulsePlayer player;
    EXPECT_THROW(player.SetFormat(0, 2), TamselError);
    EXPECT_THROW(player.SetFormat(48000, 0), TamselError);
    player.SetFormat(48000, 1);
    EXPECT_EQ(player.SamplesToMs(72000), 1500);
    Block wrong;
    wrong.channels = 2;  // stereo, then mono at another rate
    wrong.sampleRate = 48000;
    wrong.samples.assign(200, 0.0f);
    EXPECT_THROW(player.PlayArray(wrong), TamselError);
    wrong.channels = 1;
    wrong.sampleRate = 44100;
    EXPECT_THROW(player.PlayArray(wrong), TamselError);

    player.SetFormat(kRate, 2);
    MemorySource nothing;
    Feeder empty(player, std::ref(nothing));
    empty.play();
    ASSERT_TRUE(empty.waitForEnd(8000));
    EXPECT_EQ(empty.blocksFinished, 0);
    EXPECT_FALSE(QSignalSpy(&player, &TAudioPlayer2::OnEndPlay).wait(300));
    EXPECT_EQ(empty.ends, 1);
    player.StopPlay();

    // Blocks handed over before the start are played by it.
    PulsePlayer early;
    early.SetFormat(kRate, 2);
    MemorySource some{makeClock(kRate / 2)};
    Feeder feeder(early, std::ref(some));
    feeder.feed();
    feeder.feed();
    early.StartPlay();
    ASSERT_TRUE(feeder.waitForEnd(8000));
    EXPECT_EQ(feeder.timerCounts.back(), kRate / 2);
    EXPECT_EQ(feeder.blocksFinished, feeder.blocksFed);
}

TEST_F(PulsePlayback, ServerGoingAwayIsReportedAndTheNextStartReconnects)
{
    ServerUnderTest server;
    ASSERT_TRUE(server.unavailable().isEmpty()) << server.unavailable().toStdString();
    MemorySource source{makeClock(30 * kRate)};
    PulsePlayer player;
    player.SetFormat(kRate, 2);
    Feeder feeder(player, std::ref(source));
    QSignalSpy errors(&player, &TAudioPlayer2::OnError);
    feeder.play();
    ASSERT_TRUE(feeder.waitForPlayed(kRate / 4, 8000));

    server.stop();
    ASSERT_TRUE(errors.wait(5000));
    EXPECT_TRUE(errors.at(0).at(0).toString().contains("tamsel_null"))
        << errors.at(0).at(0).toString().toStdString();
    const size_t ticks = feeder.timerCounts.size();
    EXPECT_FALSE(errors.wait(300));
    EXPECT_EQ(feeder.timerCounts.size(), ticks) << "timer ran on after the failure";
    EXPECT_THROW(player.StartPlay(), TamselError);

    server.start();
    const size_t ticksBeforeRestart = feeder.timerCounts.size();
    player.StartPlay();
    EXPECT_TRUE(feeder.waitForPlayed(kRate / 4, 8000, ticksBeforeRestart));
    player.StopPlay();
    EXPECT_EQ(feeder.ends, 0);
}

}  // namespace
