// Record, pause, stop, blocks, timer and tagging over component fakes; and the
// settings window's save step, which every recording start runs.

#include "RecordingSettings.h"
#include "app/Activity.h"
#include "config/Tfm_set.h"
#include "fakes/FakeComponents.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "recording/RecordingControl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace {

using Text = RecordingControl::Text;

constexpr int64_t kFramesPerSecond = 44000;  // FakeRecorder: 44 frames per ms

struct Recording : ::testing::Test {
    QTemporaryDir tmp;
    SettingsFile settings{tmp.filePath("tamsel.ini")};
    ActivityState activity;
    // The other owners, as the program's player and join hold them.
    ActivityState::Handle player = activity.claim(ActivityOwner::Playback);
    ActivityState::Handle joiner = activity.claim(ActivityOwner::Join);
    bool textsFollow = true;  // no window drag
    FakeRecorder recorder;
    FakeAudioFile writer;
    FakeInformation information;
    FakeVisualization levels;
    FakeDialogs dialogs;
    std::map<Text, QString> texts;
    QStringList reported;  // what the recorder's events handed to the error handler
    int saves = 0, playBarDisabled = 0;  // save steps (each closes the settings window)
    QStringList added;  // files the join list was asked to add
    std::unique_ptr<RecordingControl> control;

    QString dir() const { return tmp.filePath("rec"); }

    Recording()
    {
        settings.writeText("output", "dir", dir());
        settings.writeText("output", "out_name", "@E");
        control = std::make_unique<RecordingControl>(RecordingControl::Parts{
            .activity = &activity, .recorder = &recorder, .writer = &writer, .information = &information,
            .levels = &levels, .dialogs = &dialogs, .settings = [this] { return &settings; },
            .closeSettingsWindow = [this] { ++saves; },
            .showText = [this](Text t, const QString& s) { texts[t] = s; },
            .textsFollow = [this] { return textsFollow; },
            .disablePlayBar = [this] { ++playBarDisabled; },
            .addRecordedFile = [this](const QString& file) { added << file; }});
        ErrorBoundary::setHandler([this](const QString& message) { reported << message; });
    }
    ~Recording() override { ErrorBoundary::setHandler({}); }
    void deliver(int values)
    {
        recorder.nextBlock.channels = 2;
        recorder.nextBlock.samples.assign(std::size_t(values), 0.25f);
        emit recorder.OnEndArrayRecord(0);
    }
    void tick(int64_t frames) { emit recorder.OnTimer(frames, 0, 0); }
    void setLimit(int seconds, bool stop, bool next) { writeLengthLimit(settings, QString::number(seconds), stop, next); }
    void writeBytes(int n)
    {
        QFile f(control->outputFileName());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(n, 'x'));
    }
};

}  // namespace

TEST_F(Recording, StartSetsUpTheFileThenTheCapture)
{
    writer.open = true;  // left open by an earlier join
    control->RecordCommand();

    EXPECT_EQ(saves, 1);
    EXPECT_EQ(writer.calls, QStringList({"SetWavFormat 44100 2 16", "CloseFile",
                                         "OpenWrite " + dir() + "/@E.wav"}));
    EXPECT_EQ(recorder.calls, QStringList({"SetFormat 44100 2", "SetArraySize 8800", "StartRecord"}));
    EXPECT_TRUE(activity.recording());
    EXPECT_FALSE(activity.recordingPaused());
    EXPECT_EQ(control->outputFileName(), dir() + "/@E.wav");
    EXPECT_EQ(texts[Text::Info], "File Info: stereo 16B 44100HZ");
    EXPECT_EQ(texts[Text::FileName], "File Name:@E.wav");
    EXPECT_FALSE(levels.isHidden());

    // Record while running changes nothing.
    control->RecordCommand();
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(recorder.calls.count("StartRecord"), 1);
}

TEST_F(Recording, GuardsForPlayingAndJoining)
{
    player.set(Activity::PlaybackPaused);
    control->RecordCommand();
    EXPECT_EQ(saves, 1) << "the save step runs before the playing check";
    EXPECT_EQ(dialogs.shown, QStringList{"Please stop playing first."});
    EXPECT_TRUE(writer.calls.isEmpty());
    EXPECT_FALSE(activity.recording());
    player.finish();

    // While a join writes through the writer, record and stop leave it alone.
    joiner.set(Activity::Joining);
    control->RecordCommand();
    control->StopRecording();
    EXPECT_EQ(saves, 1);
    EXPECT_TRUE(recorder.calls.isEmpty());
    EXPECT_TRUE(writer.calls.isEmpty());
    EXPECT_TRUE(activity.joining());
}

