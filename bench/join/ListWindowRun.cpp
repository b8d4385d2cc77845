#include "ListWindowRun.h"

#include "components/file/AudioFile.h"
#include "config/SettingsFile.h"
#include "fakes/FakeSkin.h"
#include "join/JoinEngine.h"
#include "join/Tfm_list.h"
#include "app/Activity.h"
#include "platform/Docking.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Shell.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace bench {

namespace {

class Answers : public Dialogs {
public:
    QStringList inputs;
    QString output;
    void information(QWidget*, const QString& text) override { throw TamselError(text); }
    void plain(QWidget*, const QString& text) override { throw TamselError(text); }
    QStringList openFiles(QWidget*, const QString&, const QString&) override { return inputs; }
    QString saveFile(QWidget*, const QString&, const QString&) override { return output; }
    bool confirmReplace(QWidget*, const QString& file) override
    {
        throw TamselError("Asked to replace " + file);
    }
};

class NoShell : public Shell {
public:
    void openFolder(const QString&) override {}
    void openDocument(const QString&) override {}
};

}  // namespace

ListWindowTimes ListWindowTimes::parse(const QString& printed)
{
    return {printed.section(' ', 0, 0).toDouble(), printed.section(' ', 1, 1).toDouble()};
}

int listWindowJoin(const QStringList& args)
{
    const QString out = args.value(0);
    QTemporaryDir config;
    SettingsFile settings(config.filePath("tamsel.ini"));
    settings.writeText("output", "dir", QFileInfo(out).absolutePath());
    ActivityState activity;
    WindowDrag drag;
    NoSkin skin;
    QWidget mainWindow;
    AudioFile reader, writer;
    Answers answers;
    NoShell shell;
    Tfm_list list(activity, drag, skin, &mainWindow);
    list.setAudio(&reader, &answers);
    answers.inputs = args.mid(1);
    answers.output = out;

    QElapsedTimer clock;
    clock.start();
    list.AddFiles();
    const double add = clock.nsecsElapsed() / 1e9;
    if (list.count() != answers.inputs.size()) throw TamselError("not every input was added to the list");

    JoinEngine::Parts parts;
    parts.activity = &activity;
    parts.list = &list;
    parts.writer = &writer;
    parts.reader = &reader;
    parts.dialogs = &answers;
    parts.shell = &shell;
    parts.settings = [&settings] { return &settings; };
    JoinEngine engine(parts);
    clock.restart();
    engine.JoinFiles();
    std::printf("%.6f %.6f\n", add, clock.nsecsElapsed() / 1e9);
    return 0;
}

}  // namespace bench
