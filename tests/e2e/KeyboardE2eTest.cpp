// The program driven by the keyboard alone, as a person without a mouse does:
// after the start no pointer moves and nothing is clicked.

#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "support/TestSupport.h"

using namespace e2e;

TEST_F(E2e, TheKeyboardAloneRecordsStopsPlaysAndOpensTheSettings)
{
    const QString folder = session->scratch("takes");
    session->writeSettings(outputTo(folder));
    session->startTone();
    ASSERT_TRUE(session->start());
    // Whichever skinned window has the keyboard, F6 goes to the other.
    if (session->focusedWindow() != QLatin1String("Tamsel")) session->keys({"F6"});
    ASSERT_EQ(session->focusedWindow(), QStringLiteral("Tamsel"));

    session->keys({"ctrl+r"});
    const QString take = waitForRecording(folder);
    ASSERT_FALSE(take.isEmpty()) << "Ctrl+R recorded nothing";
    ASSERT_TRUE(waitForBytes(take, 2 * kCdBytesPerSecond)) << "the recording does not grow";
    // The focus starts on Record: two steps on, Space presses Stop.
    session->keys({"Tab", "Tab", "space"});
    const qint64 size = waitForSteadySize(take, 1500, 20000);
    ASSERT_GT(size, 0) << "the recording goes on after Space on Stop";
    session->stopTone();
    EXPECT_NEAR(pitchAfterSilence(take), 1000, 20);

    // The stopped recording is the list's selected entry: Return in the list plays it.
    const QString heard = session->recordMonitor([&] { session->keys({"F6", "Return"}); }, 4);
    EXPECT_EQ(session->focusedWindow(), QStringLiteral("List"));
    EXPECT_NEAR(pitchAfterSilence(heard), 1000, 20);
    EXPECT_GT(testsupport::soxStat(heard, "Maximum amplitude"), 0.3);

    session->keys({"ctrl+s", "ctrl+comma"});
    ASSERT_TRUE(session->waitForWindow("Settings")) << "Ctrl+, opened no settings window";
    session->keys({"Escape"});
    EXPECT_TRUE(session->waitForNoWindow("Settings"));
}

// The settings window changes its page as the keyboard moves through the
// tree, and Return presses OK.
TEST_F(E2e, TheSettingsWindowChangesPagesAndTakesReturnForOkFromTheKeyboard)
{
    session->writeSettings(outputTo(session->scratch("out")) + "[file]\nenlength=0\n");
    ASSERT_TRUE(session->start());
    session->keys({"ctrl+comma"});
    ASSERT_TRUE(session->waitForWindow("Settings"));
    // The tree has the focus and typing picks the length limit page, whose
    // first control follows OK and Default in the Tab order.
    session->type("File");
    session->keys({"Tab", "Tab", "Tab", "space", "Return"});
    ASSERT_TRUE(session->waitForNoWindow("Settings")) << "Return did not press OK";
    EXPECT_EQ(session->setting("file", "enlength"), "1");
}
