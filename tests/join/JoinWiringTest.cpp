// The list window's "join" and "stopj" elements drive the join run through
// the main window, with the real file reader and writer.

#include "app/CommandWiring.h"
#include "app/Tfm_main.h"
#include "components/file/AudioFile.h"
#include "config/SettingsFile.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "fakes/FakeComponents.h"
#include "join/JoinEngine.h"
#include "join/JoinTestSupport.h"
#include "join/Tfm_list.h"
#include "schedule/Tfm_sche.h"
#include "tags/Tfm_id3.h"

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

}  // namespace

TEST(JoinWiring, JoinAndStopElementsRunAndStopTheJoin)
{
    QTemporaryDir tmp;
    FakeDialogs dialogs;
    FakeShell shell;
    MainComponents c;
    auto skin = std::make_unique<jointest::ProgressSkin>();
    jointest::ProgressBar& bar = skin->bar;
    c.Skin1 = std::move(skin);
    c.AudioRecord1 = std::make_unique<FakeRecorder>();
    c.AudioFileWrite = std::make_unique<AudioFile>();
    c.AudioFilepaly = std::make_unique<AudioFile>();
    c.AudioPlayer21 = std::make_unique<FakePlayer>();
    c.AudioInformation21 = std::make_unique<FakeInformation>();
    c.AudioVisualization21 = new FakeVisualization;
    MainServices s;
    s.dialogs = &dialogs;
    s.shell = &shell;
    s.settingsPath = tmp.filePath("tamsel.ini");
    const QString outDir = tmp.filePath("joined");
    SettingsFile(s.settingsPath).writeText("output", "dir", outDir);

    Tfm_main main(std::move(c), s);
    Tfm_sche sche;
    Tfm_dev dev(main.components().AudioRecord1.get());
    Tfm_id3 id3;
    Tfm_set set;
    Tfm_dir dir;
    Tfm_list list(main.state(), *main.components().Skin1, &main);
    main.setWindows({&sche, &dev, &id3, &set, &dir, &list});
    wireCommands(main, list, set);
    main.FormShow();

    Element join("join"), stopj("stopj"), add("list_add");
    main.Skin1Click(&join);
    EXPECT_EQ(dialogs.shown, QStringList{"Please add file!"});
    dialogs.shown.clear();

    dialogs.filesToOpen = {jointest::wavTone(tmp.path(), "long.wav", 440, 20, 44100, 2),
                           jointest::wavTone(tmp.path(), "next.wav", 880, 1, 44100, 2)};
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
    EXPECT_EQ(shell.opened, QStringList{"folder " + outDir + "/"});
    EXPECT_FALSE(bar.positions.empty());
}
