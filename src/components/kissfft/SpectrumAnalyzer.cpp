#include "components/kissfft/SpectrumAnalyzer.h"

#include "platform/Error.h"

#include <kiss_fftr.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

constexpr int kSizeCount = 6;  // 64, 128, ..., 2048
static_assert(SpectrumAnalyzer::kMinFftSize << (kSizeCount - 1) == SpectrumAnalyzer::kMaxFftSize);

int sizeIndex(int n)
{
    int i = 0;
    while ((SpectrumAnalyzer::kMinFftSize << i) < n) ++i;
    return i;
}

// Periodic windows: the FFT sees the frame as one period of a longer signal.
float windowValue(int type, int i, int len)
{
    const double x = 2.0 * std::numbers::pi * i / len;
    switch (type) {
    case SpectrumAnalyzer::Rectangular: return 1.0f;
    case SpectrumAnalyzer::Hamming: return float(0.54 - 0.46 * std::cos(x));
    case SpectrumAnalyzer::Hann: return float(0.5 - 0.5 * std::cos(x));
    case SpectrumAnalyzer::BlackmanHarris:
        return float(0.35875 - 0.48829 * std::cos(x) + 0.14128 * std::cos(2 * x)
                     - 0.01168 * std::cos(3 * x));
    default: return float(0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2 * x));
    }
}

}  // namespace

struct SpectrumAnalyzer::Impl {
    std::array<kiss_fftr_cfg, kSizeCount> plans{};
    std::array<std::vector<float>, kSizeCount> windows;
    std::array<double, kSizeCount> windowSums{};
    std::vector<float> input = std::vector<float>(kMaxFftSize);
    std::vector<kiss_fft_cpx> spectrum = std::vector<kiss_fft_cpx>(kMaxFftSize / 2 + 1);
    std::vector<float> magnitude = std::vector<float>(kMaxFftSize / 2 + 1);

    ~Impl()
    {
        for (kiss_fftr_cfg p : plans)
            if (p) kiss_fftr_free(p);
    }

    kiss_fftr_cfg plan(int n)
    {
        kiss_fftr_cfg& p = plans[sizeIndex(n)];
        if (!p) {
            p = kiss_fftr_alloc(n, 0, nullptr, nullptr);
            if (!p)
                throw TamselError(QStringLiteral("The level display could not set up its "
                                                 "%1-point FFT (out of memory).").arg(n));
        }
        return p;
    }

    const std::vector<float>& windowTable(int type, int n, double& sum)
    {
        const int i = sizeIndex(n);
        std::vector<float>& w = windows[i];
        if (w.empty()) {
            w.resize(n);
            double s = 0;
            for (int k = 0; k < n; ++k) s += (w[k] = windowValue(type, k, n));
            windowSums[i] = s;
        }
        sum = windowSums[i];
        return w;
    }
};

SpectrumAnalyzer::SpectrumAnalyzer() : d(std::make_unique<Impl>()) {}
SpectrumAnalyzer::~SpectrumAnalyzer() = default;

void SpectrumAnalyzer::setWindow(int type)
{
    if (type < Rectangular || type > BlackmanHarris) type = Blackman;
    if (type == window_) return;
    window_ = type;
    for (auto& w : d->windows) w.clear();
}

void SpectrumAnalyzer::setScale(int scale)
{
    scale_ = scale == Linear ? Linear : Logarithmic;
}

int SpectrumAnalyzer::fftSizeFor(int64_t frames)
{
    int n = kMaxFftSize;
    while (n > kMinFftSize && n > frames) n /= 2;
    return n;
}

float SpectrumAnalyzer::bandEdgeHz(int b, int n, float topHz) const
{
    const float low = std::min(kLowestHz, topHz / 4);
    const float t = float(b) / float(n);
    if (scale_ == Linear) return low + (topHz - low) * t;
    return low * std::pow(topHz / low, t);
}

void SpectrumAnalyzer::analyze(const Block& block, int bands, std::vector<float>& levels)
{
    levels.assign(std::max(bands, 0), 0.0f);
    const int64_t frames = block.frames();
    if (bands <= 0 || frames <= 0) return;

    const int channels = block.channels;
    const int rate = block.sampleRate > 0 ? block.sampleRate : kDefaultSampleRate;
    const int n = fftSizeFor(frames);
    const int len = int(std::min<int64_t>(frames, n));
    // The newest audio is what the listener hears now, so take the block's end.
    const float* src = block.samples.data() + (frames - len) * channels;

    double windowSum = 0;
    const std::vector<float>* table = nullptr;
    if (len == n) table = &d->windowTable(window_, n, windowSum);
    float* in = d->input.data();
    bool anySignal = false;
    for (int i = 0; i < len; ++i) {
        float sum = 0;
        for (int c = 0; c < channels; ++c) {
            const float s = src[i * channels + c];
            if (std::isfinite(s)) sum += s;
        }
        if (!std::isfinite(sum)) sum = 0;  // finite but huge samples can still overflow
        float w;
        if (table) {
            w = (*table)[i];
        } else {
            w = windowValue(window_, i, len);
            windowSum += w;
        }
        in[i] = sum / float(channels) * w;
        anySignal = anySignal || in[i] != 0.0f;
    }
    if (!anySignal || windowSum <= 0) return;
    std::fill(in + len, in + n, 0.0f);

    kiss_fftr(d->plan(n), in, d->spectrum.data());
    const int bins = n / 2;
    for (int k = 0; k <= bins; ++k)
        d->magnitude[k] = std::hypot(d->spectrum[k].r, d->spectrum[k].i);

    // A full-scale sine peaks at windowSum / 2 in its bin.
    const float toAmplitude = float(2.0 / windowSum);
    const float binHz = float(rate) / float(n);
    const float top = std::min(kHighestHz, rate / 2.0f);
    for (int b = 0; b < bands; ++b) {
        const float lo = bandEdgeHz(b, bands, top);
        const float hi = bandEdgeHz(b + 1, bands, top);
        int kLo = int(std::ceil(lo / binHz));
        int kHi = int(std::ceil(hi / binHz)) - 1;
        if (kLo > kHi) {
            // A band narrower than a bin shows the bin nearest its centre.
            const float centre = scale_ == Linear ? (lo + hi) / 2 : std::sqrt(lo * hi);
            kLo = kHi = int(std::lround(centre / binHz));
        }
        kLo = std::clamp(kLo, 1, bins);
        kHi = std::clamp(kHi, kLo, bins);
        float peak = 0;
        for (int k = kLo; k <= kHi; ++k) peak = std::max(peak, d->magnitude[k]);
        const float amplitude = peak * toAmplitude;
        if (!(amplitude > 0)) continue;  // also skips NaN from overflowed input
        const float db = 20.0f * std::log10(amplitude);
        levels[b] = std::clamp((db + kRangeDb) / kRangeDb, 0.0f, 1.0f);
    }
}
