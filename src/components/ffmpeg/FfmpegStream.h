#pragma once
// One audio stream of a file, opened through libavformat/libavcodec: demuxes
// and decodes it frame by frame and knows its format and length. The reader
// builds positions, buffering and conversion on top of it.

#include "components/ffmpeg/FfmpegInput.h"

#include <QString>
#include <cstdint>
#include <optional>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;

class FfmpegStream {
public:
    // Throws TamselError "Cannot open <path>: <reason>" for anything that
    // does not decode to at least one frame of audio.
    explicit FfmpegStream(const QString& path);
    ~FfmpegStream();
    FfmpegStream(const FfmpegStream&) = delete;
    FfmpegStream& operator=(const FfmpegStream&) = delete;

    int sampleRate() const { return rate_; }
    int channels() const { return channels_; }
    int bitrate() const { return bitrate_; }
    // Frames; exact when lengthExact(), otherwise an estimate (0 if unknown).
    int64_t length() const { return length_; }
    bool lengthExact() const { return exact_; }

    // The next decoded frame, or nullptr at the end of the stream. The frame
    // stays valid until the next call or seek.
    const AVFrame* nextFrame();
    // Index of a frame's first sample, counted from the stream's first
    // decoded sample, when the frame carries a timestamp.
    std::optional<int64_t> indexOf(const AVFrame* frame) const;
    // Moves to a point at or before the given frame index; false when the
    // format cannot seek there.
    bool seekBefore(int64_t index);
    // True for formats whose seeks land wrongly once packets have been read.
    bool seeksBestFresh() const { return seekFresh_; }

private:
    void release();
    void openFile();
    bool headerTellsAll();
    void checkFormat(int64_t rate, int channels) const;
    void trustPcmData();
    void openDecoder();
    void decodeFirstFrame();
    void measureLength();
    void feedDecoder();
    void keepPacketEnd();
    [[noreturn]] void fail(const QString& reason) const;

    QString path_;
    FfmpegInput input_;
    AVFormatContext* fmt_ = nullptr;  // input_'s, once open
    AVCodecContext* dec_ = nullptr;
    AVPacket* pkt_ = nullptr;
    AVFrame* frame_ = nullptr;
    int index_ = -1;
    int rate_ = 0;
    int channels_ = 0;
    int bitrate_ = 0;
    int64_t length_ = 0;
    bool exact_ = false;
    int64_t dataStart_ = 0;   // byte offset of the first packet, for PCM
    int64_t firstPts_ = 0;    // timestamp of the first decoded sample
    bool held_ = false;       // frame_ holds a frame not yet handed out
    bool draining_ = false;   // the decoder got its end-of-stream packet
    bool ended_ = false;
    bool seekFresh_ = false;
    // Ogg Vorbis of a stated length: FFmpeg's own end trimming cuts real
    // samples from the last page of some files (it counts from a first
    // timestamp one block late), so the reader cuts at the length instead.
    bool ownEndTrim_ = false;
    int grid_ = 0;            // frame length all frames start on, when known
    bool pcmHeader_ = false;  // PCM whose header states its whole format
};
