// Files stay valid however the writer ends, and misuse is reported with the
// file's name instead of doing harm.

#include "../ComponentTestSupport.h"
#include "WriterTestUtil.h"
#include "components/file/AudioFile.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace writertest;
using testsupport::probeAudioStream;

namespace {

int64_t headerFrames(const QString& file)
{
    return testsupport::probeAudioStream(file).value("duration_ts").toInteger(-1);
}

// Runs the writer child on file until it reports frames written, then kills
// it (SIGKILL: no destructor, no close); the frames it reported.
int64_t killedAfter(const QString& file, const QString& format, int64_t frames, const QString& intervalMs)
{
    QProcess child;
    child.start(WRITER_CHILD, {file, format, intervalMs});
    if (!child.waitForStarted(10000)) ADD_FAILURE() << "the writer child does not start";
    int64_t reported = 0;
    while (reported < frames) {
        if (!child.waitForReadyRead(10000)) {
            ADD_FAILURE() << child.readAllStandardError().toStdString();
            break;
        }
        while (child.canReadLine()) reported = child.readLine().trimmed().toLongLong();
    }
    child.kill();
    child.waitForFinished(10000);
    EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    return reported;
}

TEST(WriterEnding, KilledWriterLeavesValidWavWithAllButTheLastSecond)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("killed.wav");
    const int64_t reported = killedAfter(file, "wav", 3 * 44100, "40");

    const int64_t frames = soxFrames(file);  // soxi must read the header
    EXPECT_GE(frames, reported - 44100);
    EXPECT_EQ(headerFrames(file), frames);
    // The header never claims data that is not there.
    EXPECT_LE(frames * 4 + 44, QFileInfo(file).size());
    EXPECT_NEAR(firstChannelFrequency(file), 440, 10);
}

// Ten seconds into a recording, a killed writer leaves at least nine that a
// player decodes, in every format.
TEST(WriterEnding, KilledWriterLeavesAllButTheLastSecondInEveryFormat)
{
    QTemporaryDir dir;
    for (const QString format : {"flac", "opus", "mp3", "ogg"}) {
        SCOPED_TRACE(format.toStdString());
        const QString file = dir.filePath("killed." + format);
        killedAfter(file, format, 10 * 44100, "10");
        const int rate = probeAudioStream(file).value("sample_rate").toString().toInt();
        ASSERT_GT(rate, 0);
        EXPECT_GE(double(ffmpegFrames(file)) / rate, 9.0);
        EXPECT_NEAR(firstChannelFrequency(decodedWav(file, dir.filePath("decoded.wav"))), 440, 10);
    }
}

TEST(WriterEnding, DestroyingAnOpenWriterCompletesEveryFormat)
{
    QTemporaryDir dir;
    const int64_t frames = 57331;  // not a multiple of any slice
    for (const QString name : {"d.wav", "d.OGG"}) {
        SCOPED_TRACE(name.toStdString());
        const QString file = dir.filePath(name);
        {
            AudioFile f;
            if (name.endsWith(".wav"))
                f.SetWavFormat(44100, 2, 16);
            else
                f.SetOggFormat(44100, 2, 256, 128, 128, 300);
            f.OpenWrite(file);
            f.SetInputFormat(48000, 2);  // its converter tail must reach the file too
            f.WriteArray(bare(tone(440, double(frames) / 48000, 48000, 2)));
        }
        EXPECT_NEAR(soxFrames(file), frames * 44100 / 48000, 2);
        if (name.endsWith(".wav")) {
            const QByteArray bytes = readBytes(file);
            EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(bytes.size() - 8));
        }
    }
}

TEST(WriterEnding, ClosingTwiceIsHarmlessAndOpeningAgainCompletesTheFirst)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.wav");
    AudioFile f;
    EXPECT_NO_THROW(f.CloseFile());
    f.SetWavFormat(8000, 1, 16);
    f.OpenWrite(a);
    f.WriteArray(tone(440, 2.0, 8000, 1));
    f.OpenWrite(dir.filePath("b.wav"));  // a is completed here
    EXPECT_EQ(soxFrames(a), 16000);
    f.WriteArray(tone(440, 0.5, 8000, 1));
    f.OpenWrite(a);  // an existing file is replaced
    f.WriteArray(tone(440, 0.25, 8000, 1));
    f.CloseFile();
    EXPECT_FALSE(f.IsOpen());
    EXPECT_NO_THROW(f.CloseFile());
    EXPECT_EQ(soxFrames(dir.filePath("b.wav")), 4000);
    EXPECT_EQ(soxFrames(a), 2000);
}

