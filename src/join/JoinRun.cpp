#include "join/JoinRun.h"

#include "components/TAudioFile2.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/FileName.h"
#include "platform/TimeText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

namespace {

// Links and differently spelled paths to one file count as the same file.
bool sameFile(const QString& a, const QString& b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(filename::encode(a).toStdString(),
                                                  filename::encode(b).toStdString(), error);
    if (!error) return same;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath())
           == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

int64_t nowMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}

// A decoder ending this little short of an exactly stated length has lost
// nothing anyone hears; more is worth telling.
constexpr double kShortfallSeconds = 0.1;

}  // namespace

QString JoinRun::formatName(Format format)
{
    switch (format) {
    case Format::Flac: return QStringLiteral("FLAC");
    case Format::Opus: return QStringLiteral("Opus");
    case Format::Mp3: return QStringLiteral("MP3");
    case Format::Ogg: return QStringLiteral("Ogg Vorbis");
    case Format::Raw: return QStringLiteral("raw");
    case Format::Wav: break;
    }
    return QStringLiteral("WAV");
}

QString JoinRun::Shortfall::message() const
{
    const double got = rate > 0 ? double(decoded) / rate : 0, of = rate > 0 ? double(stated) / rate : 0;
    QString gotText = timeTextFromSeconds(int64_t(got)), ofText = timeTextFromSeconds(int64_t(of));
    // Within one second the clock cannot tell them apart.
    if (gotText == ofText) {
        gotText = QStringLiteral("%1 s").arg(got, 0, 'f', 2);
        ofText = QStringLiteral("%1 s").arg(of, 0, 'f', 2);
    }
    return QStringLiteral("%1: only %2 of its %3 could be decoded").arg(path, gotText, ofText);
}

JoinRun::JoinRun(TAudioFile2& reader, TAudioFile2& writer, Listener listener)
    : reader_(reader), writer_(writer), listener_(std::move(listener))
{
}

QString JoinRun::inputThatIsOutput(const QStringList& inputs, const QString& output)
{
    for (const QString& input : inputs)
        if (sameFile(output, input)) return input;
    return {};
}

int JoinRun::blockFrames(int sampleRate, int channels)
{
    constexpr int64_t kMaxSamples = (1 << 20) / sizeof(float);
    const int64_t bySize = kMaxSamples / std::max(1, channels);
    return static_cast<int>(std::clamp<int64_t>(std::min<int64_t>(sampleRate, bySize), 1, kMaxSamples));
}

void JoinRun::setFormat()
{
    const Output& o = output_;
    switch (o.format) {
    case Format::Wav: return writer_.SetWavFormat(o.sampleRate, o.channels, o.bitsPerSample);
    case Format::Flac: return writer_.SetFlacFormat(o.sampleRate, o.channels, o.bitsPerSample);
    case Format::Opus: return writer_.SetOpusFormat(o.sampleRate, o.channels, o.opusKbps);
    case Format::Mp3: return writer_.SetMp3Format(o.sampleRate, o.channels, o.mp3VbrQuality, o.mp3Kbps);
    case Format::Ogg:
    case Format::Raw: break;
    }
    throw TamselError(QStringLiteral("Cannot join into %1: a join writes WAV, FLAC, Opus or MP3")
                          .arg(o.path));
}

bool JoinRun::decodes(const QStringList& inputs, const Output& output)
{
    output_ = output;
    setFormat();
    TPcmCopy* copy = byteCopy_ ? writer_.PcmCopyFacet() : nullptr;
    return !copy || !std::all_of(inputs.begin(), inputs.end(), [copy](const QString& in) { return copy->CanCopy(in); });
}

bool JoinRun::run(const QStringList& inputs, const Output& output)
{
    progress_ = {};
    output_ = output;
    chapters_.clear();
    shortfalls_.clear();
    secondsBefore_ = 0;
    unreported_ = false;
    lastTickMs_ = nowMs();
    QString current = output.path;
    try {
        setFormat();
        if (writer_.IsOpen()) writer_.CloseFile();
        writer_.OpenWrite(output.path, 0);
        bool whole = true;
        for (int entry = 0; entry < inputs.size() && whole; ++entry) {
            current = inputs[entry];
            whole = joinEntry(entry, inputs[entry]);
        }
        current = output.path;
        report(true);
        noteWritten();
        writer_.SetChapters(chapters_);
        writer_.CloseFile();
        return whole;
    } catch (...) {
        const QString why = ErrorBoundary::currentMessage();
        noteWritten();
        closeAll();
        throw TamselError(why.contains(current) ? why
                                                : QStringLiteral("Joining stopped at %1: %2").arg(current, why));
    }
}

