// The schedule runner against a clock the test moves: each begin, end and
// power-off acts once when its second comes, also between two checks, and
// only as the schedule (the window's edits included) and the settings file say.

#include "RecordingPowerOff.h"
#include "config/SettingsFile.h"
#include "platform/ErrorBoundary.h"
#include "schedule/Schedule.h"
#include "schedule/ScheduleRunner.h"
#include "schedule/Tfm_sche.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <time.h>

namespace {

const QDate kDay(2026, 12, 7);

class Runner : public ::testing::Test {
protected:
    Runner()
        : settings(tmp.filePath("tamsel.ini"), QLocale(QLocale::English, QLocale::UnitedKingdom))
    {
        window.setSettings([this] { return &settings; });
        window.setSchedule(&schedule);
        powerOff.onCall = [this] { log << QString("powerOff rec=%1 play=%2").arg(recording).arg(playing); };
    }

    // The program starts at `start`: it loads the stored schedule once the
    // settings file is open, and the runner begins.
    void start(QTime t, QDate d = kDay)
    {
        at(t, d);
        if (open) loadStored();
        ScheduleRunner::Parts p;
        p.schedule = &schedule;
        p.settings = [this] { return open; };
        p.recording = [this] { return recording; };
        p.playing = [this] { return playing; };
        p.RecordCommand = [this] {
            log << "record";
            recording = true;
            if (failingStarts > 0 && failingStarts--) throw TamselError("Cannot open the recording.");
            if (nested) nested();
        };
        p.planLength = [this](int64_t seconds) { plans << seconds; };
        p.RecordOnSound = [this] {
            log << "record on sound";
            recording = true;
        };
        p.StopRecording = [this] { log << "stop"; recording = false; };
        p.StopPlayback = [this] { log << "stopPlayback"; playing = false; };
        p.powerOff = &powerOff;
        p.tell = [this](const QString& message) { told << message; };
        p.clock = [this] { return clock; };
        runner = std::make_unique<ScheduleRunner>(std::move(p));
        runner->timer()->stop();  // the test drives the checks
    }

    void at(QTime t, QDate d = kDay) { clock = QDateTime(d, t); }
    void loadStored() { schedule = Schedule::load(settings, schedule.mode, false, clock); }

    // Jumps to `from` (a check there only looks back over nothing scheduled),
    // then checks every `stepMs` until `until`.
    void runFrom(QTime from, QTime until, QDate d = kDay, int stepMs = 250)
    {
        at(from, d);
        runner->RunScheduleCheck();
        runUntil(until, stepMs);
    }

    // Checks every `stepMs` from the current clock until `until`.
    void runUntil(QTime until, int stepMs = 250)
    {
        const QDateTime end(clock.date(), until);
        while (clock < end) {
            clock = std::min(clock.addMSecs(stepMs), end);
            runner->RunScheduleCheck();
        }
    }

    void storeWindow(int mode, int n, QTime begin, QTime end)
    {
        settings.writeInteger("autorec", "format", mode);
        settings.writeBool("autorec", QString("cb%1").arg(n), true);
        settings.writeTime("autorec", QString("begintime%1").arg(n), begin);
        settings.writeTime("autorec", QString("endtime%1").arg(n), end);
    }

    void storePowerOff(bool on, QTime t)
    {
        settings.writeBool("timeclose", "bclose", on);
        settings.writeTime("Time", "Time", t);
    }

    QTemporaryDir tmp;
    SettingsFile settings;
    SettingsFile* open = &settings;  // null: the main window has not opened it yet
    Schedule schedule;
    Tfm_sche window;
    RecordingPowerOff powerOff;
    std::unique_ptr<ScheduleRunner> runner;
    QDateTime clock;
    bool recording = false;
    bool playing = false;
    std::function<void()> nested;
    int failingStarts = 0;  // starts that fail after setting the flag
    QStringList log;
    QList<int64_t> plans;  // each start's planned length
    QStringList told;
};

}  // namespace

