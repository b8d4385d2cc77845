// Tags written through the component, read back by it and by ffprobe.

#include "../ComponentTestSupport.h"
#include "TagTestFiles.h"
#include "components/taglib/TagLibInformation.h"
#include "platform/FileName.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstdio>

using tagtest::Kind;

namespace {

const QString snowman = QString::fromUtf8("Ünïcødé ☃");
const QString artist = QString::fromUtf8("Zoë & the Ωmegas");
const QString comment = QString::fromUtf8("taped live — side A");

QString yearKey(Kind kind) { return kind == Kind::Wma ? "wm/year" : "date"; }

void stage(TagLibInformation& info)
{
    info.setInfoTitle(snowman);
    info.setInfoArtist(artist);
    info.setInfoAlbum("Night Recordings");
    info.setInfoComments(comment);
    info.setInfoGenre(17);
    info.setInfoYear(2024);
    info.setInfoTrack(7);
}

TagLibInformation readBack(const QString& file)
{
    TagLibInformation info;
    info.ReadInfo(file);
    return info;
}

class TagsByKind : public ::testing::TestWithParam<Kind> {
protected:
    QTemporaryDir dir;
};

}  // namespace

// One peer-made file per kind: its technical data against ffprobe's, then a
// peer's tag, ours, a clearing and genre texts.
TEST_P(TagsByKind, PeerTagIsReadOursIsWrittenClearedAndReadBack)
{
    const Kind kind = GetParam();
    const QString file = tagtest::makeFile(
        dir, kind, "peer",
        {"-metadata", "title=" + snowman, "-metadata", "artist=Peer", "-metadata", "album=Peer Album",
         "-metadata", "genre=Blues", "-metadata", "date=1999", "-metadata", "track=3"});
    TagLibInformation peer = readBack(file);
    const QJsonObject stream = testsupport::probeAudioStream(file);
    EXPECT_EQ(peer.infoFrequency(), 44100);
    EXPECT_EQ(peer.infoChannels(), 2);
    EXPECT_EQ(peer.infoSize(), QFileInfo(file).size());
    // Lossy decoders add or drop up to a couple of codec frames.
    const double probedFrames = stream.value("duration").toString().toDouble() * 44100;
    EXPECT_NEAR(static_cast<double>(peer.infoSamples()), probedFrames, kind == Kind::Wav ? 0.5 : 4096);
    EXPECT_NEAR(static_cast<double>(peer.infoDuration()), 1000.0 * peer.infoSamples() / 44100, 2.0);
    const double probedRate = stream.value("bit_rate").toString().toDouble();
    EXPECT_EQ(peer.infoFormatTag(), kind == Kind::Wav ? 1 : 0);
    if (kind == Kind::Wav) {
        EXPECT_EQ(peer.infoBitrate(), 44100 * 2 * 16);
        EXPECT_EQ(peer.infoBitsPerSample(), 16);
    } else if (kind != Kind::Ogg) {  // Vorbis's nominal and measured rates differ widely
        EXPECT_NEAR(peer.infoBitrate(), probedRate, probedRate * 0.1);
    } else {
        EXPECT_GT(peer.infoBitrate(), 0);
    }

    EXPECT_EQ(peer.infoTitle(), snowman);
    EXPECT_EQ(peer.infoArtist(), "Peer");
    EXPECT_EQ(peer.infoAlbum(), "Peer Album");
    EXPECT_EQ(peer.infoGenre(), 0);
    EXPECT_EQ(peer.infoYear(), 1999);
    EXPECT_EQ(peer.infoTrack(), 3);

    // Ours replaces the peer's tag in the same file, whatever fields it used.
    const int64_t framesBefore = peer.infoSamples();
    TagLibInformation info;
    stage(info);
    EXPECT_EQ(readBack(file).infoArtist(), "Peer") << "setters only stage until WriteInfo";
    info.WriteInfo(file);
    TagLibInformation reader = readBack(file);
    EXPECT_EQ(reader.infoTitle(), snowman);
    EXPECT_EQ(reader.infoArtist(), artist);
    EXPECT_EQ(reader.infoAlbum(), "Night Recordings");
    EXPECT_EQ(reader.infoComments(), comment);
    EXPECT_EQ(reader.infoGenre(), 17);
    EXPECT_EQ(reader.infoYear(), 2024);
    EXPECT_EQ(reader.infoTrack(), 7);
    EXPECT_EQ(reader.infoSamples(), framesBefore) << "the audio must survive the tag";
    EXPECT_EQ(reader.infoSize(), QFileInfo(file).size());
    QJsonObject tags = tagtest::probeTags(file);
    EXPECT_EQ(tags.value("title").toString(), snowman);
    EXPECT_EQ(tags.value("artist").toString(), artist);
    EXPECT_EQ(tags.value("album").toString(), "Night Recordings");
    EXPECT_EQ(tags.value("comment").toString(), comment);
    EXPECT_EQ(tags.value("genre").toString(), "Rock");
    EXPECT_TRUE(tags.value(yearKey(kind)).toString().startsWith("2024"));
    EXPECT_EQ(tags.value("track").toString().section('/', 0, 0), "7");
    EXPECT_EQ(testsupport::probeAudioStream(file).value("sample_rate").toString(), "44100");

    // Zero year and track, no genre (as the default tag stores it) and empty
    // texts remove the fields.
    info.setInfoTitle("Only a title");
    info.setInfoArtist({});
    info.setInfoAlbum({});
    info.setInfoComments({});
    info.setInfoGenreS("-1");
    info.setInfoYear(0);
    info.setInfoTrack(0);
    info.WriteInfo(file);
    reader = readBack(file);
    EXPECT_EQ(reader.infoTitle(), "Only a title");
    EXPECT_EQ(reader.infoArtist(), QString());
    EXPECT_EQ(reader.infoComments(), QString());
    EXPECT_EQ(reader.infoGenre(), -1);
    EXPECT_EQ(reader.infoYear(), 0);
    EXPECT_EQ(reader.infoTrack(), 0);
    tags = tagtest::probeTags(file);
    EXPECT_EQ(tags.value("title").toString(), "Only a title");
    for (const QString& key : {yearKey(kind), QString("track"), QString("genre"), QString("artist")})
        EXPECT_FALSE(tags.contains(key)) << key.toStdString();

    // Genre text of digits is an index; other text is kept, also through a
    // read and rewrite that does not touch it.
    info.setInfoGenreS("8");
    EXPECT_EQ(info.infoGenre(), 8);
    info.WriteInfo(file);
    EXPECT_EQ(tagtest::probeTags(file).value("genre").toString(), "Jazz");
    info.setInfoGenreS("Chiptune");
    EXPECT_EQ(info.infoGenre(), -1);
    info.WriteInfo(file);
    reader = readBack(file);
    EXPECT_EQ(reader.infoGenre(), -1);
    EXPECT_EQ(reader.infoGenreText(), "Chiptune");
    reader.setInfoTitle("retitled");
    reader.WriteInfo(file);
    EXPECT_EQ(tagtest::probeTags(file).value("genre").toString(), "Chiptune");
    // A read replaces whatever was staged.
    info.setInfoYear(1980);
    info.ReadInfo(file);
    EXPECT_EQ(info.infoYear(), 0);
    EXPECT_EQ(info.infoTitle(), "retitled");
}

