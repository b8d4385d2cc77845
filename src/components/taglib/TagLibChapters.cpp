#include "components/taglib/TagLibChapters.h"

#include "platform/Error.h"
#include "platform/FileName.h"

#include <taglib/chapterframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/opusfile.h>
#include <taglib/rifffile.h>
#include <taglib/tableofcontentsframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/vorbisfile.h>
#include <taglib/xiphcomment.h>

#include <algorithm>
#include <limits>
#include <string>

namespace {

TagLib::String text(const QString& s) { return TagLib::String(s.toUtf8().constData(), TagLib::String::UTF8); }

[[noreturn]] void fail(const QString& path, const QString& why)
{
    throw TamselError(QStringLiteral("Cannot store the chapter marks in %1: %2").arg(path, why));
}

int64_t ms(int64_t frame, int rate) { return rate > 0 ? (frame * 1000 + rate / 2) / rate : 0; }

// A RIFF WAVE file with its chunks open to us: TagLib keeps the sizes of the
// file and of every chunk right as chunks are added.
class WaveChunks : public TagLib::RIFF::File {
public:
    explicit WaveChunks(TagLib::FileName name) : TagLib::RIFF::File(name, LittleEndian) {}
    TagLib::Tag* tag() const override { return nullptr; }
    TagLib::AudioProperties* audioProperties() const override { return nullptr; }
    bool save() override { return false; }
    // RIFF, not RF64: only the first keeps its sizes where TagLib looks.
    bool isRiff()
    {
        seek(0);
        const TagLib::ByteVector head = readBlock(12);
        return head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
    }
    // TagLib appends a LIST chunk only when asked to always create one.
    void add(const char* name, const TagLib::ByteVector& data) { setChunkData(name, data, name == std::string("LIST")); }
};

TagLib::ByteVector le32(int64_t v) { return TagLib::ByteVector::fromUInt(static_cast<unsigned>(v), false); }

// cue points 1..n at each mark's frame, and a LIST/adtl chunk naming each
// with a labl.
void storeWave(const QString& path, const QByteArray& name, const std::vector<ChapterMark>& marks)
{
    WaveChunks wave(name.constData());
    // A file past 4 GiB is RF64, where TagLib cannot add chunks.
    if (!wave.isRiff()) return;
    if (!wave.isValid()) fail(path, "it is not a WAV file TagLib can open");
    TagLib::ByteVector cue = le32(int64_t(marks.size()));
    TagLib::ByteVector list("adtl");
    for (size_t i = 0; i < marks.size(); ++i) {
        const int64_t id = int64_t(i) + 1;
        const int64_t at = std::clamp<int64_t>(marks[i].frame, 0, std::numeric_limits<uint32_t>::max());
        cue.append(le32(id));
        cue.append(le32(at));  // position in play order
        cue.append("data");
        cue.append(le32(0));   // chunk start: the only data chunk
        cue.append(le32(0));   // block start
        cue.append(le32(at));  // sample offset
        TagLib::ByteVector label = le32(id);
        label.append(marks[i].title.toUtf8().constData());
        label.append('\0');
        list.append("labl");
        list.append(le32(label.size()));
        list.append(label);
        if (label.size() % 2) list.append('\0');
    }
    wave.add("cue ", cue);
    wave.add("LIST", list);
    if (!wave.isValid()) fail(path, "the file could not be written");
}

QString clock(int64_t milliseconds)
{
    return QStringLiteral("%1:%2:%3.%4")
        .arg(milliseconds / 3600000, 2, 10, QLatin1Char('0'))
        .arg(milliseconds / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(milliseconds / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(milliseconds % 1000, 3, 10, QLatin1Char('0'));
}

void addComments(TagLib::Ogg::XiphComment* comment, const std::vector<ChapterMark>& marks, int rate)
{
    for (size_t i = 0; i < marks.size(); ++i) {
        const QString key = QStringLiteral("CHAPTER%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        comment->addField(text(key), text(clock(ms(marks[i].frame, rate))), true);
        comment->addField(text(key + "NAME"), text(marks[i].title), true);
    }
}

void storeMp3(const QString& path, const QByteArray& name, const std::vector<ChapterMark>& marks,
              int rate, int64_t totalFrames)
{
    TagLib::MPEG::File mpeg(name.constData(), false);
    if (!mpeg.isValid()) fail(path, "it is not an MP3 file TagLib can open");
    TagLib::ID3v2::Tag* tag = mpeg.ID3v2Tag(true);
    TagLib::ByteVectorList ids;
    for (size_t i = 0; i < marks.size(); ++i) {
        const TagLib::ByteVector id = TagLib::ByteVector("chp") + TagLib::String::number(int(i)).data(TagLib::String::Latin1);
        const int64_t end = i + 1 < marks.size() ? marks[i + 1].frame : totalFrames;
        auto* title = new TagLib::ID3v2::TextIdentificationFrame("TIT2", TagLib::String::UTF8);
        title->setText(text(marks[i].title));
        // Byte offsets unknown (all ones): players go by the times.
        TagLib::ID3v2::FrameList embedded;
        embedded.append(title);
        auto* chapter = new TagLib::ID3v2::ChapterFrame(id, unsigned(ms(marks[i].frame, rate)),
                                                        unsigned(ms(end, rate)), 0xFFFFFFFFu, 0xFFFFFFFFu,
                                                        embedded);
        tag->addFrame(chapter);
        ids.append(id);
    }
    auto* toc = new TagLib::ID3v2::TableOfContentsFrame("toc", ids);
    toc->setIsTopLevel(true);
    toc->setIsOrdered(true);
    tag->addFrame(toc);
    if (!mpeg.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripNone, TagLib::ID3v2::v3))
        fail(path, "the file could not be written");
}

}  // namespace

void storeChapters(const QString& path, ChapterContainer container, const std::vector<ChapterMark>& marks,
                   int sampleRate, int64_t totalFrames)
{
    if (marks.empty()) return;
    const QByteArray name = filename::encode(path);
    switch (container) {
    case ChapterContainer::Wav: return storeWave(path, name, marks);
    case ChapterContainer::Mp3: return storeMp3(path, name, marks, sampleRate, totalFrames);
    case ChapterContainer::Flac: {
        TagLib::FLAC::File flac(name.constData(), false);
        if (!flac.isValid()) fail(path, "it is not a FLAC file TagLib can open");
        addComments(flac.xiphComment(true), marks, sampleRate);
        if (!flac.save()) fail(path, "the file could not be written");
        return;
    }
    case ChapterContainer::Opus: {
        TagLib::Ogg::Opus::File opus(name.constData(), false);
        if (!opus.isValid()) fail(path, "it is not an Opus file TagLib can open");
        addComments(opus.tag(), marks, sampleRate);
        if (!opus.save()) fail(path, "the file could not be written");
        return;
    }
    case ChapterContainer::Vorbis: {
        TagLib::Ogg::Vorbis::File vorbis(name.constData(), false);
        if (!vorbis.isValid()) fail(path, "it is not an Ogg Vorbis file TagLib can open");
        addComments(vorbis.tag(), marks, sampleRate);
        if (!vorbis.save()) fail(path, "the file could not be written");
        return;
    }
    }
}
