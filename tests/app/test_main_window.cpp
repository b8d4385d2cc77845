// The main window's first show with fake audio components and the real skin
// engine, its error handler, and the dispatch of skin element commands.

#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"
#include "platform/Error.h"
#include "schedule/Tfm_sche.h"

#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The windows on the real skin, unwired: the commands only count their runs.
struct Program : FakeProgram {
    int stopRecordingRuns = 0, stopPlaybackRuns = 0, addRuns = 0, stopJoinRuns = 0;
    // The recorder the windows will get; set it up before create().
    FakeRecorder& recorderSetup = *static_cast<FakeRecorder*>(parts.AudioRecord1.get());

    void create(const QString& programDirectory = TAMSEL_DATA_DIR)
    {
        Options options;
        options.svgSkin = true;
        options.programDirectory = programDirectory;
        options.wire = false;
        build(options);
        main->commands().StopRecording = [this] { ++stopRecordingRuns; };
        main->commands().StopPlayback = [this] { ++stopPlaybackRuns; };
        main->commands().AddFiles = [this] { ++addRuns; };
        main->commands().StopJoin = [this] { ++stopJoinRuns; };
    }
    // Unwired, the test runs each kind of work itself.
    ActivityState::Handle claim(ActivityOwner owner) { return main->activity().claim(owner); }
    void createAndShow()
    {
        create();
        main->FormShow();
    }
};

}  // namespace

// The last device unless a position is stored; the last active line or none,
// with line zero asked for when none is active.
TEST(MainWindowFirstShow, SelectsTheLastDeviceAndTheLastActiveLine)
{
    for (const bool stored : {false, true}) {
        Program p;
        p.recorderSetup.deviceCount = 2;
        p.recorderSetup.deviceNames = {"A", "B", "C"};
        if (stored) {
            SettingsFile(p.settingsPath()).writeInteger("rd", "rd", 1);
            p.recorderSetup.lines = {{"Mic", false, 100}, {"Monitor", false, 200}};
        } else {
            p.recorderSetup.lines = {{"Mic", true, 100}, {"Line", false, 5}, {"Monitor", true, 4000}};
        }
        p.createAndShow();
        EXPECT_EQ(p.dev->cb_rd->count(), 3);
        EXPECT_EQ(p.dev->cb_rd->currentIndex(), stored ? 1 : 2);
        EXPECT_EQ(p.recorder()->currentDevice, 2) << "the last device stays current";
        EXPECT_EQ(p.dev->cb_rdson->count(), stored ? 2 : 3);
        EXPECT_EQ(p.dev->cb_rdson->currentIndex(), stored ? -1 : 2);
        EXPECT_EQ(p.recorder()->currentLine, stored ? 0 : 3);
        if (!stored) {
            EXPECT_EQ(p.dev->tb_rd->value(), 4000);
        }
    }
}

TEST(MainWindowFirstShow, SetsUpTheSkinSeekBarLevelDisplayListWindowAndDirectoryBox)
{
    Program p;
    SettingsFile ini(p.settingsPath());
    ini.writeText("output", "path", "/music/chosen");
    ini.writeText("output", "dir", "/music/other");
    p.createAndShow();
    EXPECT_EQ(p.set->ed_dir->text(), "/music/chosen") << "the box shows the path key, not the dir key";
    EXPECT_TRUE(p.main->firstShowDone());
    EXPECT_TRUE(p.visualization()->isHidden());
    ASSERT_NE(p.main->play_bar.bar, nullptr);
    EXPECT_FALSE(p.main->play_bar.common->ElementEnabled());
    EXPECT_TRUE(p.list->isVisible());
    EXPECT_EQ(p.list->pos(), QPoint(p.main->x(), p.main->y() + p.main->height())) << "docked below";
    const QStringList fileCalls =
        static_cast<FakeAudioFile*>(p.main->components().AudioFileWrite.get())->calls;
    EXPECT_TRUE(fileCalls.contains("SetFileOption -1"));
}

TEST(MainWindowFirstShow, MissingSkinStopsTheShowWithAnErrorNamingTheFile)
{
    Program p;
    QTemporaryDir empty;
    p.create(empty.path());
    try {
        p.main->FormShow();
        FAIL() << "a missing skin must raise an error";
    } catch (const TamselError& e) {
        EXPECT_TRUE(e.message().contains("mp3enc.dll")) << e.message().toStdString();
    }
    EXPECT_FALSE(p.list->shown());
    EXPECT_FALSE(p.list->isVisible());
    EXPECT_EQ(p.main->play_bar.bar, nullptr);
}

