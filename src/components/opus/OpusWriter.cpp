#include "components/opus/OpusWriter.h"

#include "platform/Error.h"
#include "platform/FileName.h"

#include <QRandomGenerator>
#include <ogg/ogg.h>
#include <opus/opus.h>
#include <opus/opus_multistream.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr int kFrame = 960;              // 20 ms, as players expect of music
constexpr int64_t kPageSamples = 24000;  // pages at most half a second apart
// Two thirds of the work of the default 10, and the same sound at music
// bitrates: a recording to Opus stays within twice the CPU of one to WAV.
constexpr int kComplexity = 6;
constexpr int kMaxPacket = 1275 * 3 + 7;  // per stream, as opusenc allows

void put16(std::vector<unsigned char>& v, unsigned x)
{
    v.push_back(x & 0xff);
    v.push_back((x >> 8) & 0xff);
}

void put32(std::vector<unsigned char>& v, uint32_t x)
{
    put16(v, x & 0xffff);
    put16(v, x >> 16);
}

void append(std::vector<unsigned char>& v, const char* text, size_t size)
{
    v.insert(v.end(), text, text + size);
}

}  // namespace

struct OpusWriter::State {
    OpusMSEncoder* encoder = nullptr;
    ogg_stream_state stream;
    bool streaming = false;
    int fd = -1;
    int preskip = 0;              // the encoder's delay, samples at 48 kHz
    std::vector<float> pending;   // frames given that do not fill a packet yet
    int64_t coded = 0;            // samples in the packets so far
    int64_t flushedAt = 0;        // coded when pages were last flushed
    int64_t packetNo = 0;
    std::vector<unsigned char> packet;

    ~State()
    {
        if (encoder) opus_multistream_encoder_destroy(encoder);
        if (streaming) ogg_stream_clear(&stream);
        if (fd >= 0) ::close(fd);
    }
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
    const int channels = format.channels;
    // Mono and stereo are one stream (mapping family 0); more channels are
    // the Vorbis layouts (family 1), coded as coupled pairs.
    const int family = channels > 2 ? 1 : 0;
    int streams = 1, coupled = channels - 1, error = OPUS_OK;
    unsigned char mapping[8] = {0, 1};
    s->encoder = family == 0 ? opus_multistream_encoder_create(kRate, channels, streams, coupled, mapping,
                                                               OPUS_APPLICATION_AUDIO, &error)
                             : opus_multistream_surround_encoder_create(kRate, channels, family, &streams, &coupled,
                                                                        mapping, OPUS_APPLICATION_AUDIO, &error);
    if (!s->encoder) fail("Cannot set up the Opus encoder for", QString::fromUtf8(opus_strerror(error)));
    opus_int32 lookahead = 0;
    if (opus_multistream_encoder_ctl(s->encoder, OPUS_SET_BITRATE(format.kbps * 1000)) != OPUS_OK
        || opus_multistream_encoder_ctl(s->encoder, OPUS_SET_COMPLEXITY(kComplexity)) != OPUS_OK
        || opus_multistream_encoder_ctl(s->encoder, OPUS_GET_LOOKAHEAD(&lookahead)) != OPUS_OK)
        fail("Cannot set up the Opus encoder for", "it refuses the bitrate");
    s->preskip = lookahead;
    s->packet.resize(size_t(kMaxPacket) * streams);

