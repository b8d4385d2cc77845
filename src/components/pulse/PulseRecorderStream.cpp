#include "components/pulse/PulseRecorderPrivate.h"

#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <algorithm>
#include <limits>
#include <time.h>

qint64 PulseRecorder::Private::now()
{
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return static_cast<qint64>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// Under the queue lock. The gap is told when the UI thread takes it, where
// the frames before it are counted.
void PulseRecorder::Private::markGap(qint64 frames)
{
    gaps.push_back({queue.size(), frames});
}

void PulseRecorder::Private::succeeded(pa_stream*, int ok, void* result)
{
    if (result) *static_cast<int*>(result) = ok;
}

void PulseRecorder::Private::readable(pa_stream* stream, size_t, void* self)
{
    auto* d = static_cast<Private*>(self);
    std::lock_guard guard(d->queueMutex);
    const size_t available = pa_stream_readable_size(stream);
    if (available != static_cast<size_t>(-1)) {
        // Audio the server could not deliver keeps its length as silence
        // before what came after it; during a pause it is dropped anyway.
        const qint64 lost = d->pace.arrived(now(), static_cast<qint64>(available / sizeof(float)) / d->channels);
        if (lost > 0 && d->keepFrom <= d->bytesRead) {
            d->markGap(lost);
            d->queue.insert(d->queue.end(), static_cast<size_t>(lost) * static_cast<size_t>(d->channels), 0.0f);
        }
    }
    for (;;) {
        const void* data = nullptr;
        size_t bytes = 0;
        // A failing peek means the stream itself failed; stateChanged reports it.
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) break;
        const size_t count = bytes / sizeof(float);
        // What was captured during a pause or before a resume is left out.
        const uint64_t skipped = d->keepFrom > d->bytesRead ? std::min<uint64_t>(d->keepFrom - d->bytesRead, bytes) : 0;
        const size_t dropped = static_cast<size_t>(skipped) / sizeof(float);
        if (d->missingSince != 0 && dropped < count) {
            // The time without input, less what the kept part of this first
            // piece covers, ends where that part begins.
            const qint64 piece = static_cast<qint64>(count - dropped) / d->channels;
            const qint64 gap = (now() - d->missingSince) * d->sampleRate / 1000000000 - piece;
            const bool start = d->startedUndelivered;
            const qint64 least = start ? static_cast<qint64>(d->sampleRate) * CaptureClock::kShortfallMs / 1000 : 1;
            d->missingSince = 0;
            d->startedUndelivered = false;
            if (gap >= least) {
                // A slow start is the stream's, not an input that went missing.
                if (!start) d->markGap(gap);
                d->queue.insert(d->queue.end(), static_cast<size_t>(gap) * static_cast<size_t>(d->channels), 0.0f);
            }
        }
        if (data) {
            const auto* samples = static_cast<const float*>(data);
            d->queue.insert(d->queue.end(), samples + dropped, samples + count);
        } else {
            // A hole keeps its place in time as silence.
            d->queue.insert(d->queue.end(), count - dropped, 0.0f);
        }
        pa_stream_drop(stream);
        d->bytesRead += bytes;
        d->lastAudioAt = now();
    }
    if (d->draining) d->connection.wake();
    if (!d->deliveryPosted && d->queue.size() >= d->samplesToBlock) {
        d->deliveryPosted = true;
        PulseRecorder* owner = d->owner;
        QMetaObject::invokeMethod(owner, ErrorBoundary::guarded([owner] { owner->deliver(); }),
                                  Qt::QueuedConnection);
    }
}

void PulseRecorder::Private::stateChanged(pa_stream* stream, void* self)
{
    auto* d = static_cast<Private*>(self);
    d->connection.wake();
    if (pa_stream_get_state(stream) != PA_STREAM_FAILED) return;
    const QString message =
        QStringLiteral("Recording from %1 stopped: %2")
            .arg(QString::fromUtf8(d->source),
                 QString::fromUtf8(pa_strerror(pa_context_errno(pa_stream_get_context(stream)))));
    PulseRecorder* owner = d->owner;
    const quint64 generation = d->generation;
    QMetaObject::invokeMethod(
        owner,
        ErrorBoundary::guarded([owner, generation, message] { owner->streamFailed(generation, message); }),
        Qt::QueuedConnection);
}

void PulseRecorder::Private::drainExpired(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self)
{
    auto* d = static_cast<Private*>(self);
    d->drainTimedOut = true;
    d->connection.wake();
}

