#pragma once
// The unit of audio passed between components: interleaved float samples in
// [-1, 1], frames x channels elements. It carries its own format so that a
// consumer (level display, writer checks) never has to guess the layout.

#include <cstdint>
#include <vector>

struct Block {
    std::vector<float> samples;
    int channels = 1;
    int sampleRate = 0;

    int64_t frames() const {
        return channels > 0 ? static_cast<int64_t>(samples.size()) / channels : 0;
    }
    bool empty() const { return samples.empty(); }
};