TEST(MainWindowFirstShow, NoSoundServerIsReportedAndTheRestIsStillSetUp)
{
    Program p;
    p.recorderSetup.failWith = "Cannot connect to the sound server: Connection refused";
    p.createAndShow();
    EXPECT_EQ(p.dialogs.shown, QStringList{p.recorderSetup.failWith});
    EXPECT_EQ(p.dev->cb_rd->count(), 0);
    EXPECT_TRUE(p.main->firstShowDone());
    EXPECT_NE(p.main->play_bar.bar, nullptr) << "the skin is applied all the same";
    EXPECT_TRUE(p.list->shown());
}

// The window must never be seen bare: the skin is on before the first show
// event, and that first show still runs the start-up steps once.
TEST(MainWindowFirstShow, IsSkinnedFromTheFirstShowEvent)
{
    Program p;
    p.create();
    struct Watch : QObject {
        Tfm_main* main = nullptr;
        int shows = 0;
        bool skinned = false, framed = true;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Show && shows++ == 0) {
                skinned = main->firstShowDone() && main->play_bar.bar != nullptr;
                framed = !main->windowFlags().testFlag(Qt::FramelessWindowHint);
            }
            return false;
        }
    } watch;
    watch.main = p.main.get();
    p.main->installEventFilter(&watch);
    p.main->show();
    EXPECT_EQ(watch.shows, 1);
    EXPECT_TRUE(watch.skinned);
    EXPECT_FALSE(watch.framed);
    const int devices = p.dev->cb_rd->count();
    p.main->hide();
    p.main->show();
    EXPECT_EQ(p.dev->cb_rd->count(), devices) << "the start-up steps ran again";
}

TEST(MainWindowErrorHandler, ShowsTheMessageThenStopsRecordingAndPlayback)
{
    Program p;
    p.create();
    p.main->ApplicationEvents1Exception("nothing runs");
    EXPECT_EQ(p.dialogs.shown, QStringList{"nothing runs"});
    EXPECT_EQ(p.stopRecordingRuns, 0);
    EXPECT_EQ(p.stopPlaybackRuns, 0);

    ActivityState::Handle recorder = p.claim(ActivityOwner::Recording);
    ActivityState::Handle player = p.claim(ActivityOwner::Playback);
    recorder.set(Activity::RecordingPaused);
    p.main->ApplicationEvents1Exception("writer failed");
    EXPECT_EQ(p.stopRecordingRuns, 1);
    recorder.finish();
    player.set(Activity::Playing);
    p.main->ApplicationEvents1Exception("reader failed");
    EXPECT_EQ(p.stopPlaybackRuns, 1);
    EXPECT_EQ(p.stopJoinRuns, 3) << "a join, were one running, stops at every error";
}

TEST(MainWindowCommands, GuardsOfAddSetAndTheUnlistedNames)
{
    Program p;
    p.createAndShow();
    ActivityState::Handle recorder = p.claim(ActivityOwner::Recording);
    ActivityState::Handle player = p.claim(ActivityOwner::Playback);
    ActivityState::Handle joiner = p.claim(ActivityOwner::Join);

    Element add("add"), listAdd("list_add"), set("set"), unknown("volume_knob");
    player.set(Activity::Playing);
    p.main->Skin1Click(&add);
    EXPECT_EQ(p.addRuns, 0) << "add is refused while playing";
    p.main->Skin1Click(&listAdd);
    EXPECT_EQ(p.addRuns, 1) << "list_add has no guard of its own";
    player.finish();
    joiner.set(Activity::Joining);
    p.main->Skin1Click(&add);
    EXPECT_EQ(p.addRuns, 1) << "add is refused while joining";
    joiner.finish();
    p.main->Skin1Click(&add);
    EXPECT_EQ(p.addRuns, 2);

    // "set" opens nothing while anything records, plays or is paused.
    bool opened = false;
    QObject::connect(p.set.get(), &QDialog::finished, [&] { opened = true; });
    for (Activity busy : {Activity::Recording, Activity::Playing, Activity::RecordingPaused, Activity::PlaybackPaused}) {
        ActivityState::Handle& owner = ActivityState::ownerOf(busy) == ActivityOwner::Recording ? recorder : player;
        owner.set(busy);
        p.main->Skin1Click(&set);
        owner.finish();
    }
    EXPECT_FALSE(opened);
    QTimer::singleShot(0, p.set.get(), &QDialog::reject);
    p.main->Skin1Click(&set);
    EXPECT_TRUE(opened) << "with nothing running the settings window opens";

    // A name not in the table does nothing, and a press on it may drag the window.
    p.main->Skin1Click(&unknown);
    p.main->Skin1MouseDown(&unknown, 1, 0, 0);
    p.main->FormMouseDown(QPoint(3, 3));
    EXPECT_FALSE(p.main->drag().textsFollow());
}

