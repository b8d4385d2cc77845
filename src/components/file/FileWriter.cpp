#include "components/file/FileWriter.h"

#include "components/file/EncoderThread.h"
#include "components/swresample/Resampler.h"
#include "platform/Error.h"

#include <algorithm>

extern "C" {
#include <libavutil/samplefmt.h>
}

FileWriter::FileWriter() = default;

FileWriter::~FileWriter()
{
    try {
        close();
    } catch (const TamselError&) {
        // Nothing can report it from here; the encoders still release the file.
    }
}

void FileWriter::choose(Kind kind, const SndfileWriter::Format& f, int arrayRate, int arrayChannels)
{
    SndfileWriter::validate(f);
    sfFormat_ = f;
    kind_ = kind;
    array_ = {arrayRate, arrayChannels};
}

namespace {

// The formats that are PCM samples of a given depth, in a container.
SndfileWriter::Format pcmFormat(SndfileWriter::Container container, int sampleRate, int channels, int bits)
{
    SndfileWriter::Format f;
    f.container = container;
    f.sampleRate = sampleRate;
    f.channels = channels;
    f.bits = bits;
    return f;
}

}  // namespace

void FileWriter::setWav(int sampleRate, int channels, int bits)
{
    choose(Kind::Wav, pcmFormat(SndfileWriter::Container::Wav, sampleRate, channels, bits), sampleRate, channels);
}

void FileWriter::setRaw(int coding, int sampleRate, int channels, int bits)
{
    SndfileWriter::Format f = pcmFormat(SndfileWriter::Container::Raw, sampleRate, channels, bits);
    f.rawCoding = coding;
    choose(Kind::Raw, f, sampleRate, channels);
}

void FileWriter::setOgg(const VorbisWriter::Format& format)
{
    VorbisWriter::validate(format);
    oggFormat_ = format;
    kind_ = Kind::Ogg;
    array_ = {format.sampleRate, format.channels};
}

void FileWriter::setFlac(int sampleRate, int channels, int bits)
{
    choose(Kind::Flac, pcmFormat(SndfileWriter::Container::Flac, sampleRate, channels, bits), sampleRate, channels);
}

void FileWriter::setOpus(int sampleRate, int channels, int kbps)
{
    if (sampleRate <= 0 || sampleRate > 1000000)
        throw TamselError(QString("Unsupported Opus format: %1 Hz: no such sample rate").arg(sampleRate));
    const OpusWriter::Format f{channels, kbps};
    OpusWriter::validate(f);
    opusFormat_ = f;
    kind_ = Kind::Opus;
    array_ = {sampleRate, channels};
}

void FileWriter::setMp3(int sampleRate, int channels, int vbrQuality, int kbps)
{
    SndfileWriter::Format f;
    f.container = SndfileWriter::Container::Mp3;
    f.sampleRate = sampleRate > 0 ? SndfileWriter::storedRate(f.container, sampleRate) : sampleRate;
    f.channels = channels;
    f.vbrQuality = vbrQuality;
    f.kbps = kbps;
    choose(Kind::Mp3, f, sampleRate, channels);
}

void FileWriter::open(const QString& fileName)
{
    close();
    fileName_ = fileName;
    marks_.clear();
    if (kind_ == Kind::Ogg)
        ogg_.open(fileName, oggFormat_);
    else if (kind_ == Kind::Opus)
        opus_.open(fileName, opusFormat_);
    else
        sf_.open(fileName, sfFormat_);
    openKind_ = kind_;
    openArray_ = array_;
    queued_ = 0;
    kernelCopy_ = true;
    if (kind_ != Kind::Wav && kind_ != Kind::Raw)
        encoder_ = std::make_unique<EncoderThread>(channels(), [this](const float* s, int64_t n) { encode(s, n); });
    const int rate = inputSet_ ? inRate_ : array_.first;
    const int channels = inputSet_ ? inChannels_ : array_.second;
    inRate_ = sampleRate();
    inChannels_ = this->channels();
    useInput(rate, channels);
}

