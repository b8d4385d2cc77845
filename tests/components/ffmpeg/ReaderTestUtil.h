#pragma once
// Whole-file reads through the reader, peer decodes, and simple measures.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

class FfmpegReader;

namespace readertest {

// Reads to the end in blocks of blockFrames, checking every block's format
// and size on the way. Returns the interleaved samples.
std::vector<float> readAll(FfmpegReader& reader, int blockFrames);

// The file decoded by a peer to interleaved float: "ffmpeg" or "sox".
std::vector<float> peerDecode(const QString& file, const QString& tool);

// Runs ffmpeg -y -v error with the arguments.
void ffmpeg(const QStringList& args);

// Frequency of channel 0 from its zero crossings.
double toneFrequency(const std::vector<float>& samples, int channels, int rate);

// Largest absolute difference over n frames of two interleaved buffers,
// starting at frame a in the first and frame b in the second.
double maxDiff(const std::vector<float>& x, int64_t a, const std::vector<float>& y, int64_t b,
               int64_t frames, int channels);

// Where a short stereo excerpt sits in a whole decode, within +-range frames
// of a guess, by the smallest squared difference.
int64_t locate(const std::vector<float>& excerpt, const std::vector<float>& whole, int64_t guess,
               int64_t range);

}  // namespace readertest
