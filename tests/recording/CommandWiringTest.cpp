// The main window's record, stop and list commands reach the recording
// control and the join list once they are wired.

#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "config/Tfm_set.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <gtest/gtest.h>

TEST(CommandWiring, RecordStopAndListElementsDriveTheRecordingAndTheList)
{
    FakeProgram p;
    SettingsFile stored(p.settingsPath());
    stored.writeText("output", "path", p.tmp.filePath("out"));
    stored.writeText("output", "out_name", "E");
    stored.writeText("output", "rb_cust", "1");
    p.build();
    Tfm_main& main = *p.main;
    Tfm_list& list = *p.list;
    main.FormShow();

    Element recorder("recorder"), stop("stop"), add("list_add"), del("del");
    p.writer()->createOnOpenWrite = true;
    const auto capture = [&p] {
        p.recorder()->nextBlock = Block{{0.1f, -0.1f, 0.2f, -0.2f}, 2, 44100};
        emit p.recorder()->OnEndArrayRecord(0);
    };
    p.dialogs.filesToOpen = {"/m/a.wav"};
    main.Skin1Click(&add);
    ASSERT_EQ(list.count(), 1);

    const QString file = p.tmp.filePath("out") + "/E.wav";
    p.reader()->durations[file] = 61000;
    main.Skin1Click(&recorder);
    EXPECT_TRUE(main.activity().recording());
    EXPECT_TRUE(p.writer()->calls.contains("OpenWrite " + file));
    capture();
    // The start saved the settings window's controls first.
    EXPECT_EQ(stored.readText("file", "timet", "?"), "120");
    // The stop adds the recorded file without asking for files, and selects it.
    p.dialogs.filesToOpen = {"/m/never.wav"};
    main.Skin1Click(&stop);
    EXPECT_FALSE(main.activity().recording());
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.entryPath(1), file);
    EXPECT_EQ(list.lv->item(1, 1)->text(), "00:01:01");
    EXPECT_EQ(list.selectedIndex(), 1);

    main.Skin1Click(&del);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.entryPath(0), "/m/a.wav");

    // An edit left in the settings window is what the next start saves and uses.
    p.set->out_name->setText("Late");
    main.Skin1Click(&recorder);
    EXPECT_TRUE(p.writer()->calls.contains("OpenWrite " + p.tmp.filePath("out") + "/Late.wav"));
    EXPECT_EQ(stored.readText("output", "out_name", "?"), "Late");
    main.Skin1Click(&stop);
    QCoreApplication::processEvents();
    EXPECT_EQ(p.dialogs.shown.size(), 1) << "a take without sound is not kept, and the user is told";
    EXPECT_EQ(list.count(), 1);
}
