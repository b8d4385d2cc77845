// The program itself: a second copy ends at once and leaves the first as it
// was; the first ends cleanly on SIGTERM.

#include "support/TestSupport.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>

namespace {

QProcessEnvironment programEnvironment(const QString& runtime, const QString& config)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("XDG_CONFIG_HOME", config);
    return env;
}

}  // namespace

TEST(ProgramInstance, SecondCopyEndsAtOnceAndTheFirstKeepsRunning)
{
    REQUIRE_PULSE();
    QTemporaryDir runtime, config;
    QProcess first;
    first.setProcessEnvironment(programEnvironment(runtime.path(), config.path()));
    first.start(TAMSEL_PROGRAM, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    // The first copy holds the guard once it has started up.
    ASSERT_FALSE(first.waitForFinished(3000)) << first.readAllStandardError().toStdString();

    QProcess second;
    second.setProcessEnvironment(programEnvironment(runtime.path(), config.path()));
    second.start(TAMSEL_PROGRAM, {});
    ASSERT_TRUE(second.waitForFinished(5000)) << "the second copy must end by itself";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);

    // A termination request ends the first copy through its event loop.
    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
}
