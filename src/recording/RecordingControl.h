#pragma once
// Record, pause and stop: drives the capture component, hands its blocks to
// the writer and the level display, keeps the time and size texts, cuts files
// at the length limit and passes each finished file to the join list.

#include "platform/AppState.h"
#include "platform/SleepInhibitor.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class Dialogs;
class SettingsFile;
class TAudioFile2;
class TAudioInformation2;
class TAudioRecord2;
class TAudioVisualizationEx2;
class QWidget;

class RecordingControl : public QObject {
    Q_OBJECT
public:
    using Text = DisplayText;

    struct Parts {
        AppState* state = nullptr;
        TAudioRecord2* recorder = nullptr;
        TAudioFile2* writer = nullptr;
        TAudioInformation2* information = nullptr;
        TAudioVisualizationEx2* levels = nullptr;
        Dialogs* dialogs = nullptr;
        QWidget* dialogParent = nullptr;
        // The settings file exists once the main window has been shown.
        std::function<SettingsFile*()> settings;
        std::function<void(Text, const QString&)> showText;
        std::function<void()> disablePlayBar;
        // Writes the settings window's controls to the file and closes it.
        std::function<void()> saveSettingsWindow;
        // The join list's add, which sees addingRecordedFile.
        std::function<void()> addRecordedFile;
        SleepInhibitor* sleepInhibitor = nullptr;
    };

    // Connects to the recorder's block, timer and error signals.
    explicit RecordingControl(Parts parts, QObject* parent = nullptr);

    void RecordCommand();
    void ToggleRecordingPause();
    void StopRecording();
    void AudioRecord1EndArrayRecord(int nBlock);
    void AudioRecord1Timer(qint64 currentSamples, int levelLeft, int levelRight);
    void TagRecording(const QString& fileName);

private:
    void startNewFile();
    void show(Text which, const QString& text) const;
    SettingsFile& settings() const;

    Parts p_;
    bool continuing_ = false;  // the next start continues a recording cut at its limit
    int64_t framesWritten_ = 0;  // of the file being recorded
    bool writeFailed_ = false;   // the writer refused a block of this file
    bool taggable_ = true;       // the file's format holds a tag
    bool fileLost_ = false;      // the file left its path during the recording
    std::unique_ptr<SleepInhibitor::Hold> awake_;  // from start to stop, paused or not
};
