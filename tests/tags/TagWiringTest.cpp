// The main window's "tag" element opens the tag window on the join list's
// selected entry, or on the default tag in the program's settings file, and
// does nothing while a file plays. Editing itself is the tag window's tests'.

#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"
#include "tags/Tfm_id3.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

TEST(TagWiring, TagElementOpensTheSelectedFileOrTheDefaultTagButNotWhilePlaying)
{
    FakeProgram p;
    p.build();
    p.main->FormShow();
    p.dialogs.filesToOpen = {"/m/a.wav", "/m/b.ogg"};
    p.list->AddFiles();
    ASSERT_EQ(p.list->count(), 2);
    p.list->lv->clearSelection();
    p.list->lv->selectRow(1);

    Tfm_id3& id3 = *p.id3;
    QStringList seen;  // what each opening showed
    const auto clickTag = [&] {
        QTimer::singleShot(0, &id3, [&] {
            seen << (id3.editingDefaults ? "defaults" : id3.infoFileName->text());
            if (id3.editingDefaults) {
                id3.infoArtist->setText("Default Artist");
                id3.btnApply->click();
            }
            if (id3.isVisible()) id3.reject();
        });
        Element tag("tag");
        p.main->Skin1Click(&tag);
    };
    clickTag();
    p.list->lv->clearSelection();
    clickTag();
    // A file that plays: the tag window stays shut.
    QFile playable(p.tmp.filePath("c.wav"));
    ASSERT_TRUE(playable.open(QIODevice::WriteOnly));
    playable.close();
    p.dialogs.filesToOpen = {playable.fileName()};
    p.list->AddFiles();
    Element play("play");
    p.main->Skin1Click(&play);
    ASSERT_TRUE(p.main->activity().playing());
    clickTag();  // the timer closes the window should it open anyway
    EXPECT_EQ(seen, (QStringList{"b.ogg", "defaults"}));
    EXPECT_EQ(p.information()->calls, QStringList{"ReadInfo /m/b.ogg"});
    EXPECT_EQ(SettingsFile(p.settingsPath()).readText("info", "arist", "?"), "Default Artist");
}
