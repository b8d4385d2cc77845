// Seeking a WAV lands on the exact frame asked for, is clamped to the file,
// and reading goes on from there; compressed formats are sought in FormatsTest.

#include "ReaderTestUtil.h"

#include "components/ffmpeg/FfmpegReader.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include "../ComponentTestSupport.h"
#include "platform/Error.h"

using namespace readertest;

namespace {

constexpr int64_t kRampFrames = 200000;

// A stereo WAV whose left sample encodes its own frame index (mod 65536) and
// whose right sample encodes 7 times it, so a misplaced or swapped frame shows.
QString makeRamp(const QTemporaryDir& dir)
{
    const QString raw = dir.filePath("ramp.raw");
    const QString wav = dir.filePath("ramp.wav");
    std::vector<int16_t> data(kRampFrames * 2);
    for (int64_t i = 0; i < kRampFrames; ++i) {
        data[i * 2] = static_cast<int16_t>((i % 65536) - 32768);
        data[i * 2 + 1] = static_cast<int16_t>(((i * 7) % 65536) - 32768);
    }
    QFile f(raw);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<qint64>(data.size() * 2));
    f.close();
    testsupport::runPeer("sox", {"-t", "raw", "-e", "signed-integer", "-b", "16", "-r", "44100",
                                 "-c", "2", raw, wav});
    return wav;
}

int64_t rampIndex(float v) { return std::lround(v * 32768.0) + 32768; }

void expectRampAt(FfmpegReader& reader, int64_t index, int frames = 64)
{
    const Block b = reader.read(frames);
    ASSERT_EQ(b.frames(), std::min<int64_t>(frames, kRampFrames - index)) << "at " << index;
    for (int64_t k = 0; k < b.frames(); ++k) {
        ASSERT_EQ(rampIndex(b.samples[k * 2]), (index + k) % 65536) << "frame " << index + k;
        ASSERT_EQ(rampIndex(b.samples[k * 2 + 1]), ((index + k) * 7) % 65536) << "frame " << index + k;
    }
}

TEST(ReaderSeek, WavLandsOnTheExactFrameAndIsClampedToTheFile)
{
    QTemporaryDir dir;
    FfmpegReader reader;
    reader.open(makeRamp(dir));
    ASSERT_EQ(reader.samples(), kRampFrames);
    expectRampAt(reader, 0, 10);
    // Backward and forward, far and near (near forward decodes through), and
    // to where the reader already is.
    const int64_t targets[] = {150000, 1, 4095, 4096, 4097, 65537, 66000, 30000, 30100,
                               0, 199999, 100000, 199936, 12345, 12345 + 64};
    for (int64_t t : targets) {
        SCOPED_TRACE(t);
        EXPECT_EQ(reader.seek(t), t);
        expectRampAt(reader, t);
    }
    EXPECT_EQ(reader.seek(-5), 0);
    expectRampAt(reader, 0, 3);
    EXPECT_EQ(reader.seek(kRampFrames + 50000), kRampFrames);
    EXPECT_TRUE(reader.read(4100).empty());
    // After the end a seek back starts over, and the rest reads out fully.
    EXPECT_EQ(reader.seek(kRampFrames - 1000), kRampFrames - 1000);
    const std::vector<float> tail = readAll(reader, 300);
    EXPECT_EQ(tail.size(), 2000u);
    EXPECT_EQ(rampIndex(tail[0]), (kRampFrames - 1000) % 65536);
    EXPECT_TRUE(reader.read(1).empty());
}

