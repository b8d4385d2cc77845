// CPU time and peak memory of a CD-quality recording made the way the program
// makes it (record command, every block written, shown by the level display
// and followed by the size text, the time text on every tick, stop with tag)
// against parec recording the same source into a WAV file at the same time.
// We want at most twice parec's CPU time and a peak memory that stays flat
// however long the recording runs; written as FLAC, Opus or MP3, at most
// twice the CPU time of the same recording written as WAV. Armed to start on
// sound (`armed`), or splitting at silences (`split`), at most 1.2x the CPU
// time of the same recording made plain.
//
//   d=$(mktemp -d); export PULSE_SERVER=$(scripts/pulse-private start $d)
//   build/bench/recording/bench_recording [seconds=60] [wav|flac|opus|mp3] [plain|armed|split]
//   scripts/pulse-private stop $d

#include "BenchSupport.h"
#include "ForcedFormat.h"
#include "app/Activity.h"
#include "components/file/AudioFile.h"
#include "components/kissfft/SpectrumDisplay.h"
#include "components/pulse/PulseRecorder.h"
#include "components/taglib/TagLibInformation.h"
#include "config/SettingsFile.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "recording/RecordingControl.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace bench;

namespace {

// Messages go to the terminal; a benchmark has nobody to click OK.
class PrintedDialogs : public QtDialogs {
public:
    PrintedDialogs() : QtDialogs(QString()) {}
    void information(QWidget*, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
    void plain(QWidget*, const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    const QString format = argc > 2 ? QString(argv[2]) : QStringLiteral("wav");
    const QString mode = argc > 3 ? QString(argv[3]) : QStringLiteral("plain");
    QTemporaryDir dir;

    QProcess tone;
    playToneIfPrivateServer(tone, dir.path(), seconds);

    SettingsFile settings(dir.filePath("tamsel.ini"));
    settings.writeText("output", "dir", dir.filePath("out"));
    settings.writeText("output", "out_name", "bench");
    settings.writeInteger("sound", "mode", mode == "armed" ? 1 : mode == "split" ? 2 : 0);

    const Usage atStart = selfUsage();
    ActivityState activity;
    PulseRecorder recorder;
    ForcedFormat writer(format);
    TagLibInformation information;
    SpectrumDisplay display;
    display.setLineCount(17);
    display.resize(115, 81);
    PrintedDialogs dialogs;
    QString timeText, sizeText;

    RecordingControl::Parts parts;
    parts.activity = &activity;
    parts.recorder = &recorder;
    parts.writer = &writer;
    parts.information = &information;
    parts.levels = &display;
    parts.dialogs = &dialogs;
    parts.settings = [&settings] { return &settings; };
    parts.showText = [&](RecordingControl::Text which, const QString& text) {
        if (which == RecordingControl::Text::Time && !text.isEmpty()) timeText = text;
        if (which == RecordingControl::Text::Size && !text.isEmpty()) sizeText = text;
    };
    RecordingControl control(std::move(parts));

    QProcess parec;
    if (!startParec(parec, dir.filePath("parec.wav"))) return 1;
    control.RecordCommand();
    Usage parecUsage;
    QString file;
    QTimer::singleShot(seconds * 1000, [&] {
        parecUsage = processUsage(parec.processId());
        parec.terminate();
        parec.waitForFinished();
        file = control.outputFileName();
        try {
            control.StopRecording();
        } catch (const TamselError& e) {
            // Another format under the name of a WAV file: its tag is not
            // written, which costs nothing worth measuring.
            if (format == "wav") std::fprintf(stderr, "%s\n", e.what());
        }
        app.quit();
    });
    app.exec();
    const Usage atEnd = selfUsage();
    tone.kill();
    tone.waitForFinished();

    std::printf("%d s recorded at 44100 Hz stereo, written as %s, %s; last texts \"%s\", \"%s\"\n", seconds,
                qPrintable(format), qPrintable(mode), qPrintable(timeText), qPrintable(sizeText));
    std::printf("recording: cpu %.2f s, peak RSS %.1f MiB (%.1f MiB before), %lld bytes\n",
                atEnd.cpuSeconds - atStart.cpuSeconds, atEnd.peakKiB / 1024.0, atStart.peakKiB / 1024.0,
                static_cast<long long>(QFileInfo(file).size()));
    printParec(parecUsage, dir.filePath("parec.wav"));
    return 0;
}
