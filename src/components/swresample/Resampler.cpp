#include "components/swresample/Resampler.h"

#include "platform/Error.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <limits>

namespace {

QString avError(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

}  // namespace

Resampler::Resampler(int inRate, int inChannels, int inSampleFormat, int outRate,
                     int outChannels)
    : inRate_(inRate), inChannels_(inChannels), inFormat_(inSampleFormat), outRate_(outRate),
      outChannels_(outChannels)
{
    if (inRate <= 0 || outRate <= 0 || inChannels <= 0 || outChannels <= 0)
        throw TamselError(QString("Unsupported audio format conversion: %1 Hz, %2 channels to "
                                  "%3 Hz, %4 channels")
                              .arg(inRate).arg(inChannels).arg(outRate).arg(outChannels));
    open();
}

Resampler::~Resampler() { swr_free(&swr_); }

void Resampler::open()
{
    AVChannelLayout inLayout, outLayout;
    av_channel_layout_default(&inLayout, inChannels_);
    av_channel_layout_default(&outLayout, outChannels_);
    int rc = swr_alloc_set_opts2(&swr_, &outLayout, AV_SAMPLE_FMT_FLT, outRate_, &inLayout,
                                 static_cast<AVSampleFormat>(inFormat_), inRate_, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    av_channel_layout_uninit(&outLayout);
    if (rc < 0) throw TamselError("Cannot set up the audio converter: " + avError(rc));

    // Mono and stereo map onto each other at full level: a mono source plays
    // as the same signal on both sides, a stereo one as the mean of its sides.
    if (inChannels_ == 1 && outChannels_ == 2) {
        const double matrix[2] = {1.0, 1.0};
        swr_set_matrix(swr_, matrix, 1);
    } else if (inChannels_ == 2 && outChannels_ == 1) {
        const double matrix[2] = {0.5, 0.5};
        swr_set_matrix(swr_, matrix, 2);
    }
    rc = swr_init(swr_);
    if (rc < 0) {
        swr_free(&swr_);
        throw TamselError("Cannot start the audio converter: " + avError(rc));
    }
}

void Resampler::run(const uint8_t* const* planes, int frames, std::vector<float>& out)
{
    const int capacity = swr_get_out_samples(swr_, frames);
    if (capacity < 0) throw TamselError("The audio converter failed: " + avError(capacity));
    if (capacity == 0) return;
    const size_t start = out.size();
    out.resize(start + static_cast<size_t>(capacity) * outChannels_);
    uint8_t* dst = reinterpret_cast<uint8_t*>(out.data() + start);
    const int got = swr_convert(swr_, &dst, capacity, const_cast<const uint8_t**>(planes), frames);
    if (got < 0) {
        out.resize(start);
        throw TamselError("The audio converter failed: " + avError(got));
    }
    out.resize(start + static_cast<size_t>(got) * outChannels_);
}

void Resampler::convert(const uint8_t* const* planes, int frames, std::vector<float>& out)
{
    if (frames <= 0) return;
    run(planes, frames, out);
}

void Resampler::convertInterleaved(const float* samples, int64_t frames, std::vector<float>& out)
{
    // swr takes an int frame count; feed very large blocks in slices.
    const int64_t slice = 1 << 20;
    for (int64_t done = 0; done < frames; done += slice) {
        const int n = static_cast<int>(std::min(slice, frames - done));
        const uint8_t* plane = reinterpret_cast<const uint8_t*>(samples + done * inChannels_);
        run(&plane, n, out);
    }
}

void Resampler::flush(std::vector<float>& out)
{
    run(nullptr, 0, out);
}

void Resampler::reset()
{
    swr_free(&swr_);
    open();
}
