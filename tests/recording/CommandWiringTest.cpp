// The main window's record, stop and list commands reach the recording
// control and the join list once they are wired.

#include "app/CommandWiring.h"
#include "app/Tfm_main.h"
#include "components/TSkin.h"
#include "config/SettingsFile.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "fakes/FakeComponents.h"
#include "join/Tfm_list.h"
#include "schedule/Tfm_sche.h"
#include "tags/Tfm_id3.h"

#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class NoSkin : public TSkin {
public:
    void OpenSkinFile(const QString&) override {}
    void PrepareWindow(QWidget*) override {}
    void ApplyFormToWindow(QWidget*, const QString&) override {}
    ISkinnedWindow* SkinnedWindowOf(QWidget*) override { return nullptr; }
};

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

TEST(CommandWiring, RecordStopAndListElementsDriveTheRecordingAndTheList)
{
    QTemporaryDir tmp;
    FakeDialogs dialogs;
    FakeShell shell;
    MainComponents c;
    c.Skin1 = std::make_unique<NoSkin>();
    c.AudioRecord1 = std::make_unique<FakeRecorder>();
    auto writer = std::make_unique<FakeAudioFile>();
    auto reader = std::make_unique<FakeAudioFile>();
    FakeAudioFile* w = writer.get();
    FakeAudioFile* r = reader.get();
    c.AudioFileWrite = std::move(writer);
    c.AudioFilepaly = std::move(reader);
    c.AudioPlayer21 = std::make_unique<FakePlayer>();
    c.AudioInformation21 = std::make_unique<FakeInformation>();
    c.AudioVisualization21 = new FakeVisualization;
    MainServices s;
    s.dialogs = &dialogs;
    s.shell = &shell;
    s.settingsPath = tmp.filePath("tamsel.ini");
    SettingsFile(s.settingsPath).writeText("output", "path", tmp.filePath("out"));

    Tfm_main main(std::move(c), s);
    Tfm_sche sche;
    Tfm_dev dev(main.components().AudioRecord1.get());
    Tfm_id3 id3;
    Tfm_set set;
    Tfm_dir dir;
    Tfm_list list(main.state(), *main.components().Skin1, &main);
    main.setWindows({&sche, &dev, &id3, &set, &dir, &list});
    wireCommands(main, list, set);
    set.rb_cust->setChecked(true);
    main.FormShow();

    const QString file = tmp.filePath("out") + "/E.wav";
    r->durations[file] = 61000;
    Element recorder("recorder"), stop("stop"), add("list_add"), del("del");
    main.Skin1Click(&recorder);
    EXPECT_TRUE(main.state().recording);
    EXPECT_TRUE(w->calls.contains("OpenWrite " + file));
    // The start saved the settings window's controls first.
    EXPECT_EQ(SettingsFile(s.settingsPath).readText("output", "out_name", "?"), "E");
    main.Skin1Click(&stop);
    EXPECT_FALSE(main.state().recording);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.entryPath(0), file);
    EXPECT_EQ(list.lv->item(0, 1)->text(), "00:01:01");

    dialogs.filesToOpen = {"/m/a.wav"};
    main.Skin1Click(&add);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.selectedIndex(), 1);
    main.Skin1Click(&del);
    EXPECT_EQ(list.count(), 1);
}
