#pragma once
// Record, pause and stop: drives the capture component, hands its blocks to
// the writer and the level display, keeps the time and size texts, cuts files
// at the length limit and passes each finished file to the join list.

#include "app/Activity.h"
#include "config/RecordingSettings.h"
#include "app/DisplayText.h"
#include "platform/SleepInhibitor.h"
#include "recording/SoundCutter.h"
#include "recording/TakeWatch.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class DesktopNotifier;
class Dialogs;
class InputWatch;
class SettingsFile;
class TAudioFile2;
class TAudioInformation2;
class TAudioRecord2;
class TAudioVisualizationEx2;
class QTimer;
class QWidget;

class RecordingControl : public QObject {
    Q_OBJECT
public:
    using Text = DisplayText;

    struct Parts {
        // The recording claims its owner handle of it.
        ActivityState* activity = nullptr;
        TAudioRecord2* recorder = nullptr;
        TAudioFile2* writer = nullptr;
        TAudioInformation2* information = nullptr;
        TAudioVisualizationEx2* levels = nullptr;
        Dialogs* dialogs = nullptr;
        QWidget* dialogParent = nullptr;
        // The settings file exists once the main window has been shown.
        std::function<SettingsFile*()> settings;
        // The program's recording settings as the settings window edits
        // them; every start from idle saves them first. None: nothing is saved.
        const RecordingSettings* edited = nullptr;
        // The save step closes the settings window, open or not.
        std::function<void()> closeSettingsWindow;
        std::function<void(Text, const QString&)> showText;
        // False while a window may be dragged: the time and size texts hold still.
        std::function<bool()> textsFollow;
        std::function<void()> disablePlayBar;
        // Appends a finished recording to the join list.
        std::function<void(const QString&)> addRecordedFile;
        SleepInhibitor* sleepInhibitor = nullptr;
        // Where notices of a silent or stalled input go; none: the window only.
        DesktopNotifier* notifier = nullptr;
    };

    // Connects to the recorder's block, timer and error signals.
    explicit RecordingControl(Parts parts, QObject* parent = nullptr);

    void RecordCommand();
    void ToggleRecordingPause();
    void StopRecording();
    void AudioRecord1EndArrayRecord(int nBlock);
    void AudioRecord1Timer(qint64 currentSamples, int levelLeft, int levelRight);
    // The input went away: the take waits for it, into the same file.
    void AudioRecord1InputWaiting(const QString& why);
    // Capture goes on after a gap, kept as silence.
    void AudioRecord1Gap(qint64 gapFrames, qint64 atFrame);
    void TagRecording(const QString& fileName);
    // Record, but start on sound whatever the settings say (a scheduled
    // window set so).
    void RecordOnSound();
    // The next start is planned to run `seconds` (0: open-ended); a disk
    // that cannot hold that long is warned of as it starts.
    void PlanLength(int64_t seconds) { plannedSeconds_ = seconds; }

    // The current or last recording's file.
    const QString& outputFileName() const { return outputFileName_; }
    // Frames recorded into it as the last tick counted them, pauses included.
    int64_t position() const { return positionSamples_; }

private:
    // `tell`: say at the end what the take missed, or that nothing was kept.
    void stop(bool tell);
    void waitTimedOut();
    // Checks the free space once per recorded second, and completes the take
    // before the disk fills.
    void checkSpace();
    int64_t freeBytes() const;
    void saveSettings();
    // Starts watching the input for silence and stalls, as the take allows.
    void watchInput();
    // The Info text when nothing else is told.
    QString restingInfo() const;
    void startNewFile();
    // The activity a running take is in: waiting for sound, or recording.
    Activity runningActivity() const;
    // Opens `name` for the take's next file.
    void openFile(const QString& name);
    // Writes captured audio to the open file; `watched`: and checks the file
    // and the disk, as every block but the last is.
    void writeBlock(const Block& block, bool watched);
    // Carries out what the cutter decided for the audio.
    void applyCut(const std::vector<SoundCutter::Step>& steps, bool stopping);
    // A silence-aware take's next piece: a name of its own, then open.
    void openPiece();
    // Closes the file, then lists and tags it if it holds audio.
    void completeFile();
    void show(Text which, const QString& text) const;
    bool textsFollow() const;
    SettingsFile& settings() const;

    Parts p_;
    ActivityState::Handle activity_;
    QString outputFileName_;
    QSet<QString> recorded_;  // files this run recorded and listed
    QString infoText_;        // the format shown while nothing else is
    TakeWatch watch_;
    QTimer* waitTimer_;
    InputWatch* inputWatch_;
    int64_t nextSpaceCheckMs_ = 0;

    int64_t positionBase_ = 0;     // frames reached at the last pause
    int64_t positionSamples_ = 0;  // positionBase_ plus frames since the last start
    bool continuing_ = false;  // the next start continues a recording cut at its limit
    int64_t framesWritten_ = 0;  // of the file being recorded
    bool writeFailed_ = false;   // the writer refused a block of this file
    bool taggable_ = true;       // the file's format holds a tag
    bool fileLost_ = false;      // the file left its path during the recording
    bool diskFull_ = false;      // the take was stopped for want of space
    std::unique_ptr<SleepInhibitor::Hold> awake_;  // from start to stop, paused or not

    RecordingSettings used_;                // what the take records with
    std::unique_ptr<SoundCutter> cutter_;   // a silence-aware take's, else none
    bool onSound_ = false;                  // the next start is on sound
    bool fileOpen_ = false;                 // a file of this take is open for writing
    int pieces_ = 0;                        // files this take opened
    int track_ = 0;                         // the track number tagged, 0 the stored one
    int64_t plannedSeconds_ = 0;            // of the next start; 0 open-ended
    QDateTime takeStart_;                   // names a split take's pieces
};
