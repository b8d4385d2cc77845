// Ogg Vorbis in both modes and the encoder's verdict on bitrate sets; the byte
// layout of headerless output for each coding number.

#include "../ComponentTestSupport.h"
#include "WriterTestUtil.h"
#include "components/file/AudioFile.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace writertest;
using testsupport::probeAudioStream;

namespace {

TEST(OggWriter, QualityModeWritesVorbisOfTheChosenFormat)
{
    QTemporaryDir dir;
    for (const auto& [rate, channels, quality] :
         {std::tuple{44100, 2, 300}, {22050, 1, -100}, {48000, 2, 1000}, {8000, 1, 500}}) {
        SCOPED_TRACE(QString("%1 Hz %2 ch q%3").arg(rate).arg(channels).arg(quality).toStdString());
        const QString file = dir.filePath("q.OGG");
        AudioFile f;
        f.SetOggFormat(rate, channels, 256, 128, 128, quality);
        f.OpenWrite(file);
        EXPECT_EQ(f.ArraySampleRate(), rate);
        EXPECT_EQ(f.ArrayChannels(), channels);
        f.WriteArray(tone(440, 1.0, rate, channels));
        f.CloseFile();
        const QJsonObject s = probeAudioStream(file);
        EXPECT_EQ(s.value("codec_name").toString(), "vorbis");
        EXPECT_EQ(s.value("sample_rate").toString().toInt(), rate);
        EXPECT_EQ(s.value("channels").toInt(), channels);
        EXPECT_EQ(soxFrames(file), rate);
        EXPECT_NEAR(firstChannelFrequency(file), 440, 440 * 0.03);
    }
}

TEST(OggWriter, ManagedModeCarriesTheNominalBitrate)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("m.OGG");
    AudioFile f;
    ASSERT_TRUE(f.CheckOggFormat(44100, 2, 160, 128, 192));
    f.SetOggFormat(44100, 2, 160, 128, 192, 0);
    EXPECT_EQ(f.Bitrate(), 160000);
    f.OpenWrite(file);
    f.SetInputFormat(22050, 1);
    f.WriteArray(bare(tone(440, 2.0, 22050, 1)));
    f.CloseFile();
    const QJsonObject s = probeAudioStream(file);
    EXPECT_EQ(s.value("codec_name").toString(), "vorbis");
    EXPECT_EQ(s.value("channels").toInt(), 2);
    EXPECT_EQ(s.value("bit_rate").toString().toInt(), 160000);
    EXPECT_NEAR(soxFrames(file), 88200, 2);
}

TEST(OggWriter, CheckIsTheEncodersVerdictAndRefusedSetsLeaveNoFile)
{
    AudioFile f;
    EXPECT_FALSE(f.CheckOggFormat(8000, 1, 320, 320, 320));
    EXPECT_FALSE(f.CheckOggFormat(8000, 1, 112, 8, 320));
    EXPECT_FALSE(f.CheckOggFormat(6000, 2, 112, 112, 112));
    // Bounds that do not bracket the nominal rate are still the encoder's call.
    EXPECT_TRUE(f.CheckOggFormat(44100, 2, 256, 128, 128));
    EXPECT_TRUE(f.CheckOggFormat(48000, 2, 320, 320, 320));
    EXPECT_TRUE(f.CheckOggFormat(44100, 1, 112, 8, 320));

    QTemporaryDir dir;
    const QString file = dir.filePath("refused.OGG");
    f.SetOggFormat(8000, 1, 320, 320, 320, 0);
    try {
        f.OpenWrite(file);
        FAIL() << "a refused set was opened";
    } catch (const TamselError& e) {
        EXPECT_TRUE(e.message().contains(file)) << e.what();
    }
    EXPECT_FALSE(f.IsOpen());
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_THROW(f.SetOggFormat(44100, 2, 256, 128, 128, 1001), TamselError);
    EXPECT_THROW(f.SetOggFormat(44100, 2, 256, 128, 128, -101), TamselError);
}

TEST(RawWriter, EachCodingNumberHasItsByteLayout)
{
    struct Case {
        int coding;
        int bits;
        float value;
        QByteArray firstSample;
    };
    const Case cases[] = {
        {0, 16, 0.25f, QByteArray::fromHex("0020")},
        {2, 16, 0.25f, QByteArray::fromHex("2000")},
        {1, 16, 0.25f, QByteArray::fromHex("0020")},
        {0, 8, 0.25f, QByteArray::fromHex("20")},
        {1, 8, 0.25f, QByteArray::fromHex("a0")},
        {2, 8, -0.25f, QByteArray::fromHex("e0")},
        {0, 32, 0.25f, QByteArray::fromHex("00000020")},
        {2, 32, 0.25f, QByteArray::fromHex("20000000")},
        {3, 16, 0.25f, QByteArray::fromHex("0000803e")},
        {0, 4, 0.3f, QByteArray::fromHex("20")},  // 2 of 8 steps, not 0.3 * 128
        {1, 2, -0.3f, QByteArray::fromHex("40")},
        {9, 16, 0.25f, QByteArray::fromHex("0020")},  // unknown numbers: signed little-endian
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("coding %1, %2 bits").arg(c.coding).arg(c.bits).toStdString());
        const QString file = dir.filePath("t.raw");
        const int frames = 1000;
        Block b;
        b.samples.assign(frames * 2, c.value);
        AudioFile f;
        f.SetRawFormat(c.coding, 32000, 2, c.bits);
        f.OpenWrite(file);
        f.WriteArray(b);
        f.CloseFile();
        const QByteArray bytes = readBytes(file);
        ASSERT_EQ(bytes.size(), frames * 2 * c.firstSample.size());
        EXPECT_EQ(bytes.left(c.firstSample.size()).toHex(), c.firstSample.toHex());
        EXPECT_EQ(bytes.right(c.firstSample.size()).toHex(), c.firstSample.toHex());
    }
}

}  // namespace
