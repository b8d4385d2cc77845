#include "components/ffmpeg/FfmpegLength.h"

#include "components/ffmpeg/FfmpegInput.h"
#include "components/ffmpeg/FfmpegSupport.h"
#include "platform/FileName.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/mathematics.h>
}

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// The WMA decoders swallow the first frames and pad the end, so no header
// figure matches their output.
bool isWma(AVCodecID id)
{
    return id == AV_CODEC_ID_WMAV1 || id == AV_CODEC_ID_WMAV2 || id == AV_CODEC_ID_WMAPRO
           || id == AV_CODEC_ID_WMAVOICE || id == AV_CODEC_ID_WMALOSSLESS;
}

int clampInt(int64_t v)
{
    return static_cast<int>(std::clamp<int64_t>(v, 0, std::numeric_limits<int>::max()));
}

// Whether the 8 bytes at offset look like the header of a RIFF chunk that
// fits in the file: a printable four-letter name and a size within reach.
bool chunkAt(QFile& f, qint64 offset)
{
    char head[8];
    if (!f.seek(offset) || f.read(head, 8) != 8) return false;
    for (int i = 0; i < 4; ++i)
        if (head[i] < 0x20 || head[i] > 0x7e) return false;
    return offset + 8 + qFromLittleEndian<quint32>(head + 4) <= f.size() + 1;
}

// The bytes of sample data a RIFF WAVE file's data chunk states, when that
// bounds the audio. FFmpeg reads a data chunk stating 0 bytes to the end of
// the file: right for a recording whose header was never finished, wrong
// when tags follow an empty recording, so 0 counts only when a chunk follows.
std::optional<int64_t> wavDataBytes(const QString& path)
{
    QFile f;
    char head[12];
    if (!filename::openForReading(f, path) || f.read(head, 12) != 12 || std::memcmp(head, "RIFF", 4) != 0
        || std::memcmp(head + 8, "WAVE", 4) != 0)
        return std::nullopt;
    for (qint64 at = 12; at + 8 <= f.size();) {
        char chunk[8];
        if (!f.seek(at) || f.read(chunk, 8) != 8) break;
        const quint32 bytes = qFromLittleEndian<quint32>(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            if (bytes == 0xFFFFFFFFu) break;  // size unknown: streamed
            if (bytes == 0 && !chunkAt(f, at + 8)) break;
            return bytes;
        }
        at += 8 + qint64{bytes} + (bytes & 1);
    }
    return std::nullopt;
}

int64_t toFrames(int64_t ts, AVRational tb, int rate)
{
    return av_rescale_q(ts, tb, AVRational{1, rate});
}

// An MP3 with a Xing/LAME header states its frame count, which the demuxer
// gives as the stream's duration (encoder delay and padding included). The
// delay is where the first decoded sample sits; the padding is announced on
// the last packets as samples to discard, read from a second handle so the
// caller's read position stays untouched. A cut or damaged file keeps the
// length its header states: that is what it should hold.
bool mp3ExactLength(const QString& path, int64_t firstPts, int rate, int64_t& frames)
{
    FfmpegInput input;
    if (input.open(path) < 0) return false;
    AVFormatContext* fmt = input.context();
    bool ok = false;
    AVPacket* pkt = av_packet_alloc();
    const int index = avformat_find_stream_info(fmt, nullptr) >= 0
                          ? av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0)
                          : -1;
    if (pkt && index >= 0 && fmt->streams[index]->duration != AV_NOPTS_VALUE) {
        const AVStream* st = fmt->streams[index];
        const int64_t tail = av_rescale_q(2 * rate, AVRational{1, rate}, st->time_base);
        const int64_t from = std::max<int64_t>(0, st->duration - tail);
        int64_t discard = 0;
        if (av_seek_frame(fmt, index, from, AVSEEK_FLAG_BACKWARD) >= 0) {
            while (av_read_frame(fmt, pkt) >= 0) {
                size_t size = 0;
                const uint8_t* side =
                    pkt->stream_index == index ? av_packet_get_side_data(pkt, AV_PKT_DATA_SKIP_SAMPLES, &size)
                                               : nullptr;
                if (side && size >= 8) discard += AV_RL32(side + 4);
                av_packet_unref(pkt);
            }
        }
        // The packets are stamped from 0 on, the first decoded sample at firstPts.
        frames = std::max<int64_t>(0, toFrames(st->duration - firstPts, st->time_base, rate) - discard);
        ok = true;
    }
    av_packet_free(&pkt);
    return ok;
}

}  // namespace

FfmpegLength measureFfmpegLength(AVFormatContext* fmt, int streamIndex, int64_t dataStart,
                                 int64_t firstPts, int rate, const QString& path)
{
    const AVStream* st = fmt->streams[streamIndex];
    const AVCodecParameters* par = st->codecpar;
    const bool hasDuration = st->duration != AV_NOPTS_VALUE && st->duration > 0;
    FfmpegLength len;
    len.bitrate = clampInt(par->bit_rate > 0 ? par->bit_rate : fmt->bit_rate);

    if (ffmpegsupport::isPcm(par->codec_id) && ffmpegsupport::isPlainPcmFile(fmt->iformat->name)) {
        // Sample data runs from the header to the end of the file unless the
        // header says it ends earlier (tags may follow a WAV's data chunk); a
        // cut-off file holds only what is there. Less than a frame is none.
        const int bits = av_get_bits_per_sample(par->codec_id);
        const int channels = par->ch_layout.nb_channels;
        const int frameBytes = par->block_align > 0 ? par->block_align : channels * bits / 8;
        const int64_t size = fmt->pb ? avio_size(fmt->pb) : -1;
        len.exact = true;
        len.bitrate = clampInt(int64_t{rate} * channels * bits);
        if (size > dataStart && frameBytes > 0) {
            int64_t bytes = size - dataStart;
            if (std::strcmp(fmt->iformat->name, "wav") == 0)
                bytes = std::min(bytes, wavDataBytes(path).value_or(bytes));
            len.frames = bytes / frameBytes;
            if (hasDuration)
                len.frames = std::min(len.frames, toFrames(st->duration, st->time_base, rate));
            return len;
        }
        len.frames = hasDuration ? toFrames(st->duration, st->time_base, rate) : 0;
        return len;
    }

    const bool fromHeader = fmt->duration_estimation_method == AVFMT_DURATION_FROM_STREAM;
    if (par->codec_id == AV_CODEC_ID_MP3 && fromHeader && hasDuration
        && mp3ExactLength(path, firstPts, rate, len.frames)) {
        len.exact = true;
        return len;
    }
    if (fromHeader && hasDuration && !isWma(par->codec_id) && par->codec_id != AV_CODEC_ID_MP3) {
        len.frames = toFrames(st->duration, st->time_base, rate);
        // Ogg Opus counts its pre-skip, which the decoder drops, in the
        // duration.
        if (par->codec_id == AV_CODEC_ID_OPUS && std::strcmp(fmt->iformat->name, "ogg") == 0)
            len.frames = std::max<int64_t>(0, len.frames - av_rescale(par->initial_padding, rate, 48000));
        len.exact = true;
        return len;
    }
    // Otherwise the container's duration is the best estimate there is.
    if (hasDuration)
        len.frames = toFrames(st->duration, st->time_base, rate);
    else if (fmt->duration != AV_NOPTS_VALUE && fmt->duration > 0)
        len.frames = av_rescale(fmt->duration, rate, AV_TIME_BASE);
    return len;
}
