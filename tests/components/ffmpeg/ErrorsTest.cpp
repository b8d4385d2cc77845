// Bad input is refused with a message naming the file, or read as far as it
// holds audio; never a crash. Pictures or video beside the audio do not hide it.

#include "../ComponentTestSupport.h"
#include "ReaderTestUtil.h"

#include "components/ffmpeg/FfmpegReader.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cmath>
#include <random>

using namespace readertest;

namespace {

// Expects open() to fail with "Cannot open <path>: ..." mentioning expected.
void expectRefused(const QString& path, const QString& expected)
{
    FfmpegReader reader;
    try {
        reader.open(path);
        ADD_FAILURE() << "opened " << path.toStdString();
    } catch (const TamselError& e) {
        EXPECT_TRUE(e.message().startsWith("Cannot open " + path + ": ")) << e.what();
        EXPECT_TRUE(e.message().contains(expected)) << e.what();
    }
    EXPECT_FALSE(reader.isOpen());
}

// A LIST/INFO chunk naming the take, as a tag editor writes after the audio.
QByteArray infoChunk()
{
    return riffChunk("LIST", "INFO" + riffChunk("INAM", QByteArray("Take that never started", 24)));
}

// 16-bit stereo frames whose left sample is the frame index.
QByteArray indexFrames(int frames)
{
    QByteArray b;
    for (int i = 0; i < frames; ++i) b += le32(static_cast<quint16>(i));
    return b;
}

TEST(ReaderErrors, UnreadableFilesAreRefusedWithTheReason)
{
    QTemporaryDir dir;
    expectRefused(dir.filePath("missing.wav"), "does not exist");
    expectRefused(dir.path(), "folder");

    writeBytes(dir.filePath("empty.mp3"), {});
    expectRefused(dir.filePath("empty.mp3"), "empty");

    writeBytes(dir.filePath("notes.wav"), QByteArray("Shopping list\nmilk\nbread\n").repeated(200));
    expectRefused(dir.filePath("notes.wav"), "");

    const QString video = dir.filePath("picture_only.mp4");
    ffmpeg({"-f", "lavfi", "-i", "testsrc=d=1:s=64x48", "-c:v", "mpeg4", video});
    expectRefused(video, "no audio");
}

TEST(ReaderErrors, TruncatedAndDamagedFilesReadWhatIsThere)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("full.wav");
    testsupport::makeTone(wav, 1000, 2.0, 44100, 2);
    const QByteArray whole = readBytes(wav);
    const QString cutWav = dir.filePath("cut.wav");
    writeBytes(cutWav, whole.left(whole.size() / 2 + 1));  // also cuts a frame in half

    FfmpegReader reader;
    reader.open(cutWav);
    const int64_t frames = reader.samples();
    EXPECT_NEAR(static_cast<double>(frames), 44100, 100);
    const std::vector<float> got = readAll(reader, 4100);
    EXPECT_EQ(static_cast<int64_t>(got.size() / 2), frames);
    const std::vector<float> reference = peerDecode(wav, "sox");
    EXPECT_LE(maxDiff(got, 0, reference, 0, frames, 2), 1e-6);

    // Halves of compressed files: an Ogg file whose last page is cut off
    // (FFmpeg fails its header) and an M4A whose index at the end is gone are
    // refused; the others give about half of the audio and nothing made up.
    for (const char* name : {"cut.ogg", "cut.m4a", "cut.mp3", "cut.wma", "cut.flac"}) {
        SCOPED_TRACE(name);
        const QString full = dir.filePath(QString("full_") + name);
        ffmpeg({"-i", wav, full});
        const QByteArray bytes = readBytes(full);
        const QString cut = dir.filePath(name);
        writeBytes(cut, bytes.left(bytes.size() / 2));
        if (cut.endsWith(".ogg") || cut.endsWith(".m4a")) {
            expectRefused(cut, "");
            continue;
        }
        FfmpegReader r;
        r.open(cut);
        const std::vector<float> part = readAll(r, 4100);
        EXPECT_GT(part.size() / 2, 88200u * 3 / 10);
        EXPECT_LT(part.size() / 2, 88200u * 7 / 10);
        // The tone survives up to the cut.
        const std::vector<float> body(part.begin() + 8192, part.end() - 8192);
        EXPECT_NEAR(toneFrequency(body, 2, 44100), 1000, 10);
        EXPECT_GE(r.seek(r.samples() / 2), 0);
        readAll(r, 4100);
    }