// Wired, the settings window shows the program's settings file and its pages
// reach the program's windows; the folder picked there lands in both.
TEST(MainWindowCommands, SetOpensTheWiredSettingsWindow)
{
    FakeProgram p;
    SettingsFile(p.settingsPath()).writeText("output", "out_name", "Stored");
    p.build();
    p.main->FormShow();
    QString loadedName, chosenFolder;
    bool sourceShown = false, scheduleShown = false;
    const QString picked = p.tmp.filePath("picked");
    QDir().mkpath(picked);
    QTimer::singleShot(0, p.set.get(), [&] {
        loadedName = p.set->out_name->text();
        p.set->ShowPage(Tfm_set::SourcePage);
        sourceShown = p.dev->isVisible();
        p.set->ShowPage(Tfm_set::SchedulePage);
        scheduleShown = p.sche->isVisible();
        p.sche->hide();
        p.set->Button2->click();
        if (p.dir->isVisible() && p.dir->selectFolder(picked)) p.dir->btn_okClick();
        chosenFolder = p.set->ed_dir->text();
        p.set->reject();
    });
    Element set("set");
    p.main->Skin1Click(&set);
    EXPECT_EQ(loadedName, "Stored");
    EXPECT_TRUE(sourceShown);
    EXPECT_TRUE(scheduleShown);
    EXPECT_EQ(chosenFolder, picked);
    EXPECT_EQ(SettingsFile(p.settingsPath()).readText("output", "path", "?"), picked);
}

TEST(MainWindowCommands, PressMarkingSeekBarAndListToggle)
{
    Program p;
    p.createAndShow();
    ActivityState::Handle player = p.claim(ActivityOwner::Playback);

    Element bar("play_bar"), close("close"), list("list"), stopj("stopj");
    p.main->Skin1MouseDown(&close, 1, 0, 0);
    p.main->FormMouseDown(QPoint(3, 3));
    EXPECT_TRUE(p.main->drag().textsFollow()) << "a press on an element never starts a drag";
    p.main->FormMouseUp();
    p.main->FormMouseDown(QPoint(3, 3));
    EXPECT_FALSE(p.main->drag().textsFollow()) << "the release ended the element's press";
    p.main->FormMouseUp();

    p.main->Skin1MouseDown(&bar, 1, 0, 0);
    EXPECT_FALSE(p.main->barFollows());
    bool followedAtSeek = false;
    int seeks = 0;
    p.main->commands().SeekFromBar = [&] {
        ++seeks;
        followedAtSeek = p.main->barFollows();
    };
    p.main->Skin1MouseUp(&bar, 1, 0, 0);
    EXPECT_EQ(seeks, 0) << "nothing plays, so nothing seeks";
    EXPECT_TRUE(p.main->barFollows()) << "a release on the bar always lets it follow again";
    player.set(Activity::PlaybackPaused);
    p.main->Skin1MouseDown(&bar, 1, 0, 0);
    p.main->Skin1MouseUp(&bar, 1, 0, 0);
    EXPECT_EQ(seeks, 1);
    EXPECT_TRUE(followedAtSeek) << "the seek shows its place on the bar";
    player.finish();

    ASSERT_TRUE(p.list->shown());
    p.main->Skin1Click(&list);
    EXPECT_FALSE(p.list->shown());
    EXPECT_FALSE(p.list->isVisible());
    p.main->Skin1Click(&list);
    EXPECT_TRUE(p.list->shown());
    EXPECT_TRUE(p.list->isVisible());

    p.main->Skin1Click(&stopj);
    EXPECT_EQ(p.stopJoinRuns, 1);
}
