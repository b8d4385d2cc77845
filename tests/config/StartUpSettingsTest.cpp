// What the program's first show leaves on the capture side: filling the
// recording source window changes nothing. (That the settings window holds
// what is stored from the start is proven end to end, by a real recording.)

#include "app/Tfm_main.h"
#include "config/Tfm_dev.h"
#include "fakes/FakeProgram.h"

#include <QSlider>
#include <gtest/gtest.h>

// A boost beyond the slider's end and the server's own volume stay as they
// are; only the user's slider moves send a volume.
TEST(StartUp, FillingTheRecordingSourceWindowSendsNoVolume)
{
    FakeProgram p;
    p.build();
    FakeRecorder& rec = *p.recorder();
    rec.lines = {{"Mic", false, 1000}, {"Boosted", true, 98304}};
    p.main->FormShow();
    EXPECT_EQ(p.dev->tb_rd->value(), Tfm_dev::kVolumeMax);
    EXPECT_FALSE(rec.calls.join(' ').contains("SetLineVolume")) << rec.calls.join(", ").toStdString();
    EXPECT_EQ(rec.lines[1].volume, 98304);

    p.dev->tb_rd->setValue(30000);
    EXPECT_EQ(rec.lines[1].volume, 30000);
}
