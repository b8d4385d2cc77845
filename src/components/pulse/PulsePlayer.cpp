#include "components/pulse/PulsePlayer.h"

#include "components/pulse/PulseConnection.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <pulse/pulseaudio.h>

#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <vector>

namespace {

constexpr int kTimerMs = 50;
constexpr int kQueueMs = 300;
constexpr pa_usec_t kServerBufferUsec = 200 * PA_USEC_PER_MSEC;
constexpr int kMaxRequestsAtOnce = 8;

struct QueuedBlock {
    qint64 end = 0;  // played position at which the block is over
    int levelLeft = 0;
    int levelRight = 0;
};

}  // namespace

struct PulsePlayer::Private {
    explicit Private(PulsePlayer* owner) : owner(owner), connection(QStringLiteral("Tamsel")) {}

    PulsePlayer* owner;
    PulseConnection connection;
    int sampleRate = 44100;
    int channels = 2;

    // Touched under the loop lock only; the PulseAudio thread reads them.
    pa_stream* stream = nullptr;
    QString sink;
    quint64 generation = 0;
    std::atomic<bool> servicePosted{false};

    std::vector<Block> held;  // given before StartPlay
    std::deque<QueuedBlock> queued;
    qint64 framesWritten = 0;
    qint64 targetFrames = 0;
    qint64 blockFrames = 4100;
    int outstandingRequests = 0;
    bool endOfData = false;
    bool draining = false;
    bool ended = false;
    int levelLeft = 0;
    int levelRight = 0;

    QTimer timer;

    void post(quint64 generation);
    static void stateChanged(pa_stream* stream, void* self);
    static void writable(pa_stream*, size_t, void* self);
    static void drainDone(pa_stream*, int, void* self);
};

void PulsePlayer::Private::post(quint64 forGeneration)
{
    if (servicePosted.exchange(true)) return;
    PulsePlayer* target = owner;
    QMetaObject::invokeMethod(
        target, ErrorBoundary::guarded([target, forGeneration] { target->service(forGeneration); }),
        Qt::QueuedConnection);
}

void PulsePlayer::Private::stateChanged(pa_stream* stream, void* self)
{
    auto* d = static_cast<Private*>(self);
    d->connection.wake();
    if (pa_stream_get_state(stream) != PA_STREAM_FAILED) return;
    const QString message =
        QStringLiteral("Playback on %1 stopped: %2")
            .arg(d->sink, QString::fromUtf8(pa_strerror(pa_context_errno(pa_stream_get_context(stream)))));
    PulsePlayer* owner = d->owner;
    const quint64 generation = d->generation;
    QMetaObject::invokeMethod(
        owner,
        ErrorBoundary::guarded([owner, generation, message] { owner->streamFailed(generation, message); }),
        Qt::QueuedConnection);
}

void PulsePlayer::Private::writable(pa_stream*, size_t, void* self)
{
    auto* d = static_cast<Private*>(self);
    d->post(d->generation);
}

void PulsePlayer::Private::drainDone(pa_stream*, int, void* self)
{
    // Whether or not the server could play everything, nothing more will play.
    auto* d = static_cast<Private*>(self);
    PulsePlayer* owner = d->owner;
    const quint64 generation = d->generation;
    QMetaObject::invokeMethod(
        owner, ErrorBoundary::guarded([owner, generation] { owner->drained(generation); }), Qt::QueuedConnection);
}

PulsePlayer::PulsePlayer(QObject* parent) : TAudioPlayer2(parent), d(std::make_unique<Private>(this))
{
    d->timer.setInterval(kTimerMs);
    connect(&d->timer, &QTimer::timeout, this, ErrorBoundary::guarded(this, &PulsePlayer::tick));
}

PulsePlayer::~PulsePlayer()
{
    d->timer.stop();
    closeStream();
}