TEST_F(Recording, BlocksAreWrittenShownAndSizedOnlyWhenTheyHoldAudio)
{
    control->RecordCommand();
    deliver(0);
    deliver(1);
    EXPECT_EQ(writer.written, 0);
    EXPECT_EQ(levels.blocks, 0);
    EXPECT_EQ(texts.count(Text::Size), 0u);

    writeBytes(1023);
    deliver(2);
    EXPECT_EQ(writer.written, 1);
    EXPECT_EQ(levels.blocks, 1);
    EXPECT_EQ(texts[Text::Size], "File Size: 0 KB");
    writeBytes(1024);
    deliver(8);
    EXPECT_EQ(texts[Text::Size], "File Size: 1 KB");

    // During a window drag the text keeps its last value; the block is still written.
    textsFollow = false;
    writeBytes(4096);
    deliver(8);
    EXPECT_EQ(texts[Text::Size], "File Size: 1 KB");
    EXPECT_EQ(writer.written, 9);
}

TEST_F(Recording, PauseKeepsTheTimeAndRecordResumesWithoutSaving)
{
    control->RecordCommand();
    tick(10 * kFramesPerSecond);
    EXPECT_EQ(texts[Text::Time], "Time:00:00:10");
    control->ToggleRecordingPause();
    EXPECT_TRUE(activity.recordingPaused());
    EXPECT_EQ(recorder.calls.last(), "StopRecord");

    control->RecordCommand();  // "recorder" while paused
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(activity.recordingPaused());
    EXPECT_EQ(recorder.calls.last(), "StartRecord");
    EXPECT_EQ(writer.calls.count("OpenWrite " + dir() + "/@E.wav"), 1);
    tick(kFramesPerSecond);
    EXPECT_EQ(texts[Text::Time], "Time:00:00:11");

    control->ToggleRecordingPause();
    control->ToggleRecordingPause();
    EXPECT_EQ(recorder.calls.mid(recorder.calls.size() - 2), QStringList({"StopRecord", "StartRecord"}));
    tick(int64_t(100) * 3600 * kFramesPerSecond);  // past 32 bits of frames
    EXPECT_EQ(texts[Text::Time], "Time:100:00:11");
}

TEST_F(Recording, LateEventsAfterPauseOrStopChangeNothing)
{
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    deliver(8);
    tick(5 * kFramesPerSecond);
    control->ToggleRecordingPause();
    tick(10 * kFramesPerSecond);  // queued before the pause took effect
    EXPECT_EQ(texts[Text::Time], "Time:00:00:05");
    control->ToggleRecordingPause();
    tick(kFramesPerSecond);
    EXPECT_EQ(texts[Text::Time], "Time:00:00:06");
    control->StopRecording();

    // A file that rolls over at once, stopped before its first tick.
    setLimit(0, false, true);
    control->RecordCommand();
    control->StopRecording();
    tick(kFramesPerSecond);
    deliver(8);
    EXPECT_TRUE(activity.idle()) << "a late tick must not start the next file";
    EXPECT_EQ(writer.written, 4) << "frames of the first take only";
    EXPECT_EQ(added.size(), 1) << "the take that captured nothing is not listed";
}

