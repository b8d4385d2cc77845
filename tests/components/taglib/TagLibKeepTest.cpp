// An edit writes only the fields it changed: files tagged richly by another
// tagger (mutagen) are edited through the component and read back by mutagen
// and ffprobe.

#include "../ComponentTestSupport.h"
#include "TagTestFiles.h"
#include "components/taglib/TagLibInformation.h"
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

struct Rich {
    const char* name;
    const char* suffix;
    bool id3v23 = false;
};
void PrintTo(const Rich& r, std::ostream* os) { *os << r.name; }

// ffmpeg's own tag beside the rich one: the WAV's INFO chunk, the MP3's ID3v1.
QStringList peerTag(const QString& suffix)
{
    QStringList args;
    if (suffix == "wav")
        for (const char* m : {"title=Old Title", "artist=Alice", "date=2021-05-06", "genre=Synthwave", "track=3/12"})
            args << "-metadata" << m;
    if (suffix == "mp3") args << "-write_id3v1" << "1";
    return args;
}

QString makeRich(const QTemporaryDir& dir, const Rich& r)
{
    const QString file = tagtest::encodeTone(dir, r.name, r.suffix, peerTag(r.suffix));
    tagtest::addRichTag(file, r.id3v23);
    return file;
}

// Every occurrence of one text replaced, in every key and value.
QJsonObject replaced(const QJsonObject& o, const QString& from, const QString& to)
{
    const QString text = QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    return QJsonDocument::fromJson(QString(text).replace(from, to).toUtf8()).object();
}

// o with the given tags replaced, or removed where the value is null.
QJsonObject patched(QJsonObject o, const QJsonObject& changes)
{
    QJsonObject tags = o.value("tags").toObject();
    for (auto it = changes.begin(); it != changes.end(); ++it) {
        if (it.value().isNull()) tags.remove(it.key());
        else tags.insert(it.key(), it.value());
    }
    o.insert("tags", tags);
    return o;
}

std::string shown(const QJsonObject& o) { return QJsonDocument(o).toJson().toStdString(); }

// The ID3v1 tag at the end of an MP3, empty when it has none.
QByteArray id3v1Of(const QString& file)
{
    const QByteArray tail = readBytes(file).right(128);
    return tail.startsWith("TAG") ? tail : QByteArray();
}

class RichTags : public ::testing::TestWithParam<Rich> {
protected:
    QTemporaryDir dir;
};

}  // namespace

