// The list window's "join" element drives the join run through the main
// window, with the real file reader and writer; closing the program, an error
// elsewhere and a recording started from the save dialog meet the run. A stop
// mid-run is proven by JoinRun.AStopDuringTheSecondFileKeepsWhatWasJoined, and
// "stopj" clearing the run's flag by MainWindowCommands.PressMarkingSeekBarAndListToggle.

#include "app/Tfm_main.h"
#include "components/file/AudioFile.h"
#include "config/SettingsFile.h"
#include "fakes/FakeProgram.h"
#include "fakes/FakeSkin.h"
#include "join/JoinEngine.h"
#include "join/JoinTestSupport.h"
#include "join/Tfm_list.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A second input of 20 s at 8000 Hz mono is joined in five blocks of 4 s;
// what runs after its first block leaves 1 s + 4 s joined.
struct RealJoin {
    FakeProgram p;
    QString outDir = p.tmp.filePath("joined");
    QString output = outDir + "/out.wav";
    JoinEngine* engine = nullptr;
    Element join{"join"};

    RealJoin()
    {
        p.parts.AudioFileWrite = std::make_unique<AudioFile>();
        p.parts.AudioFilepaly = std::make_unique<AudioFile>();
        SettingsFile(p.settingsPath()).writeText("output", "dir", outDir);
        p.build();
        p.main->FormShow();
        Element add("list_add");
        p.dialogs.filesToOpen = {jointest::wavTone(p.tmp.path(), "a.wav", 440, 1, 44100, 2),
                                 jointest::wavTone(p.tmp.path(), "b.wav", 880, 20, 8000, 1)};
        p.main->Skin1Click(&add);
        p.dialogs.fileToSave = output;
        engine = p.main->findChild<JoinEngine*>();
        engine->setTickInterval(0);
    }
    // Runs f through the event loop the join pumps, after the second input's first block.
    void afterSecondInputsFirstBlock(std::function<void()> f)
    {
        QObject::connect(engine, &JoinEngine::blockJoined, engine, [this, f](int entry, qint64 done) {
            if (entry == 1 && done == 8000)
                QMetaObject::invokeMethod(engine, f, Qt::QueuedConnection);
        });
    }
    void expectPartKept()
    {
        EXPECT_EQ(jointest::probeWav(output).frames, 2 * 44100);
        EXPECT_FALSE(p.main->components().AudioFileWrite->IsOpen());
        EXPECT_FALSE(p.main->activity().joining());
    }
};

class AnsweringDialogs : public FakeDialogs {
public:
    std::function<void()> whileSaving;  // runs while the save dialog is open
    QString saveFile(QWidget* parent, const QString& dir, const QString& filter) override
    {
        if (whileSaving) whileSaving();
        return FakeDialogs::saveFile(parent, dir, filter);
    }
};

}  // namespace

TEST(JoinWiring, TheJoinElementRunsTheJoinOfTheListedFiles)
{
    FakeProgram p;
    FakeDialogs& dialogs = p.dialogs;
    auto skin = std::make_unique<jointest::ProgressSkin>();
    jointest::ProgressBar& bar = skin->bar;
    p.parts.Skin1 = std::move(skin);
    p.parts.AudioFileWrite = std::make_unique<AudioFile>();
    p.parts.AudioFilepaly = std::make_unique<AudioFile>();
    const QString outDir = p.tmp.filePath("joined");
    SettingsFile(p.settingsPath()).writeText("output", "dir", outDir);
    p.build();
    Tfm_main& main = *p.main;
    main.FormShow();

    Element join("join"), add("list_add");
    main.Skin1Click(&join);
    EXPECT_EQ(dialogs.shown, QStringList{"Please add file!"});
    dialogs.shown.clear();

    dialogs.filesToOpen = {jointest::wavTone(p.tmp.path(), "a.wav", 440, 1, 44100, 2),
                           jointest::wavTone(p.tmp.path(), "b.wav", 880, 2, 22050, 1)};
    main.Skin1Click(&add);
    ASSERT_EQ(p.list->count(), 2);
    dialogs.fileToSave = outDir + "/out.wav";
    main.Skin1Click(&join);

    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(main.activity().joining());
    EXPECT_EQ(jointest::probeWav(outDir + "/out.wav").frames, 3 * 44100);
    EXPECT_EQ(p.shell.opened, QStringList{"folder " + outDir + "/"});
    EXPECT_FALSE(bar.positions.empty());
}

TEST(JoinWiring, ClosingTheMainWindowDuringAJoinEndsTheProgramWithTheJoinedPartKept)
{
    RealJoin r;
    r.afterSecondInputsFirstBlock([&r] { r.p.main->close(); });
    bool quit = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, r.engine, [&quit] { quit = true; });
    QTimer::singleShot(0, r.engine, [&r] { r.p.main->Skin1Click(&r.join); });
    QTimer hung;
    QObject::connect(&hung, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    hung.start(60000);

    EXPECT_EQ(QCoreApplication::exec(), 0);

    EXPECT_TRUE(quit);
    r.expectPartKept();
    EXPECT_TRUE(r.p.shell.opened.isEmpty());
}

TEST(JoinWiring, AnErrorElsewhereDuringAJoinStopsItWithTheJoinedPartKept)
{
    RealJoin r;
    r.afterSecondInputsFirstBlock(
        ErrorBoundary::guarded([] { throw TamselError("The schedule cannot be read."); }));
    r.p.main->Skin1Click(&r.join);
    EXPECT_EQ(r.p.dialogs.shown, QStringList{"The schedule cannot be read."});
    r.expectPartKept();
}

TEST(JoinWiring, ARecordingStartedWhileTheSaveDialogIsOpenKeepsTheWriter)
{
    FakeProgram p;
    AnsweringDialogs dialogs;
    p.services.dialogs = &dialogs;
    p.build();
    Tfm_main& main = *p.main;
    main.FormShow();
    Element add("list_add"), recorder("recorder"), join("join");
    dialogs.filesToOpen = {"/m/a.wav"};
    main.Skin1Click(&add);
    // The schedule runner starts a recording from the dialog's event loop.
    dialogs.whileSaving = [&] { main.Skin1Click(&recorder); };
    dialogs.fileToSave = p.tmp.filePath("joined.wav");

    main.Skin1Click(&join);

    EXPECT_EQ(dialogs.shown, QStringList{"Please stop recording first."});
    EXPECT_TRUE(main.activity().recording());
    EXPECT_FALSE(main.activity().joining());
    EXPECT_TRUE(p.writer()->IsOpen());
    EXPECT_FALSE(p.writer()->calls.contains("OpenWrite " + dialogs.fileToSave));
}
