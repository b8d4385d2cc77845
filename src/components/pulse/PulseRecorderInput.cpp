// PulseRecorder's input: the source recorded and the lines offered, waiting
// for an input or a server that went away, and following the default source.

#include "components/pulse/PulseRecorderPrivate.h"
#include "platform/Error.h"

#include <limits>

QByteArray PulseRecorder::wantedSource()
{
    return d->chosen.isEmpty() ? d->lines.defaultSource().toUtf8() : d->chosen;
}

// A stream opened well before the first start: a new stream's first audio
// can come a second or two late (a null sink's monitor on PulseAudio, early in
// a process), and that audio is lost. A ready stream, paused, is taken up at
// the press instead; it is corked after a while like any pause.
void PulseRecorder::prepare()
{
    if (d->stream || d->running) return;
    try {
        openStream();
    } catch (const TamselError&) {
        closeStream();  // the start will say why
        return;
    }
    {
        PulseConnection::Lock lock(d->connection);
        d->keepFrom = std::numeric_limits<uint64_t>::max();
        std::lock_guard guard(d->queueMutex);
        d->queue.clear();
        d->gaps.clear();
    }
    d->corkTimer.start();
}

void PulseRecorder::streamFailed(quint64 generation, const QString& message)
{
    if (generation != d->generation) return;
    closeStream();
    if (!d->running || d->waiting) return;
    qint64 since;
    {
        // The audio missing starts where the last that came ends, however
        // late the failure is heard of here.
        PulseConnection::Lock lock(d->connection);
        since = d->lastAudioAt != 0 ? d->lastAudioAt : Private::now();
    }
    startWaiting(message, since);
}

void PulseRecorder::startWaiting(const QString& why, qint64 since)
{
    d->waiting = true;
    {
        PulseConnection::Lock lock(d->connection);
        d->missingSince = since;
        d->startedUndelivered = false;
    }
    emit OnInputWaiting(why);
    retry();
}

// After a failed open: whether the input chosen by name is simply not there,
// the server answering without it or not answering at all.
bool PulseRecorder::chosenInputMissing()
{
    if (d->chosen.isEmpty()) return false;
    PulseConnection::Lock lock(d->connection);
    return !d->connection.connected() || d->connection.errorCode() == PA_ERR_NOENTITY;
}

// While waiting: opens the stream again if its source (or the server) is back.
void PulseRecorder::retry()
{
    d->retryTimer.stop();
    if (!d->waiting || !d->running) return;
    try {
        openStream();
    } catch (const TamselError&) {
        bool up;
        {
            PulseConnection::Lock lock(d->connection);
            up = d->connection.connected();
        }
        // A server that answers tells when its sources change.
        if (!up) d->retryTimer.start();
        return;
    }
    d->waiting = false;
}

// Capture moves to another source without a stop: the default changed.
void PulseRecorder::switchSource()
{
    closeStream();
    {
        PulseConnection::Lock lock(d->connection);
        d->missingSince = Private::now();
        d->startedUndelivered = false;
    }
    try {
        openStream();
    } catch (const TamselError& e) {
        d->waiting = true;
        emit OnInputWaiting(e.message());
        retry();
    }
}

void PulseRecorder::serverChanged()
{
    {
        PulseConnection::Lock lock(d->connection);
        d->changePosted = false;
    }
    emit OnLinesChanged();
    if (d->waiting) {
        retry();
        return;
    }
    if (!d->running || !d->stream || !d->chosen.isEmpty()) return;
    const QByteArray wanted = wantedSource();
    if (!wanted.isEmpty() && wanted != d->source) switchSource();
}

void PulseRecorder::SetSource(const QString& source)
{
    const QByteArray chosen = source.toUtf8();
    if (chosen == d->chosen) return;
    d->chosen = chosen;
    if (!d->stream) return;
    if (d->running && !d->waiting)
        switchSource();
    else if (!d->running) {
        closeStream();
        prepare();
    }
}

QString PulseRecorder::LineSource()
{
    const PulseLine* line = d->lines.line(d->currentLine);
    return line ? line->source : QString();
}

int PulseRecorder::DeviceCount() { return 0; }

void PulseRecorder::SetDevice(int index)
{
    if (index != 0)
        throw TamselError(QStringLiteral("There is no capture device %1: the sound server is the only one")
                              .arg(index));
}

QString PulseRecorder::DeviceName() { return d->lines.serverName(); }

int PulseRecorder::InputLineCount()
{
    d->linesRead = true;
    const int count = d->lines.refresh();
    prepare();
    return count;
}

void PulseRecorder::SetLine(int number)
{
    if (!d->linesRead && number > 0) InputLineCount();
    d->currentLine = number;
}

QString PulseRecorder::LineName()
{
    const PulseLine* line = d->lines.line(d->currentLine);
    return line ? line->name : QString();
}

bool PulseRecorder::LineSelected()
{
    const PulseLine* line = d->lines.line(d->currentLine);
    return line && line->source.toUtf8() == d->chosen && d->lines.isActivePort(*line);
}

void PulseRecorder::SetLineSelected()
{
    const PulseLine* line = d->lines.line(d->currentLine);
    if (!line) return;
    const PulseLine picked = *line;
    d->lines.selectPort(picked);
    SetSource(picked.source);
}

int PulseRecorder::LineVolume()
{
    const PulseLine* line = d->lines.line(d->currentLine);
    return line ? d->lines.volume(*line) : 0;
}

void PulseRecorder::SetLineVolume(int volume)
{
    if (const PulseLine* line = d->lines.line(d->currentLine)) d->lines.setVolume(*line, volume);
}
