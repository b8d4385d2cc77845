// The length limit read from the settings on every tick.

#include "config/SettingsFile.h"
#include "platform/Error.h"
#include "recording/LengthLimit.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Limit : ::testing::Test {
    QTemporaryDir tmp;
    SettingsFile settings{tmp.filePath("tamsel.ini")};
    void set(bool stop, bool next, const QString& seconds = "120")
    {
        settings.writeBool("file", "enlength", true);
        settings.writeBool("file", "rbtime", true);
        settings.writeText("file", "timet", seconds);
        settings.writeBool("file", "limit_s", stop);
        settings.writeBool("file", "limit_n", next);
    }
    LengthLimitAction at(int64_t s) { return checkLengthLimit(settings, s); }
};

}  // namespace

TEST_F(Limit, StopsOrCutsFromTheFirstTickAtTheLimit)
{
    set(true, false);
    EXPECT_EQ(at(119), LengthLimitAction::None);
    EXPECT_EQ(at(120), LengthLimitAction::Stop);
    EXPECT_EQ(at(int64_t(1) << 40), LengthLimitAction::Stop);
    set(false, true);
    EXPECT_EQ(at(119), LengthLimitAction::None);
    EXPECT_EQ(at(120), LengthLimitAction::StopAndStartNext);
    set(true, true);
    EXPECT_EQ(at(121), LengthLimitAction::StopAndStartNext);
    set(false, false);
    EXPECT_EQ(at(500), LengthLimitAction::None);
    set(true, false, "0");
    EXPECT_EQ(at(0), LengthLimitAction::Stop);
}

TEST_F(Limit, OffUnlessEnabledWithTheTimeKindAndDefaultsToTwoMinutes)
{
    EXPECT_EQ(at(100000), LengthLimitAction::None);
    set(true, false);
    settings.writeBool("file", "rbtime", false);
    EXPECT_EQ(at(100000), LengthLimitAction::None);
    set(true, false);
    settings.writeBool("file", "enlength", false);
    EXPECT_EQ(at(100000), LengthLimitAction::None);

    QTemporaryDir other;
    SettingsFile fresh(other.filePath("tamsel.ini"));
    fresh.writeBool("file", "enlength", true);
    fresh.writeBool("file", "rbtime", true);
    fresh.writeBool("file", "limit_s", true);
    EXPECT_EQ(checkLengthLimit(fresh, 119), LengthLimitAction::None);
    EXPECT_EQ(checkLengthLimit(fresh, 120), LengthLimitAction::Stop);
}

TEST_F(Limit, ALimitThatIsNotANumberIsAnErrorOnlyWhenInForce)
{
    for (const QString& bad : {QString(), QString("12a"), QString("1.5")}) {
        set(true, false, bad);
        EXPECT_THROW(at(0), TamselError) << bad.toStdString();
    }
    settings.writeBool("file", "rbtime", false);
    EXPECT_EQ(at(0), LengthLimitAction::None);
}
