#include "components/sndfile/SndfileWriter.h"

#include "platform/Error.h"
#include "platform/FileName.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

namespace {

bool quantized(int bits) { return bits >= 2 && bits <= 5; }

int subtype(const SndfileWriter::Format& f)
{
    const bool raw = f.container == SndfileWriter::Container::Raw;
    if (raw && f.rawCoding == SndfileWriter::FloatLittleEndian) return SF_FORMAT_FLOAT;
    switch (f.bits) {
    case 16: return SF_FORMAT_PCM_16;
    case 24: return SF_FORMAT_PCM_24;
    case 32: return SF_FORMAT_PCM_32;
    default:  // 8 bits, and the quantized depths stored in 8 bits
        // WAV knows only unsigned 8-bit samples.
        if (!raw || f.rawCoding == SndfileWriter::WavCoding) return SF_FORMAT_PCM_U8;
        return SF_FORMAT_PCM_S8;
    }
}

int majorFormat(const SndfileWriter::Format& f)
{
    if (f.container == SndfileWriter::Container::Wav) return SF_FORMAT_RF64;
    const int endian = f.rawCoding == SndfileWriter::SignedBigEndian ? SF_ENDIAN_BIG
                                                                     : SF_ENDIAN_LITTLE;
    return SF_FORMAT_RAW | endian;
}

SndfileWriter::Format normalized(SndfileWriter::Format f)
{
    if (f.rawCoding < SndfileWriter::SignedLittleEndian
        || f.rawCoding > SndfileWriter::FloatLittleEndian)
        f.rawCoding = SndfileWriter::SignedLittleEndian;
    return f;
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

void SndfileWriter::validate(const Format& format)
{
    const bool bitsOk = quantized(format.bits) || format.bits == 8 || format.bits == 16
                        || format.bits == 24 || format.bits == 32;
    if (format.sampleRate <= 0 || format.sampleRate > 1000000 || format.channels < 1
        || format.channels > 32 || !bitsOk)
        throw TamselError(QString("Unsupported %1 format: %2 Hz, %3 channels, %4 bits")
                              .arg(format.container == Container::Wav ? "WAV" : "raw PCM")
                              .arg(format.sampleRate).arg(format.channels).arg(format.bits));
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
    return subtype(normalized(format));
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
    info.format = majorFormat(format_) | subtype(format_);
    const QByteArray path = filename::encode(fileName);
    file_ = sf_open(path.constData(), SFM_WRITE, &info);
    if (!file_)
        throw TamselError(QString("Cannot create the audio file %1: %2")
                              .arg(fileName, QString::fromUtf8(sf_strerror(nullptr))));
    if (format_.container == Container::Wav)
        sf_command(file_, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
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
    if (quantized(format_.bits) && !isFloat) {
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
