// Writing tags with TagLib, into the tag each format's players look at:
// only the staged fields, each in that tag's own form, and the tag keeps its
// version.

#include "components/taglib/TagLibAccess.h"
#include "components/taglib/TagLibFields.h"
#include "components/taglib/TagLibId3v2Edit.h"
#include "components/taglib/TagLibInfoEdit.h"
#include "components/taglib/TagLibText.h"
#include "platform/FileName.h"

#include <QFile>
#include <algorithm>
#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpcfile.h>
#include <taglib/mpegfile.h>
#include <taglib/trueaudiofile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>
#include <taglib/xiphcomment.h>
#include <vector>

namespace taglibaccess {

namespace {

void applyStaged(TagLib::Tag* t, const TagFields& f)
{
    if (!t) return;
    for (const Field field : fields)
        if (f.staged & field) setFieldValues(*t, field, stagedValues(f, field, fieldValues(*t, field)));
}

// A tag the file did not have starts as a copy of the one it had, so that a
// player that reads only the new one still sees every field.
void seed(TagLib::Tag& fresh, const TagLib::Tag* from)
{
    if (!from) return;
    for (const Field field : fields) {
        TagLib::StringList values = fieldValues(*from, field);
        // Some taggers store the ID3v1 genre number; text tags get its name.
        if (field == Genre)
            for (auto& v : values) {
                const QString text = fromTagLib(v).trimmed();
                const int index = genreIndex(text);
                if (index >= 0 && QString::number(index) == text) v = toTagLib(genreName(index));
            }
        if (!values.isEmpty()) setFieldValues(fresh, field, values);
    }
}

// A tag keeps the ID3v2 version it has. A new one is 2.3, which every
// player reads, old Windows ones included; TagLib writes no 2.2.
TagLib::ID3v2::Version keptVersion(const TagLib::ID3v2::Tag* t, bool existed)
{
    return existed && t && t->header()->majorVersion() == 4 ? TagLib::ID3v2::v4 : TagLib::ID3v2::v3;
}

WriteResult saved(bool ok) { return ok ? WriteResult::Written : WriteResult::SaveFailed; }

// A WAV file whose tag chunks can be replaced as they stand.
class WaveFile : public TagLib::RIFF::WAV::File {
public:
    explicit WaveFile(TagLib::FileName name) : TagLib::RIFF::WAV::File(name) {}

