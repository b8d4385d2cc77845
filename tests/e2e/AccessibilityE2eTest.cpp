// What a screen reader finds in the program: through AT-SPI, as Orca reads
// it, each window with every element by role, name and state, and a press
// made through it.

#include "e2e/AccessibilityBus.h"
#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"

#include <QRegularExpression>

using namespace e2e;

TEST_F(E2e, AScreenReaderFindsEveryElementByRoleNameAndStateAndPressesThem)
{
    AccessibilityBus bus(*session, session->scratch("a11y"));
    ASSERT_TRUE(bus.failure().isEmpty()) << bus.failure().toStdString();
    const QString folder = session->scratch("takes");
    session->writeSettings(outputTo(folder));
    session->startTone();
    ASSERT_TRUE(session->start());

    QStringList lines;
    ASSERT_TRUE(waitUntil([&] { return !(lines = bus.read()).isEmpty(); }, 30000))
        << "the program never reached the screen reader";
    const QStringList main = elementsOf(lines, "Tamsel");
    for (const char* expected :
         {"push button|Record", "push button|Pause", "push button|Stop", "push button|Play", "push button|Add files",
          "push button|Join list", "push button|Schedule", "push button|Recording source", "push button|Settings",
          "push button|Tag", "push button|Help", "push button|Minimize", "push button|Close", "label|Elapsed time",
          "label|File size", "label|File name", "label|Format", "slider|Position"})
        EXPECT_TRUE(main.contains(QLatin1String(expected))) << expected << " is not in " << main.join(", ").toStdString();
    const QStringList list = elementsOf(lines, "List");
    for (const char* expected : {"push button|Add files to the list", "push button|Remove", "push button|Move up",
                                 "push button|Move down", "push button|Join", "push button|Stop joining",
                                 "progress bar|Join progress"})
        EXPECT_TRUE(list.contains(QLatin1String(expected))) << expected << " is not in " << list.join(", ").toStdString();
    // Nothing plays, so the seek bar is there but disabled.
    EXPECT_TRUE(lines.contains("Tamsel|slider|Position|focusable")) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.contains("Tamsel|push button|Record|sensitive,focusable"));

    // Pressed through the reader, Record records, and the time is read out as it runs.
    bus.read({"Record"});
    const QString take = waitForRecording(folder);
    ASSERT_FALSE(take.isEmpty()) << "pressing Record through the screen reader recorded nothing";
    const QRegularExpression running(R"(^Tamsel\|label\|Elapsed time 00:00:0[1-9]\|)");
    EXPECT_TRUE(waitUntil([&] { return !bus.read().filter(running).isEmpty(); }, 20000))
        << bus.read().join('\n').toStdString();
    bus.read({"Stop"});
    EXPECT_GT(waitForSteadySize(take, 1500, 20000), 0) << "pressing Stop through the screen reader did not stop";
    session->stopTone();
}
