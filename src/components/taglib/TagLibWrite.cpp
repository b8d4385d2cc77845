// Writing tags with TagLib, into the tag each format's players look at.

#include "components/taglib/TagLibAccess.h"
#include "components/taglib/TagLibText.h"
#include "platform/FileName.h"

#include <QFile>
#include <algorithm>
#include <taglib/apetag.h>
#include <taglib/asffile.h>
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

}  // namespace

WriteResult write(const QString& fileName, const TagFields& tag)
{
    useUtf8InInfoChunks();
    const QByteArray name = filename::encode(fileName);
    TagLib::FileRef ref(name.constData());
    if (ref.isNull()) return WriteResult::NotOpened;
    // A file whose audio TagLib cannot follow (RF64, an unfinished header,
    // text that merely looks like MPEG) would be damaged by rewriting it.
    // An empty WAV counts here too: players that read a data chunk of 0 bytes
    // as a recording never finished would play the tag behind it as sound.
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
    if (!ref.save()) return WriteResult::SaveFailed;
    auto* asfFile = dynamic_cast<TagLib::ASF::File*>(ref.file());
    return !asfFile || updateAsfFileSize(*asfFile) ? WriteResult::Written : WriteResult::SaveFailed;
}

}  // namespace taglibaccess