INSTANTIATE_TEST_SUITE_P(Formats, TagsByKind, ::testing::Values(Kind::Wav, Kind::Mp3, Kind::Ogg, Kind::Wma),
                         [](const auto& p) { return tagtest::suffixOf(p.param).toStdString(); });

TEST(TagLibTags, WaveChunks)
{
    QTemporaryDir dir;
    // Both an INFO chunk (UTF-8) and an ID3 chunk are written.
    const QString file = tagtest::makeFile(dir, Kind::Wav, "tone");
    TagLibInformation info;
    stage(info);
    info.WriteInfo(file);
    QByteArray bytes = readBytes(file);
    const qsizetype inam = bytes.indexOf("INAM");
    ASSERT_GE(bytes.indexOf("INFO"), 0);
    ASSERT_GE(inam, 0);
    EXPECT_EQ(bytes.mid(inam + 8, snowman.toUtf8().size()), snowman.toUtf8());
    EXPECT_GE(bytes.indexOf("ICRD"), 0);
    qsizetype id3 = bytes.indexOf("id3 ");  // readers accept either spelling
    if (id3 < 0) id3 = bytes.indexOf("ID3 ");
    ASSERT_GE(id3, 0);
    EXPECT_EQ(bytes.mid(id3 + 8, 3), "ID3");

    // A Windows-era INFO text in a single-byte code page.
    const QString old = tagtest::makeFile(dir, Kind::Wav, "old", {"-metadata", "title=CafX"});
    bytes = readBytes(old);
    const qsizetype at = bytes.indexOf("CafX");
    ASSERT_GT(at, 0);
    bytes[at + 3] = '\xE9';
    writeBytes(old, bytes);
    EXPECT_EQ(readBack(old).infoTitle(), QString::fromUtf8("Café"));

    // A file laid out for RF64 growth keeps its JUNK chunk, extensible header and audio.
    const QString growable = dir.filePath("growable.wav");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-i", file, "-c:a", "pcm_s24le",
                                    "-rf64", "auto", "-map_metadata", "-1", growable});
    TagLibInformation g;
    g.setInfoTitle(snowman);
    g.WriteInfo(growable);
    g.ReadInfo(growable);
    EXPECT_EQ(g.infoTitle(), snowman);
    EXPECT_EQ(g.infoFormatTag(), 0xFFFE);
    EXPECT_EQ(g.infoSamples(), 44100);
    EXPECT_EQ(readBytes(growable).mid(12, 4), "JUNK");
    EXPECT_EQ(testsupport::probeAudioStream(growable).value("duration_ts").toInt(), 44100);
    EXPECT_EQ(tagtest::probeTags(growable).value("title").toString(), snowman);
}

