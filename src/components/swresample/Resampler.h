#pragma once
// Rate, channel and sample-format conversion to interleaved float, used by the
// file reader (decoder output to blocks) and the file writer (blocks to the
// output format). libswresample stays behind this header.

#include <cstdint>
#include <memory>
#include <vector>

struct SwrContext;

class Resampler {
public:
    // inSampleFormat is an AVSampleFormat value, packed or planar.
    Resampler(int inRate, int inChannels, int inSampleFormat, int outRate, int outChannels);
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Converts frames given as planes (one pointer for packed formats) and
    // appends the result to out.
    void convert(const uint8_t* const* planes, int frames, std::vector<float>& out);
    // The same for interleaved float input.
    void convertInterleaved(const float* samples, int64_t frames, std::vector<float>& out);
    // Appends what the converter still holds (the tail of a rate conversion).
    void flush(std::vector<float>& out);
    // Forgets buffered input, e.g. after a seek.
    void reset();

    int inRate() const { return inRate_; }
    int inChannels() const { return inChannels_; }
    int outRate() const { return outRate_; }
    int outChannels() const { return outChannels_; }

private:
    void open();
    void run(const uint8_t* const* planes, int frames, std::vector<float>& out);

    int inRate_;
    int inChannels_;
    int inFormat_;
    int outRate_;
    int outChannels_;
    SwrContext* swr_ = nullptr;
};
