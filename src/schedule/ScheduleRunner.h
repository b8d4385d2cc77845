#pragma once
// Starts and stops scheduled recordings and powers the computer off at the
// set time. A short timer drives the checks; each check looks at every whole
// second since the previous one, so no set time passes unseen, and an action
// runs once when its time starts to match, not again while it still matches.

#include <QDateTime>
#include <QObject>
#include <functional>
#include <map>
#include <utility>

class PowerOff;
class QTimer;
class SettingsFile;
struct Schedule;

class ScheduleRunner : public QObject {
    Q_OBJECT
public:
    struct Parts {
        // The program's schedule, as the schedule window edits it.
        const Schedule* schedule = nullptr;
        // The settings file exists once the main window has been shown.
        std::function<SettingsFile*()> settings;
        std::function<bool()> recording;
        std::function<bool()> playing;
        std::function<void()> RecordCommand;
        // Record, armed to start on sound.
        std::function<void()> RecordOnSound;
        // Told before a window's recording starts: how long it is planned to
        // run, so a disk too small for it is warned of at the start.
        std::function<void(int64_t seconds)> planLength;
        std::function<void()> StopRecording;
        std::function<void()> StopPlayback;
        // None: the computer is never powered off.
        PowerOff* powerOff = nullptr;
        // Tells the user why the set power-off did not happen.
        std::function<void(const QString&)> tell;
        // The local time; the wall clock when empty.
        std::function<QDateTime()> clock;
    };

    static constexpr int CheckIntervalMs = 250;
    // Seconds a late check still looks back over (a stalled loop, a resume).
    static constexpr int CatchUpSeconds = 60;

    // Starts checking at once; the previous check counts as now.
    explicit ScheduleRunner(Parts parts, QObject* parent = nullptr);

    void RunScheduleCheck();
    // Powers the computer off; false, with the reason in `why`, when that was refused.
    bool ShutDownComputer(QString* why = nullptr);

    QTimer* timer() const { return timer_; }
    // Replaces the clock; its present moment counts as the previous check.
    void setClock(std::function<QDateTime()> clock);

private:
    void checkSecond(const QDateTime& second, SettingsFile& settings);
    // `plannedSeconds`: how long the window records, 0 when it has no end.
    void beginAction(int64_t plannedSeconds);
    void endAction();
    void powerOffAction();
    void tell(const QString& message);
    QDateTime now() const;

    Parts p_;
    QTimer* timer_;
    qint64 lastCheckMs_;
    // Per action (the power-off, then each window's begin and end): the day
    // and set time it last acted on.
    std::map<int, std::pair<QDate, QTime>> fired_;
};
