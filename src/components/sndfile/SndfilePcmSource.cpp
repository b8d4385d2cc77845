#include "components/sndfile/SndfilePcmSource.h"

#include "platform/Error.h"
#include "platform/FileName.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

namespace {

// Only files that announce themselves as WAV are handed to libsndfile, so an
// MP3 or Ogg input costs one short read, not a format probe.
bool looksLikeWav(int fd)
{
    char head[12];
    return pread(fd, head, sizeof head, 0) == sizeof head
           && (std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0)
           && std::memcmp(head + 8, "WAVE", 4) == 0;
}

}  // namespace

SndfilePcmSource::~SndfilePcmSource() { close(); }

bool SndfilePcmSource::open(const QString& path, const SndfileWriter::Format& format)
{
    close();
    const int subtype = SndfileWriter::byteCopySubtype(format);
    if (subtype == 0) return false;
    // One descriptor serves the check, libsndfile and the copy.
    fd_ = ::open(filename::encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    SF_INFO info{};
    if (fd_ >= 0 && looksLikeWav(fd_)) file_ = sf_open_fd(fd_, SFM_READ, &info, SF_FALSE);
    if (!file_) {
        close();
        return false;
    }
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
    // libsndfile leaves the descriptor at the first frame after the header.
    dataAt_ = ::lseek(fd_, 0, SEEK_CUR);
    moved_ = 0;
    return true;
}

int64_t SndfilePcmSource::transfer(SndfileWriter& writer, int64_t maxFrames)
{
    if (!file_ || dataAt_ < 0) return -1;
    const int64_t frames = std::min(maxFrames, frames_ - moved_);
    if (frames <= 0) return 0;
    const int64_t bytes = writer.appendFrom(fd_, dataAt_ + moved_ * frameBytes_, frames * frameBytes_, path_);
    // Once bytes went the kernel's way, reading would start over: go on.
    if (bytes < 0 && moved_ > 0)
        throw TamselError(QString("Cannot copy %1 into %2: the copy stopped").arg(path_, writer.fileName()));
    if (bytes < 0) return -1;
    // A file cut inside its data ends where the bytes end, at a whole frame.
    const int64_t whole = bytes / frameBytes_;
    moved_ += whole;
    if (whole < frames) frames_ = moved_;
    return whole;
}

void SndfilePcmSource::close()
{
    if (file_) sf_close(file_);
    file_ = nullptr;
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
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
