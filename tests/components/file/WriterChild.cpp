// Stands in for a recording that never ends: writes a tone through the file
// component in 200 ms blocks and reports the frames written after each one,
// until it is killed. Arguments: the file, then optionally its format (wav,
// flac, opus, mp3, ogg) and the milliseconds between blocks.

#include "components/file/AudioFile.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) return 2;
    const char* format = argc > 2 ? argv[2] : "wav";
    const int rate = 44100;
    AudioFile file;
    int64_t written = 0;
    try {
        if (std::strcmp(format, "flac") == 0) file.SetFlacFormat(rate, 2, 16);
        else if (std::strcmp(format, "opus") == 0) file.SetOpusFormat(rate, 2, 96);
        else if (std::strcmp(format, "mp3") == 0) file.SetMp3Format(rate, 2, 2, 0);
        else if (std::strcmp(format, "ogg") == 0) file.SetOggFormat(rate, 2, 128, 128, 128, 300);
        else file.SetWavFormat(rate, 2, 16);
        file.OpenWrite(QString::fromLocal8Bit(argv[1]));
    } catch (const TamselError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    QTimer timer;
    // Faster than real time: the rules are about seconds of audio.
    timer.setInterval(argc > 3 ? std::atoi(argv[3]) : 40);
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