    s->fd = ::open(filename::encode(fileName).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (s->fd < 0)
        throw TamselError(QString("Cannot create the audio file %1: %2")
                              .arg(fileName, QString::fromLocal8Bit(std::strerror(errno))));
    ogg_stream_init(&s->stream, int(QRandomGenerator::global()->bounded(1 << 30)));
    s->streaming = true;
    state_ = std::move(s);
    format_ = format;
    frames_ = 0;

    std::vector<unsigned char> head;
    append(head, "OpusHead", 8);
    head.push_back(1);  // version
    head.push_back(static_cast<unsigned char>(channels));
    put16(head, unsigned(state_->preskip));
    put32(head, kRate);
    put16(head, 0);  // output gain
    head.push_back(static_cast<unsigned char>(family));
    if (family != 0) {
        head.push_back(static_cast<unsigned char>(streams));
        head.push_back(static_cast<unsigned char>(coupled));
        head.insert(head.end(), mapping, mapping + channels);
    }
    std::vector<unsigned char> tags;
    append(tags, "OpusTags", 8);
    const char* vendor = opus_get_version_string();
    put32(tags, uint32_t(std::strlen(vendor)));
    append(tags, vendor, std::strlen(vendor));
    put32(tags, 0);  // no comments
    try {
        // Each header on a page of its own, as the mapping asks.
        for (std::vector<unsigned char>* header : {&head, &tags}) {
            ogg_packet op{header->data(), long(header->size()), header == &head, 0, 0, state_->packetNo++};
            ogg_stream_packetin(&state_->stream, &op);
            writePages(true);
        }
    } catch (...) {
        state_.reset();
        throw;
    }
}

void OpusWriter::write(const float* samples, int64_t frames)
{
    if (!state_) throw TamselError(QString("The audio file %1 is not open for writing").arg(fileName_));
    State& s = *state_;
    const size_t frameSamples = size_t(kFrame) * format_.channels;
    s.pending.insert(s.pending.end(), samples, samples + frames * format_.channels);
    frames_ += frames;
    size_t done = 0;
    for (; s.pending.size() - done >= frameSamples; done += frameSamples) encodeFrame(s.pending.data() + done, false);
    s.pending.erase(s.pending.begin(), s.pending.begin() + std::ptrdiff_t(done));
}

// The granule of a page counts every sample decoded up to it, pre-skip
// included; the last one stops where the given sound stops.
void OpusWriter::encodeFrame(const float* frame, bool last)
{
    State& s = *state_;
    const int bytes = opus_multistream_encode_float(s.encoder, frame, kFrame, s.packet.data(), int(s.packet.size()));
    if (bytes < 0) fail("The Opus encoder failed on", QString::fromUtf8(opus_strerror(bytes)));
    s.coded += kFrame;
    const int64_t granule = last ? s.preskip + frames_ : s.coded;
    ogg_packet op{s.packet.data(), bytes, 0, last ? 1 : 0, granule, s.packetNo++};
    ogg_stream_packetin(&s.stream, &op);
    const bool due = last || s.coded - s.flushedAt >= kPageSamples;
    writePages(due);
    if (due) s.flushedAt = s.coded;
}

void OpusWriter::writePages(bool flush)
{
    State& s = *state_;
    ogg_page page;
    while (flush ? ogg_stream_flush(&s.stream, &page) : ogg_stream_pageout(&s.stream, &page)) {
        for (const auto& [data, size] : {std::pair{page.header, page.header_len}, std::pair{page.body, page.body_len}}) {
            for (long at = 0; at < size;) {
                const ssize_t n = ::write(s.fd, data + at, size_t(size - at));
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) fail("Cannot write to the audio file", QString::fromLocal8Bit(std::strerror(n < 0 ? errno : ENOSPC)));
                at += n;
            }
        }
    }
}

void OpusWriter::close()
{
    if (!state_) return;
    State& s = *state_;
    // The packets must cover the encoder's delay and every sample given; a
    // file without sound gets one packet that decodes to nothing.
    const size_t frameSamples = size_t(kFrame) * format_.channels;
    try {
        for (bool last = false; !last;) {
            s.pending.resize(frameSamples, 0.0f);
            last = s.coded + kFrame >= s.preskip + frames_;
            encodeFrame(s.pending.data(), last);
            s.pending.clear();
        }
    } catch (...) {
        state_.reset();
        throw;
    }
    const int fd = std::exchange(s.fd, -1);
    state_.reset();
    if (::close(fd) != 0)
        throw TamselError(QString("Cannot complete the audio file %1: %2")
                              .arg(fileName_, QString::fromLocal8Bit(std::strerror(errno))));
}

void OpusWriter::fail(const QString& what, const QString& why) const
{
    throw TamselError(QString("%1 %2: %3").arg(what, fileName_, why));
}
