#pragma once
// Signals to write and ways to look at what the writer produced, through the
// peer programs rather than through our own reader.

#include "components/Block.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace writertest {

// A sine of amplitude amp, the same on every channel, carrying its format.
Block tone(double hz, double seconds, int rate, int channels, float amp = 0.5f);
// A rising full-scale ramp from -1 to 1 over the block, repeated periods times.
Block ramp(int64_t frames, int rate, int channels, int periods = 1);
// The same block without its own format, so the writer's input format rules.
Block bare(Block b);

// Frames of a file as soxi counts them.
int64_t soxFrames(const QString& file);
// Frames ffmpeg decodes from a file, at the file's own rate.
int64_t ffmpegFrames(const QString& file);
// The file as ffmpeg decodes it, written to wav; returns wav.
QString decodedWav(const QString& file, const QString& wav);
// The file decoded by sox to interleaved signed 16-bit samples; extra sox
// input options (e.g. for raw files) go before the file name.
std::vector<int16_t> soxPcm16(const QString& file, const QStringList& inputOptions = {});
// sox's rough frequency of the first channel (sox's figure for interleaved
// stereo is not the tone's).
double firstChannelFrequency(const QString& file, const QStringList& inputOptions = {});

}  // namespace writertest