    // A damaged middle is skipped, not the rest of the file.
    const QString mp3 = dir.filePath("full_cut.mp3");
    QByteArray bytes = readBytes(mp3);
    std::mt19937 rng(7);
    for (qsizetype i = bytes.size() * 4 / 10; i < bytes.size() * 5 / 10; ++i) bytes[i] = static_cast<char>(rng());
    writeBytes(mp3, bytes);
    reader.open(mp3);
    const std::vector<float> rest = readAll(reader, 4100);
    EXPECT_GT(rest.size() / 2, 88200u * 8 / 10);
    EXPECT_LE(rest.size() / 2, 88200u);
}

// What the data chunk states bounds the audio: the chunks after it are tags,
// never sound, and a chunk too small for one frame holds none.
TEST(ReaderWavChunks, AudioEndsWhereTheDataChunkSays)
{
    QTemporaryDir dir;
    FfmpegReader reader;
    for (int bytes : {0, 1, 2, 3}) {
        SCOPED_TRACE(bytes);
        const QString file = dir.filePath(QString("short%1.wav").arg(bytes));
        writeBytes(file, pcmWav(44100, 2, QByteArray(bytes, '\x11'), infoChunk()));
        reader.open(file);
        EXPECT_EQ(reader.sampleRate(), 44100);
        EXPECT_EQ(reader.channels(), 2);
        EXPECT_EQ(reader.samples(), 0);
        EXPECT_TRUE(reader.read(4100).empty());
        EXPECT_EQ(reader.seek(100), 0);
        EXPECT_TRUE(reader.read(4100).empty());
    }

    const auto expectIndexFrames = [&](const QString& file, int frames) {
        reader.open(file);
        EXPECT_EQ(reader.samples(), frames);
        const std::vector<float> got = readAll(reader, 333);
        ASSERT_EQ(got.size(), static_cast<size_t>(frames) * 2);
        for (int i = 0; i < frames; ++i) ASSERT_EQ(std::lround(got[i * 2] * 32768), i) << i;
    };
    // Tags after real audio.
    const QString tagged = dir.filePath("tagged.wav");
    writeBytes(tagged, pcmWav(44100, 2, indexFrames(1000), infoChunk()));
    expectIndexFrames(tagged, 1000);
    // A recording cut off before its stated end reads what is there.
    const QString cut = dir.filePath("cut.wav");
    writeBytes(cut, pcmWav(44100, 2, indexFrames(1000), {}, 400000));
    expectIndexFrames(cut, 1000);
    // A header never finished (size 0, audio and no chunk after it) keeps
    // the audio that was written.
    const QString unfinished = dir.filePath("unfinished.wav");
    writeBytes(unfinished, pcmWav(44100, 2, indexFrames(1000), {}, 0));
    expectIndexFrames(unfinished, 1000);
}

// Formats no audio has are refused by name, not read as nothing or overflowed.
TEST(ReaderErrors, AbsurdFormatsInTheHeaderAreRefused)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        quint32 rate;
        quint16 channels;
        const char* reason;
    } cases[] = {{"rate_300MHz.wav", 300000000, 2, "sample rate of 300000000 Hz"},
                 {"rate_4GHz.wav", 0xFFFFFFF0u, 2, ""},
                 {"rate_0.wav", 0, 2, ""},
                 {"channels_0.wav", 44100, 0, ""},
                 {"channels_5000.wav", 44100, 5000, "5000 channels"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = dir.filePath(c.name);
        writeBytes(file, pcmWav(c.rate, c.channels, indexFrames(1000)));
        expectRefused(file, c.reason);
    }
}

