// Silence-aware recording as a person uses it: a take armed for sound, a take
// split at its silences and an input gone silent, with bursts of tone played
// into the sound server and the files measured with sox and ffprobe.

#include "e2e/AccessibilityBus.h"
#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "e2e/SilenceE2eSupport.h"
#include "platform/MockNotifications.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <iostream>

using namespace e2e;

namespace {

// -40 dBFS: where the cases tell tone from silence, the start level's default.
constexpr int kLoud = 328;

// "output" settings that name the takes Take, Take-2, ...: goes after outputTo().
const char kNamedTake[] = "format=0\nout_name=Take\nrb_time=0\nrb_cust=1\n";

QString folderList(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files).join(", ");
}


}  // namespace

// Armed before anything plays, the take keeps each sound in a file of its
// own: the pre-roll before it, the hang time of silence after it.
TEST_F(E2e, ATakeArmedForSoundKeepsEachSoundWithItsPrerollAndHangTime)
{
    const int rate = serverRate();
    const QString folder = session->scratch("takes");
    session->writeSettings(outputTo(folder) + kNamedTake + wavSettingsAt(rate)
                           + "[sound]\nmode=1\nstart_level=-40\npreroll=1000\nhang=1500\nnew_file=1\n");
    const QString signal = session->scratch("bursts.wav");
    makeBursts(signal, rate, 3.0, {{1000, 1.0, 3.0}, {1500, 1.0, 2.5}});
    ASSERT_TRUE(session->start());

    session->click("mp3rec", "recorder");
    QProcess player;
    startPlaying(player, signal);
    ASSERT_TRUE(player.waitForFinished(30000)) << "the bursts did not play to their end";
    const QString first = folder + "/Take.wav", second = folder + "/Take-2.wav";
    // The second sound's file is complete once its hang time has passed.
    ASSERT_GT(waitForSteadySize(second, 1000, 20000), 0) << "the folder holds " << folderList(folder).toStdString();
    session->click("mp3rec", "stop");
    ASSERT_GT(waitForSteadySize(second, 1000, 20000), 0);

    EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{"Take-2.wav", "Take.wav"}));
    const struct {
        QString file;
        double hz;
    } takes[] = {{first, 1000}, {second, 1500}};
    for (const auto& take : takes) {
        SCOPED_TRACE(take.file.toStdString());
        const std::vector<int16_t> samples = shortSamples(take.file);
        const LoudSpan tone = loudSpan(samples, 2, kLoud);
        ASSERT_GE(tone.first, 0) << "no tone in the file";
        const double frames = double(samples.size()) / 2;
        const double onset = double(tone.first) / rate, length = double(tone.last + 1 - tone.first) / rate;
        const double tail = (frames - double(tone.last + 1)) / rate;
        std::cout << take.file.section('/', -1).toStdString() << ": the tone starts " << onset * 1000
                  << " ms into the file, lasts " << length * 1000 << " ms, and " << tail * 1000
                  << " ms follow it\n";
        EXPECT_NEAR(onset, 1.0, 0.02) << "the pre-roll is off";
        EXPECT_NEAR(length, 1.0, 0.02) << "the file holds more or less than the one burst";
        EXPECT_NEAR(tail, 1.5, 0.02) << "the hang time is off";
        EXPECT_NEAR(pitchAfterSilence(take.file), take.hz, 30);
    }
}

