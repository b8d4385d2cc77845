#include "components/ffmpeg/FfmpegStream.h"

#include "components/ffmpeg/FfmpegLength.h"
#include "components/ffmpeg/FfmpegSupport.h"
#include "platform/Error.h"
#include "platform/FileName.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/mathematics.h>
}

#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// A file whose audio packets yield nothing for this long is not audio we can
// decode (random bytes with an audio name often pass the format probe).
constexpr int kMaxPacketsWithoutFrame = 500;
// Decoder errors in a row after which the rest of the stream counts as lost.
constexpr int kMaxErrorsInRow = 1000;
// Formats beyond these are a damaged header, not audio: 768 kHz is the
// highest rate converters offer, 64 channels the most FFmpeg converts.
constexpr int kMaxRate = 768000;
constexpr int kMaxChannels = 64;

// WMA 1 and 2 code audio in frames of a length fixed by rate and version;
// every decoded frame starts on a multiple of it.
int wmaFrameLength(AVCodecID codec, int rate)
{
    if (codec != AV_CODEC_ID_WMAV1 && codec != AV_CODEC_ID_WMAV2) return 0;
    if (rate <= 16000) return 512;
    if (rate <= 22050 || (rate <= 32000 && codec == AV_CODEC_ID_WMAV1)) return 1024;
    return 2048;
}

}  // namespace

FfmpegStream::FfmpegStream(const QString& path) : path_(path)
{
    ffmpegsupport::quietLogging();
    try {
        openFile();
        openDecoder();
        decodeFirstFrame();
        measureLength();
    } catch (...) {
        release();
        throw;
    }
}

FfmpegStream::~FfmpegStream() { release(); }

void FfmpegStream::release()
{
    av_frame_free(&frame_);
    av_packet_free(&pkt_);
    avcodec_free_context(&dec_);
    input_.close();
    fmt_ = nullptr;
}

void FfmpegStream::fail(const QString& reason) const
{
    throw TamselError(QString("Cannot open %1: %2").arg(path_, reason));
}

void FfmpegStream::openFile()
{
    const filename::Status file = filename::status(path_);
    if (!file.exists) fail("the file does not exist");
    if (file.isDir) fail("it is a folder, not a file");
    if (file.size == 0) fail("the file is empty");

    int rc = input_.open(path_);
    if (rc < 0) {
        if (rc == AVERROR_INVALIDDATA) fail("the file is not in an audio format that can be read");
        // A cut-off Ogg file fails here: its last page is gone.
        if (rc == AVERROR_EOF) fail("the file ends too early; it is incomplete or damaged");
        fail(ffmpegsupport::errorText(rc));
    }
    fmt_ = input_.context();
    // Right after the header the demuxer sits on the first data byte.
    dataStart_ = fmt_->pb ? avio_tell(fmt_->pb) : 0;
    // Ogg seeks through the index built while reading label the packets after
    // the seek with the end time of their page.
    seekFresh_ = std::strcmp(fmt_->iformat->name, "ogg") == 0;
    if (headerTellsAll()) return;
    rc = avformat_find_stream_info(fmt_, nullptr);
    if (rc < 0) fail("the file is damaged or incomplete (" + ffmpegsupport::errorText(rc) + ")");
}

// PCM in a plain PCM file: the header states the format in full, so opening
// needs no probing, which reads and decodes packets.
bool FfmpegStream::headerTellsAll()
{
    if (!ffmpegsupport::isPlainPcmFile(fmt_->iformat->name)) return false;
    if ((fmt_->ctx_flags & AVFMTCTX_NOHEADER) || fmt_->nb_streams != 1) return false;
    const AVCodecParameters* par = fmt_->streams[0]->codecpar;
    pcmHeader_ = par->codec_type == AVMEDIA_TYPE_AUDIO && ffmpegsupport::isPcm(par->codec_id)
                 && par->sample_rate > 0 && par->ch_layout.nb_channels > 0;
    return pcmHeader_;
}

