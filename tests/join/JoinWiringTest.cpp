// The list window's "join" element drives the join run through the main
// window, with the real file reader and writer. A stop mid-run is proven by
// JoinRun.AStopDuringTheSecondFileKeepsWhatWasJoined, and "stopj" clearing the
// run's flag by MainWindowCommands.PressMarkingSeekBarAndListToggle.

#include "app/Tfm_main.h"
#include "components/file/AudioFile.h"
#include "config/SettingsFile.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/JoinTestSupport.h"
#include "join/Tfm_list.h"

#include <gtest/gtest.h>

TEST(JoinWiring, TheJoinElementRunsTheJoinOfTheListedFiles)
{
    FakeProgram p;
    FakeDialogs& dialogs = p.dialogs;
    auto skin = std::make_unique<jointest::ProgressSkin>();
    jointest::ProgressBar& bar = skin->bar;
    p.parts.Skin1 = std::move(skin);
    p.parts.AudioFileWrite = std::make_unique<AudioFile>();
    p.parts.AudioFilepaly = std::make_unique<AudioFile>();
    const QString outDir = p.tmp.filePath("joined");
    SettingsFile(p.settingsPath()).writeText("output", "dir", outDir);
    p.build();
    Tfm_main& main = *p.main;
    main.FormShow();

    Element join("join"), add("list_add");
    main.Skin1Click(&join);
    EXPECT_EQ(dialogs.shown, QStringList{"Please add file!"});
    dialogs.shown.clear();

    dialogs.filesToOpen = {jointest::wavTone(p.tmp.path(), "a.wav", 440, 1, 44100, 2),
                           jointest::wavTone(p.tmp.path(), "b.wav", 880, 2, 22050, 1)};
    main.Skin1Click(&add);
    ASSERT_EQ(p.list->count(), 2);
    dialogs.fileToSave = outDir + "/out.wav";
    main.Skin1Click(&join);

    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(main.state().joining);
    EXPECT_EQ(jointest::probeWav(outDir + "/out.wav").frames, 3 * 44100);
    EXPECT_EQ(p.shell.opened, QStringList{"folder " + outDir + "/"});
    EXPECT_FALSE(bar.positions.empty());
}
