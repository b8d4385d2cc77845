#pragma once
// Ogg Opus output through libopus and libogg, at a bitrate. Takes
// interleaved float frames at 48000 Hz, the only rate Opus codes at.
//
// Pages reach the disk at most half a second of audio apart, straight from
// the encoder, so a file cut off by a crash plays up to there. A completed
// file states its exact length: the encoder's delay as pre-skip and the
// padding of its last frame as the end granule, also when it holds no sound.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class OpusWriter {
public:
    static constexpr int kRate = 48000;

    struct Format {
        int channels = 2;  // 1 to 8
        int kbps = 96;
    };

    // Throws TamselError for a layout or bitrate Opus cannot take.
    static void validate(const Format& format);

    OpusWriter();
    ~OpusWriter();  // completes an open file
    OpusWriter(const OpusWriter&) = delete;
    OpusWriter& operator=(const OpusWriter&) = delete;

    // Sets the encoder up first, so a refused format leaves no file behind;
    // then creates or overwrites the file and writes the headers.
    void open(const QString& fileName, const Format& format);
    void write(const float* samples, int64_t frames);
    // Codes what the encoder holds, ends the stream and completes the file;
    // harmless when nothing is open.
    void close();

    bool isOpen() const { return state_ != nullptr; }
    int64_t frames() const { return frames_; }
    const Format& format() const { return format_; }

private:
    struct State;
    void encodeFrame(const float* frame, bool last);
    void writePages(bool flush);
    [[noreturn]] void fail(const QString& what, const QString& why) const;

    std::unique_ptr<State> state_;
    Format format_;
    QString fileName_;
    int64_t frames_ = 0;
};
