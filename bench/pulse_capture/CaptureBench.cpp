// CPU time and peak memory of recording the default source at CD quality into
// a WAV file through the capture component, the file writer and the level
// display (fed every block, shown on the offscreen platform), against parec
// recording the same source into a WAV file at the same time.
//
//   d=$(mktemp -d); export PULSE_SERVER=$(scripts/pulse-private start $d)
//   build/bench/pulse_capture/bench_pulse_capture [seconds=60]
//   scripts/pulse-private stop $d
//
// With the private server a tone plays into its null sink meanwhile, so
// both recorders see sound rather than silence.

#include "components/file/AudioFile.h"
#include "components/pulse/PulseRecorder.h"
#ifdef TAMSEL_BENCH_LEVEL_DISPLAY
#include "components/kissfft/SpectrumDisplay.h"
#endif

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

struct Usage {
    double cpuSeconds = 0;
    long peakKiB = 0;
};

long statusKiB(const QString& file, const QByteArray& key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

Usage selfUsage()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return {r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6,
            statusKiB("/proc/self/status", "VmHWM:")};
}

// Read while the process still runs: its reaped figures would mix with
// those of the tone player.
Usage processUsage(qint64 pid)
{
    Usage u;
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray stat = f.readAll();
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        // utime and stime are fields 14 and 15 of the whole line.
        u.cpuSeconds = (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
    }
    u.peakKiB = statusKiB(QStringLiteral("/proc/%1/status").arg(pid), "VmHWM:");
    return u;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 60;
    QTemporaryDir dir;

    QProcess tone;
    QProcess sinks;
    sinks.start("pactl", {"list", "short", "sinks"});
    sinks.waitForFinished();
    if (sinks.readAllStandardOutput().contains("tamsel_null")) {
        const QString file = dir.filePath("tone.wav");
        QProcess::execute("sox", {"-n", "-r", "44100", "-c", "2", file, "synth", QString::number(seconds + 10),
                                  "sine", "440", "vol", "0.5"});
        tone.start("paplay", {"-d", "tamsel_null", file});
    }

    const Usage atStart = selfUsage();
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
    parec.start("parec", {"--file-format=wav", "--format=s16le", "--rate=44100", "--channels=2",
                          dir.filePath("parec.wav")});
    if (!parec.waitForStarted()) {
        std::fprintf(stderr, "cannot start parec\n");
        return 1;
    }
    recorder.StartRecord();
    Usage parecUsage;
    QTimer::singleShot(seconds * 1000, [&] {
        parecUsage = processUsage(parec.processId());
        parec.terminate();
        parec.waitForFinished();
        recorder.StopRecord();
        writer.CloseFile();
        app.quit();
    });
    app.exec();
    const Usage atEnd = selfUsage();
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
    std::printf("parec: cpu %.2f s, peak RSS %.1f MiB, %lld bytes\n", parecUsage.cpuSeconds,
                parecUsage.peakKiB / 1024.0, static_cast<long long>(QFileInfo(dir.filePath("parec.wav")).size()));
    return 0;
}
