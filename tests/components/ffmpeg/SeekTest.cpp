// Seeking lands on the exact frame asked for (WMA: close to it), is clamped
// to the file, and reading goes on from there.

#include "ReaderTestUtil.h"

#include "components/ffmpeg/FfmpegReader.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>

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

// Compressed formats: after a seek the frames equal the peer's full decode at
// that index (decoders are warmed up before the target).
TEST(ReaderSeek, CompressedFormatsMatchFullDecodeAtTarget)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("sweep.wav");
    testsupport::runPeer("sox", {"-n", "-r", "44100", "-c", "2", wav, "synth", "4", "sine",
                                 "100-8000", "vol", "0.5"});
    struct Case {
        const char* name;
        QStringList codec;
        double tolerance;
    };
    // VBR MP3 leans on its bit reservoir, so a short warm-up is not enough;
    // AAC after a seek is in place but not bit-exact.
    const Case cases[] = {{"lame.mp3", {"-c:a", "libmp3lame"}, 1e-6},
                          {"lame_vbr.mp3", {"-c:a", "libmp3lame", "-q:a", "2"}, 1e-6},
                          {"vorbis.ogg", {"-c:a", "libvorbis"}, 1e-6},
                          {"lossless.flac", {"-c:a", "flac"}, 1e-6},
                          {"aac.m4a", {"-c:a", "aac"}, 0.05}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = dir.filePath(c.name);
        ffmpeg(QStringList{"-i", wav} + c.codec + QStringList{file});
        const std::vector<float> peer = peerDecode(file, "ffmpeg");
        FfmpegReader reader;
        reader.open(file);
        const int64_t n = reader.samples();
        ASSERT_EQ(n, 176400);
        const int64_t targets[] = {100000, 0, 1, 4097, 88200, n - 100, 50000, 150001,
                                   3,      30000, 160000, 17000, 120000, 29676};
        for (int64_t t : targets) {
            SCOPED_TRACE(t);
            ASSERT_EQ(reader.seek(t), t);
            const Block b = reader.read(1024);
            ASSERT_EQ(b.frames(), std::min<int64_t>(1024, n - t));
            EXPECT_LE(maxDiff(b.samples, 0, peer, t, b.frames(), 2), c.tolerance);
        }
        EXPECT_EQ(reader.seek(n + 1), n);
        EXPECT_TRUE(reader.read(10).empty());
    }
}

// Finds where a short excerpt sits in a whole decode, within +-range frames
// of a guess, by the smallest squared difference.
int64_t locate(const std::vector<float>& excerpt, const std::vector<float>& whole, int64_t guess,
               int64_t range)
{
    int64_t best = -1;
    double bestErr = INFINITY;
    const int64_t frames = static_cast<int64_t>(excerpt.size() / 2);
    for (int64_t at = std::max<int64_t>(0, guess - range); at <= guess + range; ++at) {
        if ((at + frames) * 2 > static_cast<int64_t>(whole.size())) break;
        double err = 0;
        for (int64_t i = 0; i < frames * 2 && err < bestErr; ++i) {
            const double d = excerpt[i] - whole[at * 2 + i];
            err += d * d;
        }
        if (err < bestErr) {
            bestErr = err;
            best = at;
        }
    }
    return best;
}

TEST(ReaderSeek, WmaLandsWithinItsTimestampPrecision)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("noise.wav");
    const QString wma = dir.filePath("noise.wma");
    testsupport::runPeer("sox", {"-n", "-r", "44100", "-c", "2", wav, "synth", "4", "whitenoise",
                                 "vol", "0.5"});
    ffmpeg({"-i", wav, "-c:a", "wmav2", "-b:a", "192k", wma});
    FfmpegReader reader;
    reader.open(wma);
    const std::vector<float> whole = readAll(reader, 8192);
    for (int64_t t : {30000, 100000, 5000, 150000}) {
        SCOPED_TRACE(t);
        const int64_t landed = reader.seek(t);
        EXPECT_EQ(landed, t);
        const Block b = reader.read(512);
        ASSERT_EQ(b.frames(), 512);
        EXPECT_NEAR(static_cast<double>(locate(b.samples, whole, t, 8820)), t, 0.1 * 44100);
    }
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
