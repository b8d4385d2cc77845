#pragma once
// The audio file component: closed, open for reading (any format FFmpeg
// decodes) or open for writing (WAV, FLAC, Opus, MP3, Ogg Vorbis, headerless
// PCM). A read
// operation on a file open for writing, or the reverse, raises TamselError.
//
// Input format of written blocks: SetInputFormat holds until the file is
// closed, and a block that carries its own rate (Block::sampleRate > 0) is
// taken in its own rate and channel count instead.

#include "components/TAudioFile2.h"

#include <memory>

class AudioReader;
class FileWriter;

class AudioFile : public TAudioFile2, public TPcmCopy {
public:
    // Reads with FFmpeg.
    AudioFile();
    // Reads with reader; without one, reading is refused (a program that
    // only writes and copies never loads a decoder).
    explicit AudioFile(std::unique_ptr<AudioReader> reader);
    ~AudioFile() override;  // completes a file open for writing
    AudioFile(const AudioFile&) = delete;
    AudioFile& operator=(const AudioFile&) = delete;

    void OpenRead(const QString& fileName, int a = 0, int b = 1) override;
    bool IsOpen() const override;
    void CloseFile() override;

    int64_t Samples() const override;
    bool SamplesExact() const override;
    int64_t Duration() const override;
    int SampleRate() const override;
    int Channels() const override;
    int Bitrate() const override;
    int ArraySampleRate() const override;
    int ArrayChannels() const override;

    Block ReadArray(int count) override;
    int64_t Seek(int64_t position, int mode = 3) override;

    void SetWavFormat(int sampleRate, int channels, int bitsPerSample) override;
    // format: see SndfileWriter::RawCoding (0 signed little-endian, 1 as in
    // WAV, 2 signed big-endian, 3 float; other numbers mean 0).
    void SetRawFormat(int format, int sampleRate, int channels, int bitsPerSample) override;
    bool CheckOggFormat(int sampleRate, int channels, int bitrate, int minBitrate,
                        int maxBitrate) override;
    void SetOggFormat(int sampleRate, int channels, int bitrate, int minBitrate, int maxBitrate,
                      int quality) override;
    void SetFlacFormat(int sampleRate, int channels, int bitsPerSample) override;
    void SetOpusFormat(int sampleRate, int channels, int bitrateKbps) override;
    void SetMp3Format(int sampleRate, int channels, int vbrQuality, int cbrKbps) override;
    void OpenWrite(const QString& fileName, int a = 0) override;
    void SetInputFormat(int sampleRate, int channels) override;
    void WriteArray(const Block& block) override;
    // Kept for the interface; it changes nothing.
    void SetFileOption(int) override {}
    void SetChapters(const QList<Chapter>& chapters) override;

    TPcmCopy* PcmCopyFacet() override { return this; }
    bool OpenCopy(const QString& path) override;
    bool CanCopy(const QString& path) override;
    int64_t CopyLength() const override;
    int64_t CopyFrames(int64_t frames) override;
    void CloseCopy() override;

private:
    bool reading() const;
    bool writing() const;
    void requireReading(const char* operation) const;
    void requireNotReading(const char* operation) const;

    std::unique_ptr<AudioReader> reader_;
    std::unique_ptr<FileWriter> writer_;
};
