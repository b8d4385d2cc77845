// Tags written through the component, read back by it and by ffprobe.

#include "TagTestFiles.h"
#include "components/taglib/TagLibInformation.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using tagtest::Kind;

namespace {

const QString snowman = QString::fromUtf8("Ünïcødé ☃");

QString yearKey(Kind kind) { return kind == Kind::Wma ? "wm/year" : "date"; }

class TagsByKind : public ::testing::TestWithParam<Kind> {
protected:
    QTemporaryDir dir;
};

void stage(TagLibInformation& info)
{
    info.setInfoTitle(snowman);
    info.setInfoArtist(QString::fromUtf8("Zoë & the Ωmegas"));
    info.setInfoAlbum("Night Recordings");
    info.setInfoComments(QString::fromUtf8("taped live — side A"));
    info.setInfoGenre(17);
    info.setInfoYear(2024);
    info.setInfoTrack(7);
}

}  // namespace

TEST_P(TagsByKind, WrittenTagIsReadBackByUsAndByFfprobe)
{
    const QString file = tagtest::makeFile(dir, GetParam(), "tone");
    const int64_t framesBefore = [&] { TagLibInformation i; i.ReadInfo(file); return i.infoSamples(); }();

    TagLibInformation writer;
    stage(writer);
    writer.WriteInfo(file);

    TagLibInformation reader;
    reader.ReadInfo(file);
    EXPECT_EQ(reader.infoTitle(), snowman);
    EXPECT_EQ(reader.infoArtist(), QString::fromUtf8("Zoë & the Ωmegas"));
    EXPECT_EQ(reader.infoAlbum(), "Night Recordings");
    EXPECT_EQ(reader.infoComments(), QString::fromUtf8("taped live — side A"));
    EXPECT_EQ(reader.infoGenre(), 17);
    EXPECT_EQ(reader.infoYear(), 2024);
    EXPECT_EQ(reader.infoTrack(), 7);
    EXPECT_EQ(reader.infoSamples(), framesBefore) << "the audio must survive the tag";
    EXPECT_EQ(reader.infoSize(), QFileInfo(file).size());

    const QJsonObject tags = tagtest::probeTags(file);
    EXPECT_EQ(tags.value("title").toString(), snowman);
    EXPECT_EQ(tags.value("artist").toString(), QString::fromUtf8("Zoë & the Ωmegas"));
    EXPECT_EQ(tags.value("album").toString(), "Night Recordings");
    EXPECT_EQ(tags.value("comment").toString(), QString::fromUtf8("taped live — side A"));
    EXPECT_EQ(tags.value("genre").toString(), "Rock");
    EXPECT_TRUE(tags.value(yearKey(GetParam())).toString().startsWith("2024"));
    EXPECT_EQ(tags.value("track").toString().section('/', 0, 0), "7");
    EXPECT_EQ(testsupport::probeAudioStream(file).value("sample_rate").toString(), "44100");
}

TEST_P(TagsByKind, ZeroYearTrackAndNoGenreClearTheFields)
{
    const QString file = tagtest::makeFile(dir, GetParam(), "tone");
    TagLibInformation info;
    stage(info);
    info.WriteInfo(file);

    info.setInfoTitle("Only a title");
    info.setInfoArtist({});
    info.setInfoAlbum({});
    info.setInfoComments({});
    info.setInfoGenre(-1);
    info.setInfoYear(0);
    info.setInfoTrack(0);
    info.WriteInfo(file);

    TagLibInformation reader;
    reader.ReadInfo(file);
    EXPECT_EQ(reader.infoTitle(), "Only a title");
    EXPECT_EQ(reader.infoArtist(), QString());
    EXPECT_EQ(reader.infoComments(), QString());
    EXPECT_EQ(reader.infoGenre(), -1);
    EXPECT_EQ(reader.infoYear(), 0);
    EXPECT_EQ(reader.infoTrack(), 0);
    const QJsonObject tags = tagtest::probeTags(file);
    EXPECT_EQ(tags.value("title").toString(), "Only a title");
    EXPECT_FALSE(tags.contains(yearKey(GetParam())));
    EXPECT_FALSE(tags.contains("track"));
    EXPECT_FALSE(tags.contains("genre"));
    EXPECT_FALSE(tags.contains("artist"));
}

