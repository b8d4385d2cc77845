// The settings window's page tree, its help texts and the windows it opens.

#include "config/RecordingSourceHelp.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_set.h"
#include "fakes/FakeComponents.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

struct SettingsPages : ::testing::Test {
    FakeRecorder rec;
    Tfm_dev dev{&rec};
    QDialog sche, dir;
    Tfm_set set;
    SettingsPages()
    {
        set.setRecordingSourceWindow(&dev);
        set.setScheduleWindow(&sche);
        set.setOutputDirectoryWindow(&dir);
    }
    QGroupBox* groupInView()
    {
        QGroupBox* shown = nullptr;
        for (QGroupBox* g : {set.pn_file, set.pn_wav, set.pn_format, set.pn_source, set.pn_about})
            if (g->isVisible()) {
                if (shown) return nullptr;  // more than one
                shown = g;
            }
        return shown;
    }
    QTreeWidgetItem* node(const char* text)
    {
        const auto found = set.tv->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    void clickNode(QTreeWidgetItem* item)
    {
        const QPoint at = set.tv->visualItemRect(item).center();
        QTest::mouseClick(set.tv->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
};

}  // namespace

TEST_F(SettingsPages, EachPageShowsOneGroupAndOnlyTheWindowItOpens)
{
    set.show();
    EXPECT_EQ(groupInView(), set.pn_about) << "before a page is chosen";
    const std::pair<int, QGroupBox*> pages[] = {{Tfm_set::FilePage, set.pn_file},
                                                {Tfm_set::FormatPage, set.pn_format},
                                                {Tfm_set::WavPage, set.pn_wav},
                                                {Tfm_set::AboutPage, set.pn_about}};
    for (const auto& [position, group] : pages) {
        set.ShowPage(Tfm_set::SourcePage);
        ASSERT_TRUE(dev.isVisible());
        set.ShowPage(position);
        EXPECT_EQ(groupInView(), group) << position;
        EXPECT_FALSE(dev.isVisible()) << position;
        EXPECT_FALSE(sche.isVisible()) << position;
    }

    // The source page opens its window modeless and without its Help button;
    // "Set" opens the same window and leaves the button alone.
    dev.dev_bt_help->setEnabled(true);
    set.ShowPage(Tfm_set::SourcePage);
    EXPECT_EQ(groupInView(), set.pn_source);
    EXPECT_FALSE(dev.isModal());
    EXPECT_FALSE(dev.dev_bt_help->isEnabled());
    dev.hide();
    dev.dev_bt_help->setEnabled(true);
    set.Button1->click();
    EXPECT_TRUE(dev.isVisible());
    EXPECT_TRUE(dev.dev_bt_help->isEnabled());

    // Schedule covers the window and leaves the About group behind.
    set.ShowPage(Tfm_set::SchedulePage);
    EXPECT_TRUE(sche.isVisible());
    EXPECT_FALSE(dev.isVisible());
    EXPECT_EQ(groupInView(), set.pn_about);

    set.Button2->click();
    EXPECT_TRUE(dir.isVisible());
    EXPECT_FALSE(dir.isModal());
}

TEST_F(SettingsPages, TheTreeChangesThePageByMouseAndByKeyboard)
{
    set.show();
    clickNode(node("File Length Limitation"));
    EXPECT_EQ(groupInView(), set.pn_file);

    // The arrow keys show the pages that stay inside this window; a page that
    // opens a window beside it waits for Return.
    set.tv->setFocus();
    const auto key = [this](Qt::Key k) {
        QTest::keyClick(set.tv, k);
        QCoreApplication::processEvents();
    };
    key(Qt::Key_Down);
    EXPECT_EQ(set.tv->currentItem(), node("Schedule"));
    EXPECT_EQ(groupInView(), set.pn_file);
    EXPECT_FALSE(sche.isVisible());
    key(Qt::Key_Down);
    EXPECT_EQ(groupInView(), set.pn_format);
    key(Qt::Key_Up);
    key(Qt::Key_Return);
    EXPECT_TRUE(sche.isVisible()) << "Return opens the page under the selection";
    sche.hide();
    EXPECT_EQ(set.pn_file->accessibleName(), "File Length Limitation") << "read out without the rule";

    clickNode(node("Output Format"));
    EXPECT_EQ(groupInView(), set.pn_format);
    EXPECT_TRUE(node("Output Format")->isExpanded()) << "a selected node opens";
    clickNode(node("WAV"));
    EXPECT_EQ(groupInView(), set.pn_wav);

    // Clicking the selected node again shows its page again.
    set.ShowPage(Tfm_set::AboutPage);
    clickNode(node("WAV"));
    EXPECT_EQ(groupInView(), set.pn_wav);
}

// The cycling itself is the recording source window's test; both share the texts.
TEST_F(SettingsPages, HelpButtonsStepThroughTheHelpTexts)
{
    set.bt_pre->click();
    EXPECT_EQ(set.lab_help->text(), recordingSourceHelpTexts().at(3));
    set.bt_nex->click();
    EXPECT_EQ(set.lab_help->text(), recordingSourceHelpTexts().at(0));
}

TEST_F(SettingsPages, OpenedWindowsTakeClicksWhileTheSettingsWindowRunsModal)
{
    bool sourceClosedByItsOwnButton = false;
    QTimer::singleShot(0, &set, [&] {
        set.ShowPage(Tfm_set::SourcePage);
        // Through the window system, which drops input to windows a modal one blocks.
        const QPoint ok = dev.dev_bt_ok->mapTo(&dev, dev.dev_bt_ok->rect().center());
        QTest::mouseClick(dev.windowHandle(), Qt::LeftButton, {}, ok);
        sourceClosedByItsOwnButton = !dev.isVisible();
        set.reject();
    });
    set.exec();
    EXPECT_TRUE(sourceClosedByItsOwnButton);
    EXPECT_EQ(dev.windowHandle()->transientParent(), nullptr) << "released when the window closed";
}
