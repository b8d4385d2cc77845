#pragma once
// Synthetic blocks for the level display tests.

#include "components/Block.h"

#include <cmath>
#include <numbers>

inline Block toneBlock(double hz, double amplitude, int frames, int rate = 44100, int channels = 2)
{
    Block b;
    b.channels = channels;
    b.sampleRate = rate;
    b.samples.resize(size_t(frames) * size_t(std::max(channels, 1)));
    for (int i = 0; i < frames; ++i) {
        const float v = float(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate));
        for (int c = 0; c < channels; ++c) b.samples[size_t(i) * channels + c] = v;
    }
    return b;
}

inline Block silenceBlock(int frames, int rate = 44100, int channels = 2)
{
    return toneBlock(0, 0, frames, rate, channels);
}

inline double dbToAmplitude(double db) { return std::pow(10.0, db / 20.0); }
