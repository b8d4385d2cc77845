// Writes a WAV past 4 GiB through the file component (48 kHz stereo 32-bit,
// about 3.2 hours) and checks that it comes out as RF64 with its full length.
// Too large and slow for the test run; run by hand:
//
//   bench_writer_rf64 [folder]     default: the system's temporary folder
//
// The file is deleted afterwards.

#include "components/file/AudioFile.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <numbers>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString base = app.arguments().value(1);
    QTemporaryDir dir(base.isEmpty() ? QDir::tempPath() + "/rf64-XXXXXX" : base + "/rf64-XXXXXX");
    if (!dir.isValid()) {
        std::fprintf(stderr, "cannot make a scratch folder\n");
        return 1;
    }
    const QString file = dir.filePath("big.wav");
    const int rate = 48000;
    const auto target = static_cast<qint64>(4.1 * 1024 * 1024 * 1024);  // bytes of audio
    const qint64 frames = target / 8 + rate;       // past the target by a second at most

    Block second;
    second.sampleRate = rate;
    second.channels = 2;
    for (int i = 0; i < rate; ++i) {
        const auto v = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 1000.0 * i / rate));
        second.samples.push_back(v);
        second.samples.push_back(v);
    }

    QElapsedTimer clock;
    clock.start();
    qint64 written = 0;
    try {
        AudioFile writer;
        writer.SetWavFormat(rate, 2, 32);
        writer.OpenWrite(file);
        for (; written + rate <= frames; written += rate) writer.WriteArray(second);
        writer.CloseFile();
    } catch (const TamselError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    const double wall = clock.nsecsElapsed() / 1e9;

    QFile f(file);
    f.open(QIODevice::ReadOnly);
    const QByteArray magic = f.read(4);
    const qint64 size = f.size();
    f.close();

    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-print_format", "json", "-show_streams", file});
    probe.waitForFinished(-1);
    const QJsonObject stream = QJsonDocument::fromJson(probe.readAllStandardOutput())
                                   .object().value("streams").toArray().at(0).toObject();
    const qint64 probed = stream.value("duration_ts").toInteger(-1);

    std::printf("%lld frames, %.2f GiB in %.1f s (%.0f x real time, %.0f MB/s)\n",
                static_cast<long long>(written), size / 1073741824.0, wall,
                written / double(rate) / wall, size / 1e6 / wall);
    std::printf("container %s, ffprobe frames %lld, %d bits\n", magic.constData(),
                static_cast<long long>(probed), stream.value("bits_per_sample").toInt());
    QFile::remove(file);
    const bool ok = magic == "RF64" && probed == written && size > 0xFFFFFFFFLL
                    && stream.value("bits_per_sample").toInt() == 32;
    std::printf(ok ? "RF64 past 4 GiB: OK\n" : "RF64 past 4 GiB: FAILED\n");
    return ok ? 0 : 1;
}
