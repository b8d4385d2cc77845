#pragma once
// What the end-to-end cases look at from outside the program: files on disk
// and what peer programs read from them; waits for them with a time-out.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace e2e {

// Waits for an outside condition, looking again every stepMs.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs, int stepMs = 100);

qint64 sizeOf(const QString& file);
QByteArray bytesOf(const QString& file);
// The one WAV file that appears in folder, or "" on time-out.
QString waitForRecording(const QString& folder);
// Whether file grows beyond bytes in time.
bool waitForBytes(const QString& file, qint64 bytes);
// Seconds of audio in a file, as ffprobe reads it; -1 when it cannot.
double durationOf(const QString& file);
// The file's size once it has not changed for quietMs; -1 on time-out.
qint64 waitForSteadySize(const QString& file, int quietMs, int timeoutMs);
// Interleaved 16-bit samples as sox reads them.
std::vector<int16_t> shortSamples(const QString& file);
// sox's pitch estimate of the first channel, leading silence cut off.
double pitchAfterSilence(const QString& file);

// A stretch of a file's audio, in seconds from its start.
struct Stretch {
    double start = 0;
    double length = 0;
    double end() const { return start + length; }
};
// The stretches of digital silence (every sample of every channel within
// 3 of 32768, told in 10 ms steps) at least minSeconds long.
std::vector<Stretch> silences(const QString& file, double minSeconds);

}  // namespace e2e
