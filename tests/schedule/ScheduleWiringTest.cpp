// The schedule as wired into the program: the stored schedule records through
// the main window's commands (so its files are listed and tagged) and powers
// off through the program's power-off, without the schedule window ever shown.

#include "RecordingPowerOff.h"
#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "config/Tfm_set.h"
#include "fakes/FakeProgram.h"
#include "join/Tfm_list.h"
#include "schedule/ScheduleRunner.h"
#include "schedule/Tfm_sche.h"

#include <QCoreApplication>
#include <QRadioButton>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class WiredSchedule : public ::testing::Test {
protected:
    WiredSchedule()
    {
        program.services.powerOff = &powerOff;
        SettingsFile stored(program.settingsPath(), QLocale::system());
        stored.writeText("output", "path", tmp.filePath("out"));
        stored.writeInteger("autorec", "format", 1);
        stored.writeBool("autorec", "cb1", true);
        stored.writeTime("autorec", "begintime1", QTime(8, 0, 0));
        stored.writeTime("autorec", "endtime1", QTime(8, 0, 5));
        stored.writeBool("timeclose", "bclose", true);
        stored.writeTime("Time", "Time", QTime(8, 0, 10));

        program.build();
        main = program.main.get();
        program.writer()->createOnOpenWrite = true;
        program.set->rb_cust->setChecked(true);
        main->FormShow();
        program.reader()->durations[tmp.filePath("out") + "/E.wav"] = 5000;

        runner = main->findChild<ScheduleRunner*>();
        if (runner) {
            runner->timer()->stop();
            clock = QDateTime(QDate(2026, 12, 7), QTime(7, 59, 59));
            runner->setClock([this] { return clock; });
        }
    }

    void runUntil(QTime until)
    {
        while (clock.time() < until) {
            clock = clock.addMSecs(250);
            runner->RunScheduleCheck();
        }
    }

    // A captured block reaches the file: only a recording that holds audio is tagged.
    void captureBlock()
    {
        auto* recorder = static_cast<FakeRecorder*>(main->components().AudioRecord1.get());
        recorder->nextBlock = Block{{0.1f, -0.1f, 0.2f, -0.2f}, 2, 44100};
        emit recorder->OnEndArrayRecord(0);
    }

    RecordingPowerOff powerOff;
    FakeProgram program;
    const QTemporaryDir& tmp = program.tmp;
    Tfm_main* main = nullptr;
    ScheduleRunner* runner = nullptr;
    QDateTime clock;
};

}  // namespace

TEST_F(WiredSchedule, StoredScheduleRecordsListsTagsAndPowersOffWithoutTheWindowShown)
{
    ASSERT_NE(runner, nullptr);
    runUntil(QTime(8, 0, 1));
    EXPECT_TRUE(main->activity().recording());
    EXPECT_FALSE(program.sche->isVisible());
    captureBlock();

    runUntil(QTime(8, 0, 6));
    EXPECT_FALSE(main->activity().recording());
    EXPECT_EQ(program.list->count(), 1);
    EXPECT_FALSE(program.information()->calls.isEmpty()) << "the scheduled recording is tagged";

    // The runner's tests prove what stops before the power-off; here it is the program's.
    runUntil(QTime(8, 0, 12));
    EXPECT_EQ(powerOff.calls, 1);
}

// A power-off the system would not do leaves the recording running and says
// why in one box, shown once the check is over.
TEST_F(WiredSchedule, ARefusedPowerOffLeavesTheRecordingRunningAndSaysWhy)
{
    ASSERT_NE(runner, nullptr);
    powerOff.cannot = "powering off needs a password on this computer";
    clock.setTime(QTime(8, 0, 7));
    runner->setClock([this] { return clock; });
    main->commands().RecordCommand();
    ASSERT_TRUE(main->activity().recording());

    runUntil(QTime(8, 0, 12));
    EXPECT_TRUE(program.dialogs.shown.isEmpty()) << "not while the check runs";
    QCoreApplication::processEvents();
    EXPECT_EQ(program.dialogs.shown,
              QStringList{"The computer was not powered off at the set time: powering off needs a password on "
                          "this computer."});
    EXPECT_TRUE(main->activity().recording());
    EXPECT_EQ(powerOff.calls, 0);
    EXPECT_EQ(program.list->count(), 0);
}
