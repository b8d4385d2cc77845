#pragma once
// The main window: owns the components, the program's activity and its
// settings values, sets everything up at its first show, and turns clicks on
// skin elements into commands.

#include "app/Activity.h"
#include "app/DisplayText.h"
#include "app/MainComponents.h"
#include "config/RecordingSettings.h"
#include "platform/Docking.h"
#include "schedule/Schedule.h"

#include <QWidget>
#include <functional>
#include <memory>

class ISkinCommon;
class ISkinObject;
class ISkinScrollBar;
class ISkinText;
class SettingsFile;
class Tfm_dev;
class Tfm_dir;
class Tfm_id3;
class Tfm_list;
class Tfm_sche;
class Tfm_set;

class Tfm_main : public QWidget {
    Q_OBJECT
public:
    Tfm_main(MainComponents components, MainServices services);
    ~Tfm_main() override;

    struct Windows {
        Tfm_sche* sche = nullptr;
        Tfm_dev* dev = nullptr;
        Tfm_id3* id3 = nullptr;
        Tfm_set* set = nullptr;
        Tfm_dir* dir = nullptr;
        Tfm_list* list = nullptr;
    };
    // The other six windows, created after this one.
    void setWindows(const Windows& windows) { windows_ = windows; }
    const Windows& windows() const { return windows_; }

    // What the program is doing; recording, playback and the join each move it.
    ActivityState& activity() { return activity_; }
    // The values the settings and schedule windows edit and the recording
    // start and the schedule runner read.
    RecordingSettings& recordingSettings() { return recordingSettings_; }
    Schedule& schedule() { return schedule_; }
    // What the pointer does to this window and the list window.
    WindowDrag& drag() { return drag_; }
    // The seek bar follows playback unless the user holds it.
    bool barFollows() const { return barFollows_; }
    // The window has been closed: work still running ends without follow-ups.
    bool quitting() const { return quitting_; }
    SettingsFile* settings() const { return settings_.get(); }
    MainComponents& components() { return components_; }
    const MainServices& services() const { return services_; }

    // A display element: its text, common and scroll-bar facets.
    struct Display {
        ISkinText* text = nullptr;
        ISkinCommon* common = nullptr;
        ISkinScrollBar* bar = nullptr;
    };
    Display s_time, s_sizeson, s_filename, s_mono, play_bar;
    // Sets a display element's text and redraws it.
    static void setDisplayText(const Display& element, const QString& text);
    void showText(DisplayText which, const QString& text);

    void FormCreate();
    void FormShow();
    void BindSkinElements();
    void ApplicationEvents1Exception(const QString& message);

    void Skin1Click(ISkinObject* source);
    void Skin1MouseDown(ISkinObject* source, int button, int x, int y);
    void Skin1MouseUp(ISkinObject* source, int button, int x, int y);
    void FormMouseDown(QPoint pos);
    void FormMouseMove(QPoint pos);
    void FormMouseUp();

    // Commands of the recording, playback and join subsystems register here.
    struct Commands {
        std::function<void()> RecordCommand, ToggleRecordingPause, StopRecording;
        std::function<void()> RecordOnSound;
        // The next recording is planned to run this many seconds (a schedule window).
        std::function<void(int64_t)> PlanLength;
        std::function<void()> PlayCommand, TogglePlaybackPause, StopPlayback, SeekFromBar;
        std::function<void()> AddFiles, RemoveSelected, MoveUp, MoveDown, JoinFiles, StopJoin;
    };
    Commands& commands() { return commands_; }

    bool firstShowDone() const { return firstShowDone_; }

    void setVisible(bool visible) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fillRecordingSource();
    void toggleListWindow();
    void showModal(QWidget* window, int dx, int dy);
    void openHelp();
    static void run(const std::function<void()>& command);

    MainComponents components_;
    MainServices services_;
    ActivityState activity_;
    RecordingSettings recordingSettings_;
    Schedule schedule_;
    WindowDrag drag_;
    bool barFollows_ = true;
    bool quitting_ = false;
    std::unique_ptr<SettingsFile> settings_;
    Windows windows_;
    Commands commands_;
    bool firstShowStarted_ = false;
    bool firstShowDone_ = false;
};