TEST(TagLibTags, Mp3KeepsAnExistingId3v1AndAddsNone)
{
    QTemporaryDir dir;
    const QString with = tagtest::makeFile(dir, Kind::Mp3, "with", {"-write_id3v1", "1", "-metadata", "title=old"});
    const QString without = tagtest::makeFile(dir, Kind::Mp3, "without");
    for (const QString& file : {with, without}) {
        TagLibInformation info = readBack(file);
        info.setInfoTitle("New Title");
        info.setInfoYear(2001);
        info.WriteInfo(file);
    }
    const QByteArray tail = readBytes(with).right(128);
    EXPECT_TRUE(tail.startsWith("TAG"));
    EXPECT_EQ(tail.mid(3, 9), "New Title");
    EXPECT_EQ(tail.mid(93, 4), "2001");
    EXPECT_FALSE(readBytes(without).right(128).startsWith("TAG"));
    EXPECT_EQ(tagtest::probeTags(without).value("title").toString(), "New Title");
}

// A Latin-1 name from an old archive: read and written through its bytes,
// then found by a peer under a plain name.
TEST(TagLibTags, NamesThatAreNotUtf8AreReadAndWritten)
{
    QTemporaryDir dir;
    for (const Kind kind : {Kind::Wav, Kind::Mp3}) {
        const QByteArray plain = QFile::encodeName(tagtest::makeFile(dir, kind, "plain"));
        const QByteArray bytes = QFile::encodeName(dir.path()) + "/caf\xe9." + tagtest::suffixOf(kind).toLatin1();
        ASSERT_EQ(std::rename(plain.constData(), bytes.constData()), 0);
        const QString name = filename::decode(bytes);
        TagLibInformation info = readBack(name);
        EXPECT_EQ(info.infoFrequency(), 44100);
        info.setInfoTitle(snowman);
        info.WriteInfo(name);
        EXPECT_EQ(readBack(name).infoTitle(), snowman);
        ASSERT_EQ(std::rename(bytes.constData(), plain.constData()), 0);
        EXPECT_EQ(tagtest::probeTags(QFile::decodeName(plain)).value("title").toString(), snowman);
    }
}

TEST(TagLibTags, GenreNamesAreDistinctAndMapBack)
{
    TagLibInformation info;
    EXPECT_EQ(info.GenreName(0), "Blues");
    EXPECT_EQ(info.GenreName(17), "Rock");
    EXPECT_EQ(info.GenreName(148), QString());
    EXPECT_EQ(info.GenreName(-1), QString());
    QStringList names;
    for (int i = 0; i < 148; ++i) {
        names << info.GenreName(i);
        info.setInfoGenreS(names.last());
        EXPECT_EQ(info.infoGenre(), i) << names.last().toStdString();
    }
    EXPECT_EQ(names.removeDuplicates(), 0);
    EXPECT_FALSE(names.contains(QString()));
    info.setInfoGenreS("rock");
    EXPECT_EQ(info.infoGenre(), 17);
    info.setInfoGenre(148);
    EXPECT_EQ(info.infoGenre(), -1);
    info.setInfoGenreS("99999999999999");
    EXPECT_EQ(info.infoGenre(), -1);
    EXPECT_EQ(info.infoGenreText(), QString());
}
