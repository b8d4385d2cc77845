// The main window's record, stop and list commands reach the recording
// control and the join list once they are wired.

#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "config/Tfm_set.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"

#include <QRadioButton>
#include <QTableWidget>
#include <gtest/gtest.h>

TEST(CommandWiring, RecordStopAndListElementsDriveTheRecordingAndTheList)
{
    FakeProgram p;
    SettingsFile(p.settingsPath()).writeText("output", "path", p.tmp.filePath("out"));
    p.build();
    Tfm_main& main = *p.main;
    Tfm_list& list = *p.list;
    p.set->rb_cust->setChecked(true);
    main.FormShow();

    const QString file = p.tmp.filePath("out") + "/E.wav";
    p.reader()->durations[file] = 61000;
    Element recorder("recorder"), stop("stop"), add("list_add"), del("del");
    main.Skin1Click(&recorder);
    EXPECT_TRUE(main.state().recording);
    EXPECT_TRUE(p.writer()->calls.contains("OpenWrite " + file));
    // The start saved the settings window's controls first.
    EXPECT_EQ(SettingsFile(p.services.settingsPath).readText("output", "out_name", "?"), "E");
    main.Skin1Click(&stop);
    EXPECT_FALSE(main.state().recording);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.entryPath(0), file);
    EXPECT_EQ(list.lv->item(0, 1)->text(), "00:01:01");

    p.dialogs.filesToOpen = {"/m/a.wav"};
    main.Skin1Click(&add);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.selectedIndex(), 1);
    main.Skin1Click(&del);
    EXPECT_EQ(list.count(), 1);
}
