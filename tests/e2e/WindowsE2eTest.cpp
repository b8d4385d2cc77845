// Double clicks, the settings window's keys, joining through the save dialog
// and closing the program, with real mouse and keyboard events.

#include "config/Tfm_set.h"
#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "join/JoinTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

using namespace e2e;

namespace {

// Where the settings window's controls sit, from the window's own layout;
// the geometry is fixed, so it is the program's as well.
struct SettingsSpots {
    QPoint treeBelowNodes, secondsBox, ok;
};

SettingsSpots settingsSpots()
{
    Tfm_set w;
    auto centre = [&](QWidget* c) { return c->mapTo(&w, c->rect().center()); };
    return {w.tv->mapTo(&w, QPoint(w.tv->width() / 2, w.tv->height() - 10)), centre(w.file_time),
            centre(w.set_bt_ok)};
}

// An MP3 of hours that decodes for seconds: one short piece, repeated.
QString longMp3(const QString& dir, int pieces)
{
    const QString piece = QDir(dir).filePath("piece.mp3"), whole = QDir(dir).filePath("long.mp3");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                    "sine=frequency=1000:duration=10:sample_rate=44100", "-ac", "2",
                                    "-b:a", "128k", "-write_xing", "0", "-id3v2_version", "0", piece});
    const QByteArray bytes = bytesOf(piece);
    QFile out(whole);
    if (out.open(QIODevice::WriteOnly))
        for (int i = 0; i < pieces; ++i) out.write(bytes);
    return whole;
}

}  // namespace

TEST_F(E2e, DoubleClicksActTwiceAndNeverDragTheWindow)
{
    const QString folder = session->scratch("joins");
    session->writeSettings(outputTo(folder));
    QStringList inputs;
    for (int hz : {300, 600, 1200})
        inputs << jointest::wavTone(session->scratch(""), QStringLiteral("%1.wav").arg(hz), hz, 1, 44100, 2);
    ASSERT_TRUE(session->start());
    for (const QString& input : inputs) {
        session->click("listwin", "list_add");
        session->answerFileDialog("Open", input);
    }

    // The last added entry is selected; two clicks on "up" move it to the top.
    session->doubleClick("listwin", "up");
    // A double click on "list" whose second press wanders a few pixels: the
    // list window hides and shows again, and the main window stays put.
    const QPoint before = session->windowPosition("Tamsel");
    const QPoint list = session->elementCentre("mp3rec", "list");
    session->xdo({"mousemove", QString::number(list.x()), QString::number(list.y()), "click", "1",
                  "mousedown", "1", "mousemove_relative", "4", "3", "mouseup", "1"});
    // The settings window opens after both clicks have been handled.
    session->click("mp3rec", "set");
    ASSERT_TRUE(session->waitForWindow("Settings"));
    session->keys({"Escape"});
    ASSERT_TRUE(session->waitForNoWindow("Settings"));
    EXPECT_EQ(session->windowPosition("Tamsel"), before) << "the second press dragged the window";
    ASSERT_TRUE(session->shown("List")) << "the second click on \"list\" was lost";

    session->click("listwin", "join");
    session->answerFileDialog("Save As", "order");
    ASSERT_TRUE(waitUntil([&] { return !session->openedFolders().isEmpty(); }, 60000));
    const QString joined = folder + "/order.wav";
    EXPECT_NEAR(durationOf(joined), 3.0, 0.01);
    EXPECT_EQ(QStringList({QString::number(qRound(jointest::pitchAt(joined, 0.2, 0.6) / 100) * 100),
                           QString::number(qRound(jointest::pitchAt(joined, 1.2, 0.6) / 100) * 100),
                           QString::number(qRound(jointest::pitchAt(joined, 2.2, 0.6) / 100) * 100)}),
              QStringList({"1200", "300", "600"}))
        << "the joined order shows where the selected entry went";
}

TEST_F(E2e, TheSecondsBoxTakesTabAndDeleteAsAKeyboardDoes)
{
    session->writeSettings(outputTo(session->scratch("out"))
                           + "[file]\nenlength=1\nrbtime=1\nrbtimee=1\ntimet=30\ntime=1\nlimit_s=1\nlimit_n=0\n");
    ASSERT_TRUE(session->start());
    const SettingsSpots spots = settingsSpots();
    session->click("mp3rec", "set");
    ASSERT_TRUE(session->waitForWindow("Settings"));

    // Pick the length limit page: the tree takes the focus, typing chooses the
    // node, a click on the tree shows its page.
    session->clickAt(session->onWindow("Settings", spots.treeBelowNodes));
    session->type("File");
    session->clickAt(session->onWindow("Settings", spots.treeBelowNodes));
    session->clickAt(session->onWindow("Settings", spots.secondsBox));
    session->keys({"End", "BackSpace", "BackSpace", "BackSpace"});
    session->type("91205");
    // Delete removes the 9 after the caret, Backspace the 5 before it, and Tab
    // only moves on.
    session->keys({"Home", "Delete", "End", "BackSpace", "Tab"});
    session->clickAt(session->onWindow("Settings", spots.ok));
    ASSERT_TRUE(session->waitForNoWindow("Settings"));
    EXPECT_EQ(session->setting("file", "timet"), "120");
}

