// Files are opened by their names' bytes and only as files: names that are
// not UTF-8, names that look like URLs, and playlists naming other files.

#include "../ComponentTestSupport.h"
#include "ReaderTestUtil.h"

#include "components/ffmpeg/FfmpegReader.h"
#include "platform/FileName.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>
#include <sys/stat.h>

using namespace readertest;

namespace {

QByteArray silence(int frames, int channels) { return QByteArray(frames * channels * 2, '\0'); }

// Frames read to the end, or -1 when the file is refused.
int64_t framesRead(const QString& path)
{
    FfmpegReader reader;
    try {
        reader.open(path);
    } catch (const TamselError&) {
        return -1;
    }
    return int64_t(readAll(reader, 4096).size()) / reader.channels();
}

// Removes, last first, names that Qt's listing (and so QTemporaryDir) skips.
struct Leftovers {
    std::vector<QByteArray> names;
    ~Leftovers()
    {
        for (auto n = names.rbegin(); n != names.rend(); ++n) std::remove(n->constData());
    }
};

struct InFolder {
    QString before = QDir::currentPath();
    explicit InFolder(const QString& dir) { QDir::setCurrent(dir); }
    ~InFolder() { QDir::setCurrent(before); }
};

}  // namespace

// "déjà/café.wav" and "déjà/naïve.mp3" in Latin-1, as old archives name them.
TEST(ReaderLocalFiles, NamesThatAreNotUtf8AreOpenedByTheirBytes)
{
    QTemporaryDir tmp;
    const QByteArray folder = QFile::encodeName(tmp.path()) + "/d\xe9j\xe0";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QString wav = filename::decode(folder + "/caf\xe9.wav");
    const QString mp3 = filename::decode(folder + "/na\xefve.mp3");
    const Leftovers made{{folder, filename::encode(wav), filename::encode(mp3)}};
    writeBytes(tmp.filePath("a.wav"), pcmWav(8000, 1, silence(800, 1)));
    ffmpeg({"-f", "lavfi", "-i", "sine=d=0.5", "-ac", "2", "-c:a", "libmp3lame", tmp.filePath("b.mp3")});
    ASSERT_EQ(std::rename(qPrintable(tmp.filePath("a.wav")), filename::encode(wav).constData()), 0);
    ASSERT_EQ(std::rename(qPrintable(tmp.filePath("b.mp3")), filename::encode(mp3).constData()), 0);
    // Where Qt's own conversion of the names leads: another file.
    QDir(tmp.path()).mkdir("d?j?");
    writeBytes(tmp.filePath("d?j?/caf?.wav"), pcmWav(8000, 1, silence(100, 1)));

    FfmpegReader reader;
    reader.open(wav);
    EXPECT_EQ(reader.samples(), 800);
    EXPECT_EQ(reader.fileName(), wav);
    EXPECT_EQ(framesRead(wav), 800);
    reader.open(mp3);
    EXPECT_NEAR(double(reader.samples()), 22050, 1200);
    EXPECT_EQ(framesRead(mp3), reader.samples());
}

// The demuxer sees no name: "file:tone.wav" is that file, not tone.wav.
TEST(ReaderLocalFiles, NamesThatLookLikeUrlsAreFilesInTheCurrentFolder)
{
    QTemporaryDir tmp;
    writeBytes(tmp.filePath("tone.wav"), pcmWav(8000, 1, silence(800, 1)));
    writeBytes(tmp.filePath("file:tone.wav"), pcmWav(16000, 2, silence(300, 2)));
    const InFolder here(tmp.path());

    FfmpegReader reader;
    reader.open("file:tone.wav");
    EXPECT_EQ(reader.sampleRate(), 16000);
    EXPECT_EQ(reader.channels(), 2);
    EXPECT_EQ(reader.samples(), 300);
    EXPECT_EQ(framesRead("concat:tone.wav|tone.wav"), -1);
}

// An HLS or concat playlist under an audio name is refused or holds nothing:
// it never reads the files it names.
TEST(ReaderLocalFiles, PlaylistsDoNotOpenTheFilesTheyName)
{
    QTemporaryDir tmp;
    writeBytes(tmp.filePath("tone.wav"), pcmWav(8000, 1, silence(8000, 1)));
    ffmpeg({"-f", "lavfi", "-i", "sine=d=1", "-c:a", "mp2", tmp.filePath("seg.ts")});
    const QByteArray hls = "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:1\n#EXT-X-MEDIA-SEQUENCE:0\n"
                           "#EXTINF:1.0,\nseg.ts\n#EXTINF:1.0,\n"
                           + QFile::encodeName(tmp.filePath("seg.ts")) + "\n#EXT-X-ENDLIST\n";
    writeBytes(tmp.filePath("list.m3u8"), hls);
    writeBytes(tmp.filePath("hls.wav"), hls);
    writeBytes(tmp.filePath("list.ffconcat"), "ffconcat version 1.0\nfile tone.wav\nfile tone.wav\n");
    writeBytes(tmp.filePath("concat.mp3"), "ffconcat version 1.0\nfile tone.wav\n");

    for (const char* name : {"list.m3u8", "hls.wav", "list.ffconcat", "concat.mp3"})
        EXPECT_LE(framesRead(tmp.filePath(name)), 0) << name;
}
