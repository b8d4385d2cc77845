#pragma once
// Reads any audio file FFmpeg decodes as interleaved float blocks at the
// file's own rate and channel count, with sample-accurate seeking.
//
// Length: exact for PCM (WAV and the like, from the data size), FLAC, Ogg,
// M4A and MP3 with a Xing/LAME header, without encoder delay and padding;
// for other files (MP3 without header, WMA) an estimate from the container's
// duration. Reading ends where the audio ends: a damaged or cut file ends
// before an exact length, and nothing is made up to fill it. No file is
// decoded in full to learn its length.

#include "components/Block.h"
#include "components/file/AudioReader.h"

#include <QString>
#include <cstdint>
#include <memory>

class FfmpegReader : public AudioReader {
public:
    FfmpegReader();
    ~FfmpegReader() override;
    FfmpegReader(const FfmpegReader&) = delete;
    FfmpegReader& operator=(const FfmpegReader&) = delete;

    // Throws TamselError "Cannot open <path>: <reason>"; a file already open
    // is closed first.
    void open(const QString& path) override;
    void close() override;
    bool isOpen() const override;

    int64_t samples() const override;     // frames
    bool lengthExact() const override;    // samples() is what the file states exactly
    int64_t durationMs() const override;
    int sampleRate() const override;
    int channels() const override;
    int bitrate() const override;         // bit/s
    QString fileName() const override;

    // The next frames from the read position, at most count and at most
    // 64 MiB of samples (a huge count on a many-channel file gives less);
    // empty at the end. Holds no more memory than the block and one decoded
    // frame.
    Block read(int count) override;
    // Moves the read position to frame (clamped to [0, samples()]); returns
    // the position reached, within [0, samples()], where the next read starts
    // (short of frame only when the audio ends before it). When a damaged
    // file's timestamps do not lead there, it decodes from the start.
    int64_t seek(int64_t frame) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
