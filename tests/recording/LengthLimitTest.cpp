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
    void set(bool stop, bool next, const QString& seconds = "120", bool enabled = true, bool byTime = true)
    {
        settings.writeBool("file", "enlength", enabled);
        settings.writeBool("file", "rbtime", byTime);
        settings.writeText("file", "timet", seconds);
        settings.writeBool("file", "limit_s", stop);
        settings.writeBool("file", "limit_n", next);
    }
};

}  // namespace

TEST_F(Limit, ActsFromTheFirstTickAtTheLimitOnlyWhenInForce)
{
    using A = LengthLimitAction;
    EXPECT_EQ(checkLengthLimit(settings, 100000), A::None);  // no keys at all
    struct Case {
        bool stop, next, enabled, byTime;
        const char* seconds;
        int64_t at;
        A action;
    };
    const Case cases[] = {
        {true, false, true, true, "120", 119, A::None},
        {true, false, true, true, "120", 120, A::Stop},
        {true, false, true, true, "120", int64_t(1) << 40, A::Stop},
        {false, true, true, true, "120", 119, A::None},
        {false, true, true, true, "120", 120, A::StopAndStartNext},
        {true, true, true, true, "120", 121, A::StopAndStartNext},
        {false, false, true, true, "120", 500, A::None},
        {true, false, true, true, "0", 0, A::Stop},
        {true, false, true, false, "120", 100000, A::None},
        {true, false, false, true, "120", 100000, A::None},
    };
    for (const Case& c : cases) {
        set(c.stop, c.next, c.seconds, c.enabled, c.byTime);
        EXPECT_EQ(checkLengthLimit(settings, c.at), c.action) << c.stop << c.next << c.enabled << c.byTime << c.at;
    }
}

TEST_F(Limit, ALimitThatIsNotANumberIsAnErrorOnlyWhenInForce)
{
    for (const QString& bad : {QString(), QString("12a"), QString("1.5")}) {
        set(true, false, bad);
        EXPECT_THROW(checkLengthLimit(settings, 0), TamselError) << bad.toStdString();
    }
    settings.writeBool("file", "rbtime", false);
    EXPECT_EQ(checkLengthLimit(settings, 0), LengthLimitAction::None);
}