void FileWriter::setInputFormat(int sampleRate, int channels)
{
    if (sampleRate <= 0 || channels <= 0 || channels > 32)
        throw TamselError(QString("Cannot convert audio of %1 Hz, %2 channels%3")
                              .arg(sampleRate).arg(channels)
                              .arg(isOpen() ? " for " + fileName_ : QString()));
    inputSet_ = true;
    if (isOpen()) {
        useInput(sampleRate, channels);
    } else {
        inRate_ = sampleRate;
        inChannels_ = channels;
    }
}

void FileWriter::write(const Block& block)
{
    if (!isOpen()) throw TamselError("No audio file is open for writing");
    if (block.empty()) return;
    if (block.sampleRate > 0) {
        if (block.channels <= 0 || block.channels > 32)
            throw TamselError(QString("Cannot write a block of %1 channels to %2")
                                  .arg(block.channels).arg(fileName_));
        useInput(block.sampleRate, block.channels);
    }
    const auto count = static_cast<int64_t>(block.samples.size());
    if (count % inChannels_ != 0)
        throw TamselError(QString("A block of %1 samples is not whole frames of %2 channels; "
                                  "nothing of it was written to %3")
                              .arg(count).arg(inChannels_).arg(fileName_));
    const int64_t frames = count / inChannels_;
    if (!converter_) {
        put(block.samples.data(), frames);
        return;
    }
    converted_.clear();
    converter_->convertInterleaved(block.samples.data(), frames, converted_);
    put(converted_.data(), static_cast<int64_t>(converted_.size()) / channels());
}

bool FileWriter::openCopy(const QString& path)
{
    if (!isOpen() || openKind_ != Kind::Wav || !source_.open(path, sf_.format())) return false;
    flushConverter();
    inRate_ = sampleRate();
    inChannels_ = channels();
    return true;
}

bool FileWriter::canCopy(const QString& path) const
{
    if (current() != Kind::Wav) return false;
    SndfilePcmSource probe;
    return probe.open(path, isOpen() ? sf_.format() : sfFormat_);
}

int64_t FileWriter::copy(int64_t maxFrames)
{
    if (!isOpen()) throw TamselError("No audio file is open for writing");
    const int frameBytes = SndfileWriter::frameBytes(sf_.format());
    // The kernel copies the bytes where it can, with no detour through this
    // process; blocks of a few megabytes keep progress and stops prompt.
    constexpr int64_t kKernelBytes = 8 << 20;
    if (kernelCopy_) {
        const int64_t moved = source_.transfer(sf_, std::clamp<int64_t>(maxFrames, 0, kKernelBytes / frameBytes));
        if (moved >= 0) return moved;
        kernelCopy_ = false;
    }
    // Large reads keep the system calls per second few; the block stays small
    // enough to keep memory flat.
    constexpr int64_t kCopyBytes = 1 << 20;
    const int64_t frames = std::clamp<int64_t>(maxFrames, 0, kCopyBytes / frameBytes);
    copyBuffer_.resize(static_cast<size_t>(frames * frameBytes));
    const int64_t got = source_.read(copyBuffer_.data(), frames);
    if (got > 0) sf_.writeRaw(copyBuffer_.data(), got);
    return got;
}

void FileWriter::close()
{
    source_.close();
    if (!isOpen()) return;
    inputSet_ = false;
    const auto complete = [this] {
        if (openKind_ == Kind::Ogg) ogg_.close();
        else if (openKind_ == Kind::Opus) opus_.close();
        else sf_.close();
    };
    try {
        flushConverter();
        if (encoder_) encoder_->finish();
    } catch (const TamselError&) {
        converter_.reset();
        encoder_.reset();
        complete();
        throw;
    }
    const int64_t total = frames();
    encoder_.reset();
    const int rate = sampleRate();
    complete();
    storeMarks(total, rate);
}

