// The player behind the main window: its play, pause and stop elements, the
// seek bar's release and the error handler reach it, and its texts and bar
// land on the real skin's display elements.

#include "PlaybackFakes.h"
#include "app/CommandWiring.h"
#include "app/Tfm_main.h"
#include "components/skin/SvgSkin.h"
#include "components/skin/SvgSkinElement.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "join/Tfm_list.h"
#include "schedule/Tfm_sche.h"
#include "tags/Tfm_id3.h"

#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Element : public ISkinObject {
public:
    explicit Element(QString n) : name(std::move(n)) {}
    QString ElementName() const override { return name; }
    ISkinText* TextFacet() override { return nullptr; }
    ISkinCommon* CommonFacet() override { return nullptr; }
    ISkinScrollBar* ScrollBarFacet() override { return nullptr; }
    QString name;
};

class PlaybackWiring : public ::testing::Test {
protected:
    void SetUp() override
    {
        MainComponents c;
        c.Skin1 = std::make_unique<SvgSkin>();
        c.AudioRecord1 = std::make_unique<FakeRecorder>();
        c.AudioFileWrite = std::make_unique<FakeAudioFile>();
        auto r = std::make_unique<PlaybackReaderFake>(log);
        auto p = std::make_unique<PlaybackPlayerFake>(log);
        reader = r.get();
        player = p.get();
        c.AudioFilepaly = std::move(r);
        c.AudioPlayer21 = std::move(p);
        c.AudioInformation21 = std::make_unique<FakeInformation>();
        c.AudioVisualization21 = new FakeVisualization;
        MainServices s;
        s.dialogs = &dialogs;
        s.shell = &shell;
        s.settingsPath = dir.filePath("tamsel.ini");
        s.programDirectory = TAMSEL_DATA_DIR;
        main = std::make_unique<Tfm_main>(std::move(c), s);
        dev = std::make_unique<Tfm_dev>(main->components().AudioRecord1.get());
        list = std::make_unique<Tfm_list>(main->state(), *main->components().Skin1, main.get());
        main->setWindows({&sche, dev.get(), &id3, &set, &dirWindow, list.get()});
        wireCommands(*main, *list, set);
        main->FormShow();
        ASSERT_TRUE(main->firstShowDone());

        file = dir.filePath("Song.wav");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(10240, 'x'));
        f.close();
        dialogs.filesToOpen = {file};
        list->AddFiles();
        ASSERT_EQ(list->count(), 1);
        main->state().noWindowDrag = true;
        log.clear();
    }
    void TearDown() override
    {
        list.reset();
        main.reset();
    }

    ISkinObject* element(const char* name)
    {
        return main->components().Skin1->SkinnedWindowOf(main.get())->ElementByName(name);
    }
    QString textOf(const char* name)
    {
        auto* e = dynamic_cast<SvgSkinElement*>(element(name));
        return e ? e->text() : QString("(no element)");
    }
    void click(const char* name)
    {
        Element e(name);
        main->Skin1Click(&e);
    }

    QTemporaryDir dir;
    QStringList log;
    QString file;
    FakeDialogs dialogs;
    FakeShell shell;
    PlaybackReaderFake* reader = nullptr;
    PlaybackPlayerFake* player = nullptr;
    std::unique_ptr<Tfm_main> main;
    Tfm_sche sche;
    Tfm_id3 id3;
    Tfm_set set;
    Tfm_dir dirWindow;
    std::unique_ptr<Tfm_dev> dev;
    std::unique_ptr<Tfm_list> list;
};

TEST_F(PlaybackWiring, PlayShowsOnTheSkinAndPauseSeekStopFollowTheElements)
{
    list->lv->clearSelection();
    click("play");
    AppState& st = main->state();
    ASSERT_TRUE(st.playing);
    EXPECT_EQ(list->selectedIndex(), 0);
    EXPECT_TRUE(log.contains("OpenRead " + file));
    EXPECT_EQ(textOf("s_sizeson"), "File Size: 10 KB");
    EXPECT_EQ(textOf("s_time"), "Time:.wav");
    EXPECT_EQ(textOf("s_mono"), "File Info: Stereo 1411K 44100HZ");
    EXPECT_EQ(textOf("s_filename"), "File Name:Song.wav");
    ISkinObject* bar = element("play_bar");
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->CommonFacet()->ElementEnabled());
    EXPECT_FALSE(main->components().AudioVisualization21->isHidden());

    emit player->OnTimer(44100 * 5, 0, 0);
    EXPECT_EQ(textOf("s_time"), "Time:00:00:05");
    EXPECT_EQ(bar->ScrollBarFacet()->BarPosition(), 490);

    click("pause");
    EXPECT_TRUE(st.playbackPaused);
    // A drag of the bar during the pause, released at 245: a quarter in.
    main->Skin1MouseDown(bar, Qt::LeftButton, 0, 0);
    EXPECT_FALSE(st.barFollows);
    bar->ScrollBarFacet()->SetBarPosition(245);
    log.clear();
    main->Skin1MouseUp(bar, Qt::LeftButton, 0, 0);
    EXPECT_EQ(log, QStringList({"StopPlay", "Seek 110250 3"}));
    EXPECT_TRUE(st.playbackPaused);
    EXPECT_EQ(textOf("s_time"), "Time:00:00:02");

    click("play");  // resumes
    EXPECT_FALSE(st.playbackPaused);
    EXPECT_EQ(log.last(), "StartPlay");

    click("stop");
    EXPECT_FALSE(st.playing);
    for (const char* name : {"s_time", "s_sizeson", "s_mono", "s_filename"}) EXPECT_EQ(textOf(name), "");
    EXPECT_FALSE(bar->CommonFacet()->ElementEnabled());
    EXPECT_TRUE(main->components().AudioVisualization21->isHidden());
    EXPECT_FALSE(reader->IsOpen());
}

TEST_F(PlaybackWiring, EndOfOutputAndErrorsStopThePlayback)
{
    click("play");
    emit player->OnEndPlay();
    EXPECT_FALSE(main->state().playing);
    EXPECT_EQ(textOf("s_filename"), "");

    click("play");
    ASSERT_TRUE(main->state().playing);
    QString message;
    try {
        emit player->OnError("The sound server went away");
    } catch (const TamselError& e) {
        message = e.message();
    }
    ASSERT_EQ(message, "The sound server went away");
    // What the application does with an error that leaves an event handler.
    main->ApplicationEvents1Exception(message);
    EXPECT_EQ(dialogs.shown.last(), message);
    EXPECT_FALSE(main->state().playing);
    EXPECT_EQ(textOf("s_mono"), "");
}

TEST_F(PlaybackWiring, PlayRefusesWhileRecording)
{
    main->state().recording = true;
    click("play");
    EXPECT_FALSE(main->state().playing);
    EXPECT_EQ(dialogs.shown, QStringList({"Please stop recording first."}));
    main->state().recording = false;
}

}  // namespace
