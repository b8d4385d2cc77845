#pragma once
// How long an audio stream is, in frames of its decoded output, as exactly as
// its format allows, without decoding the file.

#include <QString>
#include <cstdint>

struct AVFormatContext;

struct FfmpegLength {
    int64_t frames = 0;
    bool exact = false;  // the decoded stream has exactly this many frames
    int bitrate = 0;     // bit/s
};

// dataStart is the byte offset of the first packet (read right after the
// header), firstPts the timestamp of the first decoded sample.
FfmpegLength measureFfmpegLength(AVFormatContext* fmt, int streamIndex, int64_t dataStart,
                                 int64_t firstPts, int rate, const QString& path);
