#pragma once
// A local file opened for demuxing, through its own descriptor and never by
// URL: FFmpeg would read a name such as "file:x.wav" or "concat:a|b" as a
// protocol, and a playlist (HLS, DASH, concat) would go on to open other
// files or the network. Here the name's bytes reach open(2) unchanged, and
// every further open a demuxer attempts is refused.

#include <QString>

struct AVFormatContext;
struct AVIOContext;

class FfmpegInput {
public:
    FfmpegInput() = default;
    ~FfmpegInput() { close(); }
    FfmpegInput(const FfmpegInput&) = delete;
    FfmpegInput& operator=(const FfmpegInput&) = delete;

    // Opens the file and reads its header: 0, or an AVERROR code.
    int open(const QString& path);
    void close();
    AVFormatContext* context() const { return fmt_; }

private:
    AVFormatContext* fmt_ = nullptr;
    AVIOContext* io_ = nullptr;
    int fd_ = -1;
};
