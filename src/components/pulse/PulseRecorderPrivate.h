#pragma once
// The inside of PulseRecorder, shared by its three parts: PulseRecorder.cpp
// (the component's calls, the blocks and the timer), PulseRecorderStream.cpp
// (the stream: what the PulseAudio thread reads, and where a stop or a resume
// falls in it) and PulseRecorderInput.cpp (the source recorded, the lines, and
// waiting for an input that went away).

#include "components/pulse/CaptureClock.h"
#include "components/pulse/PulseConnection.h"
#include "components/pulse/PulseInputLines.h"
#include "components/pulse/PulseRecorder.h"

#include <pulse/pulseaudio.h>

#include <QTimer>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

struct PulseRecorder::Private {
    static constexpr int kTimerMs = 50;
    // Servers hand captured audio over in whole fragments (pipewire-pulse
    // does), and a stop waits for the one under way: this is the longest it
    // waits. Shorter fragments wake the client and the server more often
    // (at 20 ms pipewire-pulse runs its graph at twice its usual pace and
    // takes three times the CPU); blocks are gathered from them here anyway.
    static constexpr pa_usec_t kFragmentUsec = 50 * PA_USEC_PER_MSEC;
    // The longest a stop waits for what the server captured before it.
    static constexpr pa_usec_t kMostDrainUsec = 250 * PA_USEC_PER_MSEC;
    // A paused stream runs on unheard this long before it is corked: resuming
    // a corked stream can cost pipewire-pulse a cycle of its graph, which runs
    // at the pace of the other streams meanwhile (tens of milliseconds).
    static constexpr int kCorkAfterMs = 30000;

    explicit Private(PulseRecorder* owner) : owner(owner), connection(QStringLiteral("Tamsel")), lines(connection) {}

    PulseRecorder* owner;
    PulseConnection connection;
    PulseInputLines lines;
    int currentLine = 0;
    bool linesRead = false;
    // The source chosen by name; empty follows the server's default source.
    QByteArray chosen;
    // The input or the server went away during a recording: capture resumes
    // by itself when it returns, after the missing time as silence.
    bool waiting = false;
    QTimer retryTimer;

    int sampleRate = 44100;
    int channels = 2;
    int arrayFrames = 8820;
    int errorCode = 0;
    bool running = false;

    // Touched under the loop lock only; the PulseAudio thread reads them.
    pa_stream* stream = nullptr;
    QByteArray source;
    quint64 generation = 0;

    // Filled by the PulseAudio thread, emptied by the UI thread. A delivery
    // is posted once the queue completes a block, not for every fragment.
    std::mutex queueMutex;
    std::vector<float> queue;
    // Gaps kept as silence in the queue: the sample index each starts at.
    struct GapMark {
        size_t at;
        qint64 frames;
    };
    std::vector<GapMark> gaps;
    void markGap(qint64 frames);
    bool deliveryPosted = false;
    size_t samplesToBlock = 1;

    // Under the loop lock: bytes read from the stream; those before keepFrom
    // are dropped, as captured during a pause or before a resume.
    uint64_t bytesRead = 0;
    uint64_t keepFrom = 0;
    // Steady-clock nanoseconds since which audio is missing, 0 when none is:
    // the next stream's first audio is preceded by silence for the time.
    qint64 missingSince = 0;
    // missingSince marks a start on a stream that has delivered nothing yet:
    // a first delivery later than a stream's own latency (a PulseAudio
    // monitor's first audio can take two seconds) is kept as silence too,
    // but not told as a gap: no input went missing.
    bool startedUndelivered = false;
    // A pause that began while waiting: its time is not missing input.
    qint64 pausedWaitingAt = 0;
    qint64 lastAudioAt = 0;  // when the latest audio arrived
    CaptureClock pace{44100};
    bool changePosted = false;
    bool draining = false;
    bool drainTimedOut = false;
    bool corked = false;

    // Samples taken from the queue and not yet handed out in a block.
    std::vector<float> pending;
    size_t pendingStart = 0;
    Block current;
    int blockNumber = 0;
    float peak[2] = {0, 0};

    // Frames counted for OnTimer; frames never reported move to the next start.
    qint64 sessionFrames = 0;
    qint64 reportedFrames = 0;
    qint64 carriedFrames = 0;

    QTimer timer;
    QTimer corkTimer;

    // Nanoseconds of a clock that runs on while the machine is suspended.
    static qint64 now();
    static void succeeded(pa_stream*, int ok, void* result);
    static void readable(pa_stream* stream, size_t, void* self);
    static void stateChanged(pa_stream* stream, void* self);
    static void drainExpired(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    void setCork(bool cork);
    std::optional<uint64_t> capturedUntil();
    std::optional<uint64_t> drain();
    void pause();
    void resume();
    void corkIdle();
    void awaitBlock();
};