// Positions beyond 32 bits: a sparse 8-bit WAV of about 4 GiB (2^32 frames).
TEST(ReaderSeek, PositionsBeyond32Bits)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("huge.wav");
    testsupport::makeTone(file, 100, 0.01, 8000, 1, {"-b", "8"});
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    const qint64 dataTag = f.read(256).indexOf("data");
    ASSERT_GT(dataTag, 0);
    const quint32 dataBytes = 0xFFFFFFF0u;
    const quint32 riffBytes = 0xFFFFFFFFu;
    f.seek(4);
    f.write(reinterpret_cast<const char*>(&riffBytes), 4);
    f.seek(dataTag + 4);
    f.write(reinterpret_cast<const char*>(&dataBytes), 4);
    ASSERT_TRUE(f.resize(dataTag + 8 + dataBytes));  // sparse: costs no disk
    f.close();

    FfmpegReader reader;
    reader.open(file);
    ASSERT_EQ(reader.samples(), int64_t{dataBytes});
    EXPECT_EQ(reader.durationMs(), int64_t{dataBytes} * 1000 / 8000);
    const int64_t target = 3000000123;
    EXPECT_EQ(reader.seek(target), target);
    const Block b = reader.read(10);
    ASSERT_EQ(b.frames(), 10);
    for (float v : b.samples) EXPECT_EQ(v, -1.0f);  // zero bytes of unsigned 8-bit
    EXPECT_EQ(reader.seek(int64_t{1} << 40), int64_t{dataBytes});
    EXPECT_TRUE(reader.read(10).empty());
}

}  // namespace

namespace {
TEST(Explore, DamagedSeek)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("noise.wav");
    testsupport::runPeer("sox", {"-n", "-r", "44100", "-c", "2", wav, "synth", "6", "whitenoise", "vol", "0.5"});
    std::mt19937 rng(5);
    for (const char* name : {"cbr.mp3", "vbr.mp3", "bare.mp3", "t.wma"}) {
        const QString full = dir.filePath(QString("full_") + name);
        QStringList codec;
        if (QString(name) == "vbr.mp3") codec = {"-q:a", "2"};
        if (QString(name) == "bare.mp3") codec = {"-write_xing", "0"};
        ffmpeg(QStringList{"-i", wav} + codec + QStringList{full});
        const QByteArray bytes = readBytes(full);
        int bad1 = 0, bad2 = 0, opened = 0;
        for (int kind = 0; kind < 40; ++kind) {
            QByteArray b = bytes;
            if (kind % 4 == 1) b = b.left(b.size() * (2 + rng() % 8) / 10);
            if (kind % 4 == 2) { qsizetype a = rng() % b.size(), l = rng() % (b.size() / 5); for (qsizetype i = a; i < std::min(b.size(), a + l); ++i) b[i] = char(rng()); }
            if (kind % 4 == 3 || kind % 4 == 0) for (int i = 0; i < 1 + (int)(rng() % 200); ++i) b[rng() % b.size()] = char(rng());
            const QString path = dir.filePath(QString("k%1_").arg(kind) + name);
            writeBytes(path, b);
            FfmpegReader r;
            try { r.open(path); } catch (const TamselError& e) { continue; }
            ++opened;
            const int64_t n = r.samples();
            for (int k = 0; k < 30; ++k) {
                const int64_t t = int64_t(rng() % (n + 200)) - 100;
                const int64_t p = r.seek(t);
                const Block a = r.read(300);
                if (p < 0 || p > n) { ++bad1; printf("%s n=%lld t=%lld p=%lld\n", qPrintable(path.section('/', -1)), (long long)n, (long long)t, (long long)p); }
                const int64_t q = r.seek(p);
                const Block bb = r.read(300);
                if (q != p || a.samples != bb.samples) { ++bad2; printf("%s n=%lld t=%lld p=%lld q=%lld %lld/%lld diff %g\n", qPrintable(path.section('/', -1)), (long long)n, (long long)t, (long long)p, (long long)q, (long long)a.frames(), (long long)bb.frames(), a.frames() == bb.frames() ? maxDiff(a.samples, 0, bb.samples, 0, a.frames(), 2) : -1.0); }
            }
        }
        printf("%s opened %d range %d again %d\n", name, opened, bad1, bad2);
    }
}
}