// After the encoder is done: the tag libraries rewrite what it left.
void FileWriter::storeMarks(int64_t totalFrames, int rate)
{
    std::vector<Mark> marks;
    marks.swap(marks_);
    // A file without sound has nothing to mark.
    if (marks.empty() || openKind_ == Kind::Raw || totalFrames == 0) return;
    const ChapterContainer container = openKind_ == Kind::Wav    ? ChapterContainer::Wav
                                       : openKind_ == Kind::Flac ? ChapterContainer::Flac
                                       : openKind_ == Kind::Opus ? ChapterContainer::Opus
                                       : openKind_ == Kind::Mp3  ? ChapterContainer::Mp3
                                                                 : ChapterContainer::Vorbis;
    storeChapters(fileName_, container, marks, rate, totalFrames);
}

bool FileWriter::isOpen() const
{
    if (openKind_ == Kind::Ogg) return ogg_.isOpen();
    return openKind_ == Kind::Opus ? opus_.isOpen() : sf_.isOpen();
}

int FileWriter::sampleRate() const
{
    if (current() == Kind::Ogg) return isOpen() ? ogg_.format().sampleRate : oggFormat_.sampleRate;
    if (current() == Kind::Opus) return OpusWriter::kRate;
    return isOpen() ? sf_.format().sampleRate : sfFormat_.sampleRate;
}

int FileWriter::channels() const
{
    if (current() == Kind::Ogg) return isOpen() ? ogg_.format().channels : oggFormat_.channels;
    if (current() == Kind::Opus) return isOpen() ? opus_.format().channels : opusFormat_.channels;
    return isOpen() ? sf_.format().channels : sfFormat_.channels;
}

int FileWriter::arraySampleRate() const { return isOpen() ? openArray_.first : array_.first; }

int FileWriter::arrayChannels() const { return isOpen() ? openArray_.second : array_.second; }

int64_t FileWriter::frames() const
{
    if (!isOpen()) return 0;
    return encoder_ ? queued_ : sf_.frames();
}

int FileWriter::bitrate() const
{
    const Kind k = current();
    if (k == Kind::Ogg) {
        const VorbisWriter::Format& f = isOpen() ? ogg_.format() : oggFormat_;
        return f.quality == 0 ? f.nominalKbps * 1000 : 0;
    }
    if (k == Kind::Opus) return (isOpen() ? opus_.format() : opusFormat_).kbps * 1000;
    const SndfileWriter::Format& f = isOpen() ? sf_.format() : sfFormat_;
    if (k == Kind::Mp3) return f.kbps > 0 ? f.kbps * 1000 : 0;
    if (k == Kind::Flac) return 0;
    return f.sampleRate * SndfileWriter::frameBytes(f) * 8;
}

void FileWriter::useInput(int sampleRate, int channels)
{
    if (sampleRate == inRate_ && channels == inChannels_) return;
    flushConverter();
    inRate_ = sampleRate;
    inChannels_ = channels;
    if (sampleRate != this->sampleRate() || channels != this->channels())
        converter_ = std::make_unique<Resampler>(sampleRate, channels, AV_SAMPLE_FMT_FLT,
                                                 this->sampleRate(), this->channels());
}

void FileWriter::flushConverter()
{
    if (!converter_) return;
    converted_.clear();
    converter_->flush(converted_);
    converter_.reset();
    put(converted_.data(), static_cast<int64_t>(converted_.size()) / channels());
}

void FileWriter::put(const float* samples, int64_t frames)
{
    if (frames <= 0) return;
    if (!encoder_) return encode(samples, frames);
    encoder_->push(samples, frames);
    queued_ += frames;
}

void FileWriter::encode(const float* samples, int64_t frames)
{
    if (openKind_ == Kind::Ogg)
        ogg_.write(samples, frames);
    else if (openKind_ == Kind::Opus)
        opus_.write(samples, frames);
    else
        sf_.write(samples, frames);
}
