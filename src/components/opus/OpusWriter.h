#pragma once
// Ogg Opus output through libopusenc, at a bitrate. Takes interleaved float
// frames at 48000 Hz, the only rate Opus codes at. Pages reach the disk at
// most half a second apart, so a file cut off by a crash plays up to there;
// a completed file states its exact length (pre-skip and end trimming). A
// file without sound holds the two header pages only.

#include <QString>
#include <cstdint>
#include <memory>

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
    // then creates or overwrites the file.
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
    [[noreturn]] void fail(const QString& what, int code);

    std::unique_ptr<State> state_;
    Format format_;
    QString fileName_;
    int64_t frames_ = 0;
};
