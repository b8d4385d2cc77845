// Stands in for a recording that never ends: writes a tone through the file
// component in 200 ms blocks and reports the frames written after each one,
// until it is killed.

#include "components/file/AudioFile.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <numbers>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    const int rate = 44100;
    AudioFile file;
    int64_t written = 0;
    try {
        file.SetWavFormat(rate, 2, 16);
        file.OpenWrite(QString::fromLocal8Bit(argv[1]));
    } catch (const TamselError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    QTimer timer;
    // Faster than real time: the header rule is about seconds of audio.
    timer.setInterval(40);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        Block b;
        b.sampleRate = rate;
        b.channels = 2;
        for (int i = 0; i < rate / 5; ++i) {
            const auto v = static_cast<float>(
                0.5 * std::sin(2 * std::numbers::pi * 440.0 * double(written + i) / rate));
            b.samples.push_back(v);
            b.samples.push_back(v);
        }
        file.WriteArray(b);
        written += rate / 5;
        std::printf("%lld\n", static_cast<long long>(written));
        std::fflush(stdout);
    });
    timer.start();
    return app.exec();
}
