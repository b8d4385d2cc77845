// FLAC, Opus and MP3 through the file component, checked with ffprobe and
// ffmpeg: the rate each stores, lengths, bitrates, refusals, files with no
// sound, and the chapter marks of every format.

#include "../ComponentTestSupport.h"
#include "WriterTestUtil.h"
#include "components/file/AudioFile.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <functional>

using namespace writertest;
using testsupport::probeAudioStream;
using Format = TAudioFile2::OutputFormat;

namespace {

struct Setting {
    Format format;
    int rate, channels;
    int bits = 16, quality = 2, kbps = 0;
};

void choose(AudioFile& f, const Setting& s)
{
    switch (s.format) {
    case Format::Flac: return f.SetFlacFormat(s.rate, s.channels, s.bits);
    case Format::Opus: return f.SetOpusFormat(s.rate, s.channels, s.kbps);
    case Format::Mp3: return f.SetMp3Format(s.rate, s.channels, s.quality, s.kbps);
    case Format::Ogg: return f.SetOggFormat(s.rate, s.channels, 128, 128, 128, 300);
    case Format::Raw: return f.SetRawFormat(0, s.rate, s.channels, s.bits);
    case Format::Wav: return f.SetWavFormat(s.rate, s.channels, s.bits);
    }
}

QString write(const QString& file, const Setting& s, const Block& block)
{
    AudioFile f;
    choose(f, s);
    f.OpenWrite(file);
    f.WriteArray(block);
    f.CloseFile();
    return file;
}

Block noise(double seconds, int rate, int channels)
{
    Block b;
    b.sampleRate = rate;
    b.channels = channels;
    QRandomGenerator random(7);
    b.samples.resize(size_t(seconds * rate) * channels);
    for (float& x : b.samples) x = float(random.bounded(1.0) - 0.5);
    return b;
}

QJsonArray chapters(const QString& file)
{
    const QString json = testsupport::runPeer("ffprobe", {"-v", "error", "-show_chapters", "-of", "json", file});
    return QJsonDocument::fromJson(json.toUtf8()).object().value("chapters").toArray();
}

TEST(EncodedWriter, EachFormatHoldsTheToneAtTheRateItStores)
{
    QTemporaryDir dir;
    struct Case {
        Setting s;
        int storedRate;
        const char* codec;
    };
    for (const Case& c : {Case{{Format::Flac, 44100, 2, 16}, 44100, "flac"},
                          Case{{Format::Flac, 48000, 1, 24}, 48000, "flac"},
                          Case{{Format::Opus, 44100, 2, 16, 0, 96}, 48000, "opus"},
                          Case{{Format::Opus, 22050, 1, 16, 0, 32}, 48000, "opus"},
                          Case{{Format::Mp3, 44100, 2, 16, 2, 0}, 44100, "mp3"},
                          Case{{Format::Mp3, 32000, 1, 16, 2, 128}, 32000, "mp3"},
                          Case{{Format::Mp3, 96000, 2, 16, 5, 0}, 48000, "mp3"}}) {
        const Setting& s = c.s;
        SCOPED_TRACE(QString("%1 %2 Hz %3 ch").arg(c.codec).arg(s.rate).arg(s.channels).toStdString());
        const QString file = dir.filePath(QString("t.") + c.codec);
        AudioFile f;
        choose(f, s);
        EXPECT_EQ(f.SampleRate(), c.storedRate);
        EXPECT_EQ(f.ArraySampleRate(), s.rate);
        EXPECT_EQ(f.ArrayChannels(), s.channels);
        EXPECT_EQ(f.Bitrate(), s.format == Format::Flac || s.kbps == 0 ? 0 : s.kbps * 1000);
        f.OpenWrite(file);
        f.SetInputFormat(s.rate, s.channels);
        f.WriteArray(bare(tone(440, 1.5, s.rate, s.channels)));
        f.CloseFile();

        const QJsonObject stream = probeAudioStream(file);
        EXPECT_EQ(stream.value("codec_name").toString(), c.codec);
        EXPECT_EQ(stream.value("sample_rate").toString().toInt(), c.storedRate);
        EXPECT_EQ(stream.value("channels").toInt(), s.channels);
        if (s.format == Format::Flac) {
            EXPECT_EQ(stream.value("bits_per_raw_sample").toString().toInt(), s.bits);
        }
        // Gapless: encoder delay and padding are announced, so players play
        // exactly what was written.
        EXPECT_NEAR(ffmpegFrames(file), 1.5 * c.storedRate, s.format == Format::Flac ? 0 : 2);
        EXPECT_NEAR(firstChannelFrequency(decodedWav(file, dir.filePath("d.wav"))), 440, 10);
    }
}

TEST(EncodedWriter, BitrateAndQualityReachTheEncoder)
{
    QTemporaryDir dir;
    const Block sound = noise(4, 44100, 2);
    const QString cbr = write(dir.filePath("cbr.mp3"), {Format::Mp3, 44100, 2, 16, 2, 128}, sound);
    EXPECT_EQ(probeAudioStream(cbr).value("bit_rate").toString().toInt(), 128000);
    const QString best = write(dir.filePath("best.mp3"), {Format::Mp3, 44100, 2, 16, 0, 0}, sound);
    const QString least = write(dir.filePath("least.mp3"), {Format::Mp3, 44100, 2, 16, 9, 0}, sound);
    EXPECT_GT(QFileInfo(best).size(), 2 * QFileInfo(least).size());
    for (const int kbps : {48, 160}) {
        const QString opus = write(dir.filePath("o.opus"), {Format::Opus, 44100, 2, 16, 0, kbps}, sound);
        const double bits = QFileInfo(opus).size() * 8.0 / 4;
        EXPECT_NEAR(bits, kbps * 1000, kbps * 1000 * 0.15) << kbps;
    }
}

TEST(EncodedWriter, RefusesWhatTheFormatCannotHoldAndLeavesNoFile)
{
    QTemporaryDir dir;
    struct Case {
        Setting s;
        const char* reason;
    };
    for (const Case& c : {Case{{Format::Flac, 44100, 2, 8}, "16 or 24 bits"},
                          Case{{Format::Flac, 44100, 9, 16}, "1 to 8 channels"},
                          Case{{Format::Mp3, 44100, 3}, "1 or 2 channels"},
                          Case{{Format::Mp3, 22050, 2, 16, 2, 192}, "8 to 160 kbit/s"},
                          Case{{Format::Mp3, 44100, 2, 16, 10, 0}, "0 to 9"},
                          Case{{Format::Opus, 44100, 2, 16, 0, 8}, "12 to 512 kbit/s"}}) {
        SCOPED_TRACE(c.reason);
        AudioFile f;
        EXPECT_TRUE(errorOf([&] { choose(f, c.s); }).contains(c.reason));
    }
    // A refused choice keeps the one before.
    AudioFile f;
    f.SetFlacFormat(44100, 2, 24);
    errorOf([&] { f.SetMp3Format(44100, 3, 2, 0); });
    f.OpenWrite(dir.filePath("kept.flac"));
    f.CloseFile();
    EXPECT_EQ(probeAudioStream(dir.filePath("kept.flac")).value("codec_name").toString(), "flac");
}

TEST(EncodedWriter, FilesWithoutSoundStateSoExactly)
{
    QTemporaryDir dir;
    const QString wav = write(dir.filePath("e.wav"), {Format::Wav, 44100, 2}, Block{});
    const QByteArray bytes = readBytes(wav);
    ASSERT_GE(bytes.size(), 12);
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(bytes.size() - 8));
    EXPECT_EQ(soxFrames(wav), 0);
    const QString flac = write(dir.filePath("e.flac"), {Format::Flac, 44100, 2}, Block{});
    EXPECT_EQ(probeAudioStream(flac).value("codec_name").toString(), "flac");
    EXPECT_EQ(ffmpegFrames(flac), 0);
    // One packet that decodes to nothing; marks are not stored in what
    // holds no sound.
    AudioFile f;
    f.SetOpusFormat(44100, 2, 96);
    f.OpenWrite(dir.filePath("e.opus"));
    f.SetChapters({{0, "None"}});
    f.CloseFile();
    const QString opus = dir.filePath("e.opus");
    EXPECT_EQ(probeAudioStream(opus).value("codec_name").toString(), "opus");
    EXPECT_EQ(ffmpegFrames(opus), 0);
}

