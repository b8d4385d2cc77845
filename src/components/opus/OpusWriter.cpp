#include "components/opusenc/OpusWriter.h"

#include "platform/Error.h"
#include "platform/FileName.h"

#include <opus/opusenc.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Pages are flushed at least this often (samples at 48 kHz): half a second.
constexpr int kPageDelay = 24000;
// Complexity 6 costs two thirds of the default 10 and sounds the same at
// music bitrates; a recording to Opus then stays within twice the CPU of
// one to WAV.
constexpr int kComplexity = 6;

}  // namespace

struct OpusWriter::State {
    OggOpusEnc* encoder = nullptr;
    OggOpusComments* comments = nullptr;
    int fd = -1;
    int writeErrno = 0;  // of the first write that failed

    ~State()
    {
        if (encoder) ope_encoder_destroy(encoder);
        if (comments) ope_comments_destroy(comments);
        if (fd >= 0) ::close(fd);
    }

    // Pages go straight to the file: no stdio buffer holds them back.
    static int write(void* user, const unsigned char* data, opus_int32 length)
    {
        auto* s = static_cast<State*>(user);
        while (length > 0) {
            const ssize_t n = ::write(s->fd, data, size_t(length));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                s->writeErrno = n < 0 ? errno : ENOSPC;
                return 1;
            }
            data += n;
            length -= opus_int32(n);
        }
        return 0;
    }
    // The file is closed by close(), where its error can be told.
    static int noClose(void*) { return 0; }
};

void OpusWriter::validate(const Format& f)
{
    if (f.channels < 1 || f.channels > 8)
        throw TamselError(QString("Unsupported Opus format: %1 channels: 1 to 8 channels are possible").arg(f.channels));
    if (f.kbps < 6 * f.channels || f.kbps > 256 * f.channels)
        throw TamselError(QString("Unsupported Opus format: %1 channels at %2 kbit/s: %3 to %4 kbit/s are possible")
                              .arg(f.channels).arg(f.kbps).arg(6 * f.channels).arg(256 * f.channels));
}

OpusWriter::OpusWriter() = default;

OpusWriter::~OpusWriter()
{
    try {
        close();
    } catch (const TamselError&) {
        // Nothing can report it from here.
    }
}

void OpusWriter::open(const QString& fileName, const Format& format)
{
    close();
    validate(format);
    fileName_ = fileName;
    auto s = std::make_unique<State>();
    s->comments = ope_comments_create();
    OpusEncCallbacks callbacks{&State::write, &State::noClose};
    int rc = OPE_ALLOC_FAIL;
    if (s->comments)
        s->encoder = ope_encoder_create_callbacks(&callbacks, s.get(), s->comments, kRate, format.channels,
                                                  format.channels > 2 ? 1 : 0, &rc);
    if (!s->encoder) fail("Cannot set up the Opus encoder for", rc);
    const int settings[] = {
        ope_encoder_ctl(s->encoder, OPUS_SET_BITRATE(format.kbps * 1000)),
        ope_encoder_ctl(s->encoder, OPUS_SET_COMPLEXITY(kComplexity)),
        ope_encoder_ctl(s->encoder, OPE_SET_MUXING_DELAY(kPageDelay)),
        ope_encoder_ctl(s->encoder, OPE_SET_DECISION_DELAY(0)),
    };
    for (const int r : settings)
        if (r != OPE_OK) fail("Cannot set up the Opus encoder for", r);
    s->fd = ::open(filename::encode(fileName).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (s->fd < 0)
        throw TamselError(QString("Cannot create the audio file %1: %2")
                              .arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    state_ = std::move(s);
    format_ = format;
    frames_ = 0;
}

void OpusWriter::write(const float* samples, int64_t frames)
{
    if (!state_) throw TamselError(QString("The audio file %1 is not open for writing").arg(fileName_));
    constexpr int64_t kSlice = kRate;
    for (int64_t done = 0; done < frames; done += kSlice) {
        const int n = int(std::min(kSlice, frames - done));
        const int rc = ope_encoder_write_float(state_->encoder, samples + done * format_.channels, n);
        if (rc != OPE_OK) {
            errno = state_->writeErrno;
            fail("Cannot write to the audio file", rc);
        }
        frames_ += n;
    }
}

void OpusWriter::close()
{
    if (!state_) return;
    const std::unique_ptr<State> s = std::move(state_);
    // libopusenc cannot end a stream that never had a sample (it aborts);
    // such a file holds its two header pages only.
    const int rc = frames_ > 0 ? ope_encoder_drain(s->encoder) : ope_encoder_flush_header(s->encoder);
    const int fd = s->fd;
    s->fd = -1;
    if (::close(fd) != 0 && rc == OPE_OK)
        throw TamselError(QString("Cannot complete the audio file %1: %2")
                              .arg(fileName_, QString::fromLocal8Bit(std::strerror(errno))));
    if (rc != OPE_OK) {
        errno = s->writeErrno;
        fail("Cannot complete the audio file", rc);
    }
}

void OpusWriter::fail(const QString& what, int code)
{
    const QString why = code == OPE_WRITE_FAIL && errno != 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                                              : QString::fromUtf8(ope_strerror(code));
    throw TamselError(QString("%1 %2: %3").arg(what, fileName_, why));
}
