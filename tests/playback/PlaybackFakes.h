#pragma once
// Reader and player fakes writing into one call log, so the order of calls
// across the two shows; the reader hands out blocks of a file of any length.

#include "app/AppState.h"
#include "fakes/FakeComponents.h"
#include "playback/PlaybackControl.h"

#include <QMap>
#include <algorithm>
#include <memory>

// What the player shows and the list it plays from; the owner resets control
// before its reader and player go.
struct PlayerDisplay {
    AppState state;
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
        state.noWindowDrag = true;
        state.barFollows = true;
        control = std::make_unique<PlaybackControl>(PlaybackControl::Parts{
            .state = &state, .reader = &reader, .player = &player, .levels = &levels, .dialogs = &dialogs,
            .showText =
                [this](DisplayText t, const QString& s) {
                    texts[t] = s;
                    textOrder << s;
                },
            .bar = {[this](int pos) { barWrites << (bar = pos); }, [this] { return bar; },
                    [this](bool e) { barEnabled = e; }},
            .entries = {[this] { return int(entries.size()); }, [this] { return selected; },
                        [this](int row) { selected = row; }, [this](int row) { return entries.value(row); }}});
    }
};

class PlaybackReaderFake : public FakeAudioFile {
public:
    explicit PlaybackReaderFake(QStringList& log) : log_(log) {}

    int64_t length = 44100 * 10;  // frames
    int channels = 2;
    int rate = 44100;
    int bitrate = 1411200;
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
    int SampleRate() const override { return rate; }
    int Channels() const override { return channels; }
    int Bitrate() const override { return bitrate; }
    int ArraySampleRate() const override { return rate; }
    int ArrayChannels() const override { return channels; }
    Block ReadArray(int count) override
    {
        log_ << QString("ReadArray %1").arg(count);
        if (!open) throw TamselError("ReadArray on a closed reader");
        if (!readError.isEmpty()) throw TamselError(readError);
        const int64_t frames = std::clamp<int64_t>(length - position, 0, count);
        position += frames;
        Block b;
        b.channels = channels;
        b.sampleRate = rate;
        b.samples.assign(static_cast<size_t>(frames * channels), 0.25f);
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

    int rate = 44100;
    bool running = false;

    void SetFormat(int r, int c) override
    {
        rate = r;
        log_ << QString("SetFormat %1 %2").arg(r).arg(c);
    }
    void StartPlay() override
    {
        running = true;
        log_ << "StartPlay";
    }
    void StopPlay() override
    {
        running = false;
        log_ << "StopPlay";
    }
    void PlayArray(const Block& b) override { log_ << QString("PlayArray %1").arg(b.frames()); }
    int64_t SamplesToMs(int64_t s) const override { return s * 1000 / rate; }

private:
    QStringList& log_;
};
