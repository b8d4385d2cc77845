// The schedule as wired into the program: the stored schedule records through
// the main window's commands (so its files are listed and tagged) and powers
// off through the program's power-off, without the schedule window ever shown.

#include "app/CommandWiring.h"
#include "app/Tfm_main.h"
#include "components/TSkin.h"
#include "config/SettingsFile.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "fakes/FakeComponents.h"
#include "join/Tfm_list.h"
#include "platform/PowerOff.h"
#include "schedule/ScheduleRunner.h"
#include "schedule/Tfm_sche.h"
#include "tags/Tfm_id3.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class NoSkin : public TSkin {
public:
    void OpenSkinFile(const QString&) override {}
    void PrepareWindow(QWidget*) override {}
    void ApplyFormToWindow(QWidget*, const QString&) override {}
    ISkinnedWindow* SkinnedWindowOf(QWidget*) override { return nullptr; }
};

class RecordingPowerOff : public PowerOff {
public:
    std::function<void()> onCall;
    int calls = 0;
    void powerOff() override
    {
        ++calls;
        if (onCall) onCall();
    }
};

class WiredSchedule : public ::testing::Test {
protected:
    WiredSchedule()
    {
        MainComponents c;
        c.Skin1 = std::make_unique<NoSkin>();
        c.AudioRecord1 = std::make_unique<FakeRecorder>();
        c.AudioFileWrite = std::make_unique<FakeAudioFile>();
        auto reader = std::make_unique<FakeAudioFile>();
        reader_ = reader.get();
        c.AudioFilepaly = std::move(reader);
        c.AudioPlayer21 = std::make_unique<FakePlayer>();
        auto information = std::make_unique<FakeInformation>();
        information_ = information.get();
        c.AudioInformation21 = std::move(information);
        c.AudioVisualization21 = new FakeVisualization;
        MainServices s;
        s.dialogs = &dialogs;
        s.shell = &shell;
        s.powerOff = &powerOff;
        s.settingsPath = tmp.filePath("tamsel.ini");

        SettingsFile stored(s.settingsPath, QLocale::system());
        stored.writeText("output", "path", tmp.filePath("out"));
        stored.writeInteger("autorec", "format", 1);
        stored.writeBool("autorec", "cb1", true);
        stored.writeTime("autorec", "begintime1", QTime(8, 0, 0));
        stored.writeTime("autorec", "endtime1", QTime(8, 0, 5));
        stored.writeBool("timeclose", "bclose", true);
        stored.writeTime("Time", "Time", QTime(8, 0, 10));

        main = std::make_unique<Tfm_main>(std::move(c), s);
        list = std::make_unique<Tfm_list>(main->state(), *main->components().Skin1, main.get());
        dev = std::make_unique<Tfm_dev>(main->components().AudioRecord1.get());
        main->setWindows({&sche, dev.get(), &id3, &set, &dir, list.get()});
        wireCommands(*main, *list, set);
        set.rb_cust->setChecked(true);
        main->FormShow();
        reader_->durations[tmp.filePath("out") + "/E.wav"] = 5000;

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

    QTemporaryDir tmp;
    FakeDialogs dialogs;
    FakeShell shell;
    RecordingPowerOff powerOff;
    FakeAudioFile* reader_ = nullptr;
    FakeInformation* information_ = nullptr;
    std::unique_ptr<Tfm_main> main;
    Tfm_sche sche;
    std::unique_ptr<Tfm_dev> dev;
    Tfm_id3 id3;
    Tfm_set set;
    Tfm_dir dir;
    std::unique_ptr<Tfm_list> list;
    ScheduleRunner* runner = nullptr;
    QDateTime clock;
};

}  // namespace

TEST_F(WiredSchedule, StoredScheduleRecordsListsTagsAndPowersOffWithoutTheWindowShown)
{
    ASSERT_NE(runner, nullptr);
    runUntil(QTime(8, 0, 1));
    EXPECT_TRUE(main->state().recording);
    EXPECT_FALSE(sche.isVisible());
    captureBlock();

    runUntil(QTime(8, 0, 6));
    EXPECT_FALSE(main->state().recording);
    EXPECT_EQ(list->count(), 1);
    EXPECT_FALSE(information_->calls.isEmpty()) << "the scheduled recording is tagged";

    // A recording running at the power-off second is completed and listed first.
    main->commands().RecordCommand();
    ASSERT_TRUE(main->state().recording);
    captureBlock();
    bool recordingAtPowerOff = true;
    powerOff.onCall = [&] { recordingAtPowerOff = main->state().recording; };
    runUntil(QTime(8, 0, 12));
    EXPECT_EQ(powerOff.calls, 1);
    EXPECT_FALSE(recordingAtPowerOff);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(information_->calls.count("title "), 2) << information_->calls.join(", ").toStdString();
}

TEST_F(WiredSchedule, OutputDirectoryWindowWritesTheProgramsSettingsAndTheSettingsBox)
{
    QDir(tmp.path()).mkpath("picked");
    ASSERT_TRUE(dir.selectFolder(tmp.filePath("picked")));
    dir.btn_okClick();
    EXPECT_EQ(SettingsFile(tmp.filePath("tamsel.ini")).readText("output", "path", "?"),
              tmp.filePath("picked"));
    EXPECT_EQ(set.ed_dir->text(), tmp.filePath("picked"));
}
