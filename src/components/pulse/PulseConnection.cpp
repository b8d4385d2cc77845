#include "components/pulse/PulseConnection.h"

#include "platform/Error.h"

#include <pulse/pulseaudio.h>

namespace {

void contextStateChanged(pa_context*, void* loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

void operationStateChanged(pa_operation*, void* loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
}

void changed(pa_context*, pa_subscription_event_type_t event, uint32_t, void* handler)
{
    const unsigned facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const unsigned type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // A source's volume or state changing is no change of the list.
    if (facility == PA_SUBSCRIPTION_EVENT_SOURCE && type == PA_SUBSCRIPTION_EVENT_CHANGE) return;
    (*static_cast<std::function<void()>*>(handler))();
}

}  // namespace

PulseConnection::PulseConnection(const QString& clientName) : clientName_(clientName)
{
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) throw TamselError(QStringLiteral("Cannot create the sound server client thread"));
}

PulseConnection::~PulseConnection()
{
    if (started_) {
        pa_threaded_mainloop_lock(loop_);
        dropContext();
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
    } else {
        dropContext();
    }
    pa_threaded_mainloop_free(loop_);
}

PulseConnection::Lock::Lock(PulseConnection& connection) : loop_(connection.loop_)
{
    connection.startLoop();
    pa_threaded_mainloop_lock(loop_);
}

PulseConnection::Lock::~Lock() { pa_threaded_mainloop_unlock(loop_); }

void PulseConnection::startLoop()
{
    if (started_) return;
    if (pa_threaded_mainloop_start(loop_) < 0)
        throw TamselError(QStringLiteral("Cannot start the sound server client thread"));
    started_ = true;
}

void PulseConnection::dropContext()
{
    if (!context_) return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_set_subscribe_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

void PulseConnection::ensureConnected()
{
    if (context_) {
        const pa_context_state_t state = pa_context_get_state(context_);
        if (state == PA_CONTEXT_READY) return;
        // A context that failed or ended cannot be revived; start a new one.
        if (!PA_CONTEXT_IS_GOOD(state)) dropContext();
    }
    if (!context_) {
        pa_proplist* props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, clientName_.toUtf8().constData());
        pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "tamsel");
        context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_),
                                                clientName_.toUtf8().constData(), props);
        pa_proplist_free(props);
        if (!context_) throw TamselError(QStringLiteral("Cannot create a sound server client"));
        pa_context_set_state_callback(context_, contextStateChanged, loop_);
        // Never spawn a daemon: the program uses the server the session runs.
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            const QString message = errorText();
            dropContext();
            throw TamselError(QStringLiteral("Cannot connect to the sound server: %1. Is PulseAudio "
                                             "or PipeWire running?")
                                  .arg(message));
        }
    }
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context_);
        if (state == PA_CONTEXT_READY) {
            if (onChange_) {
                pa_context_set_subscribe_callback(context_, changed, &onChange_);
                pa_operation* op = pa_context_subscribe(
                    context_, static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER),
                    nullptr, nullptr);
                if (op) pa_operation_unref(op);
            }
            return;
        }
        if (!PA_CONTEXT_IS_GOOD(state)) {
            const QString message = errorText();
            dropContext();
            throw TamselError(QStringLiteral("Cannot connect to the sound server: %1. Is PulseAudio "
                                             "or PipeWire running?")
                                  .arg(message));
        }
        pa_threaded_mainloop_wait(loop_);
    }
}

void PulseConnection::finish(pa_operation* operation, const QString& what)
{
    if (!operation) fail(what);
    pa_operation_set_state_callback(operation, operationStateChanged, loop_);
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) pa_threaded_mainloop_wait(loop_);
    const pa_operation_state_t state = pa_operation_get_state(operation);
    pa_operation_set_state_callback(operation, nullptr, nullptr);
    pa_operation_unref(operation);
    if (state != PA_OPERATION_DONE) fail(what);
}

void PulseConnection::wait() { pa_threaded_mainloop_wait(loop_); }

void PulseConnection::wake() { pa_threaded_mainloop_signal(loop_, 0); }

bool PulseConnection::waitUntilReady(pa_stream* stream)
{
    pa_stream_state_t state;
    while ((state = pa_stream_get_state(stream)) == PA_STREAM_CREATING) wait();
    return state == PA_STREAM_READY;
}

void PulseConnection::release(pa_stream* stream)
{
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

bool PulseConnection::connected() const
{
    return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY;
}

int PulseConnection::errorCode() const
{
    if (!context_) return PA_ERR_CONNECTIONTERMINATED;
    const int code = pa_context_errno(context_);
    return code != PA_OK ? code : PA_ERR_UNKNOWN;
}

QString PulseConnection::errorText() const
{
    return QString::fromUtf8(pa_strerror(errorCode()));
}

void PulseConnection::fail(const QString& what) const
{
    throw TamselError(QStringLiteral("%1: %2").arg(what, errorText()));
}

bool isValidFloatFormat(int sampleRate, int channels)
{
    if (sampleRate <= 0 || channels <= 0 || channels > static_cast<int>(PA_CHANNELS_MAX)) return false;
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(sampleRate),
                              static_cast<uint8_t>(channels)};
    return pa_sample_spec_valid(&spec) != 0;
}
