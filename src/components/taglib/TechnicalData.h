#pragma once
// Technical facts of one audio file, as the information component reports
// them, and the hook through which another reader fills in what the tag
// library cannot see (RF64, a WAV whose header was never completed).
// 0 means unknown wherever 0 is no real value (rate, bitrate, channels,
// bits, format tag).

#include <QString>
#include <cstdint>
#include <functional>

struct TechnicalData {
    int frequency = 0;       // Hz
    int64_t bitrate = 0;     // bit/s; damaged headers state any 32-bit figure
    int64_t duration = 0;    // ms
    int channels = 0;
    int64_t samples = 0;     // frames
    int bitsPerSample = 0;
    int formatTag = 0;       // WAVE format tag, 0 when not WAV
};

// Fills data for the file and returns true, or returns false when it cannot
// read the file as audio. Must not throw.
using TechnicalProbe = std::function<bool(const QString& fileName, TechnicalData& data)>;
