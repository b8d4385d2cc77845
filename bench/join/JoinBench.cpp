// A whole join run, as the list window's "join" starts it, beside sox
// concatenating the same inputs into the same output format: real-time
// factor, the ratio to sox, and the peak memory of the run, which must not
// grow with the length of the inputs.
//
//   bench_join [minutes...]      default: 1 10   (try 60 for an hour)
//
// Each of our runs is a fresh process (this program with --run) so its peak
// resident size is its own.

#include "BenchSupport.h"
#include "platform/AppState.h"
#include "components/file/AudioFile.h"
#include "config/SettingsFile.h"
#include "fakes/FakeSkin.h"
#include "join/JoinEngine.h"
#include "join/Tfm_list.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

using namespace bench;

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

// One join of the inputs into out, in CD quality.
int runOnce(const QString& out, const QStringList& inputs)
{
    QTemporaryDir config;
    SettingsFile settings(config.filePath("tamsel.ini"));
    settings.writeText("output", "dir", QFileInfo(out).absolutePath());
    AppState state;
    NoSkin skin;
    QWidget mainWindow;
    AudioFile reader, writer;
    Answers answers;
    NoShell shell;
    Tfm_list list(state, skin, &mainWindow);
    list.setAudio(&reader, &answers);
    answers.inputs = inputs;
    answers.output = out;
    list.AddFiles();

    JoinEngine::Parts parts;
    parts.state = &state;
    parts.list = &list;
    parts.writer = &writer;
    parts.reader = &reader;
    parts.dialogs = &answers;
    parts.shell = &shell;
    parts.settings = [&settings] { return &settings; };
    JoinEngine engine(parts);
    QElapsedTimer clock;
    clock.start();
    engine.JoinFiles();
    const double wall = clock.nsecsElapsed() / 1e9;
    std::printf("%.6f %ld\n", wall, peakRssKb());
    return 0;
}

struct Case {
    QString name;
    QStringList inputs;
};

// Ten CD-quality WAVs; five of mixed rates and channels; five MP3s.
bool makeCases(const QDir& dir, int minutes, QList<Case>& cases)
{
    const double tenth = minutes * 6.0, fifth = minutes * 12.0;
    Case same{"10 CD WAVs", {}}, mixed{"mixed WAVs", {}}, mp3{"5 MP3s", {}};
    for (int i = 0; i < 10; ++i) {
        same.inputs << dir.filePath(QString("cd%1.wav").arg(i));
        if (!tone(same.inputs.last(), tenth, 44100, 2, QString::number(300 + 50 * i))) return false;
    }
    const int rates[] = {22050, 48000, 8000, 32000, 11025};
    for (int i = 0; i < 5; ++i) {
        mixed.inputs << dir.filePath(QString("mix%1.wav").arg(i));
        if (!tone(mixed.inputs.last(), fifth, rates[i], 1 + i % 2, QString::number(300 + 50 * i)))
            return false;
        const QString source = dir.filePath("source.wav");
        mp3.inputs << dir.filePath(QString("in%1.mp3").arg(i));
        if (!tone(source, fifth, 44100, 2, QString::number(300 + 50 * i))
            || !encodeMp3(source, mp3.inputs.last()))
            return false;
        QFile::remove(source);
    }
    cases = {same, mixed, mp3};
    return true;
}

// sox converts every input to CD quality on the fly and concatenates them.
QStringList soxArguments(const Case& c, const QString& out)
{
    QStringList args;
    for (const QString& in : c.inputs)
        args << QString("|sox \"%1\" -p rate 44100 channels 2").arg(in);
    return args << "-b" << "16" << out;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (const auto code = runChild(args, [](const QStringList& a) { return runOnce(a.value(0), a.mid(1)); }))
        return *code;

    const QList<int> minutes = minutesOf(args);

    QTemporaryDir tmp;
    const QDir dir(tmp.path());
    QTextStream out(stdout);
    out << "case          minutes  ours(xRT)  sox(xRT)  speedup  our peak RSS (MB)\n";
    bool faster = true;
    MemoryGrowth growth;
    for (int m : minutes) {
        QList<Case> cases;
        if (!makeCases(dir, m, cases)) return 1;
        for (const Case& c : cases) {
            const QString ours = dir.filePath("ours.wav"), theirs = dir.filePath("sox.wav");
            QString report;
            if (!run(app.applicationFilePath(), QStringList{"--run", ours} + c.inputs, &report))
                return 1;
            const double ourWall = report.section(' ', 0, 0).toDouble();
            const double rssMb = report.section(' ', 1, 1).toDouble() / 1024;
            const double soxWall = timedRun("sox", soxArguments(c, theirs));
            if (soxWall < 0) return 1;

            const double audio = m * 60.0;
            out << QString("%1 %2 %3 %4 %5 %6\n")
                       .arg(c.name, -12).arg(m, 8).arg(audio / ourWall, 10, 'f', 0)
                       .arg(audio / soxWall, 9, 'f', 0).arg(soxWall / ourWall, 9, 'f', 2)
                       .arg(rssMb, 12, 'f', 1);
            out.flush();
            if (ourWall > soxWall) faster = false;
            growth.add(c.name, rssMb);
            QFile::remove(ours);
            QFile::remove(theirs);
        }
        for (const Case& c : cases)
            for (const QString& f : c.inputs) QFile::remove(f);
    }
    const bool flat = growth.flat();
    out << (flat ? "peak memory does not grow with length\n" : "PEAK MEMORY GROWS WITH LENGTH\n");
    if (!faster) out << "slower than sox in at least one case\n";
    return flat ? 0 : 1;
}
