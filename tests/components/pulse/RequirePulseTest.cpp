// A test that needs the private sound server, run where it is missing: it
// fails with the reason before its body runs, which would use a server
// connection it never got.

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

// Run only as the child of the test below.
struct NeedsTheServer : ::testing::Test {
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("TAMSEL_REQUIRE_PULSE_CHILD")) GTEST_SKIP() << "run by RequirePulse";
        REQUIRE_PULSE();
    }
};

}  // namespace

TEST_F(NeedsTheServer, Body) { ADD_FAILURE() << "the body ran"; }

TEST(RequirePulse, AMissingServerFailsTheTestWithItsReasonBeforeTheBody)
{
    const struct {
        const char* server;
        const char* reason;
    } cases[] = {{"", "PULSE_SERVER is not set"},
                 {"unix:/nonexistent/tamsel-pulse", "PULSE_SERVER=unix:/nonexistent/tamsel-pulse does not answer"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TAMSEL_REQUIRE_PULSE_CHILD", "1");
        env.insert("TAMSEL_REQUIRE_PULSE", "1");
        env.insert("PULSE_SERVER", c.server);
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=NeedsTheServer.Body"});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QString out = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out.toStdString();
        EXPECT_EQ(child.exitCode(), 1) << out.toStdString();
        EXPECT_TRUE(out.contains(c.reason)) << out.toStdString();
        EXPECT_FALSE(out.contains("the body ran")) << out.toStdString();
    }
}
