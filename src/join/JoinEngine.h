#pragma once
// The list window's join: asks for the output, then drives a JoinRun over the
// files of the join list, in list order, into one WAV file in the configured
// WAV format. The run stays on the UI thread and pumps the event loop as it
// goes, so the windows stay live; RequestStop (the "stopj" element, the error
// handler, closing the main window) stops it and keeps what was joined so
// far, completed as a WAV file.

#include "app/Activity.h"
#include "platform/SleepInhibitor.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

class Dialogs;
class SettingsFile;
class Shell;
class TAudioFile2;
class TSkin;
class Tfm_list;

class JoinEngine : public QObject {
    Q_OBJECT
public:
    struct Parts {
        // The join claims its owner handle of it.
        ActivityState* activity = nullptr;
        // The program is closing: the run ends without opening its folder.
        std::function<bool()> quitting;
        Tfm_list* list = nullptr;
        TAudioFile2* writer = nullptr;
        TAudioFile2* reader = nullptr;
        Dialogs* dialogs = nullptr;
        Shell* shell = nullptr;
        // The settings file exists once the main window has been shown.
        std::function<SettingsFile*()> settings;
        // Shows the run's progress on the list window's face; may be null.
        TSkin* skin = nullptr;
        SleepInhibitor* sleepInhibitor = nullptr;
    };

    explicit JoinEngine(Parts parts, QObject* parent = nullptr);

    // The whole run. A failure during the run closes the output (a valid WAV
    // of what was joined), clears joining and raises TamselError naming the
    // file it happened on.
    void JoinFiles();
    // The run stops at its next check; nothing when no run goes.
    void RequestStop() { stopRequested_ = true; }

    // How often the run pumps the event loop and shows its progress; 0 after
    // every block.
    void setTickInterval(int ms) { tickMs_ = ms; }

signals:
    // Each time the run shows its progress: the entry being read, its frames
    // done and its length in frames.
    void blockJoined(int entry, qint64 framesDone, qint64 frames);

private:
    // Playing, recording or a run already going: refused, with a message for the first two.
    bool busy();
    bool refused(const QString& output, const QStringList& inputs);
    // The written name differs from the one chosen and exists, and the user keeps it.
    bool replaceRefused(const QString& chosen, const QString& output);
    void entryStarted(int entry);
    void entryFinished();
    // Ends the activity and puts the list back as it was.
    void endRun() noexcept;
    void setStatusCaption(const QString& caption);
    void showProgress(int position);
    void information(const QString& text);

    Parts p_;
    ActivityState::Handle activity_;
    bool stopRequested_ = false;
    int current_ = -1;     // the entry showing "Converting", or -1
    QString keptTime_;     // its time text
    int tickMs_ = 50;
    std::unique_ptr<SleepInhibitor::Hold> awake_;  // while the run goes
};