// Split at its silences, the take's pieces are listed, numbered as tracks,
// and joined hold exactly what the sound server delivered: no frame lost,
// doubled or changed at a cut.
TEST_F(E2e, ASplitTakesPiecesAreListedNumberedAndJoinToWhatTheServerDelivered)
{
    AccessibilityBus bus(*session, session->scratch("a11y"));
    ASSERT_TRUE(bus.failure().isEmpty()) << bus.failure().toStdString();
    const int rate = serverRate();
    const QString folder = session->scratch("takes");
    session->writeSettings(outputTo(folder) + kNamedTake + wavSettingsAt(rate)
                           + "[sound]\nmode=2\nsplit_level=-50\nsplit_silence=1000\ndrop=0\n");
    const QString signal = session->scratch("bursts.wav");
    const double hz[] = {500, 1000, 1500};
    makeBursts(signal, rate, 2.5, {{hz[0], 0.6, 1.5}, {hz[1], 0.6, 1.5}, {hz[2], 0.6, 1.0}});
    ASSERT_TRUE(session->start());

    // The player runs before either capture starts: a stream that starts
    // makes the null sink rewrite what its monitor has not handed out yet,
    // which two captures of different latency would see differently.
    QProcess player;
    startPlaying(player, signal);
    pulsetest::MonitorRecorder reference(session->scratch("reference.f32"), rate);
    ASSERT_TRUE(reference.waitForData()) << "parec captures nothing";
    session->click("mp3rec", "recorder");
    ASSERT_TRUE(player.waitForFinished(30000)) << "the bursts did not play to their end";
    const QStringList pieces = {folder + "/Take.wav", folder + "/Take-2.wav", folder + "/Take-3.wav"};
    // The last piece keeps the silence that follows its burst until the stop.
    ASSERT_TRUE(waitUntil([&] { return sizeOf(pieces[2]) > 0; }, 20000))
        << "the folder holds " << folderList(folder).toStdString();
    session->click("mp3rec", "stop");
    ASSERT_GT(waitForSteadySize(pieces[2], 1000, 20000), 0);
    const std::vector<int16_t> heard = asShorts(reference.stopAndRead());

    EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{"Take-2.wav", "Take-3.wav", "Take.wav"}));
    QStringList cells;
    EXPECT_TRUE(waitUntil(
        [&] {
            cells = bus.read().filter(QRegularExpression(R"(^List\|table cell\|)"));
            return cells.size() >= 3;
        },
        20000));
    for (const QString& piece : pieces) {
        SCOPED_TRACE(piece.toStdString());
        EXPECT_FALSE(cells.filter(piece.section('/', -1)).isEmpty()) << "not listed: " << cells.join('\n').toStdString();
    }

    std::vector<int16_t> joined;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(pieces[i].toStdString());
        EXPECT_TRUE(waitUntil([&] { return testsupport::tagOf(pieces[i], "track") == QString::number(i + 1); }, 10000))
            << "tagged as track \"" << testsupport::tagOf(pieces[i], "track").toStdString() << "\"";
        EXPECT_NEAR(pitchAfterSilence(pieces[i]), hz[i], 30);
        const std::vector<int16_t> samples = shortSamples(pieces[i]);
        const LoudSpan tone = loudSpan(samples, 2, kLoud);
        ASSERT_GE(tone.first, 0) << "no tone in the piece";
        const double seconds = double(samples.size()) / 2 / rate;
        const double onset = double(tone.first) / rate, tail = seconds - double(tone.last + 1) / rate;
        std::cout << pieces[i].section('/', -1).toStdString() << ": " << seconds << " s, the tone at " << onset
                  << " s, " << tail << " s follow it\n";
        // A cut falls just before the next sound, in the 10 ms window where it
        // was heard first: the piece before keeps the whole silence.
        if (i > 0) {
            EXPECT_LT(onset, 0.0101) << "the piece begins too long before its sound";
        }
        if (i < 2) {
            EXPECT_GT(tail, 1.5 - 0.0101) << "the piece ends too early before the next sound";
        }
        joined.insert(joined.end(), samples.begin(), samples.end());
    }

    // Aligned by the first burst's start and what precedes it, the joined
    // pieces are one span of the reference, sample for sample.
    const auto onset = std::find_if(joined.begin(), joined.end(), [](int16_t s) { return s != 0; });
    ASSERT_NE(onset, joined.end()) << "the pieces hold nothing but silence";
    const int64_t at = std::max<int64_t>(onset - joined.begin() - 2 * rate / 10, 0) & ~int64_t(1);
    const std::vector<int16_t> chunk(joined.begin() + at, joined.begin() + std::min<int64_t>(at + rate, int64_t(joined.size())));
    const int64_t found = findExact(heard, chunk);
    ASSERT_GE(found, 0) << "the first burst as recorded is nowhere in what parec captured";
    const int64_t start = found - at;
    ASSERT_GE(start, 0) << "the take starts " << double(-start) / 2 / rate << " s before parec's capture";
    ASSERT_LE(start + int64_t(joined.size()), int64_t(heard.size()))
        << "the take runs " << double(start + int64_t(joined.size()) - int64_t(heard.size())) / 2 / rate
        << " s past parec's capture";
    std::cout << "The take starts " << double(start) / 2 / rate << " s into parec's capture of "
              << double(heard.size()) / 2 / rate << " s\n";
    int64_t differing = 0, firstDifference = -1;
    for (size_t i = 0; i < joined.size(); ++i) {
        if (joined[i] == heard[size_t(start) + i]) continue;
        if (firstDifference < 0) firstDifference = int64_t(i);
        ++differing;
    }
    EXPECT_EQ(differing, 0) << "of " << joined.size() << " samples; the first at frame " << firstDifference / 2
                            << " of the joined pieces (" << double(firstDifference) / 2 / rate << " s)";
}