// Only the title changes, in every tag the file has; dates, totals, custom
// genres, second artists, cover, lyrics and the ID3 version stay.
TEST_P(RichTags, ATitleEditLeavesTheRestAsItWas)
{
    const QString file = makeRich(dir, GetParam());
    const QJsonObject before = tagtest::mutagenTags(file);
    const QJsonObject probedBefore = tagtest::probeTags(file);
    const QByteArray v1Before = id3v1Of(file);
    ASSERT_TRUE(QJsonDocument(before).toJson().contains("Old Title")) << shown(before);

    TagLibInformation info;
    info.ReadInfo(file);
    EXPECT_EQ(info.infoTitle(), "Old Title");
    info.WriteInfo(file);
    EXPECT_EQ(tagtest::mutagenTags(file), before) << "a write with nothing changed touched the tag";
    info.setInfoTitle("New Title");
    info.WriteInfo(file);

    const QJsonObject after = tagtest::mutagenTags(file);
    EXPECT_EQ(after, replaced(before, "Old Title", "New Title")) << shown(before) << shown(after);
    EXPECT_EQ(tagtest::probeTags(file), replaced(probedBefore, "Old Title", "New Title"));
    if (!v1Before.isEmpty()) {
        EXPECT_EQ(id3v1Of(file), QByteArray(v1Before).replace("Old Title", "New Title"));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, RichTags,
                         ::testing::Values(Rich{"mp3v24", "mp3"}, Rich{"mp3v23", "mp3", true}, Rich{"wav", "wav"},
                                           Rich{"wavv23", "wav", true}, Rich{"ogg", "ogg"}, Rich{"opus", "opus"},
                                           Rich{"flac", "flac"}, Rich{"wma", "wma"}, Rich{"m4a", "m4a"},
                                           Rich{"aiff", "aiff"}, Rich{"wavpack", "wv"}),
                         [](const auto& p) { return std::string(p.param.name); });

// Changed fields are written as that tag writes them: a year where the date
// was, the track count kept, a genre name, and the tag keeps its version.
TEST(RichTagEdits, ChangedFieldsTakeEachTagsOwnForm)
{
    QTemporaryDir dir;
    // mutagen's picture of a text frame.
    const auto id3 = [](const QString& frame, const QString& encoding, const QString& text) {
        return QStringLiteral("%1(encoding=<Encoding.%2>, text=['%3'])").arg(frame, encoding, text);
    };
    const QString utf8 = "UTF8: 3", utf16 = "UTF16: 1";
    struct Case {
        Rich rich;
        QJsonObject changes;
    };
    const Case cases[] = {
        {{"v24", "mp3"},
         {{"TPE1", id3("TPE1", utf8, "Carol")}, {"TDRC", id3("TDRC", utf8, "2022")},
          {"TRCK", id3("TRCK", utf8, "4/12")}, {"TCON", id3("TCON", utf8, "Rock")}}},
        {{"v23", "mp3", true},
         {{"TPE1", id3("TPE1", utf16, "Carol")}, {"TYER", id3("TYER", utf16, "2022")}, {"TDAT", QJsonValue()},
          {"TRCK", id3("TRCK", utf16, "4/12")}, {"TCON", id3("TCON", utf16, "Rock")}}},
        {{"wav", "wav"},
         {{"TPE1", id3("TPE1", utf8, "Carol")}, {"TDRC", id3("TDRC", utf8, "2022")},
          {"TRCK", id3("TRCK", utf8, "4/12")}, {"TCON", id3("TCON", utf8, "Rock")}}},
        {{"ogg", "ogg"},
         {{"ARTIST", QJsonArray{"Carol"}}, {"DATE", QJsonArray{"2022"}}, {"TRACKNUMBER", QJsonArray{"4"}},
          {"GENRE", QJsonArray{"Rock"}}}},
        {{"wma", "wma"},
         {{"Author", QJsonArray{"Carol"}}, {"WM/Year", QJsonArray{"2022"}}, {"WM/TrackNumber", QJsonArray{"4/12"}},
          {"WM/Genre", QJsonArray{"Rock"}}}},
        {{"m4a", "m4a"},
         {{"\u00a9ART", QJsonArray{"Carol"}}, {"\u00a9day", QJsonArray{"2022"}}, {"trkn", QJsonArray{"(4, 12)"}},
          {"\u00a9gen", QJsonArray{"Rock"}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rich.name);
        const QString file = makeRich(dir, c.rich);
        const QJsonObject before = tagtest::mutagenTags(file);
        TagLibInformation info;
        info.ReadInfo(file);
        EXPECT_EQ(info.infoYear(), 2021);
        EXPECT_EQ(info.infoTrack(), 3);
        EXPECT_EQ(info.infoGenre(), -1);
        info.setInfoArtist("Carol");
        info.setInfoYear(2022);
        info.setInfoTrack(4);
        info.setInfoGenre(17);
        info.WriteInfo(file);
        const QJsonObject after = tagtest::mutagenTags(file);
        EXPECT_EQ(after, patched(before, c.changes)) << shown(before) << shown(after);
        if (QString(c.rich.suffix) == "wav") {
            // The INFO chunk in its own form as well.
            const QByteArray bytes = readBytes(file);
            const QByteArray fields[] = {
                QByteArray("IART\x06\0\0\0Carol\0", 14), QByteArray("ICRD\x05\0\0\0" "2022", 12),
                QByteArray("IPRT\x05\0\0\0" "4/12", 12), QByteArray("IGNR\x05\0\0\0Rock\0", 13)};
            for (const QByteArray& field : fields)
                EXPECT_TRUE(bytes.contains(field)) << field.left(4).toStdString();
        }
    }
}

// A tag the file lacked starts from the one it had: a WAV with only an INFO
// chunk, an MP3 with only ID3v1, edited, keep every field for players that
// read the new tag first. The INFO texts not edited keep their bytes, here
// the Latin-1 of an old Windows tagger.
TEST(RichTagEdits, ANewTagStartsFromTheFilesOtherTag)
{
    QTemporaryDir dir;
    QStringList info = peerTag("wav");
    info.replace(info.indexOf("artist=Alice"), "artist=CafX");
    const QString wav = tagtest::encodeTone(dir, "info", "wav", info);
    QByteArray bytes = readBytes(wav);
    const QByteArray latin1 = QByteArray("IART\x05\0\0\0Caf\xE9\0", 14);
    bytes.replace(QByteArray("IART\x05\0\0\0CafX\0", 14), latin1);
    writeBytes(wav, bytes);
    const QString mp3 = tagtest::encodeTone(dir, "v1", "mp3", {"-id3v2_version", "0"});
    const auto field = [](const char* text, int size) { return QByteArray(text).leftJustified(size, '\0'); };
    // ID3v1.1: title, artist, album, year, comment, track 3, genre 8 (Jazz).
    writeBytes(mp3, readBytes(mp3) + "TAG" + field("Old Title", 30) + field("Alice", 30) + field("", 30) + "2021"
                        + field("", 28) + '\0' + '\3' + '\x08');
    for (const QString& file : {wav, mp3}) {
        SCOPED_TRACE(file.toStdString());
        TagLibInformation info;
        info.ReadInfo(file);
        info.setInfoTitle("New Title");
        info.WriteInfo(file);
        const QJsonObject tags = tagtest::mutagenTags(file);
        const bool isWav = file == wav;
        EXPECT_EQ(tags.value("version").toString(), "2.3");
        const QJsonObject frames = tags.value("tags").toObject();
        const auto text = [&](const char* frame) {
            return frames.value(frame).toString().section("text=['", 1).section("']", 0, 0);
        };
        EXPECT_EQ(text("TIT2"), "New Title");
        EXPECT_EQ(text("TPE1"), isWav ? QString::fromUtf8("Café") : "Alice");
        EXPECT_EQ(text("TYER"), "2021");
        EXPECT_EQ(text("TRCK"), isWav ? "3/12" : "3");
        EXPECT_EQ(text("TCON"), isWav ? "Synthwave" : "Jazz");
        if (isWav) {
            EXPECT_EQ(text("TDAT"), "0605") << "the INFO chunk's full date";
            EXPECT_TRUE(readBytes(wav).contains(latin1));
        }
        const QJsonObject probed = tagtest::probeTags(file);
        EXPECT_EQ(probed.value("title").toString(), "New Title");
        EXPECT_EQ(probed.value("genre").toString(), isWav ? "Synthwave" : "Jazz");
    }
}

// A frame whose text encoding byte is damaged is replaced by a sound one.
TEST(RichTagEdits, ADamagedTextEncodingIsReplaced)
{
    QTemporaryDir dir;
    const QString file = tagtest::encodeTone(dir, "damaged", "mp3", {"-metadata", "title=Old Title"});
    QByteArray bytes = readBytes(file);
    const qsizetype frame = bytes.indexOf("TIT2");
    ASSERT_GT(frame, 0);
    bytes[frame + 10] = 'L';
    writeBytes(file, bytes);
    TagLibInformation info;
    info.ReadInfo(file);
    info.setInfoTitle("New Title");
    info.WriteInfo(file);
    EXPECT_EQ(tagtest::probeTags(file).value("title").toString(), "New Title");
}
