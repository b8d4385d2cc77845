// Decoding speed of the file reader in real-time factor, beside sox decoding
// the same file, the time of random seeks, and the peak memory of a whole
// read, which must not grow with the length of the file.
//
//   bench_reader [minutes...]      default: 1 10
//   bench_reader --opens [count]   default: 300
//
// --opens times opening (and asking the length of) count 3-second CD WAVs, as
// adding a folder of takes to the join list does.
//
// Each of our runs is a fresh process (this program with --run) so its peak
// resident size is its own.

#include "BenchSupport.h"
#include "components/ffmpeg/FfmpegReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <random>

using namespace bench;

namespace {

// Reads the whole file in player-sized blocks, then times 50 random seeks.
int runOnce(const QString& file)
{
    FfmpegReader reader;
    QElapsedTimer clock;
    clock.start();
    reader.open(file);
    int64_t frames = 0;
    for (Block b = reader.read(4100); !b.empty(); b = reader.read(4100)) frames += b.frames();
    const double wall = clock.nsecsElapsed() / 1e9;
    std::mt19937_64 rng(1);
    clock.restart();
    for (int i = 0; i < 50; ++i) {
        reader.seek(static_cast<int64_t>(rng() % static_cast<uint64_t>(reader.samples())));
        reader.read(4100);
    }
    const double seekMs = clock.nsecsElapsed() / 1e6 / 50;
    std::printf("%lld %d %.6f %.3f %ld\n", static_cast<long long>(frames), reader.sampleRate(), wall,
                seekMs, peakRssKb());
    return 0;
}

// Opens count copies of a 3-second CD WAV one after another.
int timeOpens(int count)
{
    QTemporaryDir dir;
    const QString first = dir.filePath("take0.wav");
    if (!tone(first, 3, 44100, 2)) return 1;
    QStringList files{first};
    for (int i = 1; i < count; ++i) {
        files << dir.filePath(QString("take%1.wav").arg(i));
        if (!QFile::copy(first, files.last())) return 1;
    }
    FfmpegReader reader;
    int64_t frames = 0;
    QElapsedTimer clock;
    clock.start();
    for (const QString& file : files) {
        reader.open(file);
        frames += reader.samples();
    }
    const double ms = clock.nsecsElapsed() / 1e6;
    std::printf("opened %d WAVs of 3 s (%lld frames) in %.1f ms, %.3f ms each\n", count,
                static_cast<long long>(frames), ms, ms / count);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (const auto code = runChild(args, [](const QStringList& a) { return runOnce(a.value(0)); }))
        return *code;
    if (args.value(0) == "--opens") return timeOpens(args.value(1, "300").toInt());
    if (args.isEmpty()) args = {"1", "10"};

    QTemporaryDir dir;
    std::printf("%-14s %8s %10s %10s %10s %10s %12s\n", "file", "minutes", "ours RTF", "sox RTF",
                "ours s", "seek ms", "peak RSS kB");
    for (const QString& minutes : args) {
        const double seconds = minutes.toDouble() * 60;
        const QString wav = dir.filePath(minutes + "min.wav");
        const QString mp3 = dir.filePath(minutes + "min.mp3");
        if (!tone(wav, seconds, 44100, 2, "200-4000") || !encodeMp3(wav, mp3)) return 1;
        for (const QString& file : {wav, mp3}) {
            QString out;
            if (!run(app.applicationFilePath(), {"--run", file}, &out)) return 1;
            const QStringList f = out.split(' ');
            const double frames = f.value(0).toDouble();
            const double rate = f.value(1).toDouble();
            const double ours = f.value(2).toDouble();
            const double sox = timedRun("sox", {"-q", file, "-t", "f32", "/dev/null"});
            const double audio = frames / rate;
            std::printf("%-14s %8s %10.1f %10.1f %10.3f %10s %12s\n",
                        qPrintable(file.section('/', -1)), qPrintable(minutes), audio / ours,
                        sox > 0 ? audio / sox : 0.0, ours, qPrintable(f.value(3)),
                        qPrintable(f.value(4).trimmed()));
        }
    }
    return 0;
}
