#include "components/ffmpeg/FfmpegReader.h"

#include "components/ffmpeg/FfmpegStream.h"
#include "components/swresample/Resampler.h"
#include "platform/Error.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/mathematics.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Seeking lands this far before the target, so decoders that need earlier
// data (MP3's bit reservoir, overlapping transforms) are warmed up when the
// target arrives; the frames in between are decoded and dropped.
constexpr int64_t kSeekLead = 16384;
// A jump forward shorter than this is decoded through rather than sought,
// which is exact in every format.
constexpr int64_t kDecodeThrough = 16384;
// How often a seek that landed after its target is retried further back
// (the lead grows 16-fold each time) before decoding from the start.
constexpr int kSeekAttempts = 3;
// A block holds at most this many samples (64 MiB), whatever count is asked.
constexpr int64_t kMaxBlockSamples = int64_t{16} << 20;
// Frames in a decoded frame before one has been seen: most codecs' largest.
constexpr int kFrameGuess = 8192;

}  // namespace

struct FfmpegReader::Impl {
    QString path;
    std::unique_ptr<FfmpegStream> stream;
    std::unique_ptr<Resampler> resampler;
    int resFormat = -1;
    int rate = 0;
    int channels = 0;
    int64_t length = 0;
    bool exact = false;

    // Decoded frames not yet returned; the frame at offset is at position.
    std::vector<float> pending;
    size_t offset = 0;
    int64_t position = 0;
    int64_t decoded = 0;       // index just past the last decoded frame
    int64_t discardUntil = 0;  // decoded frames before this index are dropped
    bool resync = false;       // take the next frame's index from its timestamp
    bool unplaced = false;     // a frame after a seek had no timestamp
    bool afterSeek = false;    // the demuxer was sought; not yet at the target
    int64_t firstAfterSeek = 0;
    bool ended = false;
    size_t fill = 0;           // samples the current read wants buffered
    int largestFrame = 0;      // frames in the largest decoded frame so far

    int64_t pendingFrames() const
    {
        return static_cast<int64_t>(pending.size() - offset) / channels;
    }

    void clearPending()
    {
        pending.clear();
        offset = 0;
    }

    // Room for frames more, growing at most to what the read asked for.
    void makeRoom(int64_t frames)
    {
        const size_t need = pending.size() + static_cast<size_t>(frames * channels);
        if (need > pending.capacity())
            pending.reserve(std::max(need, std::min(2 * pending.capacity(), fill)));
    }

    void append(const AVFrame* f, int skip);
    bool pull();
    void restart();
    bool seekNear(int64_t target);
    bool seekTo(int64_t target);
    void settle(int64_t target);
    void requireOpen() const;
};

void FfmpegReader::Impl::requireOpen() const
{
    if (!stream) throw TamselError("No audio file is open for reading");
}

void FfmpegReader::Impl::append(const AVFrame* f, int skip)
{
    const int n = f->nb_samples - skip;
    const int fRate = f->sample_rate > 0 ? f->sample_rate : rate;
    const int fChannels = f->ch_layout.nb_channels > 0 ? f->ch_layout.nb_channels : channels;
    if (pendingFrames() == 0) clearPending();
    makeRoom(av_rescale(n, rate, fRate) + 1);

    if (f->format == AV_SAMPLE_FMT_FLT && fRate == rate && fChannels == channels) {
        const float* src = reinterpret_cast<const float*>(f->extended_data[0]) + skip * channels;
        pending.insert(pending.end(), src, src + static_cast<size_t>(n) * channels);
        return;
    }
    if (!resampler || resFormat != f->format || resampler->inRate() != fRate
        || resampler->inChannels() != fChannels) {
        resampler = std::make_unique<Resampler>(fRate, fChannels, f->format, rate, channels);
        resFormat = f->format;
    }
    const auto format = static_cast<AVSampleFormat>(f->format);
    const int bytes = av_get_bytes_per_sample(format);
    std::vector<const uint8_t*> planes;
    if (av_sample_fmt_is_planar(format)) {
        for (int c = 0; c < fChannels; ++c) planes.push_back(f->extended_data[c] + skip * bytes);
    } else {
        planes.push_back(f->extended_data[0] + static_cast<size_t>(skip) * bytes * fChannels);
    }
    resampler->convert(planes.data(), n, pending);
}

bool FfmpegReader::Impl::pull()
{
    if (ended) return false;
    const AVFrame* f = stream->nextFrame();
    if (!f) {
        ended = true;
        const bool empty = pendingFrames() == 0;
        if (resampler) resampler->flush(pending);
        if (empty && pendingFrames() > 0) position = decoded - pendingFrames();
        return false;
    }
    int64_t index = decoded;
    // Until a sought target is reached, frames are placed by their timestamps:
    // a decoder warming up after a seek may drop a frame, which counting
    // would not notice.
    if (resync || (afterSeek && decoded < discardUntil)) {
        const auto stamped = stream->indexOf(f);
        if (stamped) {
            index = *stamped;
        } else if (resync) {
            unplaced = true;
            return false;
        }
        if (resync) firstAfterSeek = index;
        resync = false;
    }
    decoded = index + f->nb_samples;
    largestFrame = std::max(largestFrame, f->nb_samples);
    const int skip = static_cast<int>(std::clamp<int64_t>(discardUntil - index, 0, f->nb_samples));
    if (skip == f->nb_samples) return true;
    if (pendingFrames() == 0) position = index + skip;
    append(f, skip);
    return true;
}