TEST_F(Recording, StopAddsAndTagsTheFileAndClearsTheDisplay)
{
    settings.writeText("info", "title", "T");
    settings.writeText("info", "arist", "A");
    settings.writeText("info", "year", "2026");
    settings.writeText("info", "Track", "3");
    settings.writeInteger("info", "genre", 17);
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    deliver(8);
    tick(kFramesPerSecond);
    control->ToggleRecordingPause();
    // What was captured after the last full block ends the file.
    recorder.remainder.channels = 2;
    recorder.remainder.samples.assign(6, 0.5f);
    control->StopRecording();
    EXPECT_EQ(writer.written, 4 + 3);

    EXPECT_EQ(added, QStringList{dir() + "/@E.wav"});
    EXPECT_EQ(information.calls, QStringList({"title T", "album ", "artist A", "comment ", "genre 17",
                                              "year 2026", "track 3", "WriteInfo " + dir() + "/@E.wav"}));
    EXPECT_TRUE(activity.idle());
    for (Text t : {Text::Time, Text::Size, Text::FileName, Text::Info})
        EXPECT_TRUE(texts[t].isEmpty());
    EXPECT_TRUE(levels.isHidden());
    EXPECT_EQ(playBarDisabled, 1);

    // A second stop still stops capture and writer but adds and tags nothing.
    recorder.calls.clear();
    writer.calls.clear();
    control->StopRecording();
    EXPECT_EQ(recorder.calls, QStringList{"StopRecord"});
    EXPECT_EQ(writer.calls, QStringList{"CloseFile"});
    EXPECT_EQ(added.size(), 1);
    EXPECT_EQ(information.calls.count("WriteInfo " + dir() + "/@E.wav"), 1);
}

// A full disk: the first refused block is reported once, capture stops, and
// the stop after the report completes and lists the file with what it holds.
TEST_F(Recording, AWriterThatFailsIsReportedOnceAndTheFileIsStillCompletedAndListed)
{
    const auto full = testing::ThrowsMessage<TamselError>(testing::StrEq("No space left on device"));
    writer.createOnOpenWrite = true;
    for (bool failAtStop : {false, true}) {
        SCOPED_TRACE(failAtStop ? "the last write fails" : "a block fails");
        writer.writeError.clear();
        added.clear();
        information.calls.clear();
        control->RecordCommand();
        deliver(8);
        writer.writeError = "No space left on device";
        recorder.calls.clear();
        if (!failAtStop) {
            reported.clear();
            deliver(8);
            EXPECT_EQ(reported, QStringList{"No space left on device"});
            EXPECT_EQ(recorder.calls, QStringList{"StopRecord"});
            writer.calls.clear();
            EXPECT_NO_THROW(deliver(8)) << "a queued block is dropped quietly";
            EXPECT_TRUE(writer.calls.isEmpty());
        }
        recorder.remainder.channels = 2;
        recorder.remainder.samples.assign(6, 0.5f);
        writer.calls.clear();
        if (failAtStop) EXPECT_THAT([&] { control->StopRecording(); }, full);
        else EXPECT_NO_THROW(control->StopRecording());
        EXPECT_EQ(writer.calls, failAtStop ? QStringList({"WriteArray", "CloseFile"}) : QStringList{"CloseFile"});
        EXPECT_EQ(added, QStringList{control->outputFileName()});
        EXPECT_FALSE(information.calls.join(' ').contains("WriteInfo")) << "no tag onto a full disk";
        EXPECT_TRUE(activity.idle());
        EXPECT_TRUE(levels.isHidden());
    }
    // The next recording writes and tags again.
    writer.writeError.clear();
    control->RecordCommand();
    deliver(8);
    control->StopRecording();
    EXPECT_TRUE(information.calls.join(' ').contains("WriteInfo"));
}

TEST_F(Recording, ABadYearOrTrackLeavesTheListedFileUntaggedAndAnEmptyTakeLeavesNoFile)
{
    settings.writeText("info", "Track", "nope");
    writer.createOnOpenWrite = true;
    for (const char* year : {"20x6", "1999"}) {
        settings.writeText("info", "year", year);
        control->RecordCommand();
        deliver(8);
        control->StopRecording();
    }
    EXPECT_EQ(dialogs.shown, QStringList({"Invalid Year Value", "Invalid Track Value"}));
    settings.writeText("info", "Track", "3");
    control->RecordCommand();
    tick(100);
    control->StopRecording();
    EXPECT_EQ(added.size(), 2);
    EXPECT_FALSE(QFile::exists(control->outputFileName())) << "no header-only file is left behind";
    EXPECT_FALSE(information.calls.join(',').contains("WriteInfo"));
    EXPECT_EQ(dialogs.shown.size(), 2) << "the end of a take is told once the stop is done";
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogs.shown.size(), 3);
    EXPECT_TRUE(dialogs.shown[2].startsWith("Nothing was recorded")) << dialogs.shown[2].toStdString();
}

