#pragma once
// Whole-file reads through the reader, peer decodes, and simple measures.

#include <QByteArray>
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

// Little-endian 32 bits, and a RIFF chunk of tag and body (padded to even).
QByteArray le32(quint32 v);
QByteArray riffChunk(const char* tag, const QByteArray& body);
// A 16-bit PCM WAV written byte by byte: fmt, a data chunk stating statedSize
// bytes (its real size when negative) holding data, then the chunks in tail.
QByteArray pcmWav(quint32 rate, quint16 channels, const QByteArray& data, const QByteArray& tail = {},
                  qint64 statedSize = -1);

}  // namespace readertest
