#include "components/kissfft/LevelDynamics.h"

#include <algorithm>
#include <cmath>

void LevelDynamics::setBarCount(int count)
{
    bars_.assign(std::max(count, 0), Bar{});
}

void LevelDynamics::setTickTiming(int holdMs, int releaseMs)
{
    holdMs_ = std::max(holdMs, 0);
    releaseMs_ = releaseMs;
}

void LevelDynamics::setTickStep(float step)
{
    if (step > 0 && std::isfinite(step)) step_ = step;
}

void LevelDynamics::clear()
{
    for (Bar& b : bars_) b = Bar{};
}

void LevelDynamics::feed(const std::vector<float>& levels, int64_t nowMs)
{
    const size_t n = std::min(levels.size(), bars_.size());
    for (size_t i = 0; i < n; ++i) {
        Bar& b = bars_[i];
        const float in = std::isfinite(levels[i]) ? std::clamp(levels[i], 0.0f, 1.0f) : 0.0f;
        const float now = level(int(i), nowMs);
        if (in >= now) {
            b.level = in;
            b.levelMs = nowMs;
        }
        // A level that reaches the tick restarts its hold.
        if (in > 0 && in >= peak(int(i), nowMs)) {
            b.peak = in;
            b.peakMs = nowMs;
        }
    }
}

float LevelDynamics::level(int bar, int64_t nowMs) const
{
    if (bar < 0 || bar >= barCount()) return 0;
    const Bar& b = bars_[bar];
    const int64_t elapsed = std::max<int64_t>(nowMs - b.levelMs, 0);
    return std::max(0.0f, b.level - float(elapsed) / float(kBarFallMs));
}

float LevelDynamics::peak(int bar, int64_t nowMs) const
{
    if (bar < 0 || bar >= barCount()) return 0;
    const Bar& b = bars_[bar];
    const int64_t falling = nowMs - b.peakMs - holdMs_;
    float p = b.peak;
    if (falling >= 0) {
        if (releaseMs_ <= 0) p = 0;
        else p -= step_ * float(falling / releaseMs_);
    }
    return std::max(p, level(bar, nowMs));
}

bool LevelDynamics::idle(int64_t nowMs) const
{
    for (int i = 0; i < barCount(); ++i)
        if (peak(i, nowMs) > 0) return false;
    return true;
}