// Headerless RAW data cannot hold a tag: a cut file is listed untagged and
// the next one follows.
TEST_F(Recording, ARawRecordingIsNotTaggedAndItsSeriesGoesOn)
{
    settings.writeInteger("output", "format", 4);
    settings.writeBool("output", "rb_cust", true);
    setLimit(1, false, true);
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    deliver(8);
    tick(kFramesPerSecond);
    EXPECT_EQ(added, QStringList{dir() + "/@E.raw"});
    EXPECT_TRUE(activity.recording());
    EXPECT_EQ(control->outputFileName(), dir() + "/@E-2.raw");
    deliver(8);
    control->StopRecording();
    EXPECT_EQ(added.size(), 2);
    EXPECT_FALSE(information.calls.join(',').contains("WriteInfo")) << information.calls.join(',').toStdString();

    // The next WAV recording is tagged again.
    settings.writeInteger("output", "format", 0);
    control->RecordCommand();
    deliver(8);
    control->StopRecording();
    EXPECT_TRUE(information.calls.join(',').contains("WriteInfo " + dir() + "/@E.wav"));
}

// The file deleted (or its folder renamed) while recording: reported at the
// next block, capture stops, and the stop completes the writer without
// listing or tagging a file that is not there.
TEST_F(Recording, AFileGoneWhileRecordingIsReportedOnceAndNotListed)
{
    writer.createOnOpenWrite = true;
    textsFollow = false;  // noticed also while the size text is held
    control->RecordCommand();
    deliver(8);
    ASSERT_TRUE(QFile::remove(control->outputFileName()));
    recorder.calls.clear();
    deliver(8);
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains("@E.wav is gone")) << reported[0].toStdString();
    EXPECT_EQ(recorder.calls, QStringList{"StopRecord"});

    writer.calls.clear();
    EXPECT_NO_THROW(control->StopRecording());
    EXPECT_TRUE(writer.calls.contains("CloseFile"));
    EXPECT_TRUE(added.isEmpty());
    EXPECT_TRUE(information.calls.isEmpty());
    EXPECT_FALSE(activity.recording());
    EXPECT_EQ(reported.size(), 1);

    // The next recording is listed again.
    control->RecordCommand();
    deliver(8);
    control->StopRecording();
    EXPECT_EQ(added.size(), 1);
}

TEST_F(Recording, ACaptureThatFailsToStartIsStoppedAtOnce)
{
    recorder.errorCode = 5;
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    EXPECT_FALSE(activity.recording());
    EXPECT_TRUE(added.isEmpty());
    EXPECT_FALSE(QFile::exists(dir() + "/@E.wav")) << "a failed start leaves no empty file";
    EXPECT_EQ(recorder.calls.last(), "StopRecord");
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.shown.size(), 1);
}

TEST_F(Recording, ARefusedOggFormatOpensNoFile)
{
    settings.writeInteger("output", "format", 3);
    settings.writeBool("ogg", "enable quality", false);
    writer.oggAccepted = false;
    control->RecordCommand();
    EXPECT_EQ(dialogs.shown, QStringList{"This OGG format is not supported."});
    EXPECT_FALSE(activity.recording());
    EXPECT_EQ(control->outputFileName(), dir() + "/@E.OGG");
    EXPECT_EQ(writer.calls, QStringList{"CheckOggFormat 44100 2 256 128 128"}) << "no format is set, no file opened";
    EXPECT_TRUE(texts[Text::Info].isEmpty());
    EXPECT_TRUE(recorder.calls.isEmpty());
}

TEST_F(Recording, LimitStopsOrCutsCustomNamedFilesWithoutOverwritingThem)
{
    setLimit(2, true, false);
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    deliver(8);
    tick(kFramesPerSecond);
    EXPECT_TRUE(activity.recording());
    tick(2 * kFramesPerSecond);
    EXPECT_FALSE(activity.recording());
    EXPECT_EQ(added.size(), 1);

    // A cut (the names and lengths of its files are RealRecording's) runs the
    // save step again; the user's next recording overwrites as before.
    added.clear();
    saves = 0;
    setLimit(1, false, true);
    control->RecordCommand();
    deliver(8);
    tick(kFramesPerSecond);
    EXPECT_TRUE(activity.recording());
    EXPECT_EQ(added, QStringList{dir() + "/@E.wav"});
    EXPECT_EQ(control->outputFileName(), dir() + "/@E-2.wav");
    EXPECT_EQ(saves, 2);
    deliver(8);
    control->StopRecording();
    control->RecordCommand();
    EXPECT_EQ(control->outputFileName(), dir() + "/@E.wav");
}

