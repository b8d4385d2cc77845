#pragma once
// Reader and player fakes writing into one call log, so the order of calls
// across the two shows; the reader hands out blocks of a file of any length.

#include "app/Activity.h"
#include "fakes/FakeComponents.h"
#include "playback/PlaybackControl.h"

#include <QMap>
#include <algorithm>
#include <memory>

// What the player shows and the list it plays from; the owner resets control
// before its reader and player go.
struct PlayerDisplay {
    ActivityState activity;
    // The other owners, as the program's recording and join hold them.
    ActivityState::Handle recorder = activity.claim(ActivityOwner::Recording);
    ActivityState::Handle joiner = activity.claim(ActivityOwner::Join);
    bool textsFollow = true;  // no window drag
    bool barFollows = true;   // nobody holds the bar
    FakeVisualization levels;
    FakeDialogs dialogs;
    QMap<DisplayText, QString> texts;
    QStringList textOrder;
    int bar = 0;
    QList<int> barWrites;
    bool barEnabled = false;
    QStringList entries;
    int selected = -1;
    std::unique_ptr<PlaybackControl> control;

    void build(TAudioFile2& reader, TAudioPlayer2& player)
    {
        control = std::make_unique<PlaybackControl>(PlaybackControl::Parts{
            .activity = &activity, .reader = &reader, .player = &player, .levels = &levels, .dialogs = &dialogs,
            .showText =
                [this](DisplayText t, const QString& s) {
                    texts[t] = s;
                    textOrder << s;
                },
            .textsFollow = [this] { return textsFollow; },
            .bar = {[this](int pos) { barWrites << (bar = pos); }, [this] { return bar; },
                    [this](bool e) { barEnabled = e; }, [this] { return barFollows; }},
            .entries = {[this] { return int(entries.size()); }, [this] { return selected; },
                        [this](int row) { selected = row; }, [this](int row) { return entries.value(row); }}});
    }
};

class PlaybackReaderFake : public FakeAudioFile {
public:
    explicit PlaybackReaderFake(QStringList& log) : log_(log) {}

    int64_t length = 44100 * 10;  // frames, of 44100 Hz stereo at 1411 kbit/s
    int64_t position = 0;
    QString readError;  // ReadArray throws it when set

    void OpenRead(const QString& f, int a, int b) override
    {
        log_ << "OpenRead " + f;
        FakeAudioFile::OpenRead(f, a, b);
        position = 0;
    }
    void CloseFile() override
    {
        log_ << "CloseFile";
        FakeAudioFile::CloseFile();
    }
    int64_t Samples() const override { return length; }
    int SampleRate() const override { return 44100; }
    int Channels() const override { return 2; }
    int Bitrate() const override { return 1411200; }
    int ArraySampleRate() const override { return 44100; }
    int ArrayChannels() const override { return 2; }
    Block ReadArray(int count) override
    {
        log_ << QString("ReadArray %1").arg(count);
        if (!open) throw TamselError("ReadArray on a closed reader");
        if (!readError.isEmpty()) throw TamselError(readError);
        const int64_t frames = std::clamp<int64_t>(length - position, 0, count);
        position += frames;
        Block b;
        b.channels = 2;
        b.sampleRate = 44100;
        b.samples.assign(static_cast<size_t>(frames * 2), 0.25f);
        return b;
    }
    int64_t Seek(int64_t p, int mode) override
    {
        log_ << QString("Seek %1 %2").arg(p).arg(mode);
        position = p;
        return p;
    }

private:
    QStringList& log_;
};

class PlaybackPlayerFake : public FakePlayer {
public:
    explicit PlaybackPlayerFake(QStringList& log) : log_(log) {}

    void SetFormat(int r, int c) override { log_ << QString("SetFormat %1 %2").arg(r).arg(c); }
    void StartPlay() override { log_ << "StartPlay"; }
    void StopPlay() override { log_ << "StopPlay"; }
    void PlayArray(const Block& b) override { log_ << QString("PlayArray %1").arg(b.frames()); }
    int64_t SamplesToMs(int64_t s) const override { return s * 1000 / 44100; }

private:
    QStringList& log_;
};
