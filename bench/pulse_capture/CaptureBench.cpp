// CPU time, wake-ups and peak memory of recording the default source at CD
// quality into a WAV file through the capture component, the file writer and
// the level display (fed every block, shown on the offscreen platform),
// against parec recording the same source into a WAV file at the same time.
// Wake-ups are voluntary context switches, of all threads.
//
//   d=$(mktemp -d); export PULSE_SERVER=$(scripts/pulse-private start $d)
//   build/bench/pulse_capture/bench_pulse_capture [seconds=60]
//   scripts/pulse-private stop $d
//
// With the private server a tone plays into its null sink meanwhile, so
// both recorders see sound rather than silence.

#include "BenchSupport.h"
#include "components/file/AudioFile.h"
#include "components/pulse/PulseRecorder.h"
#ifdef TAMSEL_BENCH_LEVEL_DISPLAY
#include "components/kissfft/SpectrumDisplay.h"
#endif

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

using namespace bench;

namespace {

long ownWakeUps()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return r.ru_nvcsw;
}

// Read while the process still runs, summed over its threads.
long wakeUpsOf(qint64 pid)
{
    long sum = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + "/" + task + "/status");
        if (!status.open(QIODevice::ReadOnly)) continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:")) sum += line.mid(24).trimmed().toLong();
    }
    return sum;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    QTemporaryDir dir;

    QProcess tone;
    playToneIfPrivateServer(tone, dir.path(), seconds);

    const Usage atStart = selfUsage();
    const long wakeUpsAtStart = ownWakeUps();
    AudioFile writer;
    writer.SetWavFormat(44100, 2, 16);
    writer.OpenWrite(dir.filePath("tamsel.wav"));
    PulseRecorder recorder;
    recorder.SetFormat(writer.ArraySampleRate(), writer.ArrayChannels());
    recorder.SetArraySize(recorder.MsToSamples(200));
#ifdef TAMSEL_BENCH_LEVEL_DISPLAY
    SpectrumDisplay display;
    display.setLineCount(17);
    display.resize(115, 81);
    display.show();
#endif
    qint64 frames = 0;
    QObject::connect(&recorder, &TAudioRecord2::OnEndArrayRecord, [&](int) {
        const Block block = recorder.GetArray();
        writer.WriteArray(block);
#ifdef TAMSEL_BENCH_LEVEL_DISPLAY
        display.DisplayArray(block);
#endif
        frames += block.frames();
    });

    QProcess parec;
    if (!startParec(parec, dir.filePath("parec.wav"))) return 1;
    recorder.StartRecord();
    Usage parecUsage;
    long parecWakeUps = 0;
    QTimer::singleShot(seconds * 1000, [&] {
        parecUsage = processUsage(parec.processId());
        parecWakeUps = wakeUpsOf(parec.processId());
        parec.terminate();
        parec.waitForFinished();
        recorder.StopRecord();
        writer.CloseFile();
        app.quit();
    });
    app.exec();
    const Usage atEnd = selfUsage();
    const long wakeUps = ownWakeUps() - wakeUpsAtStart;
    tone.kill();
    tone.waitForFinished();

    std::printf("%d s of capture at 44100 Hz stereo, 16-bit WAV\n", seconds);
#ifdef TAMSEL_BENCH_LEVEL_DISPLAY
    const char* shown = "with the level display";
#else
    const char* shown = "without a level display (not built)";
#endif
    std::printf("components %s: cpu %.2f s, peak RSS %.1f MiB (%.1f MiB before capture), %lld frames, %lld bytes\n",
                shown, atEnd.cpuSeconds - atStart.cpuSeconds, atEnd.peakKiB / 1024.0, atStart.peakKiB / 1024.0,
                static_cast<long long>(frames), static_cast<long long>(QFileInfo(dir.filePath("tamsel.wav")).size()));
    std::printf("wake-ups: components %.1f/s, parec %.1f/s\n", double(wakeUps) / seconds,
                double(parecWakeUps) / seconds);
    printParec(parecUsage, dir.filePath("parec.wav"));
    return 0;
}
