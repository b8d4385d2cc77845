// Technical data of WAV layouts and of files only the probe can measure
// (the other kinds are measured in TagLibTagTest).

#include "../ComponentTestSupport.h"
#include "TagTestFiles.h"
#include "components/taglib/TagLibInformation.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using tagtest::Kind;

TEST(TagLibTechnical, WaveHeaderFormatTagIsReportedAsStored)
{
    QTemporaryDir dir;
    struct Case { QStringList soxOptions; int rate, channels, bits, formatTag; };
    // sox writes WAVE_FORMAT_EXTENSIBLE for 24-bit and a plain float tag for float.
    const Case cases[] = {
        {{"-b", "24"}, 48000, 1, 24, 0xFFFE},
        {{"-e", "floating-point", "-b", "32"}, 22050, 2, 32, 3},
        {{"-b", "8"}, 8000, 1, 8, 1},
    };
    for (const Case& c : cases) {
        const QString file = dir.filePath(QString("t%1.wav").arg(c.bits));
        testsupport::makeTone(file, 1000, 0.5, c.rate, c.channels, c.soxOptions);
        TagLibInformation info;
        info.ReadInfo(file);
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(info.infoFormatTag(), c.formatTag);
        EXPECT_EQ(info.infoBitsPerSample(), c.bits);
        EXPECT_EQ(info.infoFrequency(), c.rate);
        EXPECT_EQ(info.infoChannels(), c.channels);
        EXPECT_EQ(info.infoSamples(), c.rate / 2);
        EXPECT_EQ(info.infoDuration(), 500);
        EXPECT_EQ(info.infoBitrate(), c.rate * c.channels * c.bits);
    }
}

// True RF64 (a long recording) and a WAV cut off before its header was
// completed (sizes still 0) come from the probe; an injected probe is asked
// for those only and its 64-bit counts pass through.
TEST(TagLibTechnical, FilesTagLibCannotMeasureComeFromTheProbe)
{
    QTemporaryDir dir;
    const QString source = tagtest::makeFile(dir, Kind::Wav, "tone");
    const QString rf64 = dir.filePath("long.wav");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-i", source, "-c:a", "pcm_s16le",
                                    "-rf64", "always", rf64});
    QByteArray bytes = readBytes(source);
    const qsizetype data = bytes.indexOf("data");
    ASSERT_GT(data, 0);
    bytes.replace(4, 4, QByteArray(4, '\0'));
    bytes.replace(data + 4, 4, QByteArray(4, '\0'));
    const QString cut = dir.filePath("cut.wav");
    writeBytes(cut, bytes);

    for (const QString& file : {rf64, cut}) {
        SCOPED_TRACE(file.toStdString());
        TagLibInformation info;
        info.ReadInfo(file);
        EXPECT_EQ(info.infoFrequency(), 44100);
        EXPECT_EQ(info.infoChannels(), 2);
        EXPECT_EQ(info.infoSamples(), 44100);
        EXPECT_EQ(info.infoDuration(), 1000);
        EXPECT_EQ(info.infoBitsPerSample(), 16);
        EXPECT_EQ(info.infoFormatTag(), 1);
        EXPECT_EQ(info.infoSize(), QFileInfo(file).size());
        EXPECT_EQ(info.infoTitle(), QString());
    }

    QStringList asked;
    TagLibInformation info([&](const QString& file, TechnicalData& d) {
        asked << file;
        d.frequency = 96000;
        d.channels = 6;
        d.samples = 123456789012LL;
        d.duration = 1286008219;
        return true;
    });
    info.ReadInfo(source);
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(info.infoSamples(), 44100);
    info.ReadInfo(rf64);
    EXPECT_EQ(asked, QStringList{rf64});
    EXPECT_EQ(info.infoFrequency(), 96000);
    EXPECT_EQ(info.infoChannels(), 6);
    EXPECT_EQ(info.infoSamples(), 123456789012LL);
    EXPECT_EQ(info.infoDuration(), 1286008219);
}

// Header fields no real file has (found in damaged and crafted files) are
// shown as unknown, 0, never as overflowed or negative figures.
TEST(TagLibTechnical, ImpossibleHeaderValuesAreUnknown)
{
    QTemporaryDir dir;
    struct Case { tagtest::WaveHeader header; int rate, channels, bitrate, bits; };  // bits -1: any
    const QByteArray data(4096, '\x40');
    const Case cases[] = {
        // Each plausible, but rate times channels times bits passes 2^31.
        {{1, 255, 768000, 768000 * 2040, 2040, 64}, 768000, 255, 0, 64},
        {{1, 2, 0x7FFFFFFF, 0xFFFFFFFF, 4, 16}, 0, 2, 0, 16},
        {{1, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF, 0xFFFF}, 0, 0, 0, 0},
        // ADPCM stating more than 4 Gbit/s.
        {{2, 2, 44100, 0xFFFFFFF0, 2048, 4}, 44100, 2, 0, 4},
        {{1, 0, 44100, 0, 0, 16}, 44100, 0, 0, -1},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString file = dir.filePath(QString("crafted%1.wav").arg(n++));
        writeBytes(file, tagtest::waveBytes(c.header, data));
        SCOPED_TRACE(file.toStdString());
        TagLibInformation info;
        try {
            info.ReadInfo(file);
        } catch (const TamselError& e) {
            EXPECT_TRUE(e.message().contains(file));
            continue;
        }
        EXPECT_EQ(info.infoFrequency(), c.rate);
        EXPECT_EQ(info.infoChannels(), c.channels);
        EXPECT_EQ(info.infoBitrate(), c.bitrate);
        if (c.bits >= 0) {
            EXPECT_EQ(info.infoBitsPerSample(), c.bits);
        }
        EXPECT_GE(info.infoDuration(), 0);
        EXPECT_GE(info.infoSamples(), 0);
    }
}
