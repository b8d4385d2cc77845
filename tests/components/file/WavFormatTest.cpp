// Every WAV format of the table (800 Hz is the small preset) comes out as that
// format; quantized depths round to their few levels.

#include "../ComponentTestSupport.h"
#include "WriterTestUtil.h"
#include "components/file/AudioFile.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace writertest;
using testsupport::probeAudioStream;

namespace {

const int kRates[] = {800, 6000, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
const int kBits[] = {2, 3, 4, 5, 8, 16, 32};

class WavTableFormat : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(WavTableFormat, ReadsBackAsWrittenInBothChannelCounts)
{
    const auto [rate, bits] = GetParam();
    QTemporaryDir dir;
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const QString file = dir.filePath(QString("t%1.wav").arg(channels));
        const int64_t frames = rate / 4;
        {
            AudioFile f;
            f.SetWavFormat(rate, channels, bits);
            f.OpenWrite(file);
            EXPECT_EQ(f.ArraySampleRate(), rate);
            EXPECT_EQ(f.ArrayChannels(), channels);
            f.WriteArray(ramp(frames, rate, channels, 3));
            EXPECT_EQ(f.Samples(), frames);
            f.CloseFile();
        }
        const QJsonObject s = probeAudioStream(file);
        EXPECT_EQ(s.value("sample_rate").toString().toInt(), rate);
        EXPECT_EQ(s.value("channels").toInt(), channels);
        EXPECT_EQ(s.value("bits_per_sample").toInt(), bits < 8 ? 8 : bits);
        EXPECT_EQ(s.value("duration_ts").toInteger(), frames);
        // RIFF and data sizes exact; depths under 8 bits take a byte.
        const QByteArray bytes = readBytes(file);
        EXPECT_EQ(bytes.left(4) + bytes.mid(8, 4), "RIFFWAVE");
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(bytes.size() - 8));
        const qsizetype data = bytes.indexOf("data");
        ASSERT_GT(data, 0);
        EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + data + 4),
                  quint32(frames * channels * std::max(1, bits / 8)));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WavTableFormat,
                         ::testing::Combine(::testing::ValuesIn(kRates), ::testing::ValuesIn(kBits)),
                         [](const auto& info) {
                             return QString("r%1_b%2").arg(std::get<0>(info.param))
                                 .arg(std::get<1>(info.param)).toStdString();
                         });

TEST(WavQuantization, RoundsToTheNearestLevelAndClipsAtTheTop)
{
    QTemporaryDir dir;
    for (int bits : {2, 3, 4, 5}) {
        SCOPED_TRACE(bits);
        const QString file = dir.filePath(QString("q%1.wav").arg(bits));
        const Block in = ramp(4001, 8000, 1);
        AudioFile f;
        f.SetWavFormat(8000, 1, bits);
        f.OpenWrite(file);
        f.WriteArray(in);
        f.CloseFile();

        const std::vector<int16_t> pcm = soxPcm16(file);
        ASSERT_EQ(pcm.size(), in.samples.size());
        const double half = 1 << (bits - 1);
        for (size_t i = 0; i < pcm.size(); ++i) {
            const double expected =
                std::clamp(std::round(in.samples[i] * half), -half, half - 1) / half;
            ASSERT_DOUBLE_EQ(pcm[i] / 32768.0, expected) << "at " << i << " input " << in.samples[i];
        }
    }
}

TEST(WavFormatChoice, RefusesFormatsItCannotWriteBeforeAnyFileExists)
{
    AudioFile f;
    EXPECT_THROW(f.SetWavFormat(44100, 2, 7), TamselError);
    EXPECT_THROW(f.SetWavFormat(44100, 0, 16), TamselError);
    EXPECT_THROW(f.SetWavFormat(0, 2, 16), TamselError);
    EXPECT_THROW(f.SetRawFormat(0, 44100, 2, 12), TamselError);
    // A refused choice leaves the previous one in force.
    f.SetWavFormat(22050, 1, 8);
    EXPECT_THROW(f.SetWavFormat(44100, 2, 1), TamselError);
    EXPECT_EQ(f.ArraySampleRate(), 22050);
    EXPECT_EQ(f.ArrayChannels(), 1);
    EXPECT_EQ(f.Bitrate(), 22050 * 8);
}

}  // namespace