// Each format keeps the marks as its players read them; headerless files
// keep none, and a new file starts without the last one's.
TEST(EncodedWriter, ChapterMarksInEveryFormat)
{
    QTemporaryDir dir;
    const QString names[] = {"One", "Zwei, \u00e9t\u00e9", "Three"};
    for (const Setting& s : {Setting{Format::Wav, 44100, 2}, Setting{Format::Flac, 48000, 1},
                             Setting{Format::Opus, 44100, 2, 16, 0, 64}, Setting{Format::Mp3, 44100, 2},
                             Setting{Format::Ogg, 44100, 2}}) {
        const QString file = dir.filePath("c" + TAudioFile2::ExtensionOf(s.format));
        SCOPED_TRACE(file.toStdString());
        AudioFile f;
        choose(f, s);
        f.OpenWrite(file);
        const int rate = f.SampleRate();
        f.SetChapters({{0, names[0]}, {rate, names[1]}, {rate * 5 / 2, names[2]}});
        f.WriteArray(tone(440, 3, s.rate, s.channels));
        f.CloseFile();
        const QJsonArray marks = chapters(file);
        ASSERT_EQ(marks.size(), 3);
        const double starts[] = {0, 1, 2.5};
        for (int i = 0; i < 3; ++i) {
            const QJsonObject m = marks[i].toObject();
            EXPECT_NEAR(m.value("start_time").toString().toDouble(), starts[i], 0.001) << i;
            EXPECT_EQ(m.value("tags").toObject().value("title").toString(), names[i]) << i;
        }
        EXPECT_NEAR(marks[2].toObject().value("end_time").toString().toDouble(), 3, 0.03);
    }
    AudioFile f;
    f.SetRawFormat(0, 8000, 1, 16);
    f.OpenWrite(dir.filePath("c.raw"));
    f.SetChapters({{0, "None"}});
    f.WriteArray(tone(440, 1, 8000, 1));
    f.CloseFile();
    EXPECT_EQ(QFileInfo(dir.filePath("c.raw")).size(), 16000);
    f.SetWavFormat(8000, 1, 16);
    f.OpenWrite(dir.filePath("c.wav"));
    f.WriteArray(tone(440, 1, 8000, 1));
    f.CloseFile();
    EXPECT_TRUE(chapters(dir.filePath("c.wav")).isEmpty());
}

}  // namespace
