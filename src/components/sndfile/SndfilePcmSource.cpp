#include "components/sndfile/SndfilePcmSource.h"

#include "platform/Error.h"
#include "platform/FileName.h"

#include <QFile>
#include <sndfile.h>

namespace {

// Only files that announce themselves as WAV are handed to libsndfile, so an
// MP3 or Ogg input costs one short read, not a format probe.
bool looksLikeWav(const QString& path)
{
    QFile file;
    if (!filename::openForReading(file, path)) return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && (head.startsWith("RIFF") || head.startsWith("RF64"))
           && head.mid(8, 4) == "WAVE";
}

}  // namespace

SndfilePcmSource::~SndfilePcmSource() { close(); }

bool SndfilePcmSource::open(const QString& path, const SndfileWriter::Format& format)
{
    close();
    const int subtype = SndfileWriter::byteCopySubtype(format);
    if (subtype == 0 || !looksLikeWav(path)) return false;
    SF_INFO info{};
    file_ = sf_open(filename::encode(path).constData(), SFM_READ, &info);
    if (!file_) return false;
    const int major = info.format & SF_FORMAT_TYPEMASK;
    const bool wav = major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64;
    const int endian = info.format & SF_FORMAT_ENDMASK;
    if (!wav || (info.format & SF_FORMAT_SUBMASK) != subtype
        || (endian != SF_ENDIAN_FILE && endian != SF_ENDIAN_LITTLE)
        || info.samplerate != format.sampleRate || info.channels != format.channels
        || info.frames <= 0) {
        close();
        return false;
    }
    path_ = path;
    frames_ = info.frames;
    frameBytes_ = SndfileWriter::frameBytes(format);
    return true;
}

void SndfilePcmSource::close()
{
    if (file_) sf_close(file_);
    file_ = nullptr;
    frames_ = 0;
}

int64_t SndfilePcmSource::read(char* buffer, int64_t maxFrames)
{
    if (!file_ || maxFrames <= 0) return 0;
    const sf_count_t got = sf_read_raw(file_, buffer, maxFrames * frameBytes_);
    if (got < 0 || sf_error(file_) != SF_ERR_NO_ERROR)
        throw TamselError(QString("Cannot read %1: %2")
                              .arg(path_, QString::fromUtf8(sf_strerror(file_))));
    // A file cut inside its last frame ends at the last whole one.
    return got / frameBytes_;
}