    enum class Chunk { Id3, Info };
    // The first chunk of that kind, as TagLib reads it; -1 when there is none.
    int find(Chunk kind)
    {
        for (unsigned int i = 0; i < chunkCount(); ++i) {
            const TagLib::ByteVector name = chunkName(i);
            if (kind == Chunk::Id3 ? name == "ID3 " || name == "id3 "
                                   : name == "LIST" && chunkData(i).startsWith("INFO"))
                return static_cast<int>(i);
        }
        return -1;
    }
    TagLib::ByteVector bytes(Chunk kind)
    {
        const int i = find(kind);
        return i < 0 ? TagLib::ByteVector() : chunkData(static_cast<unsigned int>(i));
    }
    // Chunks move as TagLib saves; each is found again.
    void replace(Chunk kind, const TagLib::ByteVector& data)
    {
        const int i = find(kind);
        if (i < 0) return;
        // An INFO list left without texts goes, as TagLib drops an empty one.
        if (kind == Chunk::Info && data == "INFO") removeChunk(static_cast<unsigned int>(i));
        else setChunkData(static_cast<unsigned int>(i), data);
    }
};

WriteResult writeWave(WaveFile& wave, const TagFields& f)
{
    using Chunk = WaveFile::Chunk;
    // Both chunks, so every player sees the tag; each edited where it stands.
    const bool hadId3 = wave.hasID3v2Tag(), hadInfo = wave.hasInfoTag();
    const TagLib::ByteVector id3 = hadId3 ? editedId3v2(wave.bytes(Chunk::Id3), f) : TagLib::ByteVector();
    const TagLib::ByteVector info = hadInfo ? editedInfo(wave.bytes(Chunk::Info), f) : TagLib::ByteVector();
    if (!hadId3 && hadInfo) seed(*wave.ID3v2Tag(), wave.InfoTag());
    if (!hadInfo && hadId3) seed(*wave.InfoTag(), wave.ID3v2Tag());
    int tags = 0;
    if (id3.isEmpty()) {
        applyStaged(wave.ID3v2Tag(), f);
        tags |= TagLib::RIFF::WAV::File::ID3v2;
    }
    if (info.isEmpty()) {
        applyStaged(wave.InfoTag(), f);
        tags |= TagLib::RIFF::WAV::File::Info;
    }
    const auto version = keptVersion(wave.ID3v2Tag(), hadId3);
    if (tags != 0 && !wave.save(static_cast<TagLib::RIFF::WAV::File::TagTypes>(tags), TagLib::File::StripNone, version))
        return WriteResult::SaveFailed;
    if (!id3.isEmpty()) wave.replace(Chunk::Id3, id3);
    if (!info.isEmpty()) wave.replace(Chunk::Info, info);
    return WriteResult::Written;
}

// The ID3v2 tag an MPEG file starts with, empty when it starts otherwise.
TagLib::ByteVector leadingId3v2(TagLib::MPEG::File& mpeg)
{
    mpeg.seek(0);
    const TagLib::ByteVector head = mpeg.readBlock(TagLib::ID3v2::Header::size());
    if (!head.startsWith(TagLib::ID3v2::Header::fileIdentifier())) return {};
    const TagLib::ID3v2::Header header(head);
    // A damaged header may state far more than the file holds.
    if (header.tagSize() > mpeg.length() - head.size()) return {};
    return head + mpeg.readBlock(header.tagSize());
}

WriteResult writeMpeg(TagLib::MPEG::File& mpeg, const TagFields& f)
{
    // ID3v2 always; an ID3v1 or APE tag already in the file is kept current.
    const bool hadId3 = mpeg.hasID3v2Tag();
    const TagLib::ByteVector original = hadId3 ? leadingId3v2(mpeg) : TagLib::ByteVector();
    const TagLib::ByteVector edited = original.isEmpty() ? TagLib::ByteVector() : editedId3v2(original, f);
    int tags = edited.isEmpty() ? TagLib::MPEG::File::ID3v2 : 0;
    if (mpeg.hasID3v1Tag()) tags |= TagLib::MPEG::File::ID3v1;
    if (mpeg.hasAPETag()) tags |= TagLib::MPEG::File::APE;
    if (!hadId3)
        seed(*mpeg.ID3v2Tag(true), mpeg.hasAPETag() ? static_cast<TagLib::Tag*>(mpeg.APETag())
                                                    : mpeg.hasID3v1Tag() ? mpeg.ID3v1Tag() : nullptr);
    if (edited.isEmpty()) applyStaged(mpeg.ID3v2Tag(), f);
    if (mpeg.hasID3v1Tag()) applyStaged(mpeg.ID3v1Tag(), f);
    if (mpeg.hasAPETag()) applyStaged(mpeg.APETag(), f);
    const auto version = keptVersion(mpeg.ID3v2Tag(), hadId3);
    if (tags != 0 && !mpeg.save(tags, TagLib::File::StripNone, version, TagLib::File::DoNotDuplicate))
        return WriteResult::SaveFailed;
    // The tags at the end are written first: the edited one may move the audio.
    if (!edited.isEmpty()) mpeg.insert(edited, 0, original.size());
    return WriteResult::Written;
}

// The tags of a file that may hold several; TagLib creates the main one
// when the file has none, as it does on opening.
std::vector<TagLib::Tag*> tagsOf(TagLib::File& file, TagLib::Tag* main)
{
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(&file))
        return {flac->xiphComment(true), flac->hasID3v2Tag() ? flac->ID3v2Tag() : nullptr,
                flac->hasID3v1Tag() ? flac->ID3v1Tag() : nullptr};
    const auto apeAndId3v1 = [](auto& f) -> std::vector<TagLib::Tag*> {
        return {f.hasAPETag() || !f.hasID3v1Tag() ? f.APETag(true) : nullptr,
                f.hasID3v1Tag() ? f.ID3v1Tag() : nullptr};
    };
    if (auto* ape = dynamic_cast<TagLib::APE::File*>(&file)) return apeAndId3v1(*ape);
    if (auto* wv = dynamic_cast<TagLib::WavPack::File*>(&file)) return apeAndId3v1(*wv);
    if (auto* mpc = dynamic_cast<TagLib::MPC::File*>(&file)) return apeAndId3v1(*mpc);
    if (auto* tta = dynamic_cast<TagLib::TrueAudio::File*>(&file))
        return {tta->hasID3v2Tag() || !tta->hasID3v1Tag() ? tta->ID3v2Tag(true) : nullptr,
                tta->hasID3v1Tag() ? tta->ID3v1Tag() : nullptr};
    return {main};
}

// TagLib leaves the file size stated in an ASF file's properties as it was;
// players ignore the header's play time once that is far off and estimate
// the length from the bitrate instead.
bool updateAsfFileSize(TagLib::ASF::File& asf)
{
    static const TagLib::ByteVector properties("\xA1\xDC\xAB\x8C\x47\xA9\xCF\x11\x8E\xE4\x00\xC0\x0C\x20\x53\x65",
                                               16);
    const long long length = asf.length();
    asf.seek(16);
    const long long headerSize = asf.readBlock(8).toLongLong(false);
    const unsigned int objects = asf.readBlock(4).toUInt(false);
    long long at = 30;
    for (unsigned int i = 0; i < objects && at + 48 <= std::min(headerSize, length); ++i) {
        asf.seek(at);
        const TagLib::ByteVector head = asf.readBlock(24);
        const long long size = head.mid(16, 8).toLongLong(false);
        if (head.mid(0, 16) == properties) {
            asf.seek(at + 40);
            asf.writeBlock(TagLib::ByteVector::fromLongLong(length, false));
            return true;
        }
        if (size < 24) break;
        at += size;
    }
    return false;
}

WriteResult writeOther(TagLib::FileRef& ref, const TagFields& tag)
{
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file())) return writeMpeg(*mpeg, tag);
    if (!ref.tag()) return WriteResult::NoTag;
    for (TagLib::Tag* t : tagsOf(*ref.file(), ref.tag())) applyStaged(t, tag);
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(ref.file()))
        return saved(aiff->save(keptVersion(aiff->tag(), aiff->hasID3v2Tag())));
    if (!ref.save()) return WriteResult::SaveFailed;
    auto* asfFile = dynamic_cast<TagLib::ASF::File*>(ref.file());
    return saved(!asfFile || updateAsfFileSize(*asfFile));
}

}  // namespace

WriteResult write(const QString& fileName, const TagFields& tag)
{
    useUtf8InInfoChunks();
    const QByteArray name = filename::encode(fileName);
    {
        TagLib::FileRef ref(name.constData());
        if (ref.isNull()) return WriteResult::NotOpened;
        // A file whose audio TagLib cannot follow (RF64, an unfinished header,
        // text that merely looks like MPEG) would be damaged by rewriting it.
        // An empty WAV counts here too: players that read a data chunk of 0
        // bytes as a recording never finished would play the tag behind it.
        const auto* p = ref.audioProperties();
        if (!p || p->sampleRate() <= 0) return WriteResult::Unfollowed;
        if (ref.file()->readOnly()) return WriteResult::SaveFailed;
        if (!dynamic_cast<TagLib::RIFF::WAV::File*>(ref.file())) return writeOther(ref, tag);
    }
    WaveFile wave(name.constData());
    if (!wave.isValid() || wave.readOnly()) return WriteResult::SaveFailed;
    return writeWave(wave, tag);
}

}  // namespace taglibaccess
