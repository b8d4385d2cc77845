// The player with fake components: the order of its calls, its texts and
// seek bar, its guards, pause, seek and files beyond 2^31 frames. What
// RealPlaybackTest hears (the end clearing the display, files of no frames or
// six channels, a pause resumed frame-exact) and what PlaybackWiringTest drives
// through the skin (stop, a seek while paused) is not repeated here.

#include "PlaybackFakes.h"
#include "platform/ErrorBoundary.h"

#include <QFile>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using Text = PlaybackControl::Text;

class PlaybackTest : public ::testing::Test, protected PlayerDisplay {
protected:
    PlaybackTest() : reader(log), player(log)
    {
        build(reader, player);
        bar = 555;  // where an earlier file left it
        ErrorBoundary::setHandler([this](const QString& message) { reported << message; });
    }
    ~PlaybackTest() override
    {
        control.reset();
        ErrorBoundary::setHandler({});
    }

    // A file on disk of the given size, listed as an entry.
    QString addEntry(const QString& name, int bytes = 5000)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(bytes, 'x'));
        entries << path;
        return path;
    }
    void play()
    {
        control->PlayCommand();
        log.clear();
    }

    QTemporaryDir dir;
    QStringList log;
    QStringList reported;  // what the player's events handed to the error handler
    PlaybackReaderFake reader;
    PlaybackPlayerFake player;
};

TEST_F(PlaybackTest, PlayOpensTheFileShowsItsTextsAndQueuesTwoBlocks)
{
    // Without a selection the last entry is selected and played; that a
    // selected entry is played is RealPlayback's (an empty, then a six-channel file).
    addEntry("first.mp3");
    const QString path = addEntry("Song.Name.wav", 5000);
    reader.open = true;  // left open by the join list's reading
    control->PlayCommand();

    EXPECT_EQ(log, QStringList({"CloseFile", "OpenRead " + path, "Seek 0 3", "SetFormat 44100 2",
                                "StartPlay", "ReadArray 4100", "PlayArray 4100", "ReadArray 4100",
                                "PlayArray 4100"}));
    EXPECT_EQ(textOrder, QStringList({"File Size: 4 KB", "Time:.wav",
                                      "File Info: Stereo 1411K 44100HZ",
                                      "File Name:Song.Name.wav"}));
    EXPECT_TRUE(activity.playing());
    EXPECT_FALSE(activity.playbackPaused());
    EXPECT_EQ(control->position(), 0);
    EXPECT_FALSE(levels.isHidden());
    EXPECT_EQ(levels.blocks, 2);
    EXPECT_TRUE(barEnabled);
    EXPECT_EQ(bar, 0);
    EXPECT_EQ(selected, 1);
}

TEST_F(PlaybackTest, GuardsRefuseWhileJoiningRecordingPlayingOrWithAnEmptyList)
{
    control->PlayCommand();  // empty list
    EXPECT_FALSE(activity.playing());
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(dialogs.shown.isEmpty());

    addEntry("a.wav");
    for (ActivityState::Handle* other : {&joiner, &recorder}) {
        other->set(other == &joiner ? Activity::Joining : Activity::RecordingPaused);
        control->PlayCommand();
        other->finish();
        EXPECT_FALSE(activity.playing());
        EXPECT_TRUE(log.isEmpty());
    }
    EXPECT_EQ(dialogs.shown, QStringList({"Please stop recording first."}));

    play();
    control->PlayCommand();  // already playing
    EXPECT_TRUE(log.isEmpty());
}

