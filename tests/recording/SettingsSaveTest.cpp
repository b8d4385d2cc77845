// The settings window's save step, which every recording start runs.

#include "config/SettingsFile.h"
#include "config/Tfm_set.h"
#include "platform/Error.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct SettingsSave : ::testing::Test {
    QTemporaryDir tmp;
    SettingsFile settings{tmp.filePath("tamsel.ini")};
    Tfm_set set;
    SettingsSave() { set.setSettings([this] { return &settings; }); }
    QString text(const char* section, const char* key) { return settings.readText(section, key, "absent"); }
};

}  // namespace

TEST_F(SettingsSave, UntouchedControlsSaveTheirInitialValues)
{
    // Never shown, so nothing was loaded: the controls hold their first values.
    set.ed_dir->setText("/music/out");
    set.set_bt_okClick();

    const std::vector<std::tuple<const char*, const char*, const char*>> expected{
        {"file", "enlength", "0"}, {"file", "rbtime", "1"},   {"file", "rbtimee", "1"},
        {"file", "timet", "120"},  {"file", "time", "1"},     {"file", "limit_s", "1"},
        {"file", "limit_n", "0"},  {"output", "format", "0"}, {"output", "out_name", "E"},
        {"output", "rb_time", "1"}, {"output", "rb_cust", "0"}, {"output", "dir", "/music/out"},
        {"wav", "bit", "5"},       {"wav", "channel", "1"},   {"wav", "frequency", "8"},
        {"wav", "mode", "absent"}};
    for (const auto& [section, key, value] : expected)
        EXPECT_EQ(text(section, key), value) << section << "/" << key;
}

TEST_F(SettingsSave, ModeIsWrittenOnlyWhenAnOptionIsChecked)
{
    settings.writeInteger("wav", "mode", 7);
    set.set_bt_okClick();
    EXPECT_EQ(text("wav", "mode"), "7");
    set.rb_bestsuited->setChecked(true);
    set.set_bt_okClick();
    EXPECT_EQ(text("wav", "mode"), "1");
    set.rb_custom->setChecked(true);
    set.cb_wav_bit->setCurrentIndex(2);
    set.cb_format->setCurrentIndex(-1);
    set.rb_cust->setChecked(true);
    set.file_time->setText("");
    set.set_bt_okClick();
    EXPECT_EQ(text("wav", "mode"), "2");
    EXPECT_EQ(text("wav", "bit"), "2");
    EXPECT_EQ(text("output", "format"), "-1");
    EXPECT_EQ(text("output", "rb_time"), "0");
    EXPECT_EQ(text("output", "rb_cust"), "1");
    EXPECT_EQ(text("file", "timet"), "");
}

TEST_F(SettingsSave, WithoutASettingsFileNothingIsSavedAndTheWindowStays)
{
    Tfm_set lone;
    lone.show();
    EXPECT_THROW(lone.set_bt_okClick(), TamselError);
    EXPECT_TRUE(lone.isVisible());
}
