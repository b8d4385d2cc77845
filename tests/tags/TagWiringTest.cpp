// The main window's "tag" element opens the tag window on the join list's
// selected entry, or on the default tag in the settings file.

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

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
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

TEST(TagWiring, TagElementEditsTheSelectedFileOrTheDefaultTag)
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
    auto information = std::make_unique<FakeInformation>();
    FakeInformation* info = information.get();
    c.AudioInformation21 = std::move(information);
    c.AudioVisualization21 = new FakeVisualization;
    MainServices s;
    s.dialogs = &dialogs;
    s.shell = &shell;
    s.settingsPath = tmp.filePath("tamsel.ini");

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
        EXPECT_EQ(id3.pos(), main.pos() + QPoint(27, 0));
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
