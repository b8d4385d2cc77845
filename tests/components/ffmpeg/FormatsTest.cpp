// Each format decodes at its own rate and channel count, to the right length
// and to the same samples a peer decoder produces.

#include "ReaderTestUtil.h"

#include "components/ffmpeg/FfmpegReader.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

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

class CompressedFormats : public ::testing::Test {
protected:
    void SetUp() override { testsupport::makeTone(wav, 1000, 2.5, 44100, 2); }
    QString encode(const QString& name, const QStringList& codecArgs)
    {
        const QString out = dir.filePath(name);
        ffmpeg(QStringList{"-i", wav} + codecArgs + QStringList{out});
        return out;
    }
    static constexpr int64_t kFrames = 110250;
    QTemporaryDir dir;
    QString wav = dir.filePath("source.wav");
};

// Formats whose length is stated exactly: every frame and only those come out,
// sample for sample as the peer's decode.
TEST_F(CompressedFormats, ExactLengthFormatsMatchPeerDecode)
{
    struct Case {
        QString file;
        QString peer;
        int bitrate;  // 0: any positive rate
    };
    const Case cases[] = {
        {encode("lame.mp3", {"-c:a", "libmp3lame", "-b:a", "192k"}), "ffmpeg", 192000},
        {encode("vorbis.ogg", {"-c:a", "libvorbis"}), "ffmpeg", 0},
        {encode("lossless.flac", {"-c:a", "flac"}), "sox", 0},
        {encode("aac.m4a", {"-c:a", "aac"}), "ffmpeg", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        FfmpegReader reader;
        reader.open(c.file);
        EXPECT_EQ(reader.sampleRate(), 44100);
        EXPECT_EQ(reader.channels(), 2);
        EXPECT_EQ(reader.samples(), kFrames);
        EXPECT_EQ(reader.durationMs(), 2500);
        EXPECT_GT(reader.bitrate(), 0);
        if (c.bitrate) {
            EXPECT_EQ(reader.bitrate(), c.bitrate);
        }
        const std::vector<float> got = readAll(reader, 4100);
        ASSERT_EQ(static_cast<int64_t>(got.size()), kFrames * 2);
        const std::vector<float> peer = peerDecode(c.file, c.peer);
        ASSERT_GE(peer.size(), got.size());  // the peer may add the decoder's end padding
        EXPECT_LE(maxDiff(got, 0, peer, 0, kFrames, 2), 1e-6);
    }
}

// An MP3 without a LAME header keeps the encoder delay and its length is an
// estimate; WMA loses its first 2048 frames and is padded. Both stay close.
TEST_F(CompressedFormats, InexactLengthFormatsStayWithinTheirCodecsSlack)
{
    const QString bare = encode("bare.mp3", {"-c:a", "libmp3lame", "-write_xing", "0"});
    FfmpegReader reader;
    reader.open(bare);
    EXPECT_NEAR(static_cast<double>(reader.samples()), kFrames, 3 * 1152);
    std::vector<float> got = readAll(reader, 4100);
    const std::vector<float> peer = peerDecode(bare, "ffmpeg");
    ASSERT_EQ(got.size(), peer.size());
    EXPECT_LE(maxDiff(got, 0, peer, 0, static_cast<int64_t>(got.size() / 2), 2), 1e-6);

    reader.open(encode("wma2.wma", {"-c:a", "wmav2", "-b:a", "128k"}));
    EXPECT_EQ(reader.sampleRate(), 44100);
    EXPECT_EQ(reader.channels(), 2);
    EXPECT_NEAR(static_cast<double>(reader.samples()), kFrames, 4096);
    EXPECT_NEAR(static_cast<double>(reader.durationMs()), 2500, 100);
    EXPECT_NEAR(reader.bitrate(), 128000, 16000);
    got = readAll(reader, 4100);
    EXPECT_NEAR(static_cast<double>(got.size() / 2), kFrames, 4096);
    // Leave out the codec's fade-in and padding.
    const std::vector<float> middle(got.begin() + 8192, got.end() - 8192);
    EXPECT_NEAR(toneFrequency(middle, 2, 44100), 1000, 10);
}

TEST_F(CompressedFormats, MonoAndOtherRatesKeepTheirFormatAcrossReopen)
{
    const QString ogg = dir.filePath("sox.ogg");
    testsupport::makeTone(ogg, 1000, 1.0, 22050, 1);
    const QString mp3 = encode("mono48.mp3", {"-ac", "1", "-ar", "48000", "-c:a", "libmp3lame"});
    FfmpegReader reader;
    reader.open(ogg);
    EXPECT_EQ(reader.sampleRate(), 22050);
    EXPECT_EQ(reader.channels(), 1);
    EXPECT_EQ(reader.samples(), 22050);
    EXPECT_EQ(readAll(reader, 1000).size(), 22050u);
    reader.open(mp3);
    EXPECT_EQ(reader.fileName(), mp3);
    EXPECT_EQ(reader.sampleRate(), 48000);
    EXPECT_EQ(reader.channels(), 1);
    EXPECT_EQ(reader.samples(), 120000);
    EXPECT_EQ(readAll(reader, 4100).size(), 120000u);
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
