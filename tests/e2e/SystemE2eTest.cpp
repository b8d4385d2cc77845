// The program and the system, against the session's mock login manager: a
// recording keeps the computer from suspending until it stops, and the
// schedule's power-off completes the recording before it asks for the
// power-off.

#include "config/SettingsFile.h"
#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "platform/MockLogind.h"

#include <QRegularExpression>
#include <QTime>

using namespace e2e;

TEST_F(E2e, ARecordingHoldsOffSuspendUntilTheScheduledPowerOffCompletesIt)
{
    // Far enough ahead for the start and the first recorded seconds.
    const QTime powerOffAt = QTime::currentTime().addSecs(12);
    {
        SettingsFile stored(session->settingsFile());
        stored.writeBool("timeclose", "bclose", true);
        stored.writeTime("Time", "Time", powerOffAt);
    }
    MockLogind& logind = session->logind();
    auto powerCalls = [&] { return logind.calls().filter(QRegularExpression("^(Can)?PowerOff")); };
    session->startTone();
    ASSERT_TRUE(session->start());
    session->click("mp3rec", "recorder");
    const QString take = waitForRecording(session->defaultOutputFolder());
    ASSERT_FALSE(take.isEmpty()) << "no recording appeared";

    ASSERT_TRUE(waitUntil([&] { return logind.inhibitors().size() == 1; }, 10000))
        << "no inhibitor lock while recording";
    ASSERT_TRUE(powerCalls().isEmpty())
        << "the power-off time passed before the recording began: the program took over 12 s to start";
    const MockLogind::Inhibitor lock = logind.inhibitors().first();
    EXPECT_EQ(lock.what, "sleep:idle");
    EXPECT_EQ(lock.who, "Tamsel");
    EXPECT_EQ(lock.why, "Recording to " + take);
    EXPECT_EQ(lock.mode, "block");

    ASSERT_TRUE(waitUntil([&] { return powerCalls().contains("PowerOff False"); }, 40000))
        << "no power-off was asked for; logind saw: " << logind.calls().join(", ").toStdString();
    EXPECT_EQ(powerCalls(), QStringList({"CanPowerOff", "PowerOff False"}));
    EXPECT_TRUE(waitUntil([&] { return logind.inhibitors().isEmpty(); }, 10000))
        << "the lock outlives the recording";
    // Completed before the power-off: the header tells the whole file.
    const qint64 size = waitForSteadySize(take, 1500, 20000);
    EXPECT_GT(durationOf(take), 1.0);
    EXPECT_NEAR(durationOf(take) * kCdBytesPerSecond, double(size), 16384);
    session->stopTone();
}
