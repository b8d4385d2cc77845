#include "components/taglib/FfmpegTechnicalProbe.h"

#include "components/ffmpeg/FfmpegInput.h"
#include "components/ffmpeg/FfmpegStream.h"
#include "platform/Error.h"

#include <cstring>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/mathematics.h>
}

namespace {

bool isWaveFamily(const AVInputFormat* format)
{
    // The wav demuxer also reads RF64; Sony Wave64 keeps the same format tags.
    return format && (std::strcmp(format->name, "wav") == 0 || std::strcmp(format->name, "w64") == 0);
}

}  // namespace

bool ffmpegTechnicalProbe(const QString& fileName, TechnicalData& data)
{
    FfmpegInput opened;
    if (opened.open(fileName) < 0) return false;
    AVFormatContext* input = opened.context();
    if (avformat_find_stream_info(input, nullptr) < 0) return false;
    const int index = av_find_best_stream(input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) return false;
    const AVStream* stream = input->streams[index];
    const AVCodecParameters* par = stream->codecpar;
    if (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0) return false;

    TechnicalData d;
    d.frequency = par->sample_rate;
    d.channels = par->ch_layout.nb_channels;
    d.bitrate = par->bit_rate > 0 ? par->bit_rate : input->bit_rate;
    d.bitsPerSample = par->bits_per_raw_sample > 0 ? par->bits_per_raw_sample : par->bits_per_coded_sample;
    if (isWaveFamily(input->iformat)) d.formatTag = static_cast<int>(par->codec_tag);
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        d.samples = av_rescale_q(stream->duration, stream->time_base, AVRational{1, d.frequency});
        d.duration = av_rescale_q(stream->duration, stream->time_base, AVRational{1, 1000});
    } else if (input->duration != AV_NOPTS_VALUE && input->duration > 0) {
        d.samples = av_rescale(input->duration, d.frequency, AV_TIME_BASE);
        d.duration = av_rescale(input->duration, 1000, AV_TIME_BASE);
    }
    // The container's own figure counts whatever follows a WAV's data chunk
    // (tags) as sound; the reader knows where the audio ends.
    try {
        const ReaderAudio audio = readerAudio(fileName);
        d.frequency = audio.rate;
        d.channels = audio.channels;
        d.samples = audio.frames;
        d.duration = av_rescale(audio.frames, 1000, audio.rate);
    } catch (const TamselError&) {
        // Refused by the reader (a damaged or unusual header): the
        // container's figures are all there is.
    }
    data = d;
    return true;
}

ReaderAudio readerAudio(const QString& fileName)
{
    FfmpegStream stream(fileName);
    ReaderAudio audio;
    audio.rate = stream.sampleRate();
    audio.channels = stream.channels();
    audio.frames = stream.length();
    audio.exact = stream.lengthExact();
    if (!audio.exact) {
        const AVFrame* first = stream.nextFrame();
        audio.frameLength = first ? first->nb_samples : 0;
    }
    return audio;
}
