// The recording source window on the private sound server: a picked line is
// what the program records, never the system's default source; Ok keeps it in
// the settings file, Cancel goes back to the line the window was shown with,
// and the next start lists the kept line as the selected one. Slider moves
// set the volume. The program's start-up leaves the source's volume alone.

#include "app/Tfm_main.h"
#include "components/pulse/PulseRecorder.h"
#include "config/SettingsFile.h"
#include "config/Tfm_dev.h"
#include "fakes/FakeProgram.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString pactl(const QStringList& args) { return testsupport::runPeer("pactl", args).trimmed(); }

// The raw volume of each channel, as "front-left: 19661 / 30% / ...".
std::vector<long> channelVolumes(const QString& source)
{
    std::vector<long> volumes;
    const QString out = pactl({"get-source-volume", source});
    for (const auto& m : QRegularExpression(R"(:\s*(\d+)\s*/)").globalMatch(out))
        volumes.push_back(m.captured(1).toLong());
    return volumes;
}

QString storedLine(const QString& settingsPath)
{
    return QSettings(settingsPath, QSettings::IniFormat).value("rd/line").toString();
}

}  // namespace

TEST(RecordingSourceOnServer, APickedLineIsTheProgramsOwnKeptByOkUndoneByCancel)
{
    REQUIRE_PULSE();
    const testsupport::TestSource source("tamsel_pick", "Tamsel-Pick");
    pactl({"set-source-volume", "tamsel_pick", "21000"});
    const QString systemDefault = pactl({"get-default-source"});

    FakeProgram p;
    p.parts.AudioRecord1 = std::make_unique<PulseRecorder>();
    p.build();
    p.main->FormShow();
    Tfm_dev& dev = *p.dev;
    EXPECT_EQ(dev.cb_rdson->itemText(0), "the system default");
    EXPECT_EQ(dev.cb_rdson->currentIndex(), 0) << "nothing stored: the system default";
    const int picked = dev.cb_rdson->findText("Tamsel-Pick");
    ASSERT_GE(picked, 0) << "the second source is one of the lines";

    dev.show();
    dev.cb_rdsonChange(picked);
    EXPECT_EQ(dev.tb_rd->value(), 21000);
    // Every slider move reaches the source at once.
    dev.tb_rd->setValue(45000);
    EXPECT_TRUE(pactl({"get-source-volume", "tamsel_pick"}).contains("45000"))
        << pactl({"get-source-volume", "tamsel_pick"}).toStdString();
    dev.dev_bt_okClick();
    EXPECT_FALSE(dev.isVisible());
    EXPECT_EQ(storedLine(p.settingsPath()), "tamsel_pick");
    EXPECT_EQ(pactl({"get-default-source"}), systemDefault) << "the system's default is left alone";

    // Cancel after a pick goes back to the kept line.
    dev.show();
    dev.cb_rdsonChange(0);
    dev.dev_bt_canClick();
    EXPECT_EQ(dev.cb_rdson->currentIndex(), picked);
    EXPECT_EQ(storedLine(p.settingsPath()), "tamsel_pick");
    EXPECT_EQ(pactl({"get-default-source"}), systemDefault);

    // An input plugged in later is offered; one removed is not.
    {
        const testsupport::TestSource later("tamsel_later", "Tamsel-Later");
        EXPECT_TRUE(QTest::qWaitFor([&] { return dev.cb_rdson->findText("Tamsel-Later") >= 0; }, 3000));
        EXPECT_EQ(dev.cb_rdson->currentText(), "Tamsel-Pick") << "the choice stays selected";
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return dev.cb_rdson->findText("Tamsel-Later") < 0; }, 3000));

    // The next start lists the kept line as the one recorded.
    FakeProgram next;
    SettingsFile(next.settingsPath()).writeText("rd", "line", "tamsel_pick");
    next.parts.AudioRecord1 = std::make_unique<PulseRecorder>();
    next.build();
    next.main->FormShow();
    EXPECT_EQ(next.dev->cb_rdson->currentText(), "Tamsel-Pick");
}

// 30% and 150%: unbalanced, and the right channel boosted beyond the slider.
TEST(RecordingSourceOnServer, StartUpKeepsTheBalanceAndASliderMoveScalesBothChannels)
{
    REQUIRE_PULSE();
    const testsupport::TestSource source("tamsel_balance", "Tamsel-Balance");
    pactl({"set-source-volume", "tamsel_balance", "30%", "150%"});
    pactl({"set-default-source", "tamsel_balance"});
    const std::vector<long> before = channelVolumes("tamsel_balance");
    ASSERT_EQ(before.size(), 2u) << pactl({"get-source-volume", "tamsel_balance"}).toStdString();
    ASSERT_GT(before[1], Tfm_dev::kVolumeMax);

    FakeProgram p;
    p.parts.AudioRecord1 = std::make_unique<PulseRecorder>();
    p.build();
    p.main->FormShow();
    EXPECT_EQ(p.dev->tb_rd->value(), Tfm_dev::kVolumeMax);
    EXPECT_EQ(channelVolumes("tamsel_balance"), before) << "start-up sets no volume";

    p.dev->tb_rd->setValue(32768);
    const std::vector<long> moved = channelVolumes("tamsel_balance");
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1], 32768) << "the loudest channel takes the slider's value";
    EXPECT_NEAR(moved[0], double(before[0]) * 32768 / before[1], 1) << "the other keeps its share";
}