bool JoinRun::joinEntry(int entry, const QString& path)
{
    if (listener_.stopRequested && listener_.stopRequested()) return false;
    progress_.entry = entry;
    progress_.entryDone = 0;
    progress_.entryLength = 0;
    if (listener_.entryStarted) listener_.entryStarted(entry);
    const bool whole = copyEntry(path) || decodeEntry(path);
    secondsBefore_ = progress_.secondsJoined;
    if (listener_.entryFinished) listener_.entryFinished(entry);
    return whole && !(listener_.stopRequested && listener_.stopRequested());
}

// True when the input was copied as bytes; a stop leaves the rest uncopied.
bool JoinRun::copyEntry(const QString& path)
{
    TPcmCopy* copy = byteCopy_ ? writer_.PcmCopyFacet() : nullptr;
    if (!copy || !copy->OpenCopy(path)) return false;
    markStart(path);
    progress_.entryLength = copy->CopyLength();
    progress_.entryRate = writer_.SampleRate();
    const int64_t block = int64_t(blockFrames(progress_.entryRate, writer_.Channels())) * 8;
    while (advance(copy->CopyFrames(block))) {
    }
    copy->CloseCopy();
    return true;
}

bool JoinRun::decodeEntry(const QString& path)
{
    if (reader_.IsOpen()) reader_.CloseFile();
    reader_.OpenRead(path, 0, 1);
    markStart(path);
    const bool exact = reader_.SamplesExact();
    progress_.entryLength = reader_.Samples();
    progress_.entryRate = reader_.ArraySampleRate();
    writer_.SetInputFormat(reader_.ArraySampleRate(), reader_.ArrayChannels());
    const int request = blockFrames(reader_.ArraySampleRate(), reader_.ArrayChannels());
    // Read to the real end: the stated length is only an estimate for some
    // files (VBR MP3 without a Xing header, FLAC of unknown length).
    for (;;) {
        // The list window may have measured an added file with the shared
        // reader meanwhile; carry on where this file was left.
        if (!reader_.IsOpen()) {
            reader_.OpenRead(path, 0, 1);
            reader_.Seek(progress_.entryDone, 3);
        }
        const Block block = reader_.ReadArray(request);
        if (block.frames() == 0) {
            if (exact) checkLength(path, progress_.entryLength, progress_.entryRate);
            break;
        }
        writer_.WriteArray(block);
        if (!advance(block.frames())) break;
    }
    if (reader_.IsOpen()) reader_.CloseFile();
    return true;
}

// The chapter of the input about to be joined, at the output frame where it
// begins.
void JoinRun::markStart(const QString& path)
{
    const int64_t frame = std::llround(secondsBefore_ * writer_.SampleRate());
    chapters_.append({frame, QFileInfo(path).completeBaseName()});
}

// Reading ended: an input stating exactly more than it gave is damaged.
void JoinRun::checkLength(const QString& path, int64_t stated, int rate)
{
    const int64_t decoded = progress_.entryDone;
    if (rate <= 0 || double(stated - decoded) / rate <= kShortfallSeconds) return;
    shortfalls_.append({progress_.entry, path, decoded, stated, rate});
    if (listener_.cutShort) listener_.cutShort(shortfalls_.last());
}

// Counts frames read; false at the end or when a stop was requested.
bool JoinRun::advance(int64_t frames)
{
    if (frames <= 0) return false;
    progress_.entryDone += frames;
    if (progress_.entryRate > 0)
        progress_.secondsJoined = secondsBefore_ + double(progress_.entryDone) / progress_.entryRate;
    unreported_ = true;
    report(false);
    return !(listener_.stopRequested && listener_.stopRequested());
}

void JoinRun::report(bool force)
{
    const int64_t now = nowMs();
    if (!unreported_ || (!force && now - lastTickMs_ < tickMs_)) return;
    lastTickMs_ = now;
    unreported_ = false;
    if (listener_.tick) listener_.tick(progress_);
}

// What the output really holds, which is what a failed block left out of.
void JoinRun::noteWritten() noexcept
{
    if (writer_.IsOpen() && writer_.SampleRate() > 0)
        progress_.secondsJoined = double(writer_.Samples()) / writer_.SampleRate();
}

void JoinRun::closeAll() noexcept
{
    // Each step runs even when the one before fails: the output must be
    // completed whatever the reader does.
    try {
        if (TPcmCopy* copy = writer_.PcmCopyFacet()) copy->CloseCopy();
    } catch (...) {
    }
    try {
        if (reader_.IsOpen()) reader_.CloseFile();
    } catch (...) {
    }
    try {
        if (writer_.IsOpen()) writer_.SetChapters(chapters_);
    } catch (...) {
    }
    try {
        if (writer_.IsOpen()) writer_.CloseFile();
    } catch (...) {
    }
}