TEST(SettingsSave, WithoutASettingsFileNothingIsSavedAndTheWindowStays)
{
    Tfm_set lone;
    lone.show();
    EXPECT_THROW(lone.set_bt_okClick(), TamselError);
    EXPECT_TRUE(lone.isVisible());
}

// The input goes away and comes back: the take waits into the same file,
// shows that it waits, and says at the end where sound was missing. An input
// that stays away ends the take after the set time, saved.
TEST_F(Recording, AnInputThatGoesAwayIsWaitedForAndItsGapsAreToldAtTheEnd)
{
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    deliver(8);
    tick(65 * kFramesPerSecond);
    emit recorder.OnInputWaiting("the input was removed");
    EXPECT_EQ(activity.current(), Activity::WaitingForInput);
    EXPECT_EQ(texts[Text::Info], "Waiting for the input: the input was removed");
    EXPECT_TRUE(dialogs.shown.isEmpty()) << "no box while it waits";
    emit recorder.OnGap(12 * kFramesPerSecond, 65 * kFramesPerSecond);
    EXPECT_EQ(activity.current(), Activity::Recording);
    EXPECT_EQ(texts[Text::Info], "File Info: stereo 16B 44100HZ");
    tick(90 * kFramesPerSecond);
    // A stall heard of after the tick that counts its silence: placed where it began.
    emit recorder.OnGap(kFramesPerSecond / 2, 80 * kFramesPerSecond);
    control->StopRecording();
    QCoreApplication::processEvents();
    EXPECT_EQ(added.size(), 1);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0], "The recording " + dir() + "/@E.wav was saved. Its input was missing 2 times, "
                                "kept as silence: at 00:01:05 for 12.0 s; at 00:01:20 for 0.5 s.");

    dialogs.shown.clear();
    settings.writeInteger("rd", "wait", 1);
    control->RecordCommand();
    deliver(8);
    emit recorder.OnInputWaiting("the sound server went away");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !activity.recording(); }, 5000));
    EXPECT_EQ(added.size(), 2) << "what was recorded is listed";
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].startsWith("The input did not come back within 00:00:01"))
        << dialogs.shown[0].toStdString();

    // An input that never came: nothing was recorded, and the end says so.
    dialogs.shown.clear();
    control->RecordCommand();
    emit recorder.OnInputWaiting("the input is not there");
    ASSERT_TRUE(QTest::qWaitFor([this] { return !activity.recording(); }, 5000));
    EXPECT_EQ(added.size(), 2);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0], "The input did not come within 00:00:01, so the recording was stopped. Nothing "
                                "was recorded, and no file was kept.");
}

namespace {
// Frames of `seconds` at the writer's 44100 Hz, two channels, at `level`.
void deliverAudio(FakeRecorder& recorder, double seconds, float level)
{
    recorder.nextBlock.channels = 2;
    recorder.nextBlock.sampleRate = 44100;
    recorder.nextBlock.samples.assign(std::size_t(seconds * 44100) * 2, level);
    emit recorder.OnEndArrayRecord(0);
}
}  // namespace