void FfmpegReader::Impl::restart()
{
    stream = std::make_unique<FfmpegStream>(path);
    resampler.reset();
    clearPending();
    position = decoded = discardUntil = 0;
    resync = unplaced = ended = afterSeek = false;
}

// Seeks the demuxer before target and decodes up to the first frame; true
// when that frame starts at or before target.
bool FfmpegReader::Impl::seekNear(int64_t target)
{
    // Near the start, decoding from the beginning is cheap and as exact as
    // sequential reading (decoders that skip priming frames only do so there).
    if (target <= kSeekLead) return false;
    // Some demuxers mislabel the packets after a seek that used the index
    // they built while reading; a fresh demuxer searches the file instead.
    if (stream->seeksBestFresh()) restart();
    int64_t lead = kSeekLead;
    for (int attempt = 0; attempt < kSeekAttempts; ++attempt, lead *= 16) {
        const int64_t from = std::max<int64_t>(0, target - lead);
        if (!stream->seekBefore(from)) return false;
        if (resampler) resampler->reset();
        clearPending();
        resync = afterSeek = true;
        unplaced = ended = false;
        discardUntil = target;
        const bool got = pull();
        if (unplaced) return false;
        if (got && firstAfterSeek <= target) return true;
        if (from == 0) return false;
    }
    return false;
}

// Decodes up to the frame holding target, or to the end before it.
void FfmpegReader::Impl::settle(int64_t target)
{
    while (pendingFrames() == 0 && pull()) {
    }
    if (pendingFrames() == 0) position = std::min(target, decoded);
}

// Moves to target by decoding through or by a demuxer seek; true when it
// landed there, or at the end of the stream before it.
bool FfmpegReader::Impl::seekTo(int64_t target)
{
    if (target > position && target - position <= kDecodeThrough) {
        const int64_t drop = std::min(pendingFrames(), target - position);
        offset += static_cast<size_t>(drop * channels);
        position += drop;
        discardUntil = target;
        afterSeek = false;
    } else if (!seekNear(target)) {
        return false;
    }
    settle(target);
    return pendingFrames() > 0 ? position == target : position >= 0;
}

FfmpegReader::FfmpegReader() : d(std::make_unique<Impl>()) {}

FfmpegReader::~FfmpegReader() = default;

void FfmpegReader::open(const QString& path)
{
    close();
    auto stream = std::make_unique<FfmpegStream>(path);
    d->path = path;
    d->rate = stream->sampleRate();
    d->channels = stream->channels();
    d->length = stream->length();
    d->exact = stream->lengthExact();
    d->stream = std::move(stream);
    d->resampler.reset();
    d->clearPending();
    d->position = d->decoded = d->discardUntil = 0;
    d->resync = d->unplaced = d->ended = d->afterSeek = false;
}

void FfmpegReader::close()
{
    d = std::make_unique<Impl>();
}

bool FfmpegReader::isOpen() const { return d->stream != nullptr; }

int64_t FfmpegReader::samples() const { return d->length; }

bool FfmpegReader::lengthExact() const { return d->exact; }

int64_t FfmpegReader::durationMs() const
{
    return d->rate > 0 ? d->length * 1000 / d->rate : 0;
}

int FfmpegReader::sampleRate() const { return d->rate; }

int FfmpegReader::channels() const { return d->channels; }

int FfmpegReader::bitrate() const { return d->stream ? d->stream->bitrate() : 0; }

QString FfmpegReader::fileName() const { return d->path; }

Block FfmpegReader::read(int count)
{
    d->requireOpen();
    Block block;
    block.channels = d->channels;
    block.sampleRate = d->rate;
    int64_t want = std::min<int64_t>(count, kMaxBlockSamples / d->channels);
    // A length the format states exactly also cuts decoder padding at the end.
    if (d->exact) want = std::min(want, d->length - d->position);
    if (want <= 0) return block;
    const auto ch = static_cast<size_t>(d->channels);
    d->pending.erase(d->pending.begin(), d->pending.begin() + static_cast<std::ptrdiff_t>(d->offset));
    d->offset = 0;
    // Room for the block and the frame that completes it, so that the buffer
    // is never copied to grow.
    d->fill = static_cast<size_t>(want + (d->largestFrame > 0 ? d->largestFrame : kFrameGuess)) * ch;
    d->pending.reserve(d->fill);
    while (d->pendingFrames() < want && d->pull()) {
    }
    d->fill = 0;
    // The buffer itself becomes the block; what was decoded past it stays.
    const size_t n = static_cast<size_t>(std::min(want, d->pendingFrames())) * ch;
    std::vector<float> rest(d->pending.begin() + static_cast<std::ptrdiff_t>(n), d->pending.end());
    d->pending.resize(n);
    block.samples = std::move(d->pending);
    d->pending = std::move(rest);
    d->position += static_cast<int64_t>(n / ch);
    return block;
}

int64_t FfmpegReader::seek(int64_t frame)
{
    d->requireOpen();
    const int64_t target = std::clamp<int64_t>(frame, 0, std::max<int64_t>(d->length, 0));
    if (target == d->position) return target;
    if (!d->seekTo(target)) {
        // Decoding from the start lands exactly where reading from the start
        // would; timestamps in a damaged file can point anywhere.
        d->restart();
        d->discardUntil = target;
        d->settle(target);
    }
    return d->position;
}
