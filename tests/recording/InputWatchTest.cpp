// The watch over a recording's input: silence counted exactly in frames fed,
// a stall in wall-clock time, each told in the window until it clears and
// once per occurrence on the desktop.

#include "recording/InputWatch.h"

#include "fakes/FakeDesktopNotifier.h"

#include <QStringList>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kRate = 1000;  // frames per second: a second is a round count
const float kQuiet = std::pow(10.0f, -70.0f / 20);  // below the -60 dBFS level used here
const float kLoud = 0.5f;

// `frames` stereo frames of `level` on both channels.
Block stereo(int64_t frames, float level)
{
    return Block{std::vector<float>(size_t(frames) * 2, level), 2, kRate};
}

struct Watched {
    FakeDesktopNotifier desktop;
    InputWatch watch;
    QStringList notices;

    explicit Watched(std::chrono::milliseconds stallAfter = std::chrono::seconds(60))
        : watch(&desktop, stallAfter)
    {
        QObject::connect(&watch, &InputWatch::notice, [this](const QString& text) { notices << text; });
    }
};

}  // namespace

TEST(InputWatch, SilenceIsToldWhenItHasLastedTheSetTimeToTheFrameAndOnceUntilSoundReturns)
{
    Watched w;
    w.watch.start(-60, 3);
    w.watch.feed(stereo(1000, kQuiet));
    w.watch.feed(stereo(1999, kQuiet));
    EXPECT_FALSE(w.watch.silent()) << "one frame short of three seconds";
    EXPECT_TRUE(w.notices.isEmpty());
    w.watch.feed(stereo(1, kQuiet));
    EXPECT_TRUE(w.watch.silent());
    EXPECT_EQ(w.notices, QStringList{"The input has been silent for 00:00:03"});
    w.watch.feed(stereo(5000, kQuiet));
    ASSERT_EQ(w.desktop.shown.size(), 1) << "once per silence, however long it lasts";
    EXPECT_EQ(w.desktop.shown[0],
              "The input is silent: The input has been silent for 00:00:03. The recording goes on.");

    // Loud on one channel only is sound; the frames after it already count as silence.
    Block returns = stereo(500, kQuiet);
    returns.samples[1] = kLoud;
    w.watch.feed(returns);
    EXPECT_FALSE(w.watch.silent());
    EXPECT_EQ(w.notices.last(), "");
    w.watch.feed(stereo(2500, kQuiet));
    EXPECT_FALSE(w.watch.silent()) << "499 + 2500 frames: one short";
    w.watch.feed(stereo(1, kQuiet));
    EXPECT_TRUE(w.watch.silent());
    EXPECT_EQ(w.desktop.shown.size(), 2) << "a new silence is told again";

    // A loud frame ending a block leaves no silence behind it.
    Block endsLoud = stereo(100, kQuiet);
    endsLoud.samples.back() = -kLoud;
    w.watch.feed(endsLoud);
    w.watch.feed(stereo(2999, kQuiet));
    EXPECT_FALSE(w.watch.silent());
}

TEST(InputWatch, DigitalSilenceCountsAndZeroSecondsNeverTells)
{
    Watched w;
    w.watch.start(-60, 1);
    w.watch.feed(stereo(kRate, 0.0f));
    EXPECT_TRUE(w.watch.silent()) << "an all-zero input is silent, not an error";

    w.watch.stop();
    EXPECT_EQ(w.notices.last(), "") << "stopping withdraws the notice";
    w.watch.start(-60, 0);
    for (int i = 0; i < 100; ++i) w.watch.feed(stereo(10 * kRate, 0.0f));
    EXPECT_FALSE(w.watch.silent());
    EXPECT_EQ(w.desktop.shown.size(), 1);

    // Start begins the count afresh: silence before it does not carry over.
    w.watch.start(-60, 2);
    w.watch.feed(stereo(kRate, 0.0f));
    w.watch.stop();
    w.watch.start(-60, 2);
    w.watch.feed(stereo(kRate, 0.0f));
    EXPECT_FALSE(w.watch.silent());
}

TEST(InputWatch, AStallIsToldAfterItsTimeWithoutBlocksAndClearsWithTheNextBlock)
{
    EXPECT_EQ(InputWatch::stallNotice(std::chrono::seconds(2)), "No audio from the sound server for 00:00:02");

    Watched w(std::chrono::milliseconds(30));
    w.watch.start(-60, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.watch.stalled(); }, 5000)) << "no block since the start";
    EXPECT_EQ(w.notices, QStringList{InputWatch::stallNotice(std::chrono::milliseconds(30))});
    ASSERT_EQ(w.desktop.shown.size(), 1);
    EXPECT_TRUE(w.desktop.shown[0].startsWith("The recording gets no audio: No audio from the sound server"));

    // Audio returns silent: the stall's notice gives way to the silence's.
    w.watch.feed(stereo(kRate, 0.0f));
    EXPECT_FALSE(w.watch.stalled());
    EXPECT_EQ(w.notices.last(), "The input has been silent for 00:00:01");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.watch.stalled(); }, 5000)) << "the clock restarts per block";
    EXPECT_EQ(w.notices.last(), InputWatch::stallNotice(std::chrono::milliseconds(30)));
    EXPECT_EQ(w.desktop.shown.size(), 3) << "the silence and each stall once";
    w.watch.feed(stereo(10, kLoud));
    EXPECT_EQ(w.notices.last(), "");

    w.watch.stop();
    const qsizetype told = w.notices.size();
    QTest::qWait(150);
    EXPECT_FALSE(w.watch.stalled()) << "a stopped watch has no clock";
    EXPECT_EQ(w.notices.size(), told);
    EXPECT_EQ(w.desktop.shown.size(), 3);
}
