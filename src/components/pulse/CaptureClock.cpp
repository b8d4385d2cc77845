#include "components/pulse/CaptureClock.h"

void CaptureClock::reset()
{
    startNs_ = -1;
    received_ = 0;
    steadyRun_ = 0;
    haveBaseline_ = false;
}

qint64 CaptureClock::arrived(qint64 nowNs, qint64 frames)
{
    if (frames <= 0) return 0;
    if (startNs_ < 0) {
        startNs_ = lastNs_ = nowNs;
        received_ = frames;
        return 0;
    }
    const qint64 spacing = nowNs - lastNs_;
    lastNs_ = nowNs;
    const qint64 pieceNs = frames * 1000000000 / rate_;
    // A burst (a backlog read at once) or a long silence of the stream
    // (a stall) is no measure of what the server captured.
    const bool steady = spacing * 4 >= pieceNs && spacing <= pieceNs * 4;
    steadyRun_ = steady ? steadyRun_ + 1 : 0;
    const qint64 expected = (nowNs - startNs_) * rate_ / 1000000000;
    const qint64 shortfall = expected - (received_ + frames);
    qint64 missing = 0;
    if (steadyRun_ >= kSteadyRun) {
        if (!haveBaseline_) {
            baseline_ = shortfall;
            haveBaseline_ = true;
        } else if (shortfall - baseline_ > static_cast<qint64>(rate_) * kShortfallMs / 1000) {
            missing = shortfall - baseline_;
        } else {
            baseline_ = shortfall;
        }
    }
    received_ += frames + missing;
    return missing;
}