void PulsePlayer::SetFormat(int sampleRate, int channels)
{
    if (!isValidFloatFormat(sampleRate, channels))
        throw TamselError(QStringLiteral("Cannot play %1 Hz with %2 channels").arg(sampleRate).arg(channels));
    // Takes effect at the next StartPlay; a running stream keeps its format.
    d->sampleRate = sampleRate;
    d->channels = channels;
}

void PulsePlayer::openStream()
{
    PulseConnection::Lock lock(d->connection);
    d->connection.ensureConnected();
    d->sink = QStringLiteral("the default output");
    const QString what = QStringLiteral("Cannot play on %1").arg(d->sink);
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(d->sampleRate),
                              static_cast<uint8_t>(d->channels)};
    pa_stream* stream = pa_stream_new(d->connection.context(), "Playback", &spec, nullptr);
    if (!stream) d->connection.fail(what);
    ++d->generation;
    d->stream = stream;
    d->servicePosted = false;
    pa_stream_set_state_callback(stream, Private::stateChanged, d.get());
    pa_stream_set_write_callback(stream, Private::writable, d.get());
    pa_buffer_attr attr;
    attr.maxlength = attr.prebuf = attr.minreq = attr.fragsize = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kServerBufferUsec, &spec));
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING
                                                      | PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) >= 0
        && d->connection.waitUntilReady(stream)) {
        if (const char* name = pa_stream_get_device_name(stream)) d->sink = QString::fromUtf8(name);
        // Keep queued at least what the server waits for before it starts.
        const pa_buffer_attr* actual = pa_stream_get_buffer_attr(stream);
        const qint64 frameBytes = static_cast<qint64>(pa_frame_size(&spec));
        const qint64 startFrames = actual ? std::max(actual->prebuf, actual->tlength) / frameBytes : 0;
        d->targetFrames = std::max<qint64>(static_cast<qint64>(d->sampleRate) * kQueueMs / 1000, startFrames);
        return;
    }
    const QString message = QStringLiteral("%1: %2").arg(what, d->connection.errorText());
    PulseConnection::release(stream);
    d->stream = nullptr;
    ++d->generation;
    throw TamselError(message);
}

void PulsePlayer::closeStream()
{
    d->timer.stop();
    if (d->stream) {
        PulseConnection::Lock lock(d->connection);
        PulseConnection::release(d->stream);
        d->stream = nullptr;
        ++d->generation;
    }
    d->queued.clear();
    d->framesWritten = 0;
    d->outstandingRequests = 0;
    d->draining = d->ended = false;
    d->levelLeft = d->levelRight = 0;
}

void PulsePlayer::StartPlay()
{
    if (d->stream) return;
    openStream();
    const std::vector<Block> held = std::move(d->held);
    d->held.clear();
    for (const Block& block : held) write(block);
    d->timer.start();
    if (d->endOfData)
        startDrain();
    else
        d->post(d->generation);
}

void PulsePlayer::StopPlay()
{
    closeStream();
    d->held.clear();
    d->endOfData = false;
}

void PulsePlayer::PlayArray(const Block& block)
{
    if (block.frames() == 0) {
        d->endOfData = true;
        if (d->stream && !d->draining) startDrain();
        return;
    }
    if (block.channels != d->channels || (block.sampleRate != 0 && block.sampleRate != d->sampleRate))
        throw TamselError(QStringLiteral("Cannot play a block of %1 Hz, %2 channels on a stream set to %3 Hz, %4 "
                                         "channels")
                              .arg(block.sampleRate)
                              .arg(block.channels)
                              .arg(d->sampleRate)
                              .arg(d->channels));
    d->blockFrames = block.frames();
    d->outstandingRequests = std::max(0, d->outstandingRequests - 1);
    if (!d->stream)
        d->held.push_back(block);
    else
        write(block);
}

