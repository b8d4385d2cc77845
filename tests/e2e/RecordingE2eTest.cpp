// Recording and playing as a person does it: clicks on the skin, a tone on the
// sound server, files and sound checked with peer programs.

#include "PulseTestTools.h"
#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "join/JoinTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>
#include <cstring>
#include <iostream>

using namespace e2e;

TEST_F(E2e, RecordPauseResumeStopGivesAToneFileThatTheListJoins)
{
    session->startTone();
    ASSERT_TRUE(session->start());
    const QString folder = session->defaultOutputFolder();

    session->click("mp3rec", "recorder");
    const QString take = waitForRecording(folder);
    ASSERT_FALSE(take.isEmpty()) << "no recording appeared in " << folder.toStdString();
    ASSERT_TRUE(waitForBytes(take, kCdBytesPerSecond)) << "the recording does not grow";

    session->click("mp3rec", "pause");
    const qint64 paused = waitForSteadySize(take, 1500, 20000);
    ASSERT_GT(paused, 0) << "the file keeps growing while paused";
    session->click("mp3rec", "recorder");
    ASSERT_TRUE(waitForBytes(take, paused + kCdBytesPerSecond)) << "the recording did not resume";
    session->click("mp3rec", "stop");
    const qint64 size = waitForSteadySize(take, 1500, 20000);
    ASSERT_GT(size, 0) << "the file keeps growing after stop";
    session->stopTone();

    EXPECT_TRUE(QRegularExpression(R"(-\d\d-\d\d-\d{4}--\d\d;\d\d;\d\d\.wav$)").match(take).hasMatch())
        << take.toStdString();
    const double seconds = durationOf(take);
    EXPECT_GT(seconds, 1.8);
    EXPECT_LT(seconds, 60);
    // The header tells the whole of what is on disk.
    EXPECT_NEAR(seconds * kCdBytesPerSecond, double(size), 16384);
    EXPECT_NEAR(pitchAfterSilence(take), 1000, 20);

    // The stopped recording is in the join list: joined with a file added by
    // hand, the output holds both, in list order.
    const QString added = jointest::wavTone(session->scratch(""), "added.wav", 440, 1.5, 44100, 2);
    session->click("mp3rec", "add");
    session->answerFileDialog("Open", added);
    session->click("listwin", "join");
    session->answerFileDialog("Save As", "joined");
    ASSERT_TRUE(waitUntil([&] { return !session->openedFolders().isEmpty(); }, 60000))
        << "the join did not finish";
    EXPECT_EQ(QDir::cleanPath(QUrl(session->openedFolders().first()).toLocalFile()), folder);
    const QString joined = folder + "/joined.wav";
    EXPECT_NEAR(durationOf(joined), seconds + 1.5, 0.05);
    EXPECT_NEAR(jointest::pitchAt(joined, seconds - 1.0, 0.8), 1000, 20);
    EXPECT_NEAR(jointest::pitchAt(joined, seconds + 0.3, 1.0), 440, 20);
}

// Where the sound server's own recorder, parec, hears the press of stop, the
// recording ends too: nothing the server captured before it is lost.
TEST_F(E2e, ARecordingEndsWhereStopWasPressed)
{
    using namespace pulsetest;
    const QString clock = session->scratch("clock.raw");
    writeClockRaw(clock, 60 * kRate);
    const Peer player("pacat", {"--raw", "--format=s16le", "--rate=44100", "--channels=2", clock});
    ClockedMonitor monitor;
    ASSERT_TRUE(monitor.waitForData());
    ASSERT_TRUE(session->start());
    const QString folder = session->defaultOutputFolder();

    // When a click reaches the program: xdotool sends it as it ends, if told
    // not to linger after it.
    auto press = [&](const QString& element) {
        const QPoint at = session->elementCentre("mp3rec", element);
        session->xdo({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--delay", "0", "1"});
        return ClockedMonitor::now();
    };
    const qint64 started = press("recorder");
    const QString take = waitForRecording(folder);
    ASSERT_FALSE(take.isEmpty()) << "no recording appeared in " << folder.toStdString();
    ASSERT_TRUE(waitForBytes(take, 2 * kCdBytesPerSecond)) << "the recording does not grow";
    const qint64 stopped = press("stop");
    ASSERT_GT(waitForSteadySize(take, 1500, 20000), 0) << "the file keeps growing after stop";
    const std::vector<float> heard = monitor.stop();

    const QString raw = session->scratch("take.raw");
    testsupport::runPeer("sox", {take, "-t", "raw", "-e", "floating-point", "-b", "32", raw});
    const QByteArray bytes = bytesOf(raw);
    std::vector<float> recorded(size_t(bytes.size()) / sizeof(float));
    std::memcpy(recorded.data(), bytes.constData(), recorded.size() * sizeof(float));
    const ClockScan scan = scanClock(recorded);
    EXPECT_TRUE(scan.jumps.empty()) << "the recording breaks " << scan.jumps.size() << " times";

    const qint64 last = findStep(heard, scan.lastStep, monitor.frameAt(stopped) - kRate / 4);
    const qint64 first = findStep(heard, scan.firstStep, monitor.frameAt(started) - kRate / 4);
    ASSERT_GE(last, 0);
    ASSERT_GE(first, 0);
    const double endMs = double(monitor.capturedAt(last) - stopped) / 1e6;
    const double startMs = double(monitor.capturedAt(first) - started) / 1e6;
    qint64 silence = 0;
    while (2 * silence + 1 < qint64(recorded.size()) && !onClock(&recorded[size_t(2 * silence)])) ++silence;
    std::cout << "On " << testsupport::soundServerName().toStdString() << " the recording ends " << endMs
              << " ms after the press of stop and starts " << startMs << " ms after the press of record, "
              << double(silence) * 1000 / kRate << " ms of silence first\n";
    EXPECT_NEAR(endMs, 0, 20);
}

TEST_F(E2e, StoredSettingsShapeTheFirstRecordingAndStayStored)
{
    const QString folder = session->scratch("lectures");
    session->writeSettings(
        "[file]\nenlength=1\nrbtime=1\nrbtimee=1\ntimet=3\ntime=1\nlimit_s=1\nlimit_n=0\n"
        + outputTo(folder)
        + "format=0\nout_name=Lecture\nrb_time=0\nrb_cust=1\n"
          "[wav]\nmode=2\nbit=5\nchannel=0\nfrequency=5\n");
    session->startTone();
    ASSERT_TRUE(session->start());

    session->click("mp3rec", "recorder");
    const QString take = folder + "/Lecture.wav";
    ASSERT_TRUE(waitForBytes(take, 22050)) << "no growing Lecture.wav; the folder holds: "
                                           << QDir(folder).entryList(QDir::Files).join(", ").toStdString();
    // The three-second limit stops the recording by itself.
    ASSERT_GT(waitForSteadySize(take, 2500, 60000), 0) << "the recording ran past its limit";
    session->stopTone();

    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"Lecture.wav"});
    const QJsonObject stream = testsupport::probeAudioStream(take);
    EXPECT_EQ(stream.value("sample_rate").toString(), "22050");
    EXPECT_EQ(stream.value("channels").toInt(), 1);
    EXPECT_EQ(stream.value("bits_per_sample").toInt(), 16);
    EXPECT_GT(durationOf(take), 2.8);
    EXPECT_LT(durationOf(take), 4.5);

    const QStringList stored = {session->setting("output", "out_name"), session->setting("output", "rb_time"),
                                session->setting("output", "rb_cust"),  session->setting("wav", "mode"),
                                session->setting("wav", "frequency"),   session->setting("wav", "channel"),
                                session->setting("file", "enlength"),   session->setting("file", "timet"),
                                session->setting("file", "limit_s"),    session->setting("output", "dir")};
    EXPECT_EQ(stored, (QStringList{"Lecture", "0", "1", "2", "5", "0", "1", "3", "1", folder}));
}