// One stored window or power-off of each kind, checked every 250 ms around its times.
TEST_F(Runner, WhatAStoredWindowDoesAroundItsTimes)
{
    using T = QTime;
    const struct {
        const char* what;
        int mode;
        bool checked;
        QTime begin, end;
        int day;  // after the special date
        QTime from, until;
        bool recording, playing;
        QStringList expected;
        QTime powerOffAt = QTime(3, 0);
        bool powerOffOn = false;
    } rows[] = {
        {"every day, begin", 1, true, T(8, 0), T(9, 0), 0, T(7, 59, 58), T(8, 0, 3), false, false, {"record"}},
        {"every day, end", 1, true, T(8, 0), T(9, 0), 0, T(8, 59, 59), T(9, 0, 2), true, false, {"stop"}},
        {"unchecked window", 1, false, T(8, 0), T(8, 0, 2), 0, T(7, 59, 59), T(8, 0, 3), false, false, {}},
        {"disabled schedule", 0, true, T(8, 0), T(8, 0, 2), 0, T(7, 59, 59), T(8, 0, 3), false, false, {}},
        {"special day, the day before", 2, true, T(8, 0), T(8, 0, 5), -1, T(7, 59, 59), T(8, 0, 6), false, false, {}},
        {"special day, its date", 2, true, T(8, 0), T(8, 0, 5), 0, T(7, 59, 59), T(8, 0, 6), false, false,
         {"record", "stop"}},
        {"special day, a date that cannot be read", 2, true, T(8, 0), T(8, 0, 5), 99, T(7, 59, 59), T(8, 0, 6),
         false, false, {}},
        {"begin stops a manual recording", 1, true, T(8, 0), T(9, 0), 0, T(7, 59, 59), T(8, 0, 1), true, false,
         {"stop", "record"}},
        {"begin stops playback", 1, true, T(8, 0), T(9, 0), 0, T(7, 59, 59), T(8, 0, 1), false, true,
         {"stopPlayback", "record"}},
        {"end with nothing recording", 1, true, T(7, 0), T(8, 0), 0, T(7, 59, 59), T(8, 0, 1), false, false, {}},
        {"equal times", 1, true, T(8, 30), T(8, 30), 0, T(8, 29, 59, 800), T(8, 30, 1), false, false,
         {"record", "stop"}},
        {"power-off, whatever the mode", 0, false, T(1, 0), T(2, 0), 0, T(21, 59, 58), T(22, 0, 3), true, true,
         {"stop", "stopPlayback", "powerOff rec=0 play=0"}, T(22, 0), true},
        {"power-off switched off", 1, false, T(1, 0), T(2, 0), 0, T(21, 59, 58), T(22, 0, 3), false, false, {},
         T(22, 0), false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        QFile::remove(settings.path());
        storeWindow(r.mode, 2, r.begin, r.end);
        settings.writeBool("autorec", "cb2", r.checked);
        if (r.day == 99) settings.writeText("autorec", "date", "08.12.26");  // another locale's
        else settings.writeDate("autorec", "date", kDay);
        storePowerOff(r.powerOffOn, r.powerOffAt);
        loadStored();
        log.clear();
        recording = r.recording;
        playing = r.playing;
        start(r.from, r.day == 99 ? kDay : kDay.addDays(r.day));
        runUntil(r.until);
        EXPECT_EQ(log, r.expected);
        EXPECT_FALSE(window.isVisible());
    }
}

TEST_F(Runner, TheStoredScheduleActsFromStartUpOncePerDay)
{
    storeWindow(1, 1, QTime(8, 0, 0), QTime(9, 0, 0));
    open = nullptr;  // the main window has not opened the file yet
    start(QTime(7, 59, 59));
    runUntil(QTime(8, 0, 2));
    EXPECT_TRUE(log.isEmpty());

    open = &settings;
    start(QTime(7, 59, 58));
    runUntil(QTime(8, 0, 3));
    EXPECT_EQ(log, QStringList{"record"});
    recording = false;
    runFrom(QTime(7, 59, 59, 900), QTime(8, 0, 1), kDay.addDays(1));
    EXPECT_EQ(log, (QStringList{"record", "record"}));
}

TEST_F(Runner, ASecondBetweenTwoChecksOrANestedCheckStillActsOnce)
{
    storeWindow(1, 2, QTime(8, 0, 0), QTime(8, 30, 0));
    start(QTime(7, 59, 59, 900));
    runner->RunScheduleCheck();
    at(QTime(8, 0, 1, 100));  // all of 08:00:00 went by unchecked
    runner->RunScheduleCheck();
    runner->RunScheduleCheck();
    EXPECT_EQ(log, QStringList{"record"});

    // A message box opened by the start runs the loop, and so further checks.
    log.clear();
    recording = false;
    nested = [this] {
        nested = nullptr;
        clock = clock.addMSecs(300);
        runner->RunScheduleCheck();
    };
    runFrom(QTime(7, 59, 59, 900), QTime(8, 0, 2), kDay.addDays(1));
    EXPECT_EQ(log, QStringList{"record"});

    // Begin and end both passed within one late check: in their order.
    log.clear();
    recording = false;
    storeWindow(1, 2, QTime(8, 10, 0), QTime(8, 10, 2));
    loadStored();
    at(QTime(8, 9, 59, 900));
    runner->RunScheduleCheck();
    at(QTime(8, 10, 3));
    runner->RunScheduleCheck();
    EXPECT_EQ(log, (QStringList{"record", "stop"}));
}

TEST_F(Runner, TheWindowsLiveControlsCountNotOnlyTheFile)
{
    storeWindow(0, 1, QTime(8, 0, 0), QTime(9, 0, 0));
    start(QTime(7, 59, 58));
    runner->RunScheduleCheck();  // loads the stored, disabled schedule
    window.RadioButton2->setChecked(true);  // changed, then Cancel: still in force
    window.Button3Click();
    runUntil(QTime(8, 0, 1));
    EXPECT_EQ(log, QStringList{"record"});
}

TEST_F(Runner, APowerOffTheSystemWouldRefuseLeavesRecordingAndPlaybackRunning)
{
    storePowerOff(true, QTime(22, 0, 0));
    powerOff.cannot = "powering off needs a password on this computer";
    recording = playing = true;
    start(QTime(21, 59, 58));
    runUntil(QTime(21, 59, 59, 750));
    runUntil(QTime(22, 0, 3), 100);
    EXPECT_EQ(told, QStringList{"The computer was not powered off at the set time: powering off needs a "
                                "password on this computer."});
    EXPECT_TRUE(log.isEmpty()) << "nothing was stopped";
    EXPECT_EQ(powerOff.calls, 0);

    // A refusal only when it comes to it is told too.
    powerOff.cannot.clear();
    powerOff.refuse = true;
    told.clear();
    runFrom(QTime(21, 59, 59), QTime(22, 0, 1), kDay.addDays(1));
    EXPECT_EQ(log, (QStringList{"stop", "stopPlayback", "powerOff rec=0 play=0"}));
    EXPECT_EQ(told, QStringList{"Powering off was refused."});
    EXPECT_FALSE(runner->ShutDownComputer());
    powerOff.refuse = false;
    EXPECT_TRUE(runner->ShutDownComputer());
}

// One late check covers three seconds; the start at the first fails.
TEST_F(Runner, AnActionThatFailsIsReportedAndTheOthersDueStillRun)
{
    QStringList reported;
    ErrorBoundary::setHandler([&](const QString& message) { reported << message; });
    storeWindow(1, 1, QTime(8, 0, 0), QTime(9, 0, 0));
    storeWindow(1, 2, QTime(7, 0, 0), QTime(8, 0, 0));
    storeWindow(1, 3, QTime(8, 0, 2), QTime(9, 0, 0));
    failingStarts = 1;
    start(QTime(7, 59, 59, 900));
    runner->RunScheduleCheck();
    at(QTime(8, 0, 2, 500));
    runner->RunScheduleCheck();
    ErrorBoundary::setHandler({});
    EXPECT_EQ(log, (QStringList{"record", "stop", "record"}));
    EXPECT_EQ(reported, QStringList{"Cannot open the recording."});
}

TEST_F(Runner, NoPowerOffAtATimeNobodySetUntilTheWindowIsShown)
{
    settings.writeBool("timeclose", "bclose", true);  // no "Time" stored
    const QDateTime now = QDateTime::currentDateTime();
    start(now.time().addSecs(-5), now.date());
    runUntil(now.time().addSecs(5));
    EXPECT_EQ(powerOff.calls, 0);

    // Shown, the window's time is the one the user saw and kept.
    window.FormShow();
    window.dtpTime->setTime(QTime(23, 0, 0));
    runFrom(QTime(22, 59, 59), QTime(23, 0, 1), now.date());
    EXPECT_EQ(powerOff.calls, 1);
}

TEST_F(Runner, ItsTimerRunsTheChecks)
{
    storeWindow(1, 1, QTime(8, 0, 0), QTime(9, 0, 0));
    start(QTime(7, 59, 59, 900));
    EXPECT_LE(runner->timer()->interval(), 250);
    runner->timer()->start();
    at(QTime(8, 0, 0, 200));
    QTRY_COMPARE_WITH_TIMEOUT(log.size(), 1, 3000);
}

// Daylight saving in a zone that has it: a window acts once on the day the
// hour repeats, and one that starts in the skipped hour starts when the clock
// passes it.
TEST_F(Runner, ClockChangesNeitherRepeatNorSkipAWindow)
{
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    tzset();
    // From `fromUtc` to `untilUtc`, a check every five seconds.
    auto run = [this](const QDateTime& fromUtc, const QDateTime& untilUtc) {
        clock = fromUtc.toLocalTime();
        start(clock.time(), clock.date());
        for (qint64 ms = fromUtc.toMSecsSinceEpoch(); ms <= untilUtc.toMSecsSinceEpoch(); ms += 5000) {
            clock = QDateTime::fromMSecsSinceEpoch(ms);
            runner->RunScheduleCheck();
        }
    };
    // 25 October 2026: 03:00 summer time is 02:00 again.
    storeWindow(1, 1, QTime(2, 59, 50), QTime(3, 0, 10));
    run(QDateTime(QDate(2026, 10, 25), QTime(0, 59, 0), Qt::UTC), QDateTime(QDate(2026, 10, 25), QTime(2, 1), Qt::UTC));
    EXPECT_EQ(log, (QStringList{"record", "stop"})) << "the repeated 02:59:50 starts nothing";

    // 29 March 2026: 02:00 winter time is 03:00.
    log.clear();
    recording = false;
    storeWindow(1, 1, QTime(2, 30, 0), QTime(3, 0, 5));
    run(QDateTime(QDate(2026, 3, 29), QTime(0, 59, 0), Qt::UTC), QDateTime(QDate(2026, 3, 29), QTime(1, 1), Qt::UTC));
    EXPECT_EQ(log, (QStringList{"record", "stop"}));

    if (zone.isNull()) qunsetenv("TZ");
    else qputenv("TZ", zone);
    tzset();
}

// A window stored to start on sound arms the recording; the end stops it
// whether or not sound ever came.
TEST_F(Runner, AWindowSetToStartOnSoundArmsTheRecording)
{
    storeWindow(Schedule::EveryDay, 1, QTime(10, 0), QTime(10, 0, 5));
    settings.writeBool("autorec", "on_sound", true);
    start(QTime(9, 59, 58));
    runUntil(QTime(10, 0, 6));
    EXPECT_EQ(log, QStringList({"record on sound", "stop"}));
    EXPECT_EQ(plans, QList<int64_t>{5});
}

// Each start says how long its window runs, so the recording can warn of a
// disk too small for it; a window past midnight runs into the next day.
TEST_F(Runner, AWindowsStartTellsItsPlannedLength)
{
    storeWindow(Schedule::EveryDay, 1, QTime(23, 59, 58), QTime(1, 0));
    start(QTime(23, 59, 57));
    runUntil(QTime(23, 59, 59));
    EXPECT_EQ(log, QStringList{"record"});
    EXPECT_EQ(plans, QList<int64_t>{3602});
}
