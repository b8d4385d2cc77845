#include "ReaderTestUtil.h"

#include "components/ffmpeg/FfmpegReader.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QtEndian>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace readertest {

std::vector<float> readAll(FfmpegReader& reader, int blockFrames)
{
    std::vector<float> all;
    for (int guard = 0; guard < 1000000; ++guard) {
        const Block b = reader.read(blockFrames);
        EXPECT_EQ(b.channels, reader.channels());
        EXPECT_EQ(b.sampleRate, reader.sampleRate());
        EXPECT_LE(b.frames(), blockFrames);
        EXPECT_EQ(b.samples.size() % static_cast<size_t>(reader.channels()), 0u);
        if (b.empty()) break;
        all.insert(all.end(), b.samples.begin(), b.samples.end());
    }
    return all;
}

std::vector<float> peerDecode(const QString& file, const QString& tool)
{
    QTemporaryDir dir;
    const QString out = dir.filePath("decoded.f32");
    if (tool == "sox")
        testsupport::runPeer("sox", {file, "-t", "f32", out});
    else
        ffmpeg({"-i", file, "-map", "0:a:0", "-f", "f32le", "-c:a", "pcm_f32le", out});
    QFile f(out);
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no peer decode of " << file.toStdString();
        return {};
    }
    const QByteArray bytes = f.readAll();
    std::vector<float> samples(static_cast<size_t>(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

void ffmpeg(const QStringList& args)
{
    testsupport::runPeer("ffmpeg", QStringList{"-y", "-v", "error"} + args);
}

double toneFrequency(const std::vector<float>& samples, int channels, int rate)
{
    int64_t crossings = 0;
    const size_t frames = samples.size() / channels;
    for (size_t i = 1; i < frames; ++i)
        if ((samples[(i - 1) * channels] < 0) != (samples[i * channels] < 0)) ++crossings;
    return frames ? crossings / 2.0 * rate / static_cast<double>(frames) : 0;
}

double maxDiff(const std::vector<float>& x, int64_t a, const std::vector<float>& y, int64_t b,
               int64_t frames, int channels)
{
    double worst = 0;
    for (int64_t i = 0; i < frames * channels; ++i) {
        const size_t xi = static_cast<size_t>(a * channels + i);
        const size_t yi = static_cast<size_t>(b * channels + i);
        if (xi >= x.size() || yi >= y.size()) return INFINITY;
        worst = std::max(worst, std::abs(double(x[xi]) - y[yi]));
    }
    return worst;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray riffChunk(const char* tag, const QByteArray& body)
{
    return QByteArray(tag, 4) + le32(static_cast<quint32>(body.size())) + body
           + (body.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

QByteArray pcmWav(quint32 rate, quint16 channels, const QByteArray& data, const QByteArray& tail,
                  qint64 statedSize)
{
    const quint16 bits = 16;
    const quint16 align = static_cast<quint16>(channels * bits / 8);
    QByteArray fmt = le32(0x00010001u).left(2);  // PCM
    fmt += le32(channels).left(2) + le32(rate) + le32(rate * align) + le32(align).left(2)
           + le32(bits).left(2);
    QByteArray body = "WAVE" + riffChunk("fmt ", fmt);
    body += "data" + le32(static_cast<quint32>(statedSize < 0 ? data.size() : statedSize)) + data;
    if (data.size() % 2) body += '\0';
    body += tail;
    return "RIFF" + le32(static_cast<quint32>(body.size())) + body;
}

}  // namespace readertest