void PulsePlayer::write(const Block& block)
{
    const qint64 frames = block.frames();
    const size_t bytes = static_cast<size_t>(frames * block.channels) * sizeof(float);
    {
        PulseConnection::Lock lock(d->connection);
        // A stream that just failed is reported through OnError, not here.
        if (pa_stream_get_state(d->stream) != PA_STREAM_READY) return;
        if (pa_stream_write(d->stream, block.samples.data(), bytes, nullptr, 0, PA_SEEK_RELATIVE) < 0)
            d->connection.fail(QStringLiteral("Cannot play on %1").arg(d->sink));
    }
    float peak[2] = {0, 0};
    for (size_t i = 0; i < static_cast<size_t>(frames * block.channels); ++i) {
        float& p = peak[block.channels > 1 ? i % block.channels == 1 : 0];
        p = std::max(p, std::fabs(block.samples[i]));
    }
    if (block.channels == 1) peak[1] = peak[0];
    d->framesWritten += frames;
    d->queued.push_back({d->framesWritten, static_cast<int>(std::min(peak[0], 1.0f) * 32767),
                         static_cast<int>(std::min(peak[1], 1.0f) * 32767)});
}

void PulsePlayer::startDrain()
{
    PulseConnection::Lock lock(d->connection);
    if (pa_stream_get_state(d->stream) != PA_STREAM_READY) return;
    pa_operation* op = pa_stream_drain(d->stream, Private::drainDone, d.get());
    if (!op) d->connection.fail(QStringLiteral("Cannot finish playback on %1").arg(d->sink));
    pa_operation_unref(op);
    d->draining = true;
}

qint64 PulsePlayer::service(quint64 generation)
{
    if (generation == d->generation) d->servicePosted = false;
    if (generation != d->generation || !d->stream || d->ended) return 0;
    qint64 played = 0;
    {
        PulseConnection::Lock lock(d->connection);
        pa_usec_t usec = 0;
        if (pa_stream_get_time(d->stream, &usec) >= 0)
            played = static_cast<qint64>(usec * static_cast<pa_usec_t>(d->sampleRate) / PA_USEC_PER_SEC);
    }
    // The interpolated clock can run ahead of the data the server has.
    played = std::min(played, d->framesWritten);
    // Handlers may stop, restart or feed the player; re-check after each event.
    while (!d->queued.empty() && d->queued.front().end <= played) {
        d->levelLeft = d->queued.front().levelLeft;
        d->levelRight = d->queued.front().levelRight;
        d->queued.pop_front();
        emit OnEndArrayPlay();
        if (generation != d->generation) return 0;
    }
    for (int i = 0; i < kMaxRequestsAtOnce && !d->endOfData
                    && d->framesWritten - played + d->outstandingRequests * d->blockFrames < d->targetFrames;
         ++i) {
        ++d->outstandingRequests;
        emit OnRequestOnLoadArray();
        if (generation != d->generation) return 0;
    }
    return played;
}

void PulsePlayer::tick()
{
    const quint64 generation = d->generation;
    const qint64 played = service(generation);
    if (generation != d->generation || !d->stream || d->ended) return;
    emit OnTimer(played, d->levelLeft, d->levelRight);
}

void PulsePlayer::drained(quint64 generation)
{
    if (generation != d->generation || d->ended) return;
    d->ended = true;
    d->timer.stop();
    while (!d->queued.empty()) {
        d->levelLeft = d->queued.front().levelLeft;
        d->levelRight = d->queued.front().levelRight;
        d->queued.pop_front();
        emit OnEndArrayPlay();
        if (generation != d->generation) return;
    }
    emit OnTimer(d->framesWritten, d->levelLeft, d->levelRight);
    if (generation != d->generation) return;
    emit OnEndPlay();
}

void PulsePlayer::streamFailed(quint64 generation, const QString& message)
{
    if (generation != d->generation) return;
    closeStream();
    d->held.clear();
    d->endOfData = false;
    emit OnError(message);
}

int64_t PulsePlayer::SamplesToMs(int64_t samples) const { return samples * 1000 / d->sampleRate; }
