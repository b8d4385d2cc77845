// Each format decodes at its own rate and channel count, to the right length,
// to the same samples a peer decoder produces, and seeks in place.

#include "../ComponentTestSupport.h"
#include "ReaderTestUtil.h"

#include "components/ffmpeg/FfmpegReader.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <climits>
#include <cmath>

using namespace readertest;

namespace {

struct WavCase {
    const char* name;
    int rate;
    int channels;
    int bits;
    QStringList soxOptions;
};

class WavFormats : public ::testing::TestWithParam<WavCase> {};

TEST_P(WavFormats, DecodesLikeSoxWithExactLength)
{
    const WavCase& c = GetParam();
    QTemporaryDir dir;
    const QString file = dir.filePath(QString(c.name) + ".wav");
    testsupport::makeTone(file, 1000, 1.5, c.rate, c.channels, c.soxOptions);
    FfmpegReader reader;
    reader.open(file);
    EXPECT_EQ(reader.sampleRate(), c.rate);
    EXPECT_EQ(reader.channels(), c.channels);
    const int64_t frames = c.rate * 3 / 2;
    EXPECT_EQ(reader.samples(), frames);
    EXPECT_EQ(reader.durationMs(), 1500);
    EXPECT_EQ(reader.bitrate(), c.rate * c.channels * c.bits);
    const std::vector<float> got = readAll(reader, 4100);
    const std::vector<float> peer = peerDecode(file, "sox");
    ASSERT_EQ(static_cast<int64_t>(got.size()), frames * c.channels);
    ASSERT_EQ(peer.size(), got.size());
    EXPECT_LE(maxDiff(got, 0, peer, 0, frames, c.channels), 1e-6);
}

INSTANTIATE_TEST_SUITE_P(
    Reader, WavFormats,
    ::testing::Values(WavCase{"u8_mono_22050", 22050, 1, 8, {"-b", "8"}},
                      WavCase{"s16_stereo_44100", 44100, 2, 16, {"-b", "16"}},
                      WavCase{"s24_stereo_48000", 48000, 2, 24, {"-b", "24"}},
                      WavCase{"s32_mono_44100", 44100, 1, 32, {"-e", "signed-integer", "-b", "32"}},
                      WavCase{"f32_stereo_48000", 48000, 2, 32, {"-e", "floating-point", "-b", "32"}},
                      WavCase{"s16_six_48000", 48000, 6, 16, {"-b", "16"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every compressed format once, one of them mono at another rate, through
// one reader reopened for each: its format and exact length, every frame as a
// peer decodes it, and seeks landing on the peer's frame (decoders are warmed
// up before the target).
TEST(CompressedFormats, ExactLengthDecodeAndSeekMatchThePeer)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("sweep.wav");
    testsupport::runPeer("sox", {"-n", "-r", "44100", "-c", "2", wav, "synth", "4", "sine", "100-8000", "vol", "0.5"});
    struct Case {
        const char* name;
        QStringList codec;
        int rate, channels, bitrate;  // bitrate 0: any positive rate
        QString peer;
        double seekTolerance;
    };
    // VBR MP3 leans on its bit reservoir, so a short warm-up is not enough;
    // AAC after a seek is in place but not bit-exact.
    const Case cases[] = {
        {"lame.mp3", {"-c:a", "libmp3lame", "-b:a", "192k"}, 44100, 2, 192000, "ffmpeg", 1e-6},
        {"vbr_mono48.mp3", {"-ac", "1", "-ar", "48000", "-c:a", "libmp3lame", "-q:a", "2"}, 48000, 1, 0, "ffmpeg", 1e-6},
        {"vorbis.ogg", {"-c:a", "libvorbis"}, 44100, 2, 0, "ffmpeg", 1e-6},
        {"lossless.flac", {"-c:a", "flac"}, 44100, 2, 0, "sox", 1e-6},
        {"aac.m4a", {"-c:a", "aac"}, 44100, 2, 0, "ffmpeg", 0.05},
    };
    FfmpegReader reader;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = dir.filePath(c.name);
        ffmpeg(QStringList{"-i", wav} + c.codec + QStringList{file});
        reader.open(file);
        const int64_t n = 4 * c.rate;
        EXPECT_EQ(reader.fileName(), file);
        EXPECT_EQ(reader.sampleRate(), c.rate);
        EXPECT_EQ(reader.channels(), c.channels);
        ASSERT_EQ(reader.samples(), n);
        EXPECT_EQ(reader.durationMs(), 4000);
        EXPECT_GT(reader.bitrate(), 0);
        if (c.bitrate) {
            EXPECT_EQ(reader.bitrate(), c.bitrate);
        }
        const std::vector<float> got = readAll(reader, 4100);
        ASSERT_EQ(static_cast<int64_t>(got.size()), n * c.channels);
        const std::vector<float> peer = peerDecode(file, c.peer);
        ASSERT_GE(peer.size(), got.size());  // the peer may add the decoder's end padding
        EXPECT_LE(maxDiff(got, 0, peer, 0, n, c.channels), 1e-6);
        const int64_t targets[] = {100000, 0, 1, 4097, 88200, n - 100, 50000, 150001,
                                   3,      30000, 160000, 17000, 120000, 29676};
        for (int64_t t : targets) {
            SCOPED_TRACE(t);
            ASSERT_EQ(reader.seek(t), t);
            const Block b = reader.read(1024);
            ASSERT_EQ(b.frames(), std::min<int64_t>(1024, n - t));
            EXPECT_LE(maxDiff(b.samples, 0, peer, t, b.frames(), c.channels), c.seekTolerance);
        }
        EXPECT_EQ(reader.seek(n + 1), n);
        EXPECT_TRUE(reader.read(10).empty());
    }
}

// An MP3 without a LAME header keeps the encoder delay and its length is an
// estimate. WMA loses its first 2048 frames and is padded; its timestamps are
// whole milliseconds, yet seeks land on the exact frame. Both stay within
// their codec's slack.
TEST(InexactFormats, StayWithinTheirCodecsSlack)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("noise.wav");
    testsupport::runPeer("sox", {"-n", "-r", "44100", "-c", "2", wav, "synth", "4", "whitenoise", "vol", "0.5"});
    const QString bare = dir.filePath("bare.mp3");
    ffmpeg({"-i", wav, "-c:a", "libmp3lame", "-write_xing", "0", bare});
    FfmpegReader reader;
    reader.open(bare);
    EXPECT_NEAR(static_cast<double>(reader.samples()), 176400, 3 * 1152);
    const std::vector<float> got = readAll(reader, 4100);
    const std::vector<float> peer = peerDecode(bare, "ffmpeg");
    ASSERT_EQ(got.size(), peer.size());
    EXPECT_LE(maxDiff(got, 0, peer, 0, static_cast<int64_t>(got.size() / 2), 2), 1e-6);

    const QString wma = dir.filePath("noise.wma");
    ffmpeg({"-i", wav, "-c:a", "wmav2", "-b:a", "192k", wma});
    reader.open(wma);
    EXPECT_EQ(reader.sampleRate(), 44100);
    EXPECT_EQ(reader.channels(), 2);
    EXPECT_NEAR(static_cast<double>(reader.samples()), 176400, 4096);
    EXPECT_NEAR(static_cast<double>(reader.durationMs()), 4000, 100);
    EXPECT_NEAR(reader.bitrate(), 192000, 24000);
    const std::vector<float> whole = readAll(reader, 8192);
    EXPECT_NEAR(static_cast<double>(whole.size() / 2), 176400, 4096);
    EXPECT_LE(maxDiff(whole, 0, peerDecode(wma, "ffmpeg"), 0, 170000, 2), 1e-6);
    for (int64_t t : {30000, 100000, 5000, 150000, 61234}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(reader.seek(t), t);
        const Block b = reader.read(512);
        ASSERT_EQ(b.frames(), 512);
        EXPECT_LE(maxDiff(b.samples, 0, whole, t, 512, 2), 1e-6);
    }
    // WMA 1 at a lower rate codes shorter frames.
    const QString wma1 = dir.filePath("noise1.wma");
    ffmpeg({"-i", wav, "-ar", "22050", "-c:a", "wmav1", wma1});
    reader.open(wma1);
    const std::vector<float> whole1 = readAll(reader, 8192);
    for (int64_t t : {30000, 50001, 12345}) {
        SCOPED_TRACE(t);
        EXPECT_EQ(reader.seek(t), t);
        EXPECT_LE(maxDiff(reader.read(512).samples, 0, whole1, t, 512, 2), 1e-6);
    }
}

TEST(ReaderBlocks, OddCountsDeliverTheSameStream)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("tone.ogg");
    testsupport::makeTone(file, 440, 1.0, 44100, 2);
    FfmpegReader whole;
    whole.open(file);
    const std::vector<float> reference = readAll(whole, 1 << 20);

    FfmpegReader pieces;
    pieces.open(file);
    std::vector<float> got;
    EXPECT_TRUE(pieces.read(0).empty());
    EXPECT_TRUE(pieces.read(-7).empty());
    const int counts[] = {1, 2, 3, 577, 4100, 10007};
    for (int i = 0;; ++i) {
        const Block b = pieces.read(counts[i % 6]);
        got.insert(got.end(), b.samples.begin(), b.samples.end());
        if (b.frames() < counts[i % 6]) break;  // only the last block may be short
    }
    EXPECT_EQ(got, reference);
    EXPECT_TRUE(pieces.read(4100).empty());
    EXPECT_TRUE(pieces.read(4100).empty());
}

// Any count asked of a many-channel, high-rate file gives blocks of at most
// 64 MiB, holding no more memory than that and a decoder frame: 10 s of 16
// channels at 192 kHz (a sparse file of silence).
TEST(ReaderBlocks, HugeCountsAreCappedAt64MiB)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("wide.wav");
    const qint64 frames = 1920000;
    const QByteArray header = pcmWav(192000, 16, {}, {}, frames * 32);
    writeBytes(file, header);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite) && f.resize(header.size() + frames * 32));
    f.close();
    FfmpegReader reader;
    reader.open(file);
    ASSERT_EQ(reader.samples(), frames);
    int64_t total = 0;
    for (Block b = reader.read(INT_MAX); !b.empty(); b = reader.read(INT_MAX)) {
        EXPECT_LE(b.samples.size() * sizeof(float), size_t{64} << 20);
        EXPECT_LE(b.samples.capacity(), b.samples.size() + 16 * 8192);  // and a decoder frame
        total += b.frames();
    }
    EXPECT_EQ(total, frames);
}

