// A chosen input that goes away mid-recording: the recording waits for it,
// records nothing from any other source meanwhile, and resumes by itself when
// a source of the same name returns, the time between kept as silence.

#include "CaptureCollector.h"
#include "PulseTestTools.h"

#include "components/pulse/CaptureClock.h"
#include "components/pulse/PulseRecorder.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace pulsetest;

namespace {

qint64 framesSince(const QElapsedTimer& clock) { return clock.nsecsElapsed() * kRate / 1000000000; }

// A recorder of the case's own, what it delivers and what it tells.
class PulseInputLoss : public ::testing::Test {
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

    PulseRecorder recorder;
    Collector got{recorder, 100};
    QSignalSpy errors{&recorder, &TAudioRecord2::OnError};
    QSignalSpy waiting{&recorder, &TAudioRecord2::OnInputWaiting};
    QSignalSpy gaps{&recorder, &TAudioRecord2::OnGap};
    QElapsedTimer clock;
};

TEST_F(PulseInputLoss, AChosenInputThatGoesIsWaitedForAndNeverReplaced)
{
    auto input = std::make_unique<testsupport::TestSource>("tamsel_gone", "Tamsel-Gone");
    recorder.SetSource("tamsel_gone");
    clock.start();
    recorder.StartRecord();
    ASSERT_TRUE(got.waitForFrames(kRate / 2, 8000));
    const qint64 startup = framesSince(clock) - got.frames();

    input.reset();
    ASSERT_TRUE(waiting.wait(5000));
    EXPECT_TRUE(waiting.at(0).at(0).toString().contains("tamsel_gone")) << waiting.at(0).at(0).toString().toStdString();
    QTest::qWait(200);
    const qint64 atLoss = got.frames();
    QTest::qWait(1000);
    // The monitor, the default source, is still there: nothing of it is taken.
    EXPECT_EQ(got.frames(), atLoss) << "audio came from another input";
    EXPECT_EQ(pactl({"list", "short", "source-outputs"}), "") << "the stream was moved";

    input = std::make_unique<testsupport::TestSource>("tamsel_gone", "Tamsel-Gone");
    ASSERT_TRUE(gaps.wait(5000)) << "capture did not resume by itself";
    EXPECT_GT(gaps.at(0).at(0).toLongLong(), kRate);
    // Placed after all that came before the loss, what was delivered in
    // blocks and what waited to complete one.
    EXPECT_GE(gaps.at(0).at(1).toLongLong(), atLoss);
    EXPECT_LT(gaps.at(0).at(1).toLongLong(), atLoss + got.blockFrames);
    ASSERT_TRUE(got.waitForFrames(got.frames() + kRate / 2, 8000));
    const qint64 elapsed = framesSince(clock);
    recorder.StopRecord();
    const qint64 recorded = got.frames() + recorder.TakeRemainder().frames();
    EXPECT_TRUE(errors.isEmpty());
    // Positions match the clock: the gap fills the time without input.
    EXPECT_NEAR(double(recorded + startup) / kRate, double(elapsed) / kRate, 0.3);

    // Gone during a pause: the resume waits for it instead of failing.
    input.reset();
    QTest::qWait(300);
    waiting.clear();
    gaps.clear();
    recorder.StartRecord();
    EXPECT_TRUE(waiting.size() == 1 || waiting.wait(3000));
    input = std::make_unique<testsupport::TestSource>("tamsel_gone", "Tamsel-Gone");
    EXPECT_TRUE(gaps.wait(5000)) << "the resume did not take up the returned input";
    const qint64 resumedAt = got.frames();
    EXPECT_TRUE(got.waitForFrames(resumedAt + kRate / 4, 5000));
    recorder.StopRecord();
    EXPECT_TRUE(errors.isEmpty());
}

// A chosen input that is not there when the recording starts (unplugged, not
// made yet) is waited for as one that went away: the start does not fail, and
// capture begins when it appears, the time before it kept as silence.
TEST_F(PulseInputLoss, AChosenInputMissingAtTheStartIsWaitedForFromTheStart)
{
    recorder.SetSource("tamsel_late");
    clock.start();
    ASSERT_NO_THROW(recorder.StartRecord());
    EXPECT_EQ(recorder.ErrorCode(), 0);
    ASSERT_TRUE(waiting.size() == 1 || waiting.wait(3000)) << "the start did not say it waits";
    EXPECT_TRUE(waiting.at(0).at(0).toString().contains("tamsel_late")) << waiting.at(0).at(0).toString().toStdString();
    QTest::qWait(1000);
    EXPECT_EQ(got.frames(), 0) << "audio came from another input";
    EXPECT_EQ(pactl({"list", "short", "source-outputs"}), "") << "a stream was opened on another input";

    const testsupport::TestSource input("tamsel_late", "Tamsel-Late");
    ASSERT_TRUE(gaps.wait(8000)) << "capture did not begin when the input appeared";
    const double appeared = double(clock.elapsed()) / 1000;
    // The silence stands for the time from the start until its first audio.
    EXPECT_NEAR(double(gaps.at(0).at(0).toLongLong()) / kRate, appeared, 0.3);
    ASSERT_TRUE(got.waitForFrames(got.frames() + kRate / 2, 8000));
    recorder.StopRecord();
    EXPECT_TRUE(errors.isEmpty());
}

// A new stream's first audio can come late (a PulseAudio monitor that nothing
// else records from takes a second or two): the time from the start until it
// comes is kept as silence, so a recording is as long as it ran. No input
// went missing, so no gap is told.
TEST_F(PulseInputLoss, TheTimeANewStreamTakesToDeliverIsKeptAsSilence)
{
    clock.start();
    recorder.StartRecord();
    QTest::qWait(3000);
    const qint64 elapsed = framesSince(clock);
    recorder.StopRecord();
    const qint64 recorded = got.frames() + recorder.TakeRemainder().frames();
    // A delay shorter than a shortfall the capture clock tells is ordinary
    // start-up and not filled, so that much may be missing.
    const double slack = CaptureClock::kShortfallMs / 1000.0 + 0.05;
    EXPECT_NEAR(double(recorded) / kRate, double(elapsed) / kRate, slack)
        << "on " << testsupport::soundServerName().toStdString();
    EXPECT_TRUE(gaps.isEmpty());
}

// Paused while waiting for the input: the silence kept for it is the time it
// was missing while recording, not the pause. Then a recording that ends
// while it waits leaves nothing of that wait to the next one.
TEST_F(PulseInputLoss, APauseOrAnEndWhileWaitingIsNotKeptAsMissingInput)
{
    auto input = std::make_unique<testsupport::TestSource>("tamsel_gone", "Tamsel-Gone");
    recorder.SetSource("tamsel_gone");
    clock.start();
    recorder.StartRecord();
    ASSERT_TRUE(got.waitForFrames(kRate / 4, 8000));
    input.reset();
    ASSERT_TRUE(waiting.wait(5000));
    QTest::qWait(1000);
    recorder.StopRecord();
    const qint64 recording = framesSince(clock);
    QTest::qWait(2000);

    input = std::make_unique<testsupport::TestSource>("tamsel_gone", "Tamsel-Gone");
    clock.restart();
    recorder.StartRecord();
    ASSERT_TRUE(gaps.wait(5000)) << "capture did not resume";
    QTest::qWait(500);
    // Gone again, and the take ends while it waits: the wait is not kept.
    input.reset();
    ASSERT_TRUE(waiting.wait(5000));
    const qint64 resumed = framesSince(clock);
    QTest::qWait(1000);
    recorder.StopRecord();
    const qint64 recorded = got.frames() + recorder.TakeRemainder().frames();
    EXPECT_NEAR(double(recorded) / kRate, double(recording + resumed) / kRate, 0.3);

    input = std::make_unique<testsupport::TestSource>("tamsel_gone", "Tamsel-Gone");
    got.samples.clear();
    recorder.SetArraySize(got.blockFrames);
    clock.restart();
    recorder.StartRecord();
    QTest::qWait(1500);
    const qint64 elapsed = framesSince(clock);
    recorder.StopRecord();
    const qint64 next = got.frames() + recorder.TakeRemainder().frames();
    EXPECT_NEAR(double(next) / kRate, double(elapsed) / kRate, 0.3) << "the next take began with the last one's wait";
}

// "The system default" follows the default on every server alike: a recording
// moves to the new default source when it changes.
TEST_F(PulseInputLoss, TheSystemDefaultIsFollowedWhenItChanges)
{
    const testsupport::TestSource other("tamsel_next", "Tamsel-Next");
    recorder.StartRecord();
    ASSERT_TRUE(got.waitForFrames(kRate / 4, 8000));
    auto recordedSource = [] {
        const QString outputs = pactl({"list", "short", "source-outputs"});
        const QString sources = pactl({"list", "short", "sources"});
        const QString index = outputs.section('\t', 1, 1);
        for (const QString& line : sources.split('\n'))
            if (line.section('\t', 0, 0) == index) return line.section('\t', 1, 1);
        return QString();
    };
    EXPECT_EQ(recordedSource(), "tamsel_null.monitor");
    pactl({"set-default-source", "tamsel_next"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return recordedSource() == "tamsel_next"; }, 3000)) << recordedSource().toStdString();
    const qint64 before = got.frames();
    EXPECT_TRUE(got.waitForFrames(before + kRate / 4, 3000)) << "capture goes on from the new default";
    recorder.StopRecord();
}

}  // namespace