// The count of bytes read at which the stream will have delivered what the
// server has captured by now; none when the server does not tell.
std::optional<uint64_t> PulseRecorder::Private::capturedUntil()
{
    pa_operation* update = pa_stream_update_timing_info(stream, succeeded, nullptr);
    if (!update) return {};
    try {
        connection.finish(update, QStringLiteral("Cannot read the recording's position"));
    } catch (const TamselError&) {
        return {};
    }
    pa_usec_t behind = 0;
    int negative = 0;
    if (pa_stream_get_latency(stream, &behind, &negative) < 0) return {};
    if (negative) return bytesRead;
    const pa_sample_spec* spec = pa_stream_get_sample_spec(stream);
    return bytesRead + pa_usec_to_bytes(behind, spec) / pa_frame_size(spec) * pa_frame_size(spec);
}

// Reads until the stream has delivered what the server had captured when
// this was called, what it holds of an unfinished fragment included; returns
// the count of bytes read that ends there, or none when the server does not
// tell or sends nothing more in a bounded time.
std::optional<uint64_t> PulseRecorder::Private::drain()
{
    PulseConnection::Lock lock(connection);
    if (pa_stream_get_state(stream) != PA_STREAM_READY) return {};
    const std::optional<uint64_t> end = capturedUntil();
    if (!end || *end <= bytesRead) return end;
    const pa_usec_t behind = pa_bytes_to_usec(*end - bytesRead, pa_stream_get_sample_spec(stream));
    pa_time_event* expiry = pa_context_rttime_new(
        connection.context(), pa_rtclock_now() + std::min(behind + kFragmentUsec, kMostDrainUsec), drainExpired,
        this);
    draining = true;
    drainTimedOut = false;
    while (bytesRead < *end && !drainTimedOut && pa_stream_get_state(stream) == PA_STREAM_READY)
        connection.wait();
    draining = false;
    if (expiry) pa_threaded_mainloop_get_api(connection.loop())->time_free(expiry);
    if (bytesRead < *end) return {};
    return end;
}

// Ends capture where it is called: reads what the server captured until then
// and drops what was captured later, read already or still to come.
void PulseRecorder::Private::pause()
{
    const std::optional<uint64_t> end = drain();
    {
        PulseConnection::Lock lock(connection);
        if (end && bytesRead > *end) {
            const size_t after = static_cast<size_t>(bytesRead - *end) / sizeof(float);
            std::lock_guard guard(queueMutex);
            queue.resize(queue.size() - std::min(after, queue.size()));
            std::erase_if(gaps, [this](const GapMark& gap) { return gap.at >= queue.size(); });
        }
        keepFrom = std::numeric_limits<uint64_t>::max();
    }
    if (!corked) corkTimer.start();
}

// Takes up capture where it is called, without what the server captured before.
void PulseRecorder::Private::resume()
{
    corkTimer.stop();
    if (corked) {
        // Corking dropped what the server held: everything from now on counts.
        {
            PulseConnection::Lock lock(connection);
            keepFrom = bytesRead;
            pace.reset();
        }
        setCork(false);
        corked = false;
        return;
    }
    PulseConnection::Lock lock(connection);
    keepFrom = capturedUntil().value_or(bytesRead);
}

// A pause that lasts is corked, and what the server still holds of it dropped.
void PulseRecorder::Private::corkIdle()
{
    setCork(true);
    corked = true;
    PulseConnection::Lock lock(connection);
    int ok = 0;
    const QString what = QStringLiteral("Cannot pause recording from %1").arg(QString::fromUtf8(source));
    connection.finish(pa_stream_flush(stream, succeeded, &ok), what);
    if (!ok) connection.fail(what);
}

// A delivery is worth posting once the queue completes the next block.
void PulseRecorder::Private::awaitBlock()
{
    const size_t block = static_cast<size_t>(arrayFrames) * static_cast<size_t>(channels);
    const size_t have = pending.size() - pendingStart;
    std::lock_guard guard(queueMutex);
    samplesToBlock = have < block ? block - have : 1;
}

void PulseRecorder::Private::setCork(bool cork)
{
    PulseConnection::Lock lock(connection);
    int ok = 0;
    const QString what = QStringLiteral("Cannot %1 recording from %2")
                             .arg(cork ? QStringLiteral("pause") : QStringLiteral("resume"),
                                  QString::fromUtf8(source));
    connection.finish(pa_stream_cork(stream, cork ? 1 : 0, succeeded, &ok), what);
    if (!ok) connection.fail(what);
}
