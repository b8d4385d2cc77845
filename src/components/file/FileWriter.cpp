#include "components/file/FileWriter.h"

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

void FileWriter::setWav(int sampleRate, int channels, int bits)
{
    SndfileWriter::Format f;
    f.container = SndfileWriter::Container::Wav;
    f.sampleRate = sampleRate;
    f.channels = channels;
    f.bits = bits;
    SndfileWriter::validate(f);
    pcmFormat_ = f;
    kind_ = Kind::Wav;
}

void FileWriter::setRaw(int coding, int sampleRate, int channels, int bits)
{
    SndfileWriter::Format f;
    f.container = SndfileWriter::Container::Raw;
    f.sampleRate = sampleRate;
    f.channels = channels;
    f.bits = bits;
    f.rawCoding = coding;
    SndfileWriter::validate(f);
    pcmFormat_ = f;
    kind_ = Kind::Raw;
}

void FileWriter::setOgg(const VorbisWriter::Format& format)
{
    VorbisWriter::validate(format);
    oggFormat_ = format;
    kind_ = Kind::Ogg;
}

void FileWriter::open(const QString& fileName)
{
    close();
    fileName_ = fileName;
    if (kind_ == Kind::Ogg)
        ogg_.open(fileName, oggFormat_);
    else
        pcm_.open(fileName, pcmFormat_);
    openKind_ = kind_;
    const int rate = inputSet_ ? inRate_ : sampleRate();
    const int channels = inputSet_ ? inChannels_ : this->channels();
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
    if (!isOpen() || openKind_ != Kind::Wav || !source_.open(path, pcm_.format())) return false;
    flushConverter();
    inRate_ = sampleRate();
    inChannels_ = channels();
    return true;
}

int64_t FileWriter::copy(int64_t maxFrames)
{
    if (!isOpen()) throw TamselError("No audio file is open for writing");
    // Large reads keep the system calls per second few; the block stays small
    // enough to keep memory flat.
    constexpr int64_t kCopyBytes = 1 << 20;
    const int frameBytes = SndfileWriter::frameBytes(pcm_.format());
    const int64_t frames = std::clamp<int64_t>(maxFrames, 0, kCopyBytes / frameBytes);
    copyBuffer_.resize(static_cast<size_t>(frames * frameBytes));
    const int64_t got = source_.read(copyBuffer_.data(), frames);
    if (got > 0) pcm_.writeRaw(copyBuffer_.data(), got);
    return got;
}

void FileWriter::close()
{
    source_.close();
    if (!isOpen()) return;
    inputSet_ = false;
    try {
        flushConverter();
    } catch (const TamselError&) {
        converter_.reset();
        if (openKind_ == Kind::Ogg) ogg_.close(); else pcm_.close();
        throw;
    }
    if (openKind_ == Kind::Ogg) ogg_.close(); else pcm_.close();
}

bool FileWriter::isOpen() const
{
    return openKind_ == Kind::Ogg ? ogg_.isOpen() : pcm_.isOpen();
}

int FileWriter::sampleRate() const
{
    const Kind k = isOpen() ? openKind_ : kind_;
    if (k == Kind::Ogg) return isOpen() ? ogg_.format().sampleRate : oggFormat_.sampleRate;
    return isOpen() ? pcm_.format().sampleRate : pcmFormat_.sampleRate;
}

int FileWriter::channels() const
{
    const Kind k = isOpen() ? openKind_ : kind_;
    if (k == Kind::Ogg) return isOpen() ? ogg_.format().channels : oggFormat_.channels;
    return isOpen() ? pcm_.format().channels : pcmFormat_.channels;
}

int64_t FileWriter::frames() const
{
    if (!isOpen()) return 0;
    return openKind_ == Kind::Ogg ? ogg_.frames() : pcm_.frames();
}

int FileWriter::bitrate() const
{
    const Kind k = isOpen() ? openKind_ : kind_;
    if (k == Kind::Ogg) {
        const VorbisWriter::Format& f = isOpen() ? ogg_.format() : oggFormat_;
        return f.quality == 0 ? f.nominalKbps * 1000 : 0;
    }
    const SndfileWriter::Format& f = isOpen() ? pcm_.format() : pcmFormat_;
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
    if (openKind_ == Kind::Ogg)
        ogg_.write(samples, frames);
    else
        pcm_.write(samples, frames);
}
