// The program on a desktop: signals end it while a box is open, the windows
// open on a small scaled screen, and the save dialog writes names with
// quotes as typed.

#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "join/JoinTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRect>
#include <csignal>

using namespace e2e;

namespace {

// A copy of the program with a skin that cannot be read beside it.
QString programWithDamagedSkin(const QString& folder)
{
    QDir().mkpath(folder);
    const QString copy = QDir(folder).filePath("tamsel");
    if (!QFile::copy(Session::program(), copy)) return {};
    QFile skin(QDir(folder).filePath("mp3enc.dll"));
    if (!skin.open(QIODevice::WriteOnly)) return {};
    skin.write("<svg xmlns=\"http://www.w3.org/2000/svg\"><g id=\"mp3rec\"");
    return copy;
}

}  // namespace

TEST_F(E2e, SigtermWhileTheStartUpBoxIsOpenEndsTheProgram)
{
    const QString program = programWithDamagedSkin(session->scratch("damaged"));
    ASSERT_FALSE(program.isEmpty());
    ASSERT_TRUE(session->launch(program));
    ASSERT_TRUE(session->waitForWindow("Information")) << "no box about the skin: " << session->shownTitles().toStdString();
    ::kill(pid_t(session->processId()), SIGTERM);
    EXPECT_TRUE(session->waitForExit(10000)) << "the program ran on with the box open";
}

TEST_F(E2e, SighupWhileABoxIsOpenCompletesTheRecording)
{
    const QString take = recordTone("takes");
    ASSERT_FALSE(take.isEmpty());
    // Play is refused while recording, with a box.
    session->click("mp3rec", "play");
    ASSERT_TRUE(session->waitForWindow("Information"));
    ::kill(pid_t(session->processId()), SIGHUP);
    EXPECT_TRUE(session->waitForExit(10000)) << "the program ran on with the box open";
    session->stopTone();
    const double seconds = durationOf(take);
    EXPECT_GT(seconds, 0.9);
    EXPECT_NEAR(seconds * kCdBytesPerSecond, double(sizeOf(take)), 16384) << "the file was not completed";
}

TEST_F(E2e, At200PercentOnAFullHdScreenBothWindowsOpenOnTheScreenDocked)
{
    const QRect screen(0, 0, 1920, 1080);
    session = std::make_unique<Session>(Session::program(), screen.size());
    session->setEnvironment("QT_SCALE_FACTOR", "2");
    ASSERT_TRUE(session->start());
    const QRect main = session->windowGeometry("Tamsel"), list = session->windowGeometry("List");
    EXPECT_GT(main.width(), 900) << "not drawn at 200 %";
    EXPECT_TRUE(screen.contains(main)) << main.x() << "," << main.y() << " " << main.width() << "x" << main.height();
    EXPECT_TRUE(screen.contains(list)) << list.x() << "," << list.y() << " " << list.width() << "x" << list.height();
    EXPECT_EQ(list.topLeft(), main.bottomLeft() + QPoint(0, 1)) << "the list window is not docked";
    EXPECT_EQ(main.x(), 326 * 2) << "moved further than it had to";
}

TEST_F(E2e, ASaveNameWithQuotesIsTheNameWritten)
{
    const QString folder = session->scratch("joins");
    session->writeSettings(outputTo(folder));
    const QString input = jointest::wavTone(session->scratch(""), "input.wav", 1000, 1, 44100, 2);
    ASSERT_TRUE(session->start());
    session->click("mp3rec", "add");
    session->answerFileDialog("Open", input);
    session->click("listwin", "join");
    session->answerFileDialog("Save As", "the \"live\" take");
    ASSERT_TRUE(waitUntil([&] { return !session->openedFolders().isEmpty(); }, 60000)) << "no join ran";
    EXPECT_NEAR(durationOf(folder + "/the \"live\" take.wav"), 1.0, 0.01);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"the \"live\" take.wav"});
}
