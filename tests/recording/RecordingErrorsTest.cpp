// A recording that keeps failing, in the whole program: the first error stops
// it and shows one box, while the box is open (its event loop delivers more
// ticks and blocks) nothing else fails, and the file is completed.

#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/Tfm_list.h"
#include <QDir>
#include <QLineEdit>
#include <QCheckBox>
#include <QRadioButton>
#include "config/Tfm_set.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Its box delivers what a real box's event loop would.
class LoopingDialogs : public FakeDialogs {
public:
    std::function<void()> whileShown;
    void information(QWidget* parent, const QString& text) override
    {
        FakeDialogs::information(parent, text);
        if (whileShown) whileShown();
    }
};

struct FailingRecording : ::testing::Test {
    LoopingDialogs dialogs;  // outlives the program that points at it
    FakeProgram p;
    Tfm_main* main = nullptr;

    FailingRecording()
    {
        p.services.dialogs = &dialogs;
        SettingsFile(p.settingsPath()).writeText("output", "path", p.tmp.filePath("out"));
        p.build();
        main = p.main.get();
        main->FormShow();
        p.writer()->createOnOpenWrite = true;
        dialogs.whileShown = [this] {
            tick(3);
            block();
        };
    }
    void tick(int seconds) { emit p.recorder()->OnTimer(seconds * 44000, 0, 0); }
    void block()
    {
        p.recorder()->nextBlock = Block{{0.1f, -0.1f, 0.2f, -0.2f}, 2, 44100};
        emit p.recorder()->OnEndArrayRecord(0);
    }
};

}  // namespace

TEST_F(FailingRecording, AnEmptyStoredLimitStopsTheRecordingWithOneBox)
{
    // The limit on, its seconds box emptied, as the recording start saves it.
    p.set->length_en->setChecked(true);
    p.set->file_rb_time->setChecked(true);
    p.set->file_time->clear();
    p.set->file_limit_stop->setChecked(true);
    Element recorder("recorder");
    main->Skin1Click(&recorder);
    ASSERT_TRUE(main->activity().recording());
    block();

    tick(1);
    tick(2);
    ASSERT_EQ(dialogs.shown.size(), 1) << dialogs.shown.join('|').toStdString();
    EXPECT_TRUE(dialogs.shown[0].contains("file length limit")) << dialogs.shown[0].toStdString();
    EXPECT_FALSE(main->activity().recording());
    EXPECT_FALSE(p.writer()->IsOpen());
    EXPECT_EQ(p.list->count(), 1) << "the completed file is listed";
}

TEST_F(FailingRecording, AFileDeletedWhileRecordingStopsItWithOneBox)
{
    Element recorder("recorder");
    main->Skin1Click(&recorder);
    ASSERT_TRUE(main->activity().recording());
    block();
    const QDir out(p.tmp.filePath("out"));
    ASSERT_EQ(out.entryList(QDir::Files).size(), 1);
    ASSERT_TRUE(QFile::remove(out.filePath(out.entryList(QDir::Files).first())));

    block();
    block();
    ASSERT_EQ(dialogs.shown.size(), 1) << dialogs.shown.join('|').toStdString();
    EXPECT_TRUE(dialogs.shown[0].contains("is gone")) << dialogs.shown[0].toStdString();
    EXPECT_FALSE(main->activity().recording());
    EXPECT_FALSE(p.writer()->IsOpen());
    EXPECT_EQ(p.list->count(), 0);
    EXPECT_FALSE(p.information()->calls.join(',').contains("WriteInfo"));
}
