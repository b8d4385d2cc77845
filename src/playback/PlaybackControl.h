#pragma once
// Plays one entry of the join list: streams it block by block from the file
// reader into the player and the level display, keeps the position, drives
// the time, info, name and size texts and the seek bar, and pauses, resumes,
// seeks and stops.

#include "app/Activity.h"
#include "app/DisplayText.h"
#include "platform/SleepInhibitor.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class Dialogs;
class QWidget;
class TAudioFile2;
class TAudioPlayer2;
class TAudioVisualizationEx2;

class PlaybackControl : public QObject {
    Q_OBJECT
public:
    using Text = DisplayText;

    // The join list as the player sees it.
    struct Entries {
        std::function<int()> count;
        std::function<int()> selected;  // -1 when nothing is selected
        std::function<void(int)> select;
        std::function<QString(int)> path;
    };

    // The seek bar; it runs 0..980.
    struct Bar {
        std::function<void(int)> setPosition;  // sets and redraws
        std::function<int()> position;
        std::function<void(bool)> setEnabled;
        // False while the user holds the bar: playback does not move it.
        std::function<bool()> follows;
    };

    struct Parts {
        // The player claims its owner handle of it.
        ActivityState* activity = nullptr;
        TAudioFile2* reader = nullptr;
        TAudioPlayer2* player = nullptr;
        TAudioVisualizationEx2* levels = nullptr;
        Dialogs* dialogs = nullptr;
        QWidget* dialogParent = nullptr;
        std::function<void(Text, const QString&)> showText;
        // False while a window may be dragged: the time text and bar hold still.
        std::function<bool()> textsFollow;
        Bar bar;
        Entries entries;
        SleepInhibitor* sleepInhibitor = nullptr;
    };

    static constexpr int kBlockFrames = 4100;
    static constexpr int kBarMax = 980;
    // A bar released beyond this counts as the end of the file.
    static constexpr int kBarEnd = 978;

    // Connects to the player's request, block, timer, end and error signals.
    explicit PlaybackControl(Parts parts, QObject* parent = nullptr);

    void PlayCommand();
    void TogglePlaybackPause();
    void SeekFromBar();
    void StopPlayback();
    void FeedNextBlock();
    void AudioPlayer21Timer(qint64 currentSamples, int levelLeft, int levelRight);
    void AudioPlayer21RequestOnLoadArray();
    void AudioPlayer21EndArrayPlay();
    void AudioPlayer21EndPlay();

    // Frames played of the open file, pauses and seeks included.
    int64_t position() const { return positionSamples_; }

    // Position to bar and back, rounded; a file of no frames sits at 0.
    static int barFromPosition(int64_t position, int64_t length);
    static int64_t positionFromBar(int bar, int64_t length);
    // "File Info: Stereo 128K 44100HZ"; other channel counts by number.
    static QString infoText(int channels, int bitrate, int sampleRate);

private:
    void show(Text which, const QString& text) const;
    void showPosition();
    bool feeding() const;

    Parts p_;
    ActivityState::Handle activity_;
    int64_t positionBase_ = 0;     // frames reached at the last pause or seek
    int64_t positionSamples_ = 0;  // positionBase_ plus frames since the last start
    int playBlockFrames_ = kBlockFrames;
    std::unique_ptr<SleepInhibitor::Hold> awake_;  // while a file is open for playback
};
