// The main window's "tag" element opens the tag window on the join list's
// selected entry, or on the default tag in the settings file.

#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"
#include "tags/Tfm_id3.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

TEST(TagWiring, TagElementEditsTheSelectedFileOrTheDefaultTag)
{
    FakeProgram p;
    p.build();
    Tfm_main& main = *p.main;
    Tfm_id3& id3 = *p.id3;
    Tfm_list& list = *p.list;
    FakeDialogs& dialogs = p.dialogs;
    const MainServices& s = p.services;
    FakeInformation* info = p.information();
    main.FormShow();
    ASSERT_EQ(id3.infoGenre->count(), 148);

    dialogs.filesToOpen = {"/m/a.wav", "/m/b.ogg"};
    list.AddFiles();
    ASSERT_EQ(list.count(), 2);
    list.lv->clearSelection();
    list.lv->selectRow(1);

    Element tag("tag");
    int shown = 0;
    const auto onShow = [&](const std::function<void()>& act) {
        QTimer::singleShot(0, &id3, [&, act] {
            ++shown;
            act();
            if (id3.isVisible()) id3.reject();
        });
    };
    onShow([&] {
        EXPECT_EQ(id3.infoFileName->text(), "b.ogg");
        id3.infoTitle->setText("B side");
        id3.btnApply->click();
    });
    main.Skin1Click(&tag);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(info->calls.first(), "ReadInfo /m/b.ogg");
    EXPECT_EQ(info->calls.last(), "WriteInfo /m/b.ogg");
    EXPECT_EQ(info->files["/m/b.ogg"].title, "B side");

    list.lv->clearSelection();
    info->calls.clear();
    onShow([&] {
        EXPECT_TRUE(id3.editingDefaults);
        id3.infoArtist->setText("Default Artist");
        id3.btnApply->click();
    });
    main.Skin1Click(&tag);
    EXPECT_EQ(shown, 2);
    EXPECT_TRUE(info->calls.isEmpty());
    EXPECT_EQ(SettingsFile(s.settingsPath).readText("info", "arist", "?"), "Default Artist");

    // While a file plays the element does nothing.
    main.state().playing = true;
    onShow([] {});  // closes the window should it open anyway
    main.Skin1Click(&tag);
    main.state().playing = false;
    EXPECT_EQ(shown, 2);
}
