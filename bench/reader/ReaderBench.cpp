// Decoding speed of the file reader in real-time factor, beside sox decoding
// the same file, the time of random seeks, and the peak memory of a whole
// read, which must not grow with the length of the file.
//
//   bench_reader [minutes...]      default: 1 10
//
// Each of our runs is a fresh process (this program with --run) so its peak
// resident size is its own.

#include "BenchSupport.h"
#include "components/ffmpeg/FfmpegReader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (const auto code = runChild(args, [](const QStringList& a) { return runOnce(a.value(0)); }))
        return *code;
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