// Armed, the take opens no file until sound, keeps the pre-roll, completes the
// file after the hang time, starts the next one with the next sound, and the
// level display runs all along.
TEST_F(Recording, StartOnSoundOpensAFileForEachSoundWithItsPreroll)
{
    settings.writeInteger("sound", "mode", 1);
    settings.writeInteger("sound", "hang", 1000);
    settings.writeBool("sound", "new_file", true);
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    EXPECT_EQ(activity.current(), Activity::WaitingForSound);
    EXPECT_EQ(texts[Text::Info], "Waiting for sound above -40 dBFS");
    EXPECT_FALSE(writer.calls.contains("OpenWrite " + dir() + "/@E.wav"));
    deliverAudio(recorder, 0.5, 0.0f);
    EXPECT_EQ(levels.blocks, 1);
    EXPECT_EQ(writer.written, 0);

    deliverAudio(recorder, 0.5, 0.25f);
    EXPECT_EQ(activity.current(), Activity::Recording);
    // Everything before the sound is within the 2 s pre-roll; the last 10 ms
    // window of the block waits for the next.
    EXPECT_NEAR(writer.written, 44100 - 441, 441);
    deliverAudio(recorder, 1.5, 0.0f);
    EXPECT_EQ(activity.current(), Activity::WaitingForSound);
    EXPECT_EQ(added, QStringList{dir() + "/@E.wav"});
    EXPECT_NEAR(writer.written, 44100 + 44100, 882) << "the file ends a hang time after the sound";

    deliverAudio(recorder, 0.3, 0.25f);
    EXPECT_TRUE(writer.calls.contains("OpenWrite " + dir() + "/@E-2.wav"));
    control->StopRecording();
    EXPECT_EQ(added, QStringList({dir() + "/@E.wav", dir() + "/@E-2.wav"}));
    EXPECT_TRUE(activity.idle());
    EXPECT_EQ(levels.blocks, 4);
}

TEST_F(Recording, SplitPiecesAreTaggedAsTracksAndATakeWithoutSoundLeavesNothing)
{
    settings.writeInteger("sound", "mode", 2);
    settings.writeInteger("sound", "split_silence", 500);
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    EXPECT_EQ(activity.current(), Activity::Recording);
    for (float level : {0.25f, 0.0f, 0.25f, 0.0f, 0.25f}) deliverAudio(recorder, 0.6, level);
    control->StopRecording();
    EXPECT_EQ(added, QStringList({dir() + "/@E.wav", dir() + "/@E-2.wav", dir() + "/@E-3.wav"}));
    EXPECT_EQ(information.calls.filter("track ").join(','), "track 1,track 2,track 3");
    EXPECT_TRUE(dialogs.shown.isEmpty());

    // Date-and-time names: the pieces are numbered after the take's first.
    settings.writeBool("output", "rb_cust", false);
    added.clear();
    control->RecordCommand();
    for (float level : {0.25f, 0.0f, 0.25f}) deliverAudio(recorder, 0.6, level);
    QTest::qWait(1100);  // a later second must not rename the second piece
    for (float level : {0.0f, 0.25f}) deliverAudio(recorder, 0.6, level);
    control->StopRecording();
    ASSERT_EQ(added.size(), 3);
    const QString first = added[0].chopped(4);
    EXPECT_EQ(added, QStringList({first + ".wav", first + "-2.wav", first + "-3.wav"}));
    settings.writeBool("output", "rb_cust", true);

    // Armed and stopped before any sound: no file, and a word why.
    settings.writeInteger("sound", "mode", 1);
    writer.calls.clear();
    added.clear();
    control->RecordCommand();
    deliverAudio(recorder, 1.0, 0.001f);  // -60 dBFS: below the start level
    control->StopRecording();
    QCoreApplication::processEvents();
    EXPECT_TRUE(writer.calls.filter("OpenWrite").isEmpty());
    EXPECT_TRUE(added.isEmpty());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_THAT(dialogs.shown[0].toStdString(), testing::HasSubstr("never rose above -40 dBFS"));
}

// A silent input is told in the window while the take goes on, and the
// notice goes once sound is back; a take armed for sound is silent by design.
TEST_F(Recording, ASilentInputIsToldUntilSoundReturnsExceptWhileWaitingForSound)
{
    settings.writeInteger("sound", "silent_seconds", 2);
    writer.createOnOpenWrite = true;
    control->RecordCommand();
    const QString info = texts[Text::Info];
    deliverAudio(recorder, 2.5, 0.0f);
    EXPECT_EQ(texts[Text::Info], "The input has been silent for 00:00:02");
    EXPECT_EQ(activity.current(), Activity::Recording);
    deliverAudio(recorder, 0.2, 0.25f);
    EXPECT_EQ(texts[Text::Info], info);
    control->StopRecording();

    settings.writeInteger("sound", "mode", 1);
    control->RecordCommand();
    deliverAudio(recorder, 5, 0.0f);
    EXPECT_EQ(texts[Text::Info], "Waiting for sound above -40 dBFS");
    control->StopRecording();
}
