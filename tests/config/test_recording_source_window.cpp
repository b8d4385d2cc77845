// The recording source window with a fake recorder: the volume slider's range
// and the help texts. Picking and Cancel are checked on the real server.

#include "config/RecordingSourceHelp.h"
#include "config/Tfm_dev.h"
#include "fakes/FakeComponents.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <gtest/gtest.h>

namespace {

struct Window {
    FakeRecorder rec;
    std::unique_ptr<Tfm_dev> dev;
    Window()
    {
        rec.lines = {{"Mic", true, 1000}, {"Line", false, 70000}, {"Monitor", false, 500}};
        dev = std::make_unique<Tfm_dev>(&rec);
        for (const auto& l : rec.lines) dev->cb_rdson->addItem(l.name);
    }
};

}  // namespace

// Picking on the real server is test_recording_source_real's; here the slider's range.
TEST(RecordingSourceWindow, APickedLinesBoostIsShownAtTheSlidersEndAndKept)
{
    Window w;
    w.dev->cb_rdsonChange(1);
    EXPECT_EQ(w.rec.currentLine, 2);
    EXPECT_TRUE(w.rec.lines[1].selected);
    EXPECT_FALSE(w.rec.lines[0].selected);
    EXPECT_EQ(w.dev->tb_rd->value(), Tfm_dev::kVolumeMax);
    EXPECT_EQ(w.rec.lines[1].volume, 70000) << "showing a volume does not send it";
}

TEST(RecordingSourceWindow, HelpTextsCycleBothWays)
{
    Window w;
    const QStringList& texts = recordingSourceHelpTexts();
    ASSERT_EQ(texts.size(), 4);

    w.dev->show();
    w.dev->dev_bt_helpClick();
    EXPECT_TRUE(w.dev->gb_help->isVisible());
    EXPECT_EQ(w.dev->lab_help->text(), texts[0]);
    w.dev->bt_preClick();
    EXPECT_EQ(w.dev->visibleHelpText(), 3) << "Preview on the first shows the fourth";
    EXPECT_EQ(w.dev->lab_help->text(), texts[3]);
    w.dev->bt_nexClick();
    EXPECT_EQ(w.dev->visibleHelpText(), 0) << "Next on the fourth shows the first";
    w.dev->Button4Click();
    EXPECT_FALSE(w.dev->gb_help->isVisible());
}

TEST(RecordingSourceWindow, HelpTextsNameWhatALinuxDesktopOffers)
{
    const QStringList& texts = recordingSourceHelpTexts();
    ASSERT_EQ(texts.size(), 4);
    // What you hear is an output's monitor; no Windows mixer line or player.
    EXPECT_TRUE(texts[0].contains("Select \"Monitor of\"")) << texts[0].toStdString();
    for (const QString& text : texts)
        for (const char* windowsOnly : {"Stereo Mixer", "Windows", "Winamp", "RealOne", "What U hear",
                                        "TV Tuner Audio"})
            EXPECT_FALSE(text.contains(windowsOnly)) << text.toStdString();
    // The rest stands as it was.
    EXPECT_TRUE(texts[1].startsWith("Record from Microphone\n\n1) Select \"Microphone\""));
    EXPECT_TRUE(texts[2].contains("1) Select \"Line-In\" or the equivalent in the \nRecording Device list."));
}