TEST_F(PlaybackTest, EveryRequestAndFinishedBlockIsAnsweredWithOneBlockUntilTheEnd)
{
    reader.length = 4100 * 2 + 100;
    addEntry("a.wav");
    play();
    emit player.OnRequestOnLoadArray();
    emit player.OnEndArrayPlay();
    emit player.OnEndArrayPlay();
    EXPECT_EQ(log, QStringList({"ReadArray 4100", "PlayArray 100", "ReadArray 4100", "PlayArray 0",
                                "ReadArray 4100", "PlayArray 0"}));
    EXPECT_EQ(levels.blocks, 5);
    EXPECT_TRUE(activity.playing()) << "only the end of output ends playback";

    emit player.OnEndPlay();
    EXPECT_FALSE(activity.playing());
    log.clear();
    // Late events of a finished playback touch nothing.
    emit player.OnEndPlay();
    emit player.OnRequestOnLoadArray();
    emit player.OnTimer(1000, 0, 0);
    EXPECT_TRUE(log.isEmpty());
}

// The time and bar that follow the player are PlaybackWiring's.
TEST_F(PlaybackTest, TimerMovesTheBarOnlyWhenAllowed)
{
    addEntry("a.wav");
    play();
    barFollows = false;  // the user holds the bar
    emit player.OnTimer(44100 * 7, 0, 0);
    EXPECT_EQ(texts[Text::Time], "Time:00:00:07");
    EXPECT_EQ(bar, 0);

    barFollows = true;
    textsFollow = false;  // a window drag runs: position only
    emit player.OnTimer(44100 * 8, 0, 0);
    EXPECT_EQ(control->position(), 44100 * 8);
    EXPECT_EQ(texts[Text::Time], "Time:00:00:07");
    EXPECT_EQ(bar, 0);
}

TEST_F(PlaybackTest, BarRoundsToNearestAndStopsAtTheEnd)
{
    EXPECT_EQ(PlaybackControl::barFromPosition(1, 1960), 1);   // 0.5 rounds up
    EXPECT_EQ(PlaybackControl::barFromPosition(1, 1961), 0);
    EXPECT_EQ(PlaybackControl::barFromPosition(1000, 1000), 980);
    EXPECT_EQ(PlaybackControl::barFromPosition(5000, 1000), 980);
    EXPECT_EQ(PlaybackControl::positionFromBar(978, 441000), 440100);
    EXPECT_EQ(PlaybackControl::positionFromBar(1, 1960), 2);
    EXPECT_EQ(PlaybackControl::positionFromBar(1, 490), 1);  // 0.5 rounds up
    EXPECT_EQ(PlaybackControl::barFromPosition(0, 0), 0);
    EXPECT_EQ(PlaybackControl::barFromPosition(4100, 0), 0);  // a player that counts what it never had
    EXPECT_EQ(PlaybackControl::positionFromBar(980, 0), 0);
}

