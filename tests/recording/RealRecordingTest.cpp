// Recordings through the private sound server with the real capture, file and
// tag components: a tone played into the null sink is recorded from its
// monitor, named, tagged and listed.

#include "RecordingSettings.h"
#include "app/Activity.h"
#include "platform/Docking.h"
#include "components/file/AudioFile.h"
#include "components/pulse/PulseRecorder.h"
#include "components/taglib/TagLibInformation.h"
#include "fakes/FakeComponents.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"
#include "recording/RecordingControl.h"
#include "support/TestSupport.h"
#include "PulseTestTools.h"

#include <QDir>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace pulsetest;

namespace {

double seconds(const QString& file)
{
    return testsupport::probeAudioStream(file).value("duration").toString().toDouble();
}

struct RealRecording : ::testing::Test {
    QTemporaryDir tmp;
    SettingsFile settings{tmp.filePath("tamsel.ini")};
    ActivityState activity;
    WindowDrag drag;
    PulseRecorder recorder;
    AudioFile writer, reader;
    TagLibInformation information;
    FakeVisualization levels;
    FakeDialogs dialogs;
    NoSkin skin;
    QWidget mainWindow;
    Tfm_list list{activity, drag, skin, &mainWindow};
    std::unique_ptr<RecordingControl> control;
    std::unique_ptr<Peer> player;
    int64_t recordedFrames = 0;

    QString dir() const { return tmp.filePath("out"); }

    void SetUp() override
    {
        REQUIRE_PULSE();
        restoreDefaultSource();
        settings.writeText("output", "dir", dir());
        settings.writeText("output", "out_name", "@T");
        settings.writeBool("output", "rb_cust", false);
        writeWavMode(settings, 2, 5, 0, 5);  // custom: 22050 Hz, mono, 16 bits
        settings.writeText("info", "title", "Tone Take");
        settings.writeText("info", "year", "2024");
        list.setAudio(&reader, &dialogs);

        control = std::make_unique<RecordingControl>(RecordingControl::Parts{
            .activity = &activity, .recorder = &recorder, .writer = &writer, .information = &information,
            .levels = &levels, .dialogs = &dialogs, .settings = [this] { return &settings; },
            .addRecordedFile =
                [this](const QString& file) {
                    recordedFrames += control->position();  // the time shown when the file ended
                    list.AddRecordedFile(file);
                }});

        const QString tone = tmp.filePath("tone.wav");
        testsupport::makeTone(tone, 1000, 30, kRate, 2);
        player = std::make_unique<Peer>("paplay", QStringList{"-d", "tamsel_null", tone});
        ASSERT_TRUE(waitForStreams("sink-inputs", 1));
    }
    void TearDown() override
    {
        if (activity.recording()) control->StopRecording();
        player.reset();
        if (testsupport::pulseAvailable()) restoreDefaultSource();
    }
    bool recordUntil(double secondsRecorded, int timeoutMs = 10000)
    {
        const int64_t frames = int64_t(secondsRecorded * 22050);
        return QTest::qWaitFor([&] { return control->position() >= frames; }, timeoutMs);
    }
};

}  // namespace

TEST_F(RealRecording, ADateTimeNamedToneWithAPauseIsRecordedTaggedAndListed)
{
    control->RecordCommand();
    ASSERT_TRUE(activity.recording());
    ASSERT_TRUE(recordUntil(1.0));
    control->ToggleRecordingPause();
    QTest::qWait(700);  // time that must not reach the file
    control->RecordCommand();
    ASSERT_FALSE(activity.recordingPaused());
    ASSERT_TRUE(recordUntil(2.5));
    const double recorded = control->position() / 22050.0;
    const QString file = control->outputFileName();
    control->StopRecording();

    EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(dir()) +
                                   R"(/@T-\d\d-\d\d-\d{4}--\d\d;\d\d;\d\d\.wav)")
                    .match(file)
                    .hasMatch())
        << file.toStdString();
    const QJsonObject s = testsupport::probeAudioStream(file);
    EXPECT_EQ(QString("%1 %2 %3").arg(s.value("sample_rate").toString()).arg(s.value("channels").toInt())
                  .arg(s.value("bits_per_sample").toInt()), "22050 1 16");
    // The file holds what the time showed, give or take the block being cut.
    EXPECT_NEAR(seconds(file), recorded, 0.3);

    const QJsonObject tags = testsupport::probe(file).value("format").toObject().value("tags").toObject();
    EXPECT_EQ(tags.value("title").toString() + tags.value("TITLE").toString(), "Tone Take");

    const QString toneOnly = tmp.filePath("tone-only.wav");
    testsupport::runPeer("sox", {file, toneOnly, "silence", "1", "0.01", "1%"});
    EXPECT_NEAR(testsupport::soxStat(toneOnly, "Rough   frequency"), 1000, 20);

    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.entryPath(0), file);
    EXPECT_EQ(list.lv->item(0, 1)->text(), "00:00:02");
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join('|').toStdString();
}

TEST_F(RealRecording, ALengthLimitCutsTheRecordingIntoListedFilesThatAddUp)
{
    settings.writeBool("output", "rb_cust", true);
    writeLengthLimit(settings, "1", false, true);
    control->RecordCommand();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.count() >= 3; }, 15000));
    // Into the fourth file, so that it holds some sound.
    ASSERT_TRUE(recordUntil(0.5));
    control->StopRecording();

    ASSERT_GE(list.count(), 4);
    QStringList files;
    double total = 0;
    for (int i = 0; i < list.count(); ++i) {
        files << list.entryPath(i);
        const double length = seconds(list.entryPath(i));
        // The first file may also hold, in one piece, the silence kept while
        // a new PulseAudio stream had not delivered its first audio yet.
        if (i + 1 < list.count()) {
            EXPECT_NEAR(length, 1.2, i == 0 ? 1.0 : 0.45) << i;
        }
        total += length;
    }
    EXPECT_EQ(files.mid(0, 3), QStringList({dir() + "/@T.wav", dir() + "/@T-2.wav", dir() + "/@T-3.wav"}));
    EXPECT_EQ(QSet<QString>(files.begin(), files.end()).size(), files.size());
    // Each file holds its shown time, give or take the block being cut.
    EXPECT_NEAR(total, recordedFrames / 22050.0, 0.25 * list.count());
    EXPECT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join('|').toStdString();
}