TEST_F(E2e, ARepeatedErrorShowsOneBoxStopsTheRecordingAndLeavesTheWindowDraggable)
{
    const QString folder = session->scratch("takes");
    const QString limit = "[file]\nenlength=1\nrbtime=1\nrbtimee=1\ntime=1\nlimit_s=1\nlimit_n=0\ntimet=";
    session->writeSettings(outputTo(folder) + limit + "600\n");
    session->startTone();
    ASSERT_TRUE(session->start());
    session->click("mp3rec", "recorder");
    const QString take = waitForRecording(folder);
    ASSERT_TRUE(waitForBytes(take, kCdBytesPerSecond));

    // The length limit, read at every timer tick, turns unreadable: every
    // tick now fails the same way.
    session->writeSettings(outputTo(folder) + limit + "\n");
    ASSERT_TRUE(session->waitForWindow("Information")) << "the failure was not reported";
    // Watch several timer periods: the repeats must not open boxes of their own.
    int most = 0;
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 3000) {
        most = std::max(most, int(session->shownWindows("Information").size()));
        QThread::msleep(100);
    }
    EXPECT_EQ(most, 1) << "boxes piled up";
    // The recording stopped at the first failure and its file was completed.
    const qint64 size = waitForSteadySize(take, 1500, 20000);
    EXPECT_GT(size, kCdBytesPerSecond) << "the recording goes on after its failure";
    session->keys({"Return"});
    EXPECT_TRUE(session->waitForNoWindow("Information", 10000));
    session->stopTone();
    EXPECT_NEAR(durationOf(take) * kCdBytesPerSecond, double(size), 16384);
    EXPECT_NEAR(pitchAfterSilence(take), 1000, 20);

    // A press on the bare face drags the window again.
    const QPoint before = session->windowPosition("Tamsel");
    const QPoint face = session->faceSpot("mp3rec");
    session->xdo({"mousemove", QString::number(face.x()), QString::number(face.y()), "mousedown", "1"});
    for (int step = 0; step < 5; ++step) session->xdo({"mousemove_relative", "8", "6"});
    session->xdo({"mouseup", "1"});
    EXPECT_TRUE(waitUntil([&] { return session->windowPosition("Tamsel") == before + QPoint(40, 30); }, 10000))
        << "the window went from (" << before.x() << "," << before.y() << ") to ("
        << session->windowPosition("Tamsel").x() << "," << session->windowPosition("Tamsel").y() << ")";
    // No box came back once the first was answered.
    EXPECT_FALSE(session->shown("Information"));
}

TEST_F(E2e, PlayIsHeardOnTheSoundServer)
{
    const QString tone = jointest::wavTone(session->scratch(""), "play.wav", 1000, 4, 44100, 2);
    ASSERT_TRUE(session->start());
    // An added file is the selected entry.
    session->click("mp3rec", "add");
    session->answerFileDialog("Open", tone);

    const QString heard = session->recordMonitor([&] { session->click("mp3rec", "play"); }, 6);
    EXPECT_NEAR(pitchAfterSilence(heard), 1000, 20);
    EXPECT_GT(testsupport::soxStat(heard, "Maximum amplitude"), 0.3);
}
