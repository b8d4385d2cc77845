#pragma once
// Tells audio the server could not deliver (the process stopped, a suspend, a
// server that dropped what overflowed its buffer) from the pace at which audio
// arrives. Frames received are set against the time passed since the stream's
// first audio; what matters is a sudden shortfall, judged only while audio
// comes in at its own pace (not while a backlog is read in a burst), so the
// slow drift between the sound card's clock and the system's is followed, not
// taken for a loss.

#include <QtGlobal>

class CaptureClock {
public:
    explicit CaptureClock(int sampleRate) : rate_(sampleRate) {}

    // A stream starts, or takes up again after time its audio does not cover.
    void reset();
    // `frames` of audio arrived at `nowNs` (a clock that runs on in a suspend).
    // Returns the frames missing before them: 0, or a shortfall that appeared
    // at once and is longer than kShortfallMs.
    qint64 arrived(qint64 nowNs, qint64 frames);

    static constexpr int kShortfallMs = 250;
    // Arrivals in a row at the audio's pace before a shortfall is judged.
    static constexpr int kSteadyRun = 4;

private:
    int rate_;
    qint64 startNs_ = -1;
    qint64 lastNs_ = 0;
    qint64 received_ = 0;
    int steadyRun_ = 0;
    bool haveBaseline_ = false;
    qint64 baseline_ = 0;
};
