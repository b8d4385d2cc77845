// The settings window's save step, which every recording start runs.

#include "config/Tfm_set.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

TEST(SettingsSave, WithoutASettingsFileNothingIsSavedAndTheWindowStays)
{
    Tfm_set lone;
    lone.show();
    EXPECT_THROW(lone.set_bt_okClick(), TamselError);
    EXPECT_TRUE(lone.isVisible());
}
