#include "components/sndfile/SndfileWriter.h"

#include "components/sndfile/SndfileFormat.h"
#include "platform/Error.h"
#include "platform/FileName.h"

#include <sndfile.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>

namespace {

using Container = SndfileWriter::Container;

bool quantized(int bits) { return bits >= 2 && bits <= 5; }

SndfileWriter::Format normalized(SndfileWriter::Format f)
{
    if (f.rawCoding < SndfileWriter::SignedLittleEndian
        || f.rawCoding > SndfileWriter::FloatLittleEndian)
        f.rawCoding = SndfileWriter::SignedLittleEndian;
    return f;
}

bool isPcm(const SndfileWriter::Format& f)
{
    return f.container == Container::Wav || f.container == Container::Raw;
}

// Rounds to one of 2^bits evenly spaced levels, clipping at the top one, and
// returns it as a 16-bit sample whose low bits are zero, so the 8-bit file
// holds exactly those levels.
short quantize(float x, int bits)
{
    const int half = 1 << (bits - 1);
    if (!std::isfinite(x)) x = 0.0f;
    const long q = std::clamp(std::lround(static_cast<double>(x) * half), -static_cast<long>(half),
                              static_cast<long>(half - 1));
    return static_cast<short>(q * (32768 / half));
}

}  // namespace

void SndfileWriter::validate(const Format& format) { sndfileformat::validate(format); }

int SndfileWriter::storedRate(Container container, int sampleRate)
{
    return sndfileformat::storedRate(container, sampleRate);
}

int SndfileWriter::frameBytes(const Format& format)
{
    const Format f = normalized(format);
    const bool isFloat = f.container == Container::Raw && f.rawCoding == FloatLittleEndian;
    const int bytes = isFloat ? 4 : (quantized(f.bits) ? 1 : f.bits / 8);
    return bytes * f.channels;
}

int SndfileWriter::byteCopySubtype(const Format& format)
{
    if (format.container != Container::Wav || quantized(format.bits)) return 0;
    return sndfileformat::subtype(normalized(format));
}

SndfileWriter::SndfileWriter() = default;

SndfileWriter::~SndfileWriter()
{
    try {
        close();
    } catch (const TamselError&) {
        // Nothing can report it from here; the data written so far stays.
    }
}

void SndfileWriter::open(const QString& fileName, const Format& format)
{
    close();
    validate(format);
    format_ = normalized(format);
    fileName_ = fileName;
    frames_ = 0;
    sinceHeader_ = 0;

    SF_INFO info{};
    info.samplerate = format_.sampleRate;
    info.channels = format_.channels;
    info.format = sndfileformat::majorFormat(format_) | sndfileformat::subtype(format_);
    const QByteArray path = filename::encode(fileName);
    // Opened here, so its descriptor can take bytes copied by the kernel.
    fd_ = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0)
        throw TamselError(QString("Cannot create the audio file %1: %2")
                              .arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    file_ = sf_open_fd(fd_, SFM_WRITE, &info, SF_TRUE);
    if (!file_) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(path.constData());
        throw TamselError(QString("Cannot create the audio file %1: %2")
                              .arg(fileName, QString::fromUtf8(sf_strerror(nullptr))));
    }
    if (!sndfileformat::configure(file_, format_)) {
        const QString why = QString::fromUtf8(sf_strerror(file_));
        sf_close(file_);
        file_ = nullptr;
        fd_ = -1;
        ::unlink(path.constData());
        throw TamselError(QString("Cannot set up the encoder for %1: %2").arg(fileName, why));
    }
}

void SndfileWriter::write(const float* samples, int64_t frames)
{
    if (!file_) throw TamselError(QString("The audio file %1 is not open for writing").arg(fileName_));
    // Slices of half a second keep the header at most that far behind the data.
    const int64_t slice = std::max(1, format_.sampleRate / 2);
    for (int64_t done = 0; done < frames; done += slice) {
        const int64_t n = std::min(slice, frames - done);
        writeSlice(samples + done * format_.channels, n);
        wrote(n);
    }
}

void SndfileWriter::writeRaw(const char* bytes, int64_t frames)
{
    if (!file_) throw TamselError(QString("The audio file %1 is not open for writing").arg(fileName_));
    const sf_count_t size = frames * frameBytes(format_);
    if (sf_write_raw(file_, bytes, size) != size) fail("Cannot write to the audio file");
    wrote(frames);
}

