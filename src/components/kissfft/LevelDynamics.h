#pragma once
// How the bars and their peak ticks move over time. A bar jumps up to a new
// level at once and falls linearly between blocks; a tick sits on the highest
// recent level, holds there for the hold time and then drops one step per
// release time, never below its bar. State is kept as "value at moment" so it
// can be read at any time without a timer having run in between.

#include <cstdint>
#include <vector>

class LevelDynamics {
public:
    // Milliseconds a bar takes to fall from full height to nothing.
    static constexpr int64_t kBarFallMs = 1000;

    void setBarCount(int count);
    int barCount() const { return int(bars_.size()); }
    // holdMs: how long a tick stays; releaseMs: time per step of its fall
    // (0 or less: it drops straight onto its bar once the hold is over).
    void setTickTiming(int holdMs, int releaseMs);
    // Height of one step of a falling tick, as a fraction of full height.
    void setTickStep(float step);

    // New levels (0..1) measured at nowMs; a shorter vector leaves the other
    // bars falling.
    void feed(const std::vector<float>& levels, int64_t nowMs);
    void clear();

    float level(int bar, int64_t nowMs) const;
    float peak(int bar, int64_t nowMs) const;
    // True when nothing is lit and no tick is left at nowMs.
    bool idle(int64_t nowMs) const;

private:
    struct Bar {
        float level = 0;  // at levelMs
        int64_t levelMs = 0;
        float peak = 0;   // at peakMs, when the hold began
        int64_t peakMs = 0;
    };
    std::vector<Bar> bars_;
    int holdMs_ = 200;
    int releaseMs_ = 20;
    float step_ = 1.0f / 81;
};
