// Reading tags and technical data with TagLib.

#include "components/taglib/TagLibAccess.h"
#include "components/taglib/TagLibText.h"
#include "platform/FileName.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <taglib/aiffproperties.h>
#include <taglib/asfproperties.h>
#include <taglib/asftag.h>
#include <taglib/fileref.h>
#include <taglib/flacproperties.h>
#include <taglib/id3v1genres.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackproperties.h>

namespace taglibaccess {

namespace {

class Utf8InfoText : public TagLib::RIFF::Info::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector& data) const override
    {
        // INFO values are usually NUL-terminated and padded.
        int end = data.find('\0');
        if (end < 0) end = static_cast<int>(data.size());
        const QByteArrayView bytes(data.data(), end);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8(bytes);
        if (utf8.hasError()) text = QString::fromLatin1(bytes);
        return toTagLib(text);
    }
    TagLib::ByteVector render(const TagLib::String& s) const override
    {
        return s.data(TagLib::String::UTF8);
    }
};

// The WAV format tag as stored: TagLib reports the sub-format of an
// extensible file, but the user is shown the header's own value.
class WaveChunks : public TagLib::RIFF::WAV::File {
public:
    explicit WaveChunks(TagLib::FileName name) : TagLib::RIFF::WAV::File(name, false) {}

    int formatTag()
    {
        if (!isValid()) return 0;
        for (unsigned int i = 0; i < chunkCount(); ++i) {
            if (chunkName(i) != "fmt ") continue;
            const TagLib::ByteVector fmt = chunkData(i);
            return fmt.size() >= 2 ? fmt.toUShort(0U, false) : 0;
        }
        return 0;
    }

    // Bytes the data chunk states, without the pad byte after an odd size;
    // -1 when there is none.
    int64_t dataBytes()
    {
        if (!isValid()) return -1;
        for (unsigned int i = 0; i < chunkCount(); ++i)
            if (chunkName(i) == "data") return chunkDataSize(i);
        return -1;
    }
};

void mergeFrom(const TagLib::Tag* source, TagFields& f)
{
    if (!source) return;
    const auto fill = [](QString& field, const TagLib::String& value) {
        if (field.isEmpty()) field = fromTagLib(value);
    };
    fill(f.title, source->title());
    fill(f.artist, source->artist());
    fill(f.album, source->album());
    fill(f.comment, source->comment());
    fill(f.genre, source->genre());
    if (f.year <= 0) f.year = static_cast<int>(source->year());
    if (f.track <= 0) f.track = static_cast<int>(source->track());
}

// ffmpeg and other tools write plain "date" and "track" attributes.
void mergeAsfFallbacks(const TagLib::Tag* source, TagFields& f)
{
    auto* asf = dynamic_cast<const TagLib::ASF::Tag*>(source);
    if (!asf) return;
    const auto number = [asf](const char* name) {
        const auto& map = asf->attributeListMap();
        const auto it = map.find(name);
        if (it == map.end() || it->second.isEmpty()) return 0;
        return fromTagLib(it->second.front().toString()).section('-', 0, 0).section('/', 0, 0).toInt();
    };
    if (f.year <= 0) f.year = number("date");
    if (f.track <= 0) f.track = number("track");
}

int bitsPerSampleOf(const TagLib::AudioProperties* p)
{
    if (auto* a = dynamic_cast<const TagLib::RIFF::AIFF::Properties*>(p)) return a->bitsPerSample();
    if (auto* a = dynamic_cast<const TagLib::FLAC::Properties*>(p)) return a->bitsPerSample();
    if (auto* a = dynamic_cast<const TagLib::ASF::Properties*>(p)) return a->bitsPerSample();
    if (auto* a = dynamic_cast<const TagLib::WavPack::Properties*>(p)) return a->bitsPerSample();
    return 0;
}

// Fills what TagLib knows; false when that is not the whole picture.
bool readTechnical(const TagLib::FileRef& ref, const QByteArray& name, TechnicalData& t)
{
    const TagLib::AudioProperties* p = ref.audioProperties();
    if (!p) return false;
    t.frequency = p->sampleRate();
    t.channels = p->channels();
    t.duration = p->lengthInMilliseconds();
    t.bitrate = int64_t{p->bitrate()} * 1000;
    if (t.frequency <= 0 || t.channels <= 0) return false;
    t.samples = std::llround(static_cast<double>(t.duration) * t.frequency / 1000.0);

    const auto* wave = dynamic_cast<const TagLib::RIFF::WAV::Properties*>(p);
    if (!wave) {
        t.bitsPerSample = bitsPerSampleOf(p);
        return true;
    }
    t.samples = wave->sampleFrames();
    t.bitsPerSample = wave->bitsPerSample();
    WaveChunks chunks(name.constData());
    t.formatTag = chunks.formatTag();
    if (t.formatTag == 0) t.formatTag = wave->format();
    const bool pcm = wave->format() == 1 || wave->format() == 3;
    // TagLib counts the pad byte after an odd-sized data chunk as sound.
    const int64_t frameBytes = int64_t{t.channels} * ((t.bitsPerSample + 7) / 8);
    const int64_t dataBytes = chunks.dataBytes();
    if (pcm && frameBytes > 0 && dataBytes >= 0) t.samples = std::min(t.samples, dataBytes / frameBytes);
    t.duration = t.samples * 1000 / t.frequency;
    // TagLib rounds to kbit/s; uncompressed data has an exact rate.
    if (pcm && t.bitsPerSample > 0) t.bitrate = int64_t{t.frequency} * t.channels * t.bitsPerSample;
    // A header that was never completed reads as no frames at all.
    return t.samples > 0;
}

}  // namespace

void useUtf8InInfoChunks()
{
    static Utf8InfoText handler;
    static std::once_flag once;
    std::call_once(once, [] { TagLib::RIFF::Info::Tag::setStringHandler(&handler); });
}

ReadResult read(const QString& fileName, TagFields& tag, TechnicalData& technical)
{
    useUtf8InInfoChunks();
    const QByteArray name = filename::encode(fileName);
    TagLib::FileRef ref(name.constData());
    if (ref.isNull()) return ReadResult::NotOpened;

    tag = {};
    if (auto* wave = dynamic_cast<TagLib::RIFF::WAV::File*>(ref.file())) {
        // Players disagree on which chunk they read; prefer the richer ID3v2.
        mergeFrom(wave->ID3v2Tag(), tag);
        mergeFrom(wave->InfoTag(), tag);
    } else {
        mergeFrom(ref.tag(), tag);
        mergeAsfFallbacks(ref.tag(), tag);
    }
    technical = {};
    return readTechnical(ref, name, technical) ? ReadResult::Read : ReadResult::Incomplete;
}

QString genreName(int index)
{
    if (index < 0 || index >= genreCount) return {};
    return fromTagLib(TagLib::ID3v1::genre(index));
}

int genreIndex(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) return -1;
    // Some taggers store the ID3v1 number itself.
    bool number = false;
    const int n = t.toInt(&number);
    if (number) return n >= 0 && n < genreCount ? n : -1;
    int index = TagLib::ID3v1::genreIndex(toTagLib(t));
    if (index < 0 || index >= genreCount) {
        index = -1;
        for (int i = 0; i < genreCount && index < 0; ++i)
            if (genreName(i).compare(t, Qt::CaseInsensitive) == 0) index = i;
    }
    return index;
}

}  // namespace taglibaccess
