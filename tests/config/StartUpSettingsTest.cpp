// What the program's first show leaves in the configuration windows: the
// settings window holds what is stored before it is ever shown, and filling
// the recording source window changes nothing on the capture side.

#include "app/Tfm_main.h"
#include "config/SettingsFile.h"
#include "config/Tfm_dev.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"

#include <QFile>
#include <QSlider>
#include <gtest/gtest.h>

namespace {

std::string contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

}  // namespace

// Every recording start saves the settings window first; a window never
// shown must save back what is stored, not its built-in values.
TEST(StartUp, TheFirstRecordingKeepsTheStoredSettingsAndUsesThem)
{
    FakeProgram p;
    const QString out = p.tmp.filePath("out");
    {
        SettingsFile s(p.settingsPath());
        for (auto [key, value] : {std::pair{"enlength", "1"}, {"rbtime", "1"}, {"rbtimee", "1"},
                                  {"timet", "90"}, {"time", "1"}, {"limit_s", "1"}, {"limit_n", "0"}})
            s.writeText("file", key, value);
        for (auto [key, value] : {std::pair{"format", "0"}, {"out_name", "Lecture"}, {"rb_time", "0"},
                                  {"rb_cust", "1"}})
            s.writeText("output", key, value);
        s.writeText("output", "dir", out);
        s.writeText("output", "path", out);
        for (auto [key, value] : {std::pair{"mode", "2"}, {"bit", "5"}, {"channel", "0"}, {"frequency", "5"}})
            s.writeText("wav", key, value);
    }
    const std::string stored = contents(p.settingsPath());
    p.build();
    p.main->FormShow();

    Element recorder("recorder");
    p.main->Skin1Click(&recorder);
    ASSERT_TRUE(p.main->state().recording);
    EXPECT_EQ(contents(p.settingsPath()), stored);
    EXPECT_TRUE(p.writer()->calls.contains("SetWavFormat 22050 1 16"))
        << p.writer()->calls.join(", ").toStdString();
    EXPECT_TRUE(p.writer()->calls.contains("OpenWrite " + out + "/Lecture.wav"));
}

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