// A PCM header whose block align disagrees with its channels and sample size
// (255 for 2 x 16 bits) is wrong: the samples are what the rest of the
// header says, one frame after another. FFmpeg would cut every packet to
// the stated block align and drop what does not fit.
void FfmpegStream::trustPcmData()
{
    AVCodecParameters* par = fmt_->streams[index_]->codecpar;
    if (!ffmpegsupport::isPcm(par->codec_id)) return;
    const int bits = av_get_bits_per_sample(par->codec_id);
    const int64_t frameBytes = int64_t{par->ch_layout.nb_channels} * bits / 8;
    if (bits % 8 == 0 && frameBytes > 0 && frameBytes <= INT32_MAX && par->block_align != frameBytes)
        par->block_align = static_cast<int>(frameBytes);
}

void FfmpegStream::checkFormat(int64_t rate, int channels) const
{
    if (rate <= 0 || rate > kMaxRate)
        fail(QString("it states a sample rate of %1 Hz; the file is damaged").arg(rate));
    if (channels <= 0 || channels > kMaxChannels)
        fail(QString("it states %1 channels; at most %2 can be read").arg(channels).arg(kMaxChannels));
}

void FfmpegStream::openDecoder()
{
    const AVCodec* codec = nullptr;
    index_ = av_find_best_stream(fmt_, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index_ == AVERROR_STREAM_NOT_FOUND) fail("the file holds no audio");
    if (index_ == AVERROR_DECODER_NOT_FOUND || !codec)
        fail("there is no decoder for its audio format");
    if (index_ < 0) fail(ffmpegsupport::errorText(index_));
    // Other streams (video, cover art) are never decoded.
    for (unsigned i = 0; i < fmt_->nb_streams; ++i)
        if (static_cast<int>(i) != index_) fmt_->streams[i]->discard = AVDISCARD_ALL;

    trustPcmData();
    const AVStream* st = fmt_->streams[index_];
    ownEndTrim_ = st->codecpar->codec_id == AV_CODEC_ID_VORBIS && st->duration != AV_NOPTS_VALUE
                  && st->duration > 0 && fmt_->duration_estimation_method == AVFMT_DURATION_FROM_STREAM;
    if (st->codecpar->sample_rate > kMaxRate || st->codecpar->ch_layout.nb_channels > kMaxChannels)
        checkFormat(st->codecpar->sample_rate, st->codecpar->ch_layout.nb_channels);
    dec_ = avcodec_alloc_context3(codec);
    pkt_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!dec_ || !pkt_ || !frame_) fail("out of memory");
    int rc = avcodec_parameters_to_context(dec_, st->codecpar);
    if (rc < 0) fail(ffmpegsupport::errorText(rc));
    dec_->pkt_timebase = st->time_base;
    rc = avcodec_open2(dec_, codec, nullptr);
    if (rc < 0) fail("the audio decoder does not start (" + ffmpegsupport::errorText(rc) + ")");
}

void FfmpegStream::decodeFirstFrame()
{
    if (pcmHeader_) {
        // PCM decodes to what its header states, from its first byte on.
        rate_ = dec_->sample_rate;
        channels_ = dec_->ch_layout.nb_channels;
        checkFormat(rate_, channels_);
        return;
    }
    int fruitless = 0;
    for (;;) {
        const int rc = avcodec_receive_frame(dec_, frame_);
        if (rc == 0 && frame_->nb_samples > 0) break;
        if (rc == 0) continue;
        if (rc == AVERROR_EOF && fruitless <= 1 && av_get_bits_per_sample(dec_->codec_id) > 0
            && dec_->sample_rate > 0 && dec_->ch_layout.nb_channels > 0) {
            // PCM with an empty data chunk: a recording stopped before its
            // first block is a valid file of no frames.
            rate_ = dec_->sample_rate;
            channels_ = dec_->ch_layout.nb_channels;
            checkFormat(rate_, channels_);
            firstPts_ = 0;
            held_ = false;
            return;
        }
        if (rc == AVERROR_EOF || draining_ || ++fruitless > kMaxPacketsWithoutFrame)
            fail("the audio cannot be decoded; the file is damaged or not audio");
        feedDecoder();
    }
    // Blocks are delivered in the format the audio really decodes to.
    rate_ = frame_->sample_rate > 0 ? frame_->sample_rate : dec_->sample_rate;
    channels_ = frame_->ch_layout.nb_channels > 0 ? frame_->ch_layout.nb_channels
                                                  : dec_->ch_layout.nb_channels;
    checkFormat(rate_, channels_);
    firstPts_ = frame_->best_effort_timestamp != AV_NOPTS_VALUE ? frame_->best_effort_timestamp : 0;
    held_ = true;
    grid_ = wmaFrameLength(dec_->codec_id, rate_);
}

