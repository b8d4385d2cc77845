// Join runs with the real file reader and writer over inputs made by sox and
// ffmpeg; the outputs are checked with ffprobe and sox.

#include "app/Activity.h"
#include "platform/Docking.h"
#include "components/file/AudioFile.h"
#include "fakes/FakeComponents.h"
#include "join/JoinEngine.h"
#include "join/JoinTestSupport.h"
#include "join/Tfm_list.h"
#include "platform/Error.h"
#include "recording/RecordingSettings.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

using jointest::pitchAt;
using jointest::probeWav;

namespace {

class SaveDialogs : public FakeDialogs {
public:
    int saves = 0;
    QString saveDirectory, lastFilter;
    QString saveFile(QWidget*, const QString& dir, const QString& filter) override
    {
        ++saves;
        saveDirectory = dir;
        lastFilter = filter;
        return fileToSave;
    }
};

QByteArray digest(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

struct JoinRun : ::testing::Test {
    QTemporaryDir tmp;
    ActivityState activity;
    // The other owners, as the program's recording and player hold them.
    ActivityState::Handle player = activity.claim(ActivityOwner::Playback);
    ActivityState::Handle recorder = activity.claim(ActivityOwner::Recording);
    WindowDrag drag;
    jointest::ProgressSkin skin;
    QWidget mainWindow;
    AudioFile reader;
    AudioFile writer;
    SaveDialogs dialogs;
    FakeShell shell;
    SettingsFile settings{tmp.filePath("tamsel.ini")};
    Tfm_list list{activity, drag, skin, &mainWindow};
    JoinEngine engine{parts()};

    JoinRun()
    {
        list.setAudio(&reader, &dialogs);
        settings.writeText("output", "dir", outDir());
        engine.setTickInterval(0);
    }
    JoinEngine::Parts parts(TAudioFile2* from = nullptr, ActivityState* own = nullptr)
    {
        return {own ? own : &activity, {}, &list, &writer, from ? from : &reader, &dialogs, &shell,
                [this] { return &settings; }, &skin};
    }
    QString outDir() const { return tmp.filePath("out"); }
    QString out(const QString& name) const { return QDir(outDir()).filePath(name); }
    QString tone(const QString& name, double hz, double seconds, int rate = 44100, int channels = 2)
    {
        return jointest::wavTone(tmp.path(), name, hz, seconds, rate, channels);
    }
    void add(const QStringList& files)
    {
        dialogs.filesToOpen = files;
        list.AddFiles();
        ASSERT_TRUE(dialogs.shown.isEmpty()) << dialogs.shown.join('\n').toStdString();
    }
    void join(const QString& chosen)
    {
        QDir().mkpath(outDir());
        dialogs.fileToSave = chosen;
        engine.JoinFiles();
    }
    QString time(int row) const { return list.lv->item(row, 1)->text(); }
    QString caption() const { return list.lv->horizontalHeaderItem(1)->text(); }
    // Runs f from the event loop the join pumps, after the given block.
    template <typename F>
    void afterBlock(int entry, int block, F f)
    {
        auto count = std::make_shared<int>(0);
        QObject::connect(&engine, &JoinEngine::blockJoined, &engine,
                         [=, this](int e, qint64, qint64) {
                             if (e == entry && ++*count == block)
                                 QMetaObject::invokeMethod(&engine, f, Qt::QueuedConnection);
                         });
    }
};

}  // namespace

TEST_F(JoinRun, MixedFormatsBecomeOneCdQualityWavOfTheirSummedLengthInListOrder)
{
    settings.writeInteger("wav", "frequency", 1);  // custom keys are ignored in mode 0
    settings.writeInteger("wav", "channel", 0);
    add({tone("stereo.wav", 300, 1), tone("mono.wav", 1000, 1, 22050, 1),
         jointest::encodedTone(tmp.path(), "t.mp3", 2000, 1),
         jointest::encodedTone(tmp.path(), "t.wma", 440, 1),
         jointest::encodedTone(tmp.path(), "t.ogg", 700, 1)});
    list.lv->selectRow(0);
    list.MoveDown();
    const QStringList times{time(0), time(1), time(2), time(3), time(4)};
    QDir(outDir()).removeRecursively();

    dialogs.fileToSave = out("all.wav");
    engine.JoinFiles();

    // The save dialog opened in the output folder, which the run made.
    EXPECT_EQ(dialogs.saveDirectory, outDir());
    const QString o = out("all.wav");
    const auto facts = probeWav(o);
    EXPECT_EQ(facts.codec, "pcm_s16le");
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_EQ(facts.channels, 2);
    // WMA drops its first 2048 frames and pads its end.
    EXPECT_NEAR(facts.frames, 5 * 44100, 4096);
    const double pitches[] = {1000, 300, 2000, 440, 700};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(pitchAt(o, i + 0.2, 0.6), pitches[i], pitches[i] / 20) << i;

    EXPECT_TRUE(activity.idle());
    EXPECT_EQ(QStringList({time(0), time(1), time(2), time(3), time(4)}), times);
    EXPECT_EQ(caption(), "Time");
    EXPECT_EQ(shell.opened, QStringList{"folder " + outDir() + "/"});
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_FALSE(reader.IsOpen());

    // The list window's bar moved forward through the run and was emptied after it.
    const auto& p = skin.bar.positions;
    ASSERT_GE(p.size(), 3u);
    EXPECT_TRUE(std::is_sorted(p.begin(), p.end() - 1));
    EXPECT_EQ(p[p.size() - 2], 980);
    EXPECT_EQ(p.back(), 0);
    EXPECT_GE(skin.bar.redraws, int(p.size()));
}

// The mode table itself is configuredWavFormat's (OutputSetupTest) and the
// writer's formats are read back in the file component's tests: here only that
// the run writes what the settings ask for, not what the inputs hold.
TEST_F(JoinRun, TheConfiguredWavFormatIsWritten)
{
    add({tone("a.wav", 440, 1, 22050, 1)});
    writeWavMode(settings, 2, 9, 1, 6);  // custom: 48000 Hz, stereo, 32 bits
    join(out("m.wav"));
    const auto facts = probeWav(out("m.wav"));
    EXPECT_EQ(facts.codec, "pcm_s32le");
    EXPECT_EQ(facts.sampleRate, 48000);
    EXPECT_EQ(facts.channels, 2);
    EXPECT_NEAR(facts.frames, 48000, 48000 / 50);
}

namespace {

// Hands out blocks of a constant level for files of given lengths; a file
// may hold fewer frames than it claims.
class ScriptedReader : public FakeAudioFile {
public:
    QHash<QString, int64_t> claimed, held;
    QHash<QString, int> reads;
    int64_t left = 0;
    void OpenRead(const QString& f, int a, int b) override
    {
        FakeAudioFile::OpenRead(f, a, b);
        left = held.value(f, claimed.value(f));
    }
    int64_t Samples() const override { return claimed.value(current); }
    Block ReadArray(int count) override
    {
        ++reads[current];
        const int64_t n = std::min<int64_t>(count, left);
        left -= n;
        Block b;
        b.channels = 2;
        b.sampleRate = 44100;
        b.samples.assign(std::size_t(n * 2), 0.25f);
        return b;
    }
};

}  // namespace

// A stated length is an estimate: every entry is read to its real end.
TEST_F(JoinRun, EntriesGiveWhatTheyHoldWhateverTheyClaim)
{
    ScriptedReader scripted;
    scripted.claimed = {{"/a.wav", 44100},     {"/empty.wav", 0},       {"/short.mp3", 88200},
                        {"/b.wav", 44100},     {"/vbr.mp3", 22050},     {"/unknown.flac", 0}};
    scripted.held = {{"/short.mp3", 22050}, {"/vbr.mp3", 88200}, {"/unknown.flac", 44100}};
    scripted.durations["/short.mp3"] = 2000;
    list.setAudio(&scripted, &dialogs);
    add({"/a.wav", "/empty.wav", "/short.mp3", "/b.wav", "/vbr.mp3", "/unknown.flac"});
    ActivityState scriptedActivity;
    JoinEngine scriptedEngine(parts(&scripted, &scriptedActivity));
    QDir().mkpath(outDir());
    dialogs.fileToSave = out("s.wav");

    scriptedEngine.JoinFiles();

    EXPECT_EQ(probeWav(out("s.wav")).frames, 44100 + 22050 + 44100 + 88200 + 44100);
    // An empty read ends each file.
    EXPECT_EQ(scripted.reads.value("/empty.wav"), 1);
    EXPECT_EQ(scripted.reads.value("/short.mp3"), 2);
    EXPECT_EQ(scripted.reads.value("/b.wav"), 2);
    EXPECT_EQ(time(1), "00:00:00");
    EXPECT_EQ(time(2), "00:00:02");
    EXPECT_TRUE(activity.idle());
}

TEST_F(JoinRun, AStopDuringTheSecondFileKeepsWhatWasJoined)
{
    // Inputs are read a second at a time, so the second file takes 20 blocks.
    add({tone("first.wav", 300, 1), tone("second.wav", 1000, 20, 8000, 1), tone("third.wav", 2500, 1)});
    afterBlock(1, 1, [this] {
        engine.JoinFiles();  // a second run while one goes is refused without a word
        engine.RequestStop();
    });

    join(out("part.wav"));

    const QString o = out("part.wav");
    const auto facts = probeWav(o);
    EXPECT_EQ(facts.codec, "pcm_s16le");
    EXPECT_NEAR(facts.frames, 2 * 44100, 441);  // 1 s of the first, 1 s of the second
    EXPECT_NEAR(pitchAt(o, 0.1, 0.8), 300, 30);
    EXPECT_NEAR(pitchAt(o, 1.1, 0.8), 1000, 100);
    EXPECT_EQ(time(1), "00:00:20");
    EXPECT_EQ(time(2), "00:00:01");
    EXPECT_TRUE(activity.idle());
    EXPECT_EQ(caption(), "Time");
    EXPECT_EQ(shell.opened, QStringList{"folder " + outDir() + "/"});
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(dialogs.saves, 1);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

// The chosen name's extension picks WAV, FLAC, Opus or MP3; a name without
// one of them gets the last join's format, which the dialog offers first.
TEST_F(JoinRun, ChosenNamesPickTheFormatAndOthersGetTheLastOnes)
{
    add({tone("a.wav", 440, 1)});
    join(out("plain"));
    EXPECT_EQ(probeWav(out("plain.wav")).frames, 44100);
    EXPECT_TRUE(dialogs.lastFilter.startsWith("WAV Files(*.wav)")) << dialogs.lastFilter.toStdString();
    join(out("song.mp3"));
    join(out("other.xyz"));
    EXPECT_TRUE(dialogs.lastFilter.startsWith("MP3 Files(*.mp3)")) << dialogs.lastFilter.toStdString();
    join(out("two.dots.FLAC"));
    join(out("voice.opus"));
    for (const auto& [name, codec] : {std::pair{"song.mp3", "mp3"}, std::pair{"other.mp3", "mp3"},
                                      std::pair{"two.dots.flac", "flac"}, std::pair{"voice.opus", "opus"}})
        EXPECT_EQ(testsupport::probeAudioStream(out(name)).value("codec_name").toString(), codec) << name;
    EXPECT_EQ(settings.readInteger("join", "format", -1), 6) << "remembered: Opus";
    EXPECT_EQ(QDir(outDir()).entryList(QDir::Files).size(), 5);
}

// A file that stops decoding early is joined as far as it goes, and the user
// is told once, after the run.
TEST_F(JoinRun, ACutInputIsJoinedAsFarAsItDecodesAndToldAfterTheRun)
{
    const QString cut = jointest::encodedTone(tmp.path(), "cut.mp3", 500, 4);
    QFile f(cut);
    ASSERT_TRUE(f.resize(f.size() / 2));
    add({tone("a.wav", 440, 1), cut});
    join(out("both.wav"));
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_TRUE(dialogs.shown[0].contains("cut.mp3: only")) << dialogs.shown[0].toStdString();
    EXPECT_LT(probeWav(out("both.wav")).frames, 44100 * 4) << "no silence made up for the missing part";
}

TEST_F(JoinRun, AnExistingFileUnderTheWrittenNameIsReplacedOnlyWhenConfirmed)
{
    add({tone("a.wav", 440, 1)});
    QDir().mkpath(outDir());
    jointest::wavTone(outDir(), "take.wav", 300, 2, 44100, 2);
    const QByteArray before = digest(out("take.wav"));

    dialogs.replace = false;
    join(out("take.xyz"));
    EXPECT_EQ(dialogs.replaceAsked, QStringList{out("take.wav")});
    EXPECT_EQ(digest(out("take.wav")), before);
    EXPECT_TRUE(shell.opened.isEmpty());

    dialogs.replace = true;
    join(out("take.xyz"));
    EXPECT_EQ(probeWav(out("take.wav")).frames, 44100);

    // The dialog itself asked about the name typed; a new name needs no question.
    join(out("take.wav"));
    join(out("new.xyz"));
    EXPECT_EQ(dialogs.replaceAsked.size(), 2);
    EXPECT_FALSE(QFile::exists(out("take.xyz")));
}

TEST_F(JoinRun, RefusalsLeaveEverythingAsItWas)
{
    player.set(Activity::PlaybackPaused);
    join(out("x.wav"));
    EXPECT_EQ(dialogs.shown, QStringList{"Please add file!"});  // even while playing
    dialogs.shown.clear();

    const QString input = tone("in.wav", 440, 1);
    player.finish();
    add({input});
    player.set(Activity::Playing);
    const QByteArray before = digest(input);
    join(out("x.wav"));
    player.finish();
    recorder.set(Activity::RecordingPaused);
    join(out("x.wav"));
    recorder.finish();
    EXPECT_EQ(dialogs.shown, QStringList({"Please stop playing first.", "Please stop recording first."}));

    dialogs.fileToSave.clear();  // cancelled
    engine.JoinFiles();
    EXPECT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.saves, 1);

    // The input itself, also when chosen under another extension or through a link.
    QFile::link(tmp.path(), tmp.filePath("link"));
    for (const QString& chosen : {input, tmp.filePath("in.xyz"), tmp.filePath("link/in.wav")}) {
        dialogs.shown.clear();
        join(chosen);
        ASSERT_EQ(dialogs.shown.size(), 1) << chosen.toStdString();
        EXPECT_TRUE(dialogs.shown[0].contains("is one of the files to join")) << chosen.toStdString();
    }
    EXPECT_EQ(digest(input), before);
    EXPECT_TRUE(activity.idle());
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(caption(), "Time:");
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_TRUE(QDir(outDir()).entryList(QDir::Files).isEmpty());
}

TEST_F(JoinRun, AnInputThatFailsEndsTheRunWithAValidPartialFile)
{
    for (const bool vanish : {true, false}) {
        SCOPED_TRACE(vanish ? "removed" : "garbled");
        list.lv->setRowCount(0);
        const QString third = tone("third.wav", 2500, 1);
        add({tone("first.wav", 300, 1), tone("second.wav", 1000, 1), third});
        QObject::disconnect(&engine, &JoinEngine::blockJoined, nullptr, nullptr);
        afterBlock(1, 1, [third, vanish] {
            QFile::remove(third);
            if (!vanish) {
                QFile f(third);
                if (f.open(QIODevice::WriteOnly)) f.write(QByteArray(4000, 'x'));
            }
        });

        EXPECT_THAT([&] { join(out("broken.wav")); },
                    testing::ThrowsMessage<TamselError>(testing::HasSubstr(third.toStdString())));

        const auto facts = probeWav(out("broken.wav"));
        EXPECT_EQ(facts.frames, 2 * 44100);
        EXPECT_NEAR(pitchAt(out("broken.wav"), 1.1, 0.8), 1000, 100);
        EXPECT_TRUE(activity.idle());
        EXPECT_EQ(time(2), "00:00:01");
        EXPECT_EQ(caption(), "Time");
        EXPECT_EQ(skin.bar.BarPosition(), 0);
        EXPECT_FALSE(writer.IsOpen());
        EXPECT_FALSE(reader.IsOpen());
        EXPECT_TRUE(shell.opened.isEmpty());
    }
}

TEST_F(JoinRun, AddingToTheListDuringARunDoesNotDisturbIt)
{
    // Inputs are read a second at a time: the first takes 20 blocks.
    add({tone("long.wav", 440, 20), tone("short.wav", 1000, 1)});
    const QString later = tone("later.wav", 2500, 1);
    afterBlock(0, 1, [this, later] { add({later}); });

    join(out("whole.wav"));

    EXPECT_EQ(probeWav(out("whole.wav")).frames, 21 * 44100);
    EXPECT_NEAR(pitchAt(out("whole.wav"), 7.5, 1), 440, 20);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(time(2), "00:00:01");
    EXPECT_FALSE(reader.IsOpen());
}

// Real files whose headers understate them: a VBR MP3 without a Xing header
// and a FLAC of unknown length are joined whole.
TEST_F(JoinRun, FilesThatUnderstateTheirLengthAreJoinedWhole)
{
    const QString wav = tone("src.wav", 440, 30);
    const QString mp3 = tmp.filePath("vbr.mp3"), flac = tmp.filePath("unknown.flac");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "libmp3lame", "-q:a", "7",
                                    "-write_xing", "0", mp3});
    // Piped out, the FLAC header can only say "total samples unknown".
    testsupport::runPeer("sh", {"-c", QStringLiteral("ffmpeg -v error -i '%1' -f flac - > '%2'").arg(wav, flac)});
    add({mp3, flac});

    join(out("whole.wav"));

    EXPECT_NEAR(probeWav(out("whole.wav")).frames, 2 * 30 * 44100, 44100 / 5);
}
