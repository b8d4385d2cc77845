// The settings window opened from the main window: it loads the file the
// main window opened, and its pages reach the program's other windows.

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

#include <QLineEdit>
#include <QPushButton>
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

TEST(SettingsWiring, TheSetElementOpensALoadedWindowWhosePagesOpenTheOtherWindows)
{
    QTemporaryDir tmp;
    FakeDialogs dialogs;
    FakeShell shell;
    MainComponents c;
    c.Skin1 = std::make_unique<NoSkin>();
    c.AudioRecord1 = std::make_unique<FakeRecorder>();
    c.AudioFileWrite = std::make_unique<FakeAudioFile>();
    c.AudioFilepaly = std::make_unique<FakeAudioFile>();
    c.AudioPlayer21 = std::make_unique<FakePlayer>();
    c.AudioInformation21 = std::make_unique<FakeInformation>();
    c.AudioVisualization21 = new FakeVisualization;
    MainServices s;
    s.dialogs = &dialogs;
    s.shell = &shell;
    s.settingsPath = tmp.filePath("tamsel.ini");
    SettingsFile(s.settingsPath).writeText("output", "out_name", "Stored");

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

    QString loadedName;
    bool sourceShown = false, helpEnabled = true, scheduleShown = false, folderShown = false;
    QTimer::singleShot(0, &set, [&] {
        loadedName = set.out_name->text();
        set.ShowPage(Tfm_set::SourcePage);
        sourceShown = dev.isVisible() && dev.pos() == set.pos() + QPoint(133, 31);
        helpEnabled = dev.dev_bt_help->isEnabled();
        set.ShowPage(Tfm_set::SchedulePage);
        scheduleShown = sche.isVisible() && !dev.isVisible();
        sche.hide();
        set.Button2->click();
        folderShown = dir.isVisible();
        dir.hide();
        set.close();
    });
    Element element("set");
    main.Skin1Click(&element);
    EXPECT_EQ(loadedName, "Stored");
    EXPECT_TRUE(sourceShown);
    EXPECT_FALSE(helpEnabled);
    EXPECT_TRUE(scheduleShown);
    EXPECT_TRUE(folderShown);
}