void FfmpegStream::measureLength()
{
    const FfmpegLength len = measureFfmpegLength(fmt_, index_, dataStart_, firstPts_, rate_, path_);
    length_ = len.frames;
    exact_ = len.exact;
    bitrate_ = len.bitrate;
}

// The samples a packet's side data says to drop at its end are kept; the
// start's are dropped as announced.
void FfmpegStream::keepPacketEnd()
{
    size_t size = 0;
    uint8_t* side = av_packet_get_side_data(pkt_, AV_PKT_DATA_SKIP_SAMPLES, &size);
    if (side && size >= 8) AV_WL32(side + 4, 0);
}

void FfmpegStream::feedDecoder()
{
    for (;;) {
        int rc = av_read_frame(fmt_, pkt_);
        if (rc < 0) {
            if (rc == AVERROR(EIO) || rc == AVERROR(ENOMEM))
                throw TamselError(QString("Cannot read %1: %2")
                                      .arg(path_, ffmpegsupport::errorText(rc)));
            // End of file, or data the demuxer cannot follow: what was read
            // is what the file holds. Drain the decoder's last frames.
            avcodec_send_packet(dec_, nullptr);
            draining_ = true;
            return;
        }
        if (pkt_->stream_index != index_) {
            av_packet_unref(pkt_);
            continue;
        }
        if (ownEndTrim_) keepPacketEnd();
        rc = avcodec_send_packet(dec_, pkt_);
        av_packet_unref(pkt_);
        // A damaged packet is skipped, as players do.
        if (rc == 0) return;
    }
}

const AVFrame* FfmpegStream::nextFrame()
{
    if (held_) {
        held_ = false;
        return frame_;
    }
    int errors = 0;
    while (!ended_) {
        const int rc = avcodec_receive_frame(dec_, frame_);
        if (rc == 0) {
            if (frame_->nb_samples > 0) return frame_;
            continue;
        }
        if (rc == AVERROR_EOF || (rc == AVERROR(EAGAIN) && draining_)) {
            ended_ = true;
            break;
        }
        if (rc != AVERROR(EAGAIN) && ++errors > kMaxErrorsInRow) {
            ended_ = true;
            break;
        }
        if (rc == AVERROR(EAGAIN)) feedDecoder();
    }
    return nullptr;
}

std::optional<int64_t> FfmpegStream::indexOf(const AVFrame* frame) const
{
    if (frame->best_effort_timestamp == AV_NOPTS_VALUE) return std::nullopt;
    const int64_t index =
        av_rescale_q_rnd(frame->best_effort_timestamp - firstPts_, fmt_->streams[index_]->time_base,
                         AVRational{1, rate_},
                         static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    if (grid_ <= 0) return index;
    // WMA stamps are whole milliseconds, but its frames sit on a grid: the
    // grid point within a millisecond of the stamp is the exact index.
    const int64_t snapped = (index + grid_ / 2) / grid_ * grid_;
    return index >= 0 && std::abs(index - snapped) <= rate_ / 1000 + 1 ? snapped : index;
}

bool FfmpegStream::seekBefore(int64_t index)
{
    const AVRational tb = fmt_->streams[index_]->time_base;
    const int64_t ts = firstPts_ + av_rescale_q(std::max<int64_t>(index, 0), AVRational{1, rate_}, tb);
    if (av_seek_frame(fmt_, index_, ts, AVSEEK_FLAG_BACKWARD) < 0) return false;
    avcodec_flush_buffers(dec_);
    held_ = false;
    draining_ = false;
    ended_ = false;
    return true;
}
