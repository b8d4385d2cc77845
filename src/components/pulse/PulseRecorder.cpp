#include "components/pulse/PulseRecorder.h"

#include "components/pulse/PulseRecorderPrivate.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <algorithm>
#include <cmath>
#include <limits>

PulseRecorder::PulseRecorder(QObject* parent) : TAudioRecord2(parent), d(std::make_unique<Private>(this))
{
    d->timer.setInterval(Private::kTimerMs);
    connect(&d->timer, &QTimer::timeout, this, ErrorBoundary::guarded(this, &PulseRecorder::tick));
    d->corkTimer.setSingleShot(true);
    d->corkTimer.setInterval(Private::kCorkAfterMs);
    connect(&d->corkTimer, &QTimer::timeout, this, ErrorBoundary::guarded(this, &PulseRecorder::corkPaused));
    // Nothing tells a client that a server came back: while none answers, a
    // waiting recording asks again at this pace.
    d->retryTimer.setSingleShot(true);
    d->retryTimer.setInterval(500);
    connect(&d->retryTimer, &QTimer::timeout, this, ErrorBoundary::guarded(this, &PulseRecorder::retry));
    Private* p = d.get();
    d->connection.onChange([this, p] {
        if (p->changePosted) return;
        p->changePosted = true;
        QMetaObject::invokeMethod(this, ErrorBoundary::guarded(this, &PulseRecorder::serverChanged),
                                  Qt::QueuedConnection);
    });
}

PulseRecorder::~PulseRecorder()
{
    d->timer.stop();
    closeStream();
}

void PulseRecorder::SetFormat(int sampleRate, int channels)
{
    if (!isValidFloatFormat(sampleRate, channels))
        throw TamselError(QStringLiteral("Cannot record %1 Hz with %2 channels").arg(sampleRate).arg(channels));
    newRecording(sampleRate != d->sampleRate || channels != d->channels);
    d->sampleRate = sampleRate;
    d->channels = channels;
}

int PulseRecorder::MsToSamples(int ms) const
{
    return static_cast<int>(static_cast<int64_t>(ms) * d->sampleRate / 1000);
}

void PulseRecorder::SetArraySize(int frames)
{
    if (frames <= 0) throw TamselError(QStringLiteral("Cannot record blocks of %1 frames").arg(frames));
    newRecording(false);
    d->arrayFrames = frames;
}

void PulseRecorder::newRecording(bool formatChanged)
{
    const bool wasRunning = d->running;
    d->running = false;
    d->waiting = false;
    d->retryTimer.stop();
    d->timer.stop();
    // A paused stream of the same format is kept: it is ready for the start.
    if (wasRunning || formatChanged) closeStream();
    takeCaptured();
    {
        // What the recording before waited for is none of this one's.
        PulseConnection::Lock lock(d->connection);
        d->missingSince = 0;
        d->startedUndelivered = false;
        d->pausedWaitingAt = 0;
    }
    d->pending.clear();
    d->pendingStart = 0;
    d->carriedFrames = 0;
    d->blockNumber = 0;
    d->current = Block{};
}


void PulseRecorder::openStream()
{
    // Asked before taking the lock: waits must not run under a nested lock.
    const QByteArray source = wantedSource();
    PulseConnection::Lock lock(d->connection);
    d->connection.ensureConnected();
    const QString what = QStringLiteral("Cannot record from %1").arg(QString::fromUtf8(source));
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(d->sampleRate),
                              static_cast<uint8_t>(d->channels)};
    pa_stream* stream = pa_stream_new(d->connection.context(), "Recording", &spec, nullptr);
    if (!stream) d->connection.fail(what);
    ++d->generation;
    d->stream = stream;
    d->source = source;
    d->bytesRead = 0;
    d->lastAudioAt = 0;
    d->pace = CaptureClock(d->sampleRate);
    d->keepFrom = 0;
    d->corked = false;
    pa_stream_set_state_callback(stream, Private::stateChanged, d.get());
    pa_stream_set_read_callback(stream, Private::readable, d.get());
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(Private::kFragmentUsec, &spec));
    // Never moved: a recording holds the chosen input or nothing.
    if (pa_stream_connect_record(stream, source.isEmpty() ? nullptr : source.constData(), &attr,
                                 static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE))
            >= 0
        && d->connection.waitUntilReady(stream))
        return;
    const QString message = QStringLiteral("%1: %2").arg(what, d->connection.errorText());
    PulseConnection::release(stream);
    d->stream = nullptr;
    ++d->generation;
    throw TamselError(message);
}