TEST_F(E2e, ClosingTheMainWindowEndsTheProgramIdleAndWhileRecording)
{
    ASSERT_TRUE(session->start());
    session->click("mp3rec", "close");
    EXPECT_TRUE(session->waitForExit(10000)) << "the program ran on idle after its window closed";

    const QString take = recordTone("takes");
    ASSERT_FALSE(take.isEmpty());
    session->click("mp3rec", "close");
    EXPECT_TRUE(session->waitForExit(10000)) << "the program ran on after its window closed while recording";
    session->stopTone();
    // What was recorded is a whole WAV file.
    const double seconds = durationOf(take);
    EXPECT_GT(seconds, 0.9);
    EXPECT_NEAR(seconds * kCdBytesPerSecond, double(sizeOf(take)), 16384);
}

TEST_F(E2e, ClosingDuringAJoinEndsAtOnceWithAValidPartialFile)
{
    const QString folder = session->scratch("joins");
    // 8000 Hz mono 8-bit output keeps the partial file small.
    session->writeSettings(outputTo(folder) + "[wav]\nmode=2\nfrequency=1\nchannel=0\nbit=4\n");
    const QString input = longMp3(session->scratch(""), 720);
    ASSERT_TRUE(session->start());
    session->click("mp3rec", "add");
    session->answerFileDialog("Open", input);
    session->click("listwin", "join");
    session->answerFileDialog("Save As", "partial");
    const QString partial = folder + "/partial.wav";
    ASSERT_TRUE(waitUntil([&] { return sizeOf(partial) > 8000; }, 30000)) << "the join wrote nothing";
    ASSERT_TRUE(session->openedFolders().isEmpty()) << "the two-hour join ended before the close";

    session->click("mp3rec", "close");
    EXPECT_TRUE(session->waitForExit(5000)) << "the join ran on after the window closed";
    EXPECT_TRUE(session->openedFolders().isEmpty())
        << "a folder was opened: " << session->openedFolders().join(' ').toStdString();
    const double seconds = durationOf(partial);
    EXPECT_GT(seconds, 1);
    EXPECT_LT(seconds, 7000);
    EXPECT_NEAR(seconds * 8000, double(sizeOf(partial)), 4096) << "the partial file's header is not current";

    // A new start right after shows its window.
    ASSERT_TRUE(session->waitForExit(60000));
    EXPECT_TRUE(session->start());
}

TEST_F(E2e, AJoinAsksBeforeReplacingTheFileItWrites)
{
    const QString folder = session->scratch("joins");
    session->writeSettings(outputTo(folder));
    QDir().mkpath(folder);
    const QString existing = jointest::wavTone(folder, "take.wav", 440, 2, 44100, 2);
    const QByteArray before = bytesOf(existing);
    const QString input = jointest::wavTone(session->scratch(""), "input.wav", 1000, 1, 44100, 2);
    ASSERT_TRUE(session->start());
    session->click("mp3rec", "add");
    session->answerFileDialog("Open", input);

    session->click("listwin", "join");
    ASSERT_TRUE(session->waitForWindow("Save As"));
    const QStringList windows = session->shownWindows();
    // A name without a format's extension is written in the last join's, WAV.
    session->type("take.xyz");
    session->keys({"Return"});
    // The join writes take.wav, which exists: a question comes first.
    const bool asked = waitUntil(
        [&] {
            for (const QString& w : session->shownWindows())
                if (!windows.contains(w)) return true;
            return false;
        },
        15000);
    EXPECT_TRUE(asked) << "take.wav was written without a question";
    if (asked) {
        session->keys({"Escape"});
        waitUntil([&] { return session->shownWindows().size() <= windows.size(); }, 10000);
        if (session->shown("Save As")) session->keys({"Escape"});
        EXPECT_TRUE(session->waitForNoWindow("Save As"));
    }
    EXPECT_EQ(bytesOf(existing), before) << "take.wav was replaced";
    EXPECT_FALSE(QFile::exists(folder + "/take.xyz"));
    EXPECT_TRUE(session->openedFolders().isEmpty()) << "a join ran";
}
