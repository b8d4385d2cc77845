#pragma once
// What the silence-aware recording cases play, hear and read from outside:
// signals of tone bursts made with sox, samples read back with sox, and the
// server's own capture of its monitor as the reference.

#include "PulseTestTools.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

namespace e2e {

// The rate the sound server runs its null sink at (44100 on PulseAudio,
// 48000 in PipeWire's graph): recorded and played at it, nothing is resampled.
int serverRate();
// "wav" settings for 16-bit stereo at rate, one of the settings window's rates.
QString wavSettingsAt(int rate);

struct Burst {
    double hz;
    double seconds;
    double silenceAfter;
};
// A 16-bit stereo WAV made with sox: `lead` seconds of digital silence, then
// each burst, a sine at -12 dBFS, and the digital silence after it. Not
// dithered, so the silences stay zero.
void makeBursts(const QString& file, int rate, double lead, const std::vector<Burst>& bursts);
// Plays file into the default sink with paplay; player ends when it is played.
void startPlaying(QProcess& player, const QString& file);

// The first and last frame where any channel reaches `level`; first is -1
// when none does.
struct LoudSpan {
    int64_t first = -1;
    int64_t last = -1;
};
LoudSpan loudSpan(const std::vector<int16_t>& samples, int channels, int level);

// 16-bit samples rounded as a 16-bit WAV stores float samples (x * 32768,
// clipped): what a capture of the monitor should hold of a recording.
std::vector<int16_t> asShorts(const std::vector<float>& samples);

// Where needle occurs in hay first, at or after from; -1 when nowhere.
int64_t findExact(const std::vector<int16_t>& hay, const std::vector<int16_t>& needle, int64_t from = 0);

}  // namespace e2e