int64_t SndfileWriter::appendFrom(int in, int64_t offset, int64_t bytes, const QString& source)
{
    if (!file_) throw TamselError(QString("The audio file %1 is not open for writing").arg(fileName_));
    const int frame = frameBytes(format_);
    // Never a part of a frame, where the source is cut inside one.
    struct stat st {};
    if (::fstat(in, &st) == 0) bytes = std::min<int64_t>(bytes, std::max<int64_t>(0, st.st_size - offset));
    bytes -= bytes % frame;
    // Before the first frame libsndfile settles its header (its size may
    // still change), so that the bytes land after it.
    if (frames_ == 0) sf_command(file_, SFC_UPDATE_HEADER_NOW, nullptr, 0);
    loff_t at = offset;
    int64_t done = 0;
    int error = 0;
    while (done < bytes) {
        const ssize_t n = ::copy_file_range(in, &at, fd_, nullptr, size_t(bytes - done), 0);
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && done == 0 && (errno == EXDEV || errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL))
            return -1;
        error = n < 0 ? errno : 0;
        break;
    }
    // A copy that stopped inside a frame (the disk full) is cut back to the
    // last whole one.
    if (const int64_t part = done % frame) {
        const off_t end = ::lseek(fd_, 0, SEEK_CUR);
        if (end >= part && ::ftruncate(fd_, end - part) == 0) ::lseek(fd_, end - part, SEEK_SET);
        done -= part;
    }
    wrote(done / frame);
    // libsndfile did not see these bytes: its header takes the length from
    // the file, and its own write position is moved past them, so that what
    // it writes next follows them.
    sf_command(file_, SFC_UPDATE_HEADER_NOW, nullptr, 0);
    if (sf_seek(file_, frames_, SEEK_SET | SFM_WRITE) != frames_) fail("Cannot write to the audio file");
    if (error != 0)
        throw TamselError(QString("Cannot copy %1 into %2: %3")
                              .arg(source, fileName_, QString::fromLocal8Bit(std::strerror(error))));
    return done;
}

// The header follows the data at most half a second behind, so a file cut
// off by a crash or a power loss still plays up to there.
void SndfileWriter::wrote(int64_t frames)
{
    frames_ += frames;
    sinceHeader_ += frames;
    if (format_.container == Container::Wav && sinceHeader_ >= std::max(1, format_.sampleRate / 2)) {
        sf_command(file_, SFC_UPDATE_HEADER_NOW, nullptr, 0);
        sinceHeader_ = 0;
    }
}

void SndfileWriter::writeSlice(const float* samples, int64_t frames)
{
    const sf_count_t count = frames * format_.channels;
    sf_count_t written;
    const bool isFloat = format_.container == Container::Raw && format_.rawCoding == FloatLittleEndian;
    if (isPcm(format_) && quantized(format_.bits) && !isFloat) {
        scratch_.resize(static_cast<size_t>(count));
        std::transform(samples, samples + count, scratch_.begin(),
                       [bits = format_.bits](float x) { return quantize(x, bits); });
        written = sf_write_short(file_, scratch_.data(), count);
    } else {
        written = sf_write_float(file_, samples, count);
    }
    if (written != count) fail("Cannot write to the audio file");
}

void SndfileWriter::close()
{
    if (!file_) return;
    SNDFILE* f = file_;
    file_ = nullptr;
    fd_ = -1;
    // libsndfile leaves the RIFF size of a WAV without sound 8 bytes short,
    // and writes no FLAC or MP3 stream at all for no sound; a header written
    // now states the nothing exactly.
    const Container c = format_.container;
    if (c == Container::Wav || (frames_ == 0 && (c == Container::Flac || c == Container::Mp3)))
        sf_command(f, SFC_UPDATE_HEADER_NOW, nullptr, 0);
    const int rc = sf_close(f);
    if (rc != 0)
        throw TamselError(QString("Cannot complete the audio file %1: %2")
                              .arg(fileName_, QString::fromUtf8(sf_error_number(rc))));
}

void SndfileWriter::fail(const QString& what) const
{
    throw TamselError(QString("%1 %2: %3").arg(what, fileName_,
                                              QString::fromUtf8(sf_strerror(file_))));
}
