// The component reads back what it wrote; other formats are read in the
// reader's own tests, reading and writing kept apart in WriterLifecycleTest.

#include "WriterTestUtil.h"
#include "components/file/AudioFile.h"
#include "platform/Error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace writertest;

namespace {

std::vector<float> readAll(AudioFile& f, int piece)
{
    std::vector<float> all;
    for (;;) {
        const Block b = f.ReadArray(piece);
        if (b.empty()) break;
        EXPECT_EQ(b.channels, f.ArrayChannels());
        all.insert(all.end(), b.samples.begin(), b.samples.end());
    }
    return all;
}

TEST(ReadThrough, SixteenBitWavComesBackWithinOneStep)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("rt.wav");
    const Block written = tone(997, 1.3, 44100, 2, 0.8f);
    {
        AudioFile w;
        w.SetWavFormat(44100, 2, 16);
        w.OpenWrite(file);
        w.WriteArray(written);
    }
    AudioFile r;
    r.OpenRead(file, 0, 1);
    EXPECT_EQ(r.SampleRate(), 44100);
    EXPECT_EQ(r.Channels(), 2);
    EXPECT_EQ(r.Samples(), written.frames());
    EXPECT_EQ(r.Duration(), 1300);
    EXPECT_EQ(r.Bitrate(), 44100 * 32);

    const std::vector<float> back = readAll(r, 4100);
    ASSERT_EQ(back.size(), written.samples.size());
    for (size_t i = 0; i < back.size(); ++i)
        ASSERT_NEAR(back[i], written.samples[i], 1.0 / 32768 + 1e-6) << "sample " << i;

    r.Seek(30000, 3);
    const Block at = r.ReadArray(10);
    ASSERT_EQ(at.frames(), 10);
    for (int i = 0; i < 20; ++i)
        EXPECT_NEAR(at.samples[i], written.samples[60000 + i], 1.0 / 32768 + 1e-6);
    r.CloseFile();
    EXPECT_FALSE(r.IsOpen());
}

TEST(ReadThrough, ClosedReaderRefusesToReadOrSeek)
{
    QTemporaryDir dir;
    AudioFile closed;
    EXPECT_THROW(closed.ReadArray(10), TamselError);
    EXPECT_THROW(closed.Seek(0, 3), TamselError);
    EXPECT_THROW(closed.OpenRead(dir.filePath("missing.wav")), TamselError);
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(closed.Samples(), 0);
}

}  // namespace