TEST(WriterState, ReportsTheOutputFormatAndLengthWhileWriting)
{
    QTemporaryDir dir;
    AudioFile f;
    f.SetWavFormat(22050, 1, 4);
    f.OpenWrite(dir.filePath("s.wav"));
    f.SetInputFormat(44100, 2);
    f.WriteArray(bare(tone(440, 2.0, 44100, 2)));
    EXPECT_EQ(f.SampleRate(), 22050);
    EXPECT_EQ(f.Channels(), 1);
    EXPECT_EQ(f.Bitrate(), 22050 * 8);
    EXPECT_NEAR(f.Samples(), 44100, 64);  // the converter may still hold a few
    EXPECT_NEAR(f.Duration(), 2000, 5);
    // A new format choice does not disturb the open file.
    f.SetWavFormat(48000, 2, 32);
    EXPECT_EQ(f.ArraySampleRate(), 22050);
    f.CloseFile();
    EXPECT_EQ(f.ArraySampleRate(), 48000);
    EXPECT_EQ(f.Samples(), 0);
}

TEST(WriterErrors, UnwritablePathsNameTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("no/such/dir/x");
    for (int kind = 0; kind < 3; ++kind) {
        AudioFile f;
        if (kind == 0) f.SetWavFormat(44100, 2, 16);
        if (kind == 1) f.SetOggFormat(44100, 2, 256, 128, 128, 300);
        if (kind == 2) f.SetRawFormat(0, 44100, 2, 16);
        for (const QString& path : {missing, dir.path()}) {
            SCOPED_TRACE(QString("%1 %2").arg(kind).arg(path).toStdString());
            try {
                f.OpenWrite(path);
                ADD_FAILURE() << "opened";
            } catch (const TamselError& e) {
                EXPECT_TRUE(e.message().contains(path)) << e.what();
            }
            EXPECT_FALSE(f.IsOpen());
            EXPECT_THROW(f.WriteArray(tone(440, 0.1, 44100, 2)), TamselError);
        }
    }
}

// A writer refuses reading and a reader writing, naming the file and going on.
TEST(WriterErrors, ReadingAndWritingStayApart)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("w.wav");
    AudioFile w;
    w.SetWavFormat(8000, 1, 16);
    w.OpenWrite(file);
    AudioFile r;
    const auto refused = [&](const std::function<void()>& op) {
        try {
            op();
            ADD_FAILURE() << "an operation of the other direction ran";
        } catch (const TamselError& e) {
            EXPECT_TRUE(e.message().contains(file)) << e.what();
        }
    };
    for (const auto& op : std::vector<std::function<void()>>{
             [&] { w.ReadArray(100); }, [&] { w.Seek(0, 3); }, [&] { w.OpenRead(file); }})
        refused(op);
    EXPECT_TRUE(w.IsOpen());
    w.WriteArray(tone(440, 0.5, 8000, 1));
    EXPECT_EQ(w.Samples(), 4000);
    w.CloseFile();

    r.OpenRead(file);
    for (const auto& op : std::vector<std::function<void()>>{
             [&] { r.WriteArray(tone(440, 0.1, 8000, 1)); }, [&] { r.SetInputFormat(8000, 1); },
             [&] { r.OpenWrite(dir.filePath("other.wav")); }, [&] { r.Seek(0, 1); }})
        refused(op);
    EXPECT_TRUE(r.IsOpen());
    EXPECT_EQ(r.ReadArray(100).frames(), 100);
    EXPECT_EQ(soxFrames(file), 4000);  // untouched
}

TEST(WriterErrors, BrokenBlocksAreRefusedWhole)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("b.wav");
    AudioFile f;
    f.SetWavFormat(44100, 2, 16);
    f.OpenWrite(file);
    Block odd;
    odd.samples.assign(101, 0.1f);  // not whole stereo frames
    EXPECT_THROW(f.WriteArray(odd), TamselError);
    Block noChannels = tone(440, 0.1, 44100, 2);
    noChannels.channels = 0;
    EXPECT_THROW(f.WriteArray(noChannels), TamselError);
    f.WriteArray(Block{});  // empty blocks are valid and add nothing
    EXPECT_EQ(f.Samples(), 0);
    f.CloseFile();
    EXPECT_EQ(soxFrames(file), 0);
}

}  // namespace
