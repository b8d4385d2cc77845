// The player behind the main window: its play, pause and stop elements and
// the seek bar's release reach it, and its texts and bar land on the real
// skin's display elements. The end of output and errors stop it inside the
// player (PlaybackControlTest, RealPlaybackTest); the error handler's stop is
// MainWindowErrorHandler's.

#include "PlaybackFakes.h"
#include "app/Tfm_main.h"
#include "components/skin/SvgSkinElement.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"

#include <QFile>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

class PlaybackWiring : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto r = std::make_unique<PlaybackReaderFake>(log);
        auto p = std::make_unique<PlaybackPlayerFake>(log);
        reader = r.get();
        player = p.get();
        program.parts.AudioFilepaly = std::move(r);
        program.parts.AudioPlayer21 = std::move(p);
        FakeProgram::Options options;
        options.svgSkin = true;
        options.programDirectory = TAMSEL_DATA_DIR;
        program.build(options);
        main = program.main.get();
        list = program.list.get();
        main->FormShow();
        ASSERT_TRUE(main->firstShowDone());

        file = program.tmp.filePath("Song.wav");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(10240, 'x'));
        f.close();
        dialogs.filesToOpen = {file};
        list->AddFiles();
        ASSERT_EQ(list->count(), 1);
        main->drag().released();  // a click on the window ends any drag
        log.clear();
    }

    ISkinObject* element(const char* name)
    {
        return main->components().Skin1->SkinnedWindowOf(main)->ElementByName(name);
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

    QStringList log;
    QString file;
    PlaybackReaderFake* reader = nullptr;
    PlaybackPlayerFake* player = nullptr;
    FakeProgram program;
    FakeDialogs& dialogs = program.dialogs;
    Tfm_main* main = nullptr;
    Tfm_list* list = nullptr;
};

TEST_F(PlaybackWiring, PlayShowsOnTheSkinAndPauseSeekStopFollowTheElements)
{
    list->lv->clearSelection();
    click("play");
    const ActivityState& st = main->activity();
    ASSERT_TRUE(st.playing());
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
    EXPECT_TRUE(st.playbackPaused());
    // A drag of the bar during the pause, released at 245: a quarter in.
    main->Skin1MouseDown(bar, Qt::LeftButton, 0, 0);
    EXPECT_FALSE(main->barFollows());
    bar->ScrollBarFacet()->SetBarPosition(245);
    log.clear();
    main->Skin1MouseUp(bar, Qt::LeftButton, 0, 0);
    EXPECT_EQ(log, QStringList({"StopPlay", "Seek 110250 3"}));
    EXPECT_TRUE(st.playbackPaused());
    EXPECT_EQ(textOf("s_time"), "Time:00:00:02");

    click("play");  // resumes
    EXPECT_FALSE(st.playbackPaused());
    EXPECT_EQ(log.last(), "StartPlay");
    emit player->OnTimer(4410, 0, 0);  // the player counts from the seek
    EXPECT_EQ(bar->ScrollBarFacet()->BarPosition(), 255) << "(110250 + 4410) of 441000 frames";

    click("stop");
    EXPECT_FALSE(st.playing() || st.playbackPaused());
    for (const char* name : {"s_time", "s_sizeson", "s_mono", "s_filename"}) EXPECT_EQ(textOf(name), "");
    EXPECT_FALSE(bar->CommonFacet()->ElementEnabled());
    EXPECT_TRUE(main->components().AudioVisualization21->isHidden());
    EXPECT_FALSE(reader->IsOpen());
}

}  // namespace