// An input silent for the set time is told in the main window and once on the
// desktop; the notice goes when sound returns, and a new silence is told anew.
TEST_F(E2e, ASilentInputIsToldInTheWindowAndOnceOnTheDesktopUntilSoundReturns)
{
    AccessibilityBus bus(*session, session->scratch("a11y"));
    ASSERT_TRUE(bus.failure().isEmpty()) << bus.failure().toStdString();
    MockNotifications desktop(bus.address());
    ASSERT_TRUE(desktop.failure().isEmpty()) << desktop.failure().toStdString();
    const QString folder = session->scratch("takes");
    session->writeSettings(outputTo(folder) + "[sound]\nsilent_seconds=3\n");
    ASSERT_TRUE(session->start());
    ASSERT_TRUE(bus.reached()) << "the program never reached the screen reader";

    // The Info text, as a screen reader reads it.
    const auto info = [&] {
        return bus.read().filter(QRegularExpression(R"(^Tamsel\|label\|Format\b)")).value(0).section('|', 2, 2);
    };
    const QString notice = "Format The input has been silent for 00:00:03";
    QElapsedTimer clock;
    session->click("mp3rec", "recorder");
    clock.start();
    ASSERT_TRUE(waitUntil([&] { return info() == notice; }, 20000)) << "the Info text reads \"" << info().toStdString() << '"';
    EXPECT_GE(clock.elapsed(), 2900) << "told before three seconds of silence were recorded";
    ASSERT_TRUE(waitUntil([&] { return !desktop.notices().isEmpty(); }, 10000)) << "no desktop notification";
    const MockNotifications::Notice told = desktop.notices().first();
    EXPECT_EQ(told.appName, "Tamsel");
    EXPECT_EQ(told.summary, "The input is silent");
    EXPECT_EQ(told.body, "The input has been silent for 00:00:03. The recording goes on.");

    session->startTone();
    EXPECT_TRUE(waitUntil([&] { return info() == "Format stereo 16B 44100HZ"; }, 10000))
        << "with a tone playing the Info text reads \"" << info().toStdString() << '"';
    EXPECT_EQ(desktop.notices().size(), 1);

    session->stopTone();
    EXPECT_TRUE(waitUntil([&] { return info() == notice; }, 20000)) << "a second silence is not told";
    EXPECT_TRUE(waitUntil([&] { return desktop.notices().size() == 2; }, 10000)) << "the second silence";
    session->click("mp3rec", "stop");
    EXPECT_GT(waitForSteadySize(waitForRecording(folder), 1000, 20000), 0);
}