void PulseRecorder::closeStream()
{
    d->corkTimer.stop();
    if (d->stream) {
        PulseConnection::Lock lock(d->connection);
        PulseConnection::release(d->stream);
        d->stream = nullptr;
        ++d->generation;
    }
    takeCaptured();
}

void PulseRecorder::corkPaused()
{
    try {
        d->corkIdle();
    } catch (const TamselError&) {
        // A stream that cannot be corked is closed instead; the next start opens one.
        closeStream();
    }
}

void PulseRecorder::StartRecord()
{
    d->errorCode = 0;
    if (d->running) return;
    {
        PulseConnection::Lock lock(d->connection);
        if (d->pausedWaitingAt != 0 && d->missingSince != 0) d->missingSince += Private::now() - d->pausedWaitingAt;
        d->pausedWaitingAt = 0;
    }
    QString lost;
    try {
        bool resumed = false;
        if (d->stream) {
            const QByteArray wanted = wantedSource();
            bool ready;
            {
                PulseConnection::Lock lock(d->connection);
                ready = pa_stream_get_state(d->stream) == PA_STREAM_READY && wanted == d->source;
            }
            if (ready) {
                d->resume();
                resumed = true;
            }
        }
        if (!resumed) {
            closeStream();
            openStream();
        }
    } catch (const TamselError& e) {
        const bool missing = chosenInputMissing();
        closeStream();
        // A resume whose input went away during the pause waits for it, as a
        // recording that lost it does, and so does a new recording whose
        // chosen input is not there yet (unplugged, or its server not up);
        // any other failure fails a new recording at once.
        if (!missing && d->blockNumber == 0 && d->pending.size() == d->pendingStart) {
            d->errorCode = d->connection.errorCode();
            throw;
        }
        lost = e.message();
    }
    if (lost.isEmpty()) {
        // A stream that has delivered nothing yet (just opened, or opened
        // early and not flowing yet) keeps the time until its first audio.
        PulseConnection::Lock lock(d->connection);
        if (d->lastAudioAt == 0 && (d->missingSince == 0 || d->startedUndelivered)) {
            d->missingSince = Private::now();
            d->startedUndelivered = true;
        }
    }
    d->running = true;
    d->sessionFrames = d->carriedFrames;
    d->carriedFrames = 0;
    d->reportedFrames = 0;
    d->peak[0] = d->peak[1] = 0;
    d->awaitBlock();
    d->timer.start();
    // Blocks completed by frames kept from before a pause go out at once.
    QMetaObject::invokeMethod(this, ErrorBoundary::guarded(this, &PulseRecorder::deliver), Qt::QueuedConnection);
    if (!lost.isEmpty()) {
        qint64 since;
        {
            // Still missing since before a pause, or from now.
            PulseConnection::Lock lock(d->connection);
            since = d->missingSince != 0 ? d->missingSince : Private::now();
        }
        startWaiting(lost, since);
    }
}

void PulseRecorder::StopRecord()
{
    if (!d->running) return;
    d->running = false;
    if (d->waiting) {
        PulseConnection::Lock lock(d->connection);
        d->pausedWaitingAt = Private::now();
    }
    d->waiting = false;
    d->retryTimer.stop();
    d->timer.stop();
    d->carriedFrames += d->sessionFrames - d->reportedFrames;
    d->sessionFrames = d->reportedFrames = 0;
    if (!d->stream) return;
    d->pause();
    takeCaptured();
}