TEST_P(TagsByKind, GenreTextDigitsAreAnIndexOtherTextIsKept)
{
    const QString file = tagtest::makeFile(dir, GetParam(), "tone");
    TagLibInformation info;
    info.setInfoGenreS("8");
    EXPECT_EQ(info.infoGenre(), 8);
    info.WriteInfo(file);
    EXPECT_EQ(tagtest::probeTags(file).value("genre").toString(), "Jazz");

    info.setInfoGenreS("Chiptune");
    EXPECT_EQ(info.infoGenre(), -1);
    info.WriteInfo(file);
    EXPECT_EQ(tagtest::probeTags(file).value("genre").toString(), "Chiptune");

    // Read and written back untouched, free text survives.
    TagLibInformation again;
    again.ReadInfo(file);
    EXPECT_EQ(again.infoGenre(), -1);
    EXPECT_EQ(again.infoGenreText(), "Chiptune");
    again.setInfoTitle("retitled");
    again.WriteInfo(file);
    EXPECT_EQ(tagtest::probeTags(file).value("genre").toString(), "Chiptune");
}

TEST_P(TagsByKind, TagWrittenByAPeerIsRead)
{
    const QString file = tagtest::makeFile(
        dir, GetParam(), "peer",
        {"-metadata", "title=" + snowman, "-metadata", "artist=Peer", "-metadata", "album=Peer Album",
         "-metadata", "genre=Blues", "-metadata", "date=1999", "-metadata", "track=3"});
    TagLibInformation info;
    info.ReadInfo(file);
    EXPECT_EQ(info.infoTitle(), snowman);
    EXPECT_EQ(info.infoArtist(), "Peer");
    EXPECT_EQ(info.infoAlbum(), "Peer Album");
    EXPECT_EQ(info.infoGenre(), 0);
    EXPECT_EQ(info.infoYear(), 1999);
    EXPECT_EQ(info.infoTrack(), 3);
}

INSTANTIATE_TEST_SUITE_P(Formats, TagsByKind, ::testing::Values(Kind::Wav, Kind::Mp3, Kind::Ogg, Kind::Wma),
                         [](const auto& p) { return std::string(tagtest::nameOf(p.param)); });

TEST(TagLibTags, WaveGetsBothInfoChunkAndId3Chunk)
{
    QTemporaryDir dir;
    const QString file = tagtest::makeFile(dir, Kind::Wav, "tone");
    TagLibInformation info;
    stage(info);
    info.WriteInfo(file);

    const QByteArray bytes = tagtest::readAll(file);
    const QByteArray title = snowman.toUtf8();
    const qsizetype inam = bytes.indexOf("INAM");
    ASSERT_GE(bytes.indexOf("INFO"), 0);
    ASSERT_GE(inam, 0);
    EXPECT_EQ(bytes.mid(inam + 8, title.size()), title) << "INFO text is UTF-8";
    EXPECT_GE(bytes.indexOf("ICRD"), 0);
    // Either spelling of the chunk name is in use; readers accept both.
    qsizetype id3 = bytes.indexOf("id3 ");
    if (id3 < 0) id3 = bytes.indexOf("ID3 ");
    ASSERT_GE(id3, 0);
    EXPECT_EQ(bytes.mid(id3 + 8, 3), "ID3");
}

TEST(TagLibTags, InfoChunkWithLatin1TextIsReadAsLatin1)
{
    QTemporaryDir dir;
    // A Windows-era file: INFO text in a single-byte code page.
    const QString file = tagtest::makeFile(dir, Kind::Wav, "old", {"-metadata", "title=CafX"});
    QByteArray bytes = tagtest::readAll(file);
    const qsizetype at = bytes.indexOf("CafX");
    ASSERT_GT(at, 0);
    bytes[at + 3] = '\xE9';
    tagtest::writeAll(file, bytes);
    TagLibInformation info;
    info.ReadInfo(file);
    EXPECT_EQ(info.infoTitle(), QString::fromUtf8("Café"));
}

