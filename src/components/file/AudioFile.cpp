#include "components/file/AudioFile.h"

#include "components/file/AudioReader.h"
#include "components/file/FileWriter.h"
#include "platform/Error.h"

namespace {

// Stands in where no decoder was built in: nothing is ever open.
class NoReader : public AudioReader {
public:
    void open(const QString& path) override
    {
        throw TamselError(QString("Cannot open %1: this program decodes no audio").arg(path));
    }
    void close() override {}
    bool isOpen() const override { return false; }
    int64_t samples() const override { return 0; }
    bool lengthExact() const override { return false; }
    int64_t durationMs() const override { return 0; }
    int sampleRate() const override { return 0; }
    int channels() const override { return 0; }
    int bitrate() const override { return 0; }
    QString fileName() const override { return {}; }
    Block read(int) override { return {}; }
    int64_t seek(int64_t) override { return 0; }
};

}  // namespace

AudioFile::AudioFile(std::unique_ptr<AudioReader> reader)
    : reader_(reader ? std::move(reader) : std::make_unique<NoReader>()),
      writer_(std::make_unique<FileWriter>())
{
}

AudioFile::~AudioFile() = default;

bool AudioFile::reading() const { return reader_->isOpen(); }

bool AudioFile::writing() const { return writer_->isOpen(); }

void AudioFile::requireReading(const char* operation) const
{
    if (reading()) return;
    if (writing())
        throw TamselError(QString("Cannot %1 %2: it is open for writing, not for reading")
                              .arg(operation, writer_->fileName()));
    throw TamselError(QString("Cannot %1: no audio file is open for reading").arg(operation));
}

void AudioFile::requireNotReading(const char* operation) const
{
    if (reading())
        throw TamselError(QString("Cannot %1 %2: it is open for reading, not for writing")
                              .arg(operation, reader_->fileName()));
}

void AudioFile::OpenRead(const QString& fileName, int, int)
{
    if (writing())
        throw TamselError(QString("Cannot open %1 for reading while %2 is being written")
                              .arg(fileName, writer_->fileName()));
    reader_->close();
    reader_->open(fileName);
}

bool AudioFile::IsOpen() const { return reading() || writing(); }

void AudioFile::CloseFile()
{
    if (reading()) reader_->close();
    writer_->close();
}

int64_t AudioFile::Samples() const
{
    return reading() ? reader_->samples() : writer_->frames();
}

bool AudioFile::SamplesExact() const { return reading() ? reader_->lengthExact() : writer_->isOpen(); }

int64_t AudioFile::Duration() const
{
    if (reading()) return reader_->durationMs();
    const int rate = writer_->sampleRate();
    return rate > 0 ? writer_->frames() * 1000 / rate : 0;
}

int AudioFile::SampleRate() const
{
    return reading() ? reader_->sampleRate() : writer_->sampleRate();
}

int AudioFile::Channels() const
{
    return reading() ? reader_->channels() : writer_->channels();
}

int AudioFile::Bitrate() const { return reading() ? reader_->bitrate() : writer_->bitrate(); }

int AudioFile::ArraySampleRate() const
{
    return reading() ? reader_->sampleRate() : writer_->arraySampleRate();
}

int AudioFile::ArrayChannels() const { return reading() ? reader_->channels() : writer_->arrayChannels(); }

Block AudioFile::ReadArray(int count)
{
    requireReading("read audio from");
    return reader_->read(count);
}

int64_t AudioFile::Seek(int64_t position, int mode)
{
    requireReading("seek in");
    if (mode != 3)
        throw TamselError(QString("Cannot seek in %1: unknown seek mode %2")
                              .arg(reader_->fileName()).arg(mode));
    return reader_->seek(position);
}

void AudioFile::SetWavFormat(int sampleRate, int channels, int bitsPerSample)
{
    writer_->setWav(sampleRate, channels, bitsPerSample);
}

void AudioFile::SetRawFormat(int format, int sampleRate, int channels, int bitsPerSample)
{
    writer_->setRaw(format, sampleRate, channels, bitsPerSample);
}

bool AudioFile::CheckOggFormat(int sampleRate, int channels, int bitrate, int minBitrate,
                               int maxBitrate)
{
    return VorbisWriter::accepts(sampleRate, channels, bitrate, minBitrate, maxBitrate);
}

void AudioFile::SetOggFormat(int sampleRate, int channels, int bitrate, int minBitrate,
                             int maxBitrate, int quality)
{
    VorbisWriter::Format f;
    f.sampleRate = sampleRate;
    f.channels = channels;
    f.nominalKbps = bitrate;
    f.minKbps = minBitrate;
    f.maxKbps = maxBitrate;
    f.quality = quality;
    writer_->setOgg(f);
}

void AudioFile::SetFlacFormat(int sampleRate, int channels, int bitsPerSample)
{
    writer_->setFlac(sampleRate, channels, bitsPerSample);
}

void AudioFile::SetOpusFormat(int sampleRate, int channels, int bitrateKbps)
{
    writer_->setOpus(sampleRate, channels, bitrateKbps);
}

void AudioFile::SetMp3Format(int sampleRate, int channels, int vbrQuality, int cbrKbps)
{
    writer_->setMp3(sampleRate, channels, vbrQuality, cbrKbps);
}

void AudioFile::OpenWrite(const QString& fileName, int)
{
    if (reading())
        throw TamselError(QString("Cannot open %1 for writing while %2 is being read")
                              .arg(fileName, reader_->fileName()));
    writer_->open(fileName);
}

void AudioFile::SetInputFormat(int sampleRate, int channels)
{
    requireNotReading("set the input format of");
    writer_->setInputFormat(sampleRate, channels);
}

void AudioFile::WriteArray(const Block& block)
{
    requireNotReading("write audio to");
    writer_->write(block);
}

void AudioFile::SetChapters(const QList<Chapter>& chapters)
{
    requireNotReading("mark chapters in");
    std::vector<FileWriter::Mark> marks;
    for (const Chapter& c : chapters) marks.push_back({c.frame, c.title});
    writer_->setMarks(std::move(marks));
}

bool AudioFile::OpenCopy(const QString& path)
{
    requireNotReading("copy into");
    return writer_->openCopy(path);
}

bool AudioFile::CanCopy(const QString& path) { return writer_->canCopy(path); }

int64_t AudioFile::CopyLength() const { return writer_->copyLength(); }

int64_t AudioFile::CopyFrames(int64_t frames) { return writer_->copy(frames); }

void AudioFile::CloseCopy() { writer_->closeCopy(); }
