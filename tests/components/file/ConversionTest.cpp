// Blocks in another rate or channel count are converted to the file's format
// without losing length or changing pitch (a join of mixed inputs in one file
// is proven by the join tests).

#include "WriterTestUtil.h"
#include "components/file/AudioFile.h"
#include "support/TestSupport.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace writertest;

namespace {

QString writeCd(const QTemporaryDir& dir, const QString& name,
                const std::function<void(AudioFile&)>& body)
{
    const QString file = dir.filePath(name);
    AudioFile f;
    f.SetWavFormat(44100, 2, 16);
    f.OpenWrite(file);
    body(f);
    f.CloseFile();
    return file;
}

TEST(Conversion, MonoAtHalfRateBecomesStereoWithSameLengthAndPitch)
{
    QTemporaryDir dir;
    const QString file = writeCd(dir, "up.wav", [](AudioFile& f) {
        f.SetInputFormat(22050, 1);
        // Recorder-sized pieces, so the converter's carry-over between blocks counts.
        const Block whole = bare(tone(440, 2.0, 22050, 1));
        for (size_t at = 0; at < whole.samples.size(); at += 4410) {
            Block piece;
            piece.samples.assign(whole.samples.begin() + at,
                                 whole.samples.begin()
                                     + std::min(whole.samples.size(), at + 4410));
            f.WriteArray(piece);
        }
    });
    EXPECT_NEAR(soxFrames(file), 88200, 2);
    EXPECT_NEAR(firstChannelFrequency(file), 440, 440 * 0.02);
    EXPECT_NEAR(testsupport::soxStat(file, "RMS     amplitude"), 0.5 / std::sqrt(2.0), 0.02);
    const std::vector<int16_t> pcm = soxPcm16(file);
    ASSERT_EQ(pcm.size() % 2, 0u);
    for (size_t i = 0; i < pcm.size(); i += 2) ASSERT_EQ(pcm[i], pcm[i + 1]) << "frame " << i / 2;
}

TEST(Conversion, StereoDownToMonoIsTheMeanOfBothSides)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("mono.wav");
    AudioFile f;
    f.SetWavFormat(44100, 1, 16);
    f.OpenWrite(file);
    Block b = bare(tone(440, 1.0, 44100, 2, 0.5f));
    for (size_t i = 1; i < b.samples.size(); i += 2) b.samples[i] = 0.0f;  // right side silent
    f.SetInputFormat(44100, 2);
    f.WriteArray(b);
    f.CloseFile();
    EXPECT_EQ(soxFrames(file), 44100);
    EXPECT_NEAR(testsupport::soxStat(file, "Maximum amplitude"), 0.25, 0.01);
}

TEST(Conversion, InputFormatLastsOnlyUntilTheFileIsClosed)
{
    QTemporaryDir dir;
    // The recorder's blocks follow ArraySampleRate/ArrayChannels: no conversion.
    AudioFile f;
    f.SetWavFormat(44100, 2, 16);
    f.SetInputFormat(22050, 1);
    f.OpenWrite(dir.filePath("a.wav"));
    f.WriteArray(bare(tone(440, 0.5, 22050, 1)));
    f.CloseFile();
    f.OpenWrite(dir.filePath("b.wav"));
    f.WriteArray(bare(tone(440, 0.5, 44100, 2)));
    EXPECT_EQ(f.Samples(), 22050);
    f.CloseFile();
    EXPECT_NEAR(soxFrames(dir.filePath("a.wav")), 22050, 2);
    EXPECT_EQ(soxFrames(dir.filePath("b.wav")), 22050);
}

}  // namespace
