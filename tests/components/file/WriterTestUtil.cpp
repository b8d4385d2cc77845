#include "WriterTestUtil.h"

#include "../ComponentTestSupport.h"

#include "support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <cmath>
#include <numbers>

namespace writertest {

Block tone(double hz, double seconds, int rate, int channels, float amp)
{
    Block b;
    b.sampleRate = rate;
    b.channels = channels;
    const auto frames = static_cast<int64_t>(std::llround(seconds * rate));
    b.samples.reserve(static_cast<size_t>(frames * channels));
    for (int64_t i = 0; i < frames; ++i) {
        const auto v = static_cast<float>(amp * std::sin(2 * std::numbers::pi * hz * i / rate));
        for (int c = 0; c < channels; ++c) b.samples.push_back(v);
    }
    return b;
}

Block ramp(int64_t frames, int rate, int channels, int periods)
{
    Block b;
    b.sampleRate = rate;
    b.channels = channels;
    const int64_t period = std::max<int64_t>(2, frames / periods);
    for (int64_t i = 0; i < frames; ++i) {
        const auto v = static_cast<float>(-1.0 + 2.0 * double(i % period) / double(period - 1));
        for (int c = 0; c < channels; ++c) b.samples.push_back(v);
    }
    return b;
}

Block bare(Block b)
{
    b.sampleRate = 0;
    return b;
}

int64_t soxFrames(const QString& file)
{
    return testsupport::runPeer("soxi", {"-s", file}).trimmed().toLongLong();
}

int64_t ffmpegFrames(const QString& file)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("decoded.raw");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-i", file, "-ac", "1", "-f", "s16le", out});
    return QFileInfo(out).size() / 2;
}

QString decodedWav(const QString& file, const QString& wav)
{
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-i", file, "-c:a", "pcm_s16le", wav});
    return wav;
}

std::vector<int16_t> soxPcm16(const QString& file, const QStringList& inputOptions)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("decoded.raw");
    testsupport::runPeer("sox", inputOptions + QStringList{file, "-t", "raw", "-e", "signed-integer",
                                                          "-b", "16", "-L", out});
    const QByteArray bytes = readBytes(out);
    std::vector<int16_t> samples(static_cast<size_t>(bytes.size()) / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i])
                                          | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

double firstChannelFrequency(const QString& file, const QStringList& inputOptions)
{
    QTemporaryDir dir;
    const QString mono = dir.filePath("first.wav");
    testsupport::runPeer("sox", inputOptions + QStringList{file, mono, "remix", "1"});
    return testsupport::soxStat(mono, "Rough   frequency");
}

}  // namespace writertest
