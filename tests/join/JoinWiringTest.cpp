// The list window's "join" and "stopj" elements drive the join run through
// the main window, with the real file reader and writer.

#include "app/Tfm_main.h"
#include "components/file/AudioFile.h"
#include "config/SettingsFile.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/JoinEngine.h"
#include "join/JoinTestSupport.h"
#include "join/Tfm_list.h"

#include <QTableWidget>
#include <gtest/gtest.h>

TEST(JoinWiring, JoinAndStopElementsRunAndStopTheJoin)
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
    Tfm_list& list = *p.list;
    main.FormShow();

    Element join("join"), stopj("stopj"), add("list_add");
    main.Skin1Click(&join);
    EXPECT_EQ(dialogs.shown, QStringList{"Please add file!"});
    dialogs.shown.clear();

    dialogs.filesToOpen = {jointest::wavTone(p.tmp.path(), "long.wav", 440, 20, 44100, 2),
                           jointest::wavTone(p.tmp.path(), "next.wav", 880, 1, 44100, 2)};
    main.Skin1Click(&add);
    ASSERT_EQ(list.count(), 2);

    // A click on "stopj" arrives through the event loop the run pumps.
    auto* engine = main.findChild<JoinEngine*>();
    ASSERT_NE(engine, nullptr);
    QObject::connect(engine, &JoinEngine::blockJoined, &main, [&](int entry, qint64, qint64) {
        EXPECT_TRUE(main.state().joining);
        if (entry == 0)
            QMetaObject::invokeMethod(&main, [&] { main.Skin1Click(&stopj); }, Qt::QueuedConnection);
    });
    dialogs.fileToSave = outDir + "/out.wav";
    main.Skin1Click(&join);

    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(main.state().joining);
    // 44100 Hz stereo is read 8 s at a time: one block of the first file.
    EXPECT_EQ(jointest::probeWav(outDir + "/out.wav").frames, 8 * 44100);
    EXPECT_EQ(list.lv->item(0, 1)->text(), "00:00:20");
    EXPECT_EQ(list.lv->item(1, 1)->text(), "00:00:01");
    EXPECT_EQ(p.shell.opened, QStringList{"folder " + outDir + "/"});
    EXPECT_FALSE(bar.positions.empty());
}
