// Writing tags with TagLib, into the tag each format's players look at.

#include "components/taglib/TagLibAccess.h"
#include "components/taglib/TagLibText.h"
#include "platform/FileName.h"

#include <QFile>
#include <taglib/apetag.h>
#include <taglib/asftag.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>

namespace taglibaccess {

namespace {

// ID3v2.3 is the version every player, old Windows ones included, reads.
constexpr auto id3v2Version = TagLib::ID3v2::v3;

void apply(TagLib::Tag& t, const TagFields& f)
{
    t.setTitle(toTagLib(f.title));
    t.setArtist(toTagLib(f.artist));
    t.setAlbum(toTagLib(f.album));
    t.setComment(toTagLib(f.comment));
    t.setGenre(toTagLib(f.genre));
    // TagLib drops the field for 0, which is how "none" is stored.
    t.setYear(f.year > 0 ? static_cast<unsigned int>(f.year) : 0U);
    t.setTrack(f.track > 0 ? static_cast<unsigned int>(f.track) : 0U);
}

WriteResult writeWave(TagLib::RIFF::WAV::File& wave, const TagFields& f)
{
    apply(*wave.ID3v2Tag(), f);
    apply(*wave.InfoTag(), f);
    return wave.save(TagLib::RIFF::WAV::File::AllTags, TagLib::File::StripOthers, id3v2Version)
        ? WriteResult::Written
        : WriteResult::SaveFailed;
}

WriteResult writeMpeg(TagLib::MPEG::File& mpeg, const TagFields& f)
{
    // ID3v2 always; an ID3v1 or APE tag already in the file is kept current.
    int tags = TagLib::MPEG::File::ID3v2;
    apply(*mpeg.ID3v2Tag(true), f);
    if (mpeg.hasID3v1Tag()) {
        tags |= TagLib::MPEG::File::ID3v1;
        apply(*mpeg.ID3v1Tag(), f);
    }
    if (mpeg.hasAPETag()) {
        tags |= TagLib::MPEG::File::APE;
        apply(*mpeg.APETag(), f);
    }
    return mpeg.save(tags, TagLib::File::StripNone, id3v2Version, TagLib::File::DoNotDuplicate)
        ? WriteResult::Written
        : WriteResult::SaveFailed;
}

}  // namespace

WriteResult write(const QString& fileName, const TagFields& tag)
{
    useUtf8InInfoChunks();
    const QByteArray name = filename::encode(fileName);
    TagLib::FileRef ref(name.constData());
    if (ref.isNull()) return WriteResult::NotOpened;
    // A file whose audio TagLib cannot follow (RF64, an unfinished header,
    // text that merely looks like MPEG) would be damaged by rewriting it.
    const auto* p = ref.audioProperties();
    if (!p || p->sampleRate() <= 0) return WriteResult::Unfollowed;
    if (ref.file()->readOnly()) return WriteResult::SaveFailed;
    if (auto* wave = dynamic_cast<TagLib::RIFF::WAV::File*>(ref.file())) return writeWave(*wave, tag);
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(ref.file())) return writeMpeg(*mpeg, tag);
    TagLib::Tag* t = ref.tag();
    if (!t) return WriteResult::NoTag;
    apply(*t, tag);
    if (auto* asf = dynamic_cast<TagLib::ASF::Tag*>(t)) {
        // ASF would store a literal 0; "none" is no attribute.
        if (tag.year <= 0) asf->removeItem("WM/Year");
        if (tag.track <= 0) asf->removeItem("WM/TrackNumber");
        // Other tools keep these fields as plain attributes beside the ones
        // we write; left in place they would shadow ours in every reader.
        for (const char* stale : {"title", "Title", "Author", "artist", "album", "date", "track",
                                  "genre", "comment"})
            asf->removeItem(stale);
    }
    return ref.save() ? WriteResult::Written : WriteResult::SaveFailed;
}

}  // namespace taglibaccess