int PulseRecorder::ErrorCode() const { return d->errorCode; }

Block PulseRecorder::TakeRemainder()
{
    // The recording is over: its input is let go at once.
    if (!d->running && d->stream && !d->corked) corkPaused();
    takeCaptured();
    Block rest;
    rest.channels = d->channels;
    rest.sampleRate = d->sampleRate;
    const auto first = d->pending.begin() + static_cast<ptrdiff_t>(d->pendingStart);
    // Whole frames only; a torn frame cannot occur, but never hand one out.
    const size_t whole = (d->pending.size() - d->pendingStart) / d->channels * d->channels;
    rest.samples.assign(first, first + static_cast<ptrdiff_t>(whole));
    d->pending.clear();
    d->pendingStart = 0;
    return rest;
}

Block PulseRecorder::GetArray() { return d->current; }

int64_t PulseRecorder::SamplesToMs(int64_t samples) const { return samples * 1000 / d->sampleRate; }

void PulseRecorder::takeCaptured()
{
    std::vector<float> taken;
    std::vector<Private::GapMark> gaps;
    {
        std::lock_guard guard(d->queueMutex);
        taken.swap(d->queue);
        gaps.swap(d->gaps);
        d->deliveryPosted = false;
    }
    if (taken.empty()) return;
    const int channels = d->channels;
    if (d->running) {
        for (const Private::GapMark& gap : gaps) {
            const qint64 at = d->sessionFrames + static_cast<qint64>(gap.at) / channels;
            const qint64 frames = gap.frames;
            // Told from an event of its own: this runs inside a stop too.
            QMetaObject::invokeMethod(this, [this, frames, at] { emit OnGap(frames, at); }, Qt::QueuedConnection);
        }
    }
    for (size_t i = 0; i < taken.size(); ++i) {
        float& peak = d->peak[channels > 1 ? i % channels == 1 : 0];
        peak = std::max(peak, std::fabs(taken[i]));
    }
    const qint64 frames = static_cast<qint64>(taken.size()) / channels;
    (d->running ? d->sessionFrames : d->carriedFrames) += frames;
    if (d->pendingStart > 0) {
        d->pending.erase(d->pending.begin(), d->pending.begin() + static_cast<ptrdiff_t>(d->pendingStart));
        d->pendingStart = 0;
    }
    if (d->pending.empty())
        d->pending.swap(taken);
    else
        d->pending.insert(d->pending.end(), taken.begin(), taken.end());
}

void PulseRecorder::deliver()
{
    takeCaptured();
    const size_t blockSamples = static_cast<size_t>(d->arrayFrames) * static_cast<size_t>(d->channels);
    // A handler may stop or restart the recording; the loop re-checks each time.
    while (d->running && d->pending.size() - d->pendingStart >= blockSamples) {
        const auto first = d->pending.begin() + static_cast<ptrdiff_t>(d->pendingStart);
        d->current.samples.assign(first, first + static_cast<ptrdiff_t>(blockSamples));
        d->current.channels = d->channels;
        d->current.sampleRate = d->sampleRate;
        d->pendingStart += blockSamples;
        emit OnEndArrayRecord(d->blockNumber++);
    }
    d->awaitBlock();
}

void PulseRecorder::tick()
{
    deliver();
    if (!d->running) return;
    const int left = static_cast<int>(std::min(d->peak[0], 1.0f) * 32767);
    const int right = d->channels > 1 ? static_cast<int>(std::min(d->peak[1], 1.0f) * 32767) : left;
    d->peak[0] = d->peak[1] = 0;
    d->reportedFrames = d->sessionFrames;
    emit OnTimer(d->sessionFrames, left, right);
}