TEST(TagLibTags, Mp3KeepsAnExistingId3v1AndAddsNone)
{
    QTemporaryDir dir;
    const QString with = tagtest::makeFile(dir, Kind::Mp3, "with", {"-write_id3v1", "1", "-metadata", "title=old"});
    const QString without = tagtest::makeFile(dir, Kind::Mp3, "without");
    for (const QString& file : {with, without}) {
        TagLibInformation info;
        info.ReadInfo(file);
        info.setInfoTitle("New Title");
        info.setInfoYear(2001);
        info.WriteInfo(file);
    }
    const QByteArray tail = tagtest::readAll(with).right(128);
    EXPECT_TRUE(tail.startsWith("TAG"));
    EXPECT_EQ(tail.mid(3, 9), "New Title");
    EXPECT_EQ(tail.mid(93, 4), "2001");
    EXPECT_FALSE(tagtest::readAll(without).right(128).startsWith("TAG"));
    EXPECT_EQ(tagtest::probeTags(without).value("title").toString(), "New Title");
}

TEST(TagLibTags, SettersOnlyStageUntilWriteInfo)
{
    QTemporaryDir dir;
    const QString file = tagtest::makeFile(dir, Kind::Ogg, "tone", {"-metadata", "title=Before"});
    TagLibInformation info;
    info.ReadInfo(file);
    info.setInfoTitle("After");
    info.setInfoYear(1980);
    EXPECT_EQ(info.infoTitle(), "After");

    TagLibInformation other;
    other.ReadInfo(file);
    EXPECT_EQ(other.infoTitle(), "Before");
    EXPECT_EQ(other.infoYear(), 0);

    // Reading a file replaces every staged value with the file's.
    info.ReadInfo(file);
    EXPECT_EQ(info.infoTitle(), "Before");
    EXPECT_EQ(info.infoYear(), 0);
}

TEST(TagLibTags, GenreNamesFollowTheId3v1List)
{
    TagLibInformation info;
    EXPECT_EQ(info.GenreName(0), "Blues");
    EXPECT_EQ(info.GenreName(17), "Rock");
    EXPECT_FALSE(info.GenreName(147).isEmpty());
    EXPECT_EQ(info.GenreName(148), QString());
    EXPECT_EQ(info.GenreName(-1), QString());
    QStringList names;
    for (int i = 0; i < 148; ++i) names << info.GenreName(i);
    EXPECT_EQ(names.removeDuplicates(), 0);
    // Every name maps back to its own index.
    for (int i = 0; i < 148; ++i) {
        info.setInfoGenreS(names[i]);
        EXPECT_EQ(info.infoGenre(), i) << names[i].toStdString();
    }
    info.setInfoGenreS("rock");
    EXPECT_EQ(info.infoGenre(), 17);
    info.setInfoGenre(148);
    EXPECT_EQ(info.infoGenre(), -1);
    info.setInfoGenreS("99999999999999");
    EXPECT_EQ(info.infoGenre(), -1);
    EXPECT_EQ(info.infoGenreText(), QString());
}

TEST(TagLibTags, WaveLaidOutForRf64GrowthTakesATag)
{
    // Writers that may switch to RF64 reserve a JUNK chunk and use the
    // extensible header; tagging must leave both and the audio intact.
    QTemporaryDir dir;
    const QString source = tagtest::makeFile(dir, Kind::Wav, "tone");
    const QString file = dir.filePath("growable.wav");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-i", source, "-c:a", "pcm_s24le",
                                    "-rf64", "auto", file});
    TagLibInformation info;
    info.setInfoTitle(snowman);
    info.WriteInfo(file);
    info.ReadInfo(file);
    EXPECT_EQ(info.infoTitle(), snowman);
    EXPECT_EQ(info.infoFormatTag(), 0xFFFE);
    EXPECT_EQ(info.infoSamples(), 44100);
    EXPECT_EQ(tagtest::readAll(file).mid(12, 4), "JUNK");
    EXPECT_EQ(testsupport::probeAudioStream(file).value("duration_ts").toInt(), 44100);
    EXPECT_EQ(tagtest::probeTags(file).value("title").toString(), snowman);
}