// Random bytes under audio names, and damaged copies of real files: open
// either refuses or the file reads and seeks to its end. No crash, no hang.
TEST(ReaderErrors, RandomAndMutatedBytesNeverCrash)
{
    QTemporaryDir dir;
    std::mt19937 rng(20240611);
    const char* names[] = {"noise.mp3", "noise.wav", "noise.ogg", "noise.wma", "noise.flac"};
    for (int round = 0; round < 10; ++round) {
        QByteArray bytes(1000 + static_cast<int>(rng() % 60000), '\0');
        for (char& b : bytes) b = static_cast<char>(rng());
        const QString path = dir.filePath(names[round % 5]);
        writeBytes(path, bytes);
        SCOPED_TRACE(path.toStdString());
        expectRefused(path, "");
    }

    const QString wav = dir.filePath("seed.wav");
    testsupport::makeTone(wav, 700, 0.5, 22050, 2);
    QStringList seeds{wav};
    for (const char* name : {"seed.mp3", "seed.ogg", "seed.wma", "seed.flac"}) {
        seeds << dir.filePath(name);
        ffmpeg({"-i", wav, seeds.last()});
    }
    int opened = 0;
    for (int round = 0; round < 60; ++round) {
        const QString seed = seeds[round % seeds.size()];
        QByteArray bytes = readBytes(seed);
        const int flips = 1 + static_cast<int>(rng() % 40);
        for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] = static_cast<char>(rng());
        const QString path = dir.filePath("mutant_" + QFileInfo(seed).fileName());
        writeBytes(path, bytes);
        FfmpegReader reader;
        try {
            reader.open(path);
        } catch (const TamselError& e) {
            EXPECT_TRUE(e.message().startsWith("Cannot open")) << e.what();
            continue;
        }
        ++opened;
        try {
            const std::vector<float> all = readAll(reader, 4100);
            EXPECT_LE(all.size() / 2, 22050u);  // at most a bit more than the source's 11025
            reader.seek(reader.samples() / 3);
            readAll(reader, 1000);
        } catch (const TamselError& e) {
            EXPECT_TRUE(e.message().startsWith("Cannot read")) << e.what();
        }
    }
    EXPECT_GT(opened, 0);
}

TEST(ReaderStreams, CoverArtAndVideoDoNotHideTheAudio)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath("tone.wav");
    testsupport::makeTone(wav, 1000, 2.0, 44100, 2);
    const QString plain = dir.filePath("plain.mp3");
    const QString cover = dir.filePath("cover.png");
    const QString withCover = dir.filePath("with_cover.mp3");
    ffmpeg({"-i", wav, "-c:a", "libmp3lame", plain});
    ffmpeg({"-f", "lavfi", "-i", "color=c=red:s=64x64", "-frames:v", "1", cover});
    ffmpeg({"-i", cover, "-i", plain, "-map", "0", "-map", "1", "-c", "copy", "-id3v2_version",
            "3", "-disposition:v:0", "attached_pic", withCover});
    ASSERT_EQ(testsupport::probe(withCover).value("streams").toArray().size(), 2);

    FfmpegReader reader;
    reader.open(plain);
    const std::vector<float> expected = readAll(reader, 4100);
    reader.open(withCover);
    EXPECT_EQ(reader.samples(), 88200);
    EXPECT_EQ(readAll(reader, 4100), expected);

    // Video first, audio second: the audio stream is chosen and its packets
    // are told apart from the video's.
    const QString movie = dir.filePath("movie.mkv");
    ffmpeg({"-f", "lavfi", "-i", "testsrc=d=2:s=64x48:r=25", "-i", wav, "-map", "0", "-map", "1",
            "-c:v", "mpeg4", "-c:a", "flac", movie});
    reader.open(movie);
    EXPECT_EQ(reader.sampleRate(), 44100);
    EXPECT_EQ(reader.channels(), 2);
    const std::vector<float> audio = readAll(reader, 4100);
    EXPECT_EQ(audio.size() / 2, 88200u);
    EXPECT_LE(maxDiff(audio, 0, peerDecode(wav, "sox"), 0, 88200, 2), 1e-6);
    EXPECT_EQ(reader.seek(44100), 44100);
    EXPECT_EQ(reader.read(10).frames(), 10);
}

}  // namespace
