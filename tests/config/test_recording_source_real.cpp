// The recording source window on the private sound server: picking a line
// makes that source the recording input and brings its volume to the slider,
// which sends it back; Cancel keeps the new line.

#include "components/pulse/PulseRecorder.h"
#include "config/Tfm_dev.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QSlider>
#include <gtest/gtest.h>

namespace {

QString pactl(const QStringList& args) { return testsupport::runPeer("pactl", args).trimmed(); }

}  // namespace

TEST(RecordingSourceOnServer, PickedLineBecomesTheInputAndCancelKeepsIt)
{
    REQUIRE_PULSE();
    const QString module = pactl({"load-module", "module-null-source",
                                  "source_name=tamsel_pick", "description=Tamsel-Pick"});
    struct Restore {
        QString id;
        ~Restore()
        {
            testsupport::runPeer("pactl", {"set-default-source", "tamsel_null.monitor"});
            testsupport::runPeer("pactl", {"unload-module", id});
        }
    } restore{module};
    pactl({"set-source-volume", "tamsel_pick", "21000"});

    PulseRecorder recorder;
    Tfm_dev dev(&recorder);
    int picked = -1;
    for (int n = 1; n <= recorder.InputLineCount(); ++n) {
        recorder.SetLine(n);
        dev.cb_rdson->addItem(recorder.LineName());
        if (recorder.LineName() == "Tamsel-Pick") picked = n - 1;
    }
    ASSERT_GE(picked, 0) << "the second source is one of the lines";

    dev.show();
    dev.cb_rdsonChange(picked);
    EXPECT_EQ(pactl({"get-default-source"}), "tamsel_pick");
    EXPECT_EQ(dev.tb_rd->value(), 21000);

    // Every slider move reaches the source at once.
    dev.tb_rd->setValue(45000);
    EXPECT_TRUE(pactl({"get-source-volume", "tamsel_pick"}).contains("45000"))
        << pactl({"get-source-volume", "tamsel_pick"}).toStdString();

    dev.dev_bt_canClick();
    EXPECT_FALSE(dev.isVisible());
    EXPECT_EQ(pactl({"get-default-source"}), "tamsel_pick") << "Cancel undoes nothing";
}