TEST_F(PlaybackTest, FilesBeyondTwoToThe31FramesShowTheirTrueTimeAndBar)
{
    reader.length = int64_t(1) << 34;  // about 108 hours at 44100 Hz
    addEntry("long.wav");
    play();
    emit player.OnTimer(5'000'000'000LL, 0, 0);
    EXPECT_EQ(control->position(), 5'000'000'000LL);
    EXPECT_EQ(texts[Text::Time], "Time:31:29:38");
    EXPECT_EQ(bar, 285);

    // Hours beyond 99 print in full.
    emit player.OnTimer(44100LL * 3600 * 100 + 44100 * 61, 0, 0);
    EXPECT_EQ(texts[Text::Time], "Time:100:01:01");

    bar = 490;
    control->SeekFromBar();
    EXPECT_TRUE(log.contains(QString("Seek %1 3").arg(int64_t(1) << 33)));
    EXPECT_EQ(control->position(), int64_t(1) << 33);
    emit player.OnTimer(44100, 0, 0);
    EXPECT_EQ(control->position(), (int64_t(1) << 33) + 44100);
}

TEST_F(PlaybackTest, InfoTextNamesMonoStereoAndCountsOtherChannels)
{
    EXPECT_EQ(PlaybackControl::infoText(1, 128999, 22050), "File Info: Mono 128K 22050HZ");
    EXPECT_EQ(PlaybackControl::infoText(2, 320000, 48000), "File Info: Stereo 320K 48000HZ");
    EXPECT_EQ(PlaybackControl::infoText(6, 448000, 48000), "File Info: 6 Channels 448K 48000HZ");
}

TEST_F(PlaybackTest, PauseCarriesThePositionAndResumesWhereTheSoundStopped)
{
    addEntry("a.wav");
    addEntry("b.wav");
    play();
    emit player.OnTimer(44100 * 3, 0, 0);
    control->TogglePlaybackPause();
    EXPECT_TRUE(activity.playbackPaused());
    EXPECT_EQ(control->position(), 44100 * 3);
    // The player drops its queue: the reader goes back to what was heard.
    EXPECT_EQ(log, QStringList({"StopPlay", QString("Seek %1 3").arg(44100 * 3)}));
    log.clear();

    emit player.OnTimer(999, 0, 0);  // late tick
    emit player.OnRequestOnLoadArray();
    EXPECT_EQ(control->position(), 44100 * 3);
    EXPECT_TRUE(log.isEmpty());

    selected = 0;  // another entry: play resumes the paused file anyway
    control->PlayCommand();
    EXPECT_EQ(log, QStringList({"StartPlay"}));
    EXPECT_FALSE(activity.playbackPaused());
    emit player.OnTimer(44100, 0, 0);  // the player counts from its start
    EXPECT_EQ(control->position(), 44100 * 4);
    EXPECT_EQ(texts[Text::Time], "Time:00:00:04");

    control->TogglePlaybackPause();
    log.clear();
    control->TogglePlaybackPause();
    EXPECT_EQ(log, QStringList({"StartPlay"}));
    EXPECT_FALSE(activity.playbackPaused());
}

// A seek to 978 is heard frame-exact in RealPlayback; one bar further stops.
TEST_F(PlaybackTest, SeekMovesThePositionAndABarAtTheEndStops)
{
    reader.length = 441000;
    addEntry("a.wav");
    play();
    bar = 978;
    control->SeekFromBar();
    EXPECT_EQ(log, QStringList({"StopPlay", "Seek 440100 3", "StartPlay"}));
    EXPECT_TRUE(activity.playing());

    log.clear();
    bar = 979;
    control->SeekFromBar();
    EXPECT_FALSE(activity.playing());
    EXPECT_EQ(log, QStringList({"StopPlay", "StopPlay", "CloseFile"}));
}

TEST_F(PlaybackTest, FailuresAreRaisedWithPlayingSetSoTheHandlerCanStop)
{
    entries << dir.filePath("gone.wav");
    EXPECT_THAT([&] { control->PlayCommand(); }, testing::ThrowsMessage<TamselError>(testing::HasSubstr("gone.wav")));
    EXPECT_TRUE(activity.playing());
    control->StopPlayback();
    EXPECT_FALSE(activity.playing());

    entries.clear();
    const QString bad = addEntry("bad.wav");
    reader.unreadable << bad;
    EXPECT_THROW(control->PlayCommand(), TamselError);
    EXPECT_TRUE(activity.playing());
    EXPECT_EQ(texts[Text::Size], "File Size: 4 KB");
    log.clear();
    control->StopPlayback();
    EXPECT_EQ(log, QStringList({"StopPlay"})) << "nothing open to close";

    addEntry("a.wav");
    selected = 1;
    play();
    emit player.OnError("The sound server went away");
    EXPECT_EQ(reported, QStringList{"The sound server went away"});

    // A file that stops being readable (a drive pulled out) is reported once:
    // the sound and the player's requests stop until the handler's stop.
    control->StopPlayback();
    play();
    reader.readError = "Cannot read a.wav";
    emit player.OnEndArrayPlay();
    EXPECT_EQ(reported.last(), "Cannot read a.wav");
    EXPECT_EQ(log, QStringList({"ReadArray 4100", "StopPlay", "CloseFile"}));
    log.clear();
    emit player.OnEndArrayPlay();
    emit player.OnRequestOnLoadArray();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(activity.playing());
    control->StopPlayback();
    EXPECT_FALSE(activity.playing());
}

}  // namespace
