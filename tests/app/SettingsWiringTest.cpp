// The settings window opened from the main window: it loads the file the
// main window opened, and its pages reach the program's other windows.

#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "schedule/Tfm_sche.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

TEST(SettingsWiring, TheSetElementOpensALoadedWindowWhosePagesOpenTheOtherWindows)
{
    FakeProgram p;
    SettingsFile(p.settingsPath()).writeText("output", "out_name", "Stored");
    p.build();
    Tfm_set& set = *p.set;
    p.main->FormShow();

    QString loadedName;
    bool sourceShown = false, helpEnabled = true, scheduleShown = false, folderShown = false;
    QTimer::singleShot(0, &set, [&] {
        loadedName = set.out_name->text();
        set.ShowPage(Tfm_set::SourcePage);
        sourceShown = p.dev->isVisible();
        helpEnabled = p.dev->dev_bt_help->isEnabled();
        set.ShowPage(Tfm_set::SchedulePage);
        scheduleShown = p.sche->isVisible() && !p.dev->isVisible();
        p.sche->hide();
        set.Button2->click();
        folderShown = p.dir->isVisible();
        p.dir->hide();
        set.close();
    });
    Element element("set");
    p.main->Skin1Click(&element);
    EXPECT_EQ(loadedName, "Stored");
    EXPECT_TRUE(sourceShown);
    EXPECT_FALSE(helpEnabled);
    EXPECT_TRUE(scheduleShown);
    EXPECT_TRUE(folderShown);
}
