// The computer is kept from suspending while the program records, plays or
// joins, and let go at every stop: the wiring over a fake, the real D-Bus
// code against a mock login manager on a private bus.

#include "app/Tfm_main.h"
#include "components/file/AudioFile.h"
#include "config/SettingsFile.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "fakes/FakeSleepInhibitor.h"
#include "join/JoinEngine.h"
#include "join/JoinTestSupport.h"
#include "join/Tfm_list.h"
#include "platform/ErrorBoundary.h"
#include "platform/LogindSleepInhibitor.h"
#include "platform/MockLogind.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Program {
    FakeSleepInhibitor inhibitor;
    FakeProgram p;
    QString outDir = p.tmp.filePath("out");

    Program()
    {
        p.parts.AudioFileWrite = std::make_unique<AudioFile>();
        p.parts.AudioFilepaly = std::make_unique<AudioFile>();
        p.services.sleepInhibitor = &inhibitor;
        SettingsFile stored(p.settingsPath());
        stored.writeText("output", "path", outDir);
        stored.writeText("output", "dir", outDir);
        stored.writeText("output", "out_name", "take");
        stored.writeText("output", "rb_cust", "1");
        p.build();
        p.main->FormShow();
    }
    void click(const QString& element)
    {
        Element e(element);
        p.main->Skin1Click(&e);
    }
};

// Holds what a test's message handler sees; nothing may be printed.
QStringList printed;
void keepMessage(QtMsgType, const QMessageLogContext&, const QString& message) { printed << message; }

}  // namespace

TEST(SleepInhibit, RecordingPlayingAndJoiningEachHoldTheComputerAwakeUntilTheyStop)
{
    Program program;
    FakeSleepInhibitor& awake = program.inhibitor;
    const QString take = program.outDir + "/take.wav";

    program.click("recorder");
    EXPECT_EQ(awake.held, QStringList{"Recording to " + take});
    program.click("pause");
    EXPECT_EQ(awake.held.size(), 1) << "a paused recording is still going";
    program.click("recorder");
    program.click("stop");
    EXPECT_TRUE(awake.held.isEmpty());

    // An error stops the recording through the program's handler.
    program.click("recorder");
    ASSERT_EQ(awake.held.size(), 1);
    ErrorBoundary::report("The disk is full.");
    EXPECT_FALSE(program.p.main->activity().recording());
    EXPECT_TRUE(awake.held.isEmpty());

    const QString tone = jointest::wavTone(program.p.tmp.path(), "tone.wav", 440, 1, 44100, 2);
    program.p.dialogs.filesToOpen = {tone};
    program.click("list_add");
    program.p.list->selectOnly(program.p.list->count() - 1);
    program.click("play");
    EXPECT_EQ(awake.held, QStringList{"Playing " + tone});
    program.click("stop");
    EXPECT_TRUE(awake.held.isEmpty());

    auto* engine = program.p.main->findChild<JoinEngine*>();
    ASSERT_NE(engine, nullptr);
    engine->setTickInterval(0);
    QStringList heldWhileJoining;
    QObject::connect(engine, &JoinEngine::blockJoined, engine, [&] { heldWhileJoining = awake.held; });
    program.p.dialogs.fileToSave = program.outDir + "/joined.wav";
    program.click("join");
    EXPECT_EQ(heldWhileJoining, QStringList{"Joining into " + program.outDir + "/joined.wav"});
    EXPECT_TRUE(awake.held.isEmpty());
}

TEST(SleepInhibit, LogindHoldsTheLockWithItsReasonUntilTheHoldGoes)
{
    MockLogind logind;
    ASSERT_TRUE(logind.failure().isEmpty()) << logind.failure().toStdString();
    LogindSleepInhibitor inhibitor(logind.bus());

    auto recording = inhibitor.keepAwake("Recording to /home/u/My Recorder/a.wav");
    auto joining = inhibitor.keepAwake("Joining into /home/u/j.wav");
    ASSERT_TRUE(QTest::qWaitFor([&] { return logind.inhibitors().size() == 2; }, 10000));
    const MockLogind::Inhibitor first = logind.inhibitors().first();
    EXPECT_EQ(first.what, "sleep:idle");
    EXPECT_EQ(first.who, "Tamsel");
    EXPECT_EQ(first.why, "Recording to /home/u/My Recorder/a.wav");
    EXPECT_EQ(first.mode, "block");

    recording.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return logind.inhibitors().size() == 1; }, 10000))
        << "the lock outlives its hold";
    EXPECT_EQ(logind.inhibitors().first().why, "Joining into /home/u/j.wav");
    joining.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return logind.inhibitors().isEmpty(); }, 10000));

    // A hold given up before logind answers leaves no lock behind. Calls are
    // answered in order: once the next lock shows, the first one's answer is in.
    inhibitor.keepAwake("Playing /a.wav").reset();
    auto next = inhibitor.keepAwake("Playing /b.wav");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !logind.inhibitors().isEmpty(); }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return logind.inhibitors().size() == 1; }, 10000));
    EXPECT_EQ(logind.inhibitors().value(0).why, "Playing /b.wav");
}

TEST(SleepInhibit, WithoutASystemBusOrLogindTheProgramGoesOnSilently)
{
    printed.clear();
    const QtMessageHandler before = qInstallMessageHandler(keepMessage);
    {
        LogindSleepInhibitor noBus(QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "tamsel-nobus"));
        auto hold = noBus.keepAwake("Recording to /a.wav");
        EXPECT_NE(hold, nullptr);
    }
    MockLogind logind;
    ASSERT_TRUE(logind.failure().isEmpty()) << logind.failure().toStdString();
    logind.stopLogind();
    {
        LogindSleepInhibitor noLogind(logind.bus());
        auto hold = noLogind.keepAwake("Recording to /a.wav");
        // Answered in order: the bus's own answer comes after the refusal.
        logind.bus().call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                         "org.freedesktop.DBus.Peer", "Ping"));
        QCoreApplication::processEvents();
    }
    qInstallMessageHandler(before);
    EXPECT_TRUE(printed.isEmpty()) << printed.join('\n').toStdString();
}