// Bytes this process has read from files so far (Linux).
qint64 bytesReadSoFar()
{
    QFile io("/proc/self/io");
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

// A PCM WAV states its whole format in its header, so opening it reads the
// header (in a few 32 KiB buffers), not packets of its audio to probe them.
TEST(ReaderOpen, PcmWavIsOpenedFromItsHeader)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("take.wav");
    testsupport::makeTone(file, 440, 10, 44100, 2);
    FfmpegReader reader;
    const qint64 before = bytesReadSoFar();
    ASSERT_GE(before, 0);
    reader.open(file);
    EXPECT_LT(bytesReadSoFar() - before, 128 * 1024);
    EXPECT_EQ(reader.samples(), 441000);
}

TEST(ReaderLifecycle, ClosedOrFailedReaderHoldsNothingAndRefusesToRead)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("tone.wav");
    testsupport::makeTone(file, 440, 0.2, 8000, 1);
    FfmpegReader reader;
    EXPECT_THROW(reader.read(10), TamselError);
    reader.open(file);
    EXPECT_EQ(reader.samples(), 1600);
    reader.close();
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.samples(), 0);
    EXPECT_EQ(reader.fileName(), QString());
    EXPECT_THROW(reader.seek(0), TamselError);
    reader.close();  // closing twice is harmless

    reader.open(file);
    EXPECT_THROW(reader.open(dir.filePath("gone.wav")), TamselError);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.samples(), 0);
}

}  // namespace
