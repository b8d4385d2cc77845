#pragma once
// The clock signal the sound-server tests play and record: a circle drawn
// once every 65536 frames (about 1.5 s at 44100 Hz), sine on the left channel
// and cosine on the right. Every frame's place on the circle, its step, can be
// read back, and silence, having no level, is told from it. Being smooth, it
// passes a server that resamples (PipeWire's graph runs at 48 kHz) as well as
// a 16-bit one to within a fraction of a step; only the few frames around a
// cut in it (a start, an end, a seek) come out smeared, and a scan does not
// judge those.

#include <QString>
#include <vector>

namespace pulsetest {

constexpr int kClockPeriod = 65536;
// Frames a resampling server smears at a cut: counts of frames heard and
// steps found there are good to this many.
constexpr int kSmear = 32;

// Interleaved stereo float, from the given step on.
std::vector<float> makeClock(qint64 frames, int firstStep = 0);
// The clock as signed 16-bit little-endian raw data for pacat or sox.
void writeClockRaw(const QString& file, qint64 frames);

// Whether a stereo frame carries the clock at its level, i.e. is not silence.
bool onClock(const float* frame);
// The step a clock frame carries, 0 up to 65536, fractional.
double clockStep(const float* frame);
// steps taken into -32768..32768: how far one step lies ahead of another.
double stepsApart(double steps);

struct ClockScan {
    qint64 heard = 0;            // frames carrying the clock
    std::vector<int> jumps;      // steps skipped at each break (mod 65536)
    int firstStep = 0;           // step of the first frame heard
    int lastStep = 0;            // and of the last
    std::vector<int> stepsAfterBreak;
    std::vector<qint64> segments;  // frames heard between breaks
};
// Frames of silence are left out; a break is where the step does not follow
// from the frames heard before it.
ClockScan scanClock(const std::vector<float>& interleavedStereo);

// The frame of a recording of the running clock that carries step, looked for
// within half a period of frame near; -1 when the clock is not heard there.
qint64 findStep(const std::vector<float>& recording, double step, qint64 near);

}  // namespace pulsetest
