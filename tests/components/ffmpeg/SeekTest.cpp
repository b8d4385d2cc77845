// Seeking a WAV lands on the exact frame asked for, is clamped to the file,
// and reading goes on from there; intact compressed formats are sought in
// FormatsTest, damaged ones here.

#include "../ComponentTestSupport.h"
#include "ReaderTestUtil.h"

#include "components/ffmpeg/FfmpegReader.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <random>

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

// Damaged copies of MP3 and WMA files: a seek lands inside [0, samples()],
// and wherever the damage leaves the file's timestamps in step with its
// frames (before the damage, anywhere in a copy only cut short) it lands
// exactly where reading from the start has that frame.
TEST(ReaderSeek, DamagedFilesLandInsideTheFileAndWhereTheySay)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("noise.wav");
    testsupport::runPeer("sox", {"-R", "-n", "-r", "44100", "-c", "2", wav, "synth", "4",
                                 "whitenoise", "vol", "0.5"});
    std::mt19937 rng(1);
    const QStringList codecs[] = {{"-c:a", "libmp3lame"},
                                  {"-c:a", "libmp3lame", "-q:a", "2"},
                                  {"-c:a", "libmp3lame", "-write_xing", "0"},
                                  {"-c:a", "wmav2"}};
    for (const QStringList& codec : codecs) {
        const QString ext = codec.contains("wmav2") ? ".wma" : ".mp3";
        const QString full = dir.filePath("full" + ext);
        ffmpeg(QStringList{"-i", wav} + codec + QStringList{full});
        const QByteArray bytes = readBytes(full);
        const auto size = bytes.size();
        int opened = 0;
        for (int copy = 0; copy < 10; ++copy) {
            SCOPED_TRACE(codec.join(' ').toStdString() + " copy " + std::to_string(copy));
            QByteArray b = bytes;
            qsizetype intact = size;  // bytes before the first damaged one
            if (copy % 3 == 1) {
                b.truncate(size * (3 + copy % 7) / 10);
            } else if (copy % 3 == 2) {
                intact = size * 4 / 10 + rng() % (size / 5);
                for (qsizetype i = intact; i < intact + size / 10; ++i) b[i] = static_cast<char>(rng());
            } else if (copy > 0) {
                for (int i = 0, flips = 1 + static_cast<int>(rng() % 100); i < flips; ++i) {
                    const qsizetype at = size / 10 + static_cast<qsizetype>(rng() % (size * 8 / 10));
                    b[at] = static_cast<char>(rng());
                    intact = std::min(intact, at);
                }
            }
            const QString file = dir.filePath(QString("copy%1").arg(copy) + ext);
            writeBytes(file, b);
            FfmpegReader reader;
            try {
                reader.open(file);
            } catch (const TamselError&) {
                continue;
            }
            ++opened;
            const std::vector<float> whole = readAll(reader, 4100);
            const auto decoded = static_cast<int64_t>(whole.size() / 2);
            const int64_t n = reader.samples();
            // Frames safely before the damage, by the share of intact bytes.
            const int64_t safe = n * intact / size - n / 10;
            for (int k = 0; k < 25; ++k) {
                const int64_t t = static_cast<int64_t>(rng() % static_cast<uint64_t>(n + 200)) - 100;
                SCOPED_TRACE(t);
                const int64_t p = reader.seek(t);
                ASSERT_GE(p, 0);
                ASSERT_LE(p, n);
                const Block block = reader.read(300);
                if (t >= safe) continue;
                ASSERT_EQ(p, std::clamp<int64_t>(t, 0, decoded));
                ASSERT_EQ(block.frames(), std::min<int64_t>(300, decoded - p));
                EXPECT_LE(maxDiff(block.samples, 0, whole, p, block.frames(), 2), 1e-6);
            }
        }
        EXPECT_GE(opened, 5);
    }
}

}  // namespace
