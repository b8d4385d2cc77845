#pragma once
// Small helpers shared by the FFmpeg-based reader files.

#include <QString>

namespace ffmpegsupport {

// FFmpeg's own console messages are silenced once per process: every failure
// reaches the user as an error message instead.
void quietLogging();
// The text of an AVERROR code.
QString errorText(int code);
// Plain PCM samples (an AVCodecID).
bool isPcm(int codecId);
// Containers (by FFmpeg demuxer name) whose header states the whole format
// and is followed by the samples in one piece, starting at time 0: WAV, W64,
// AIFF, CAF and AU.
bool isPlainPcmFile(const char* demuxer);

}  // namespace ffmpegsupport
