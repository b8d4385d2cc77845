#pragma once
// Turns one block of audio into band levels for the level display: mono mix,
// window, real FFT of the block's last frames, bands on a frequency scale,
// decibels mapped to 0..1. KissFFT stays behind this header; plans and
// buffers are made once per FFT size and reused, so a call allocates nothing
// after the first one of its size.

#include "components/Block.h"

#include <memory>
#include <vector>

class SpectrumAnalyzer {
public:
    // Window applied before the FFT (the display's FFTWindowType values).
    enum Window { Rectangular = 0, Hamming = 1, Hann = 2, Blackman = 3, BlackmanHarris = 4 };
    // Spacing of the bands (the display's FFTViewType values).
    enum Scale { Linear = 0, Logarithmic = 1 };

    static constexpr int kMaxFftSize = 2048;
    static constexpr int kMinFftSize = 64;
    static constexpr float kLowestHz = 40.0f;
    static constexpr float kHighestHz = 16000.0f;
    // Levels span this many decibels below a full-scale sine.
    static constexpr float kRangeDb = 60.0f;
    static constexpr int kDefaultSampleRate = 44100;

    SpectrumAnalyzer();
    ~SpectrumAnalyzer();
    SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
    SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

    // Unknown values fall back to Blackman and Logarithmic.
    void setWindow(int type);
    int window() const { return window_; }
    void setScale(int scale);
    int scale() const { return scale_; }

    // Fills levels (resized to bands) with values in 0..1; 0 is silence or
    // below the range, 1 a full-scale sine. An empty block gives all zeros;
    // non-finite samples count as silence.
    void analyze(const Block& block, int bands, std::vector<float>& levels);

    // The FFT size used for a block of that many frames.
    static int fftSizeFor(int64_t frames);
    // Lower edge of band b of n at the given top frequency; edge n is the top.
    float bandEdgeHz(int b, int n, float topHz) const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
    int window_ = Blackman;
    int scale_ = Logarithmic;
};
