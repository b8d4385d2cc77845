#pragma once
// The reading half of the audio file component, as the component uses it. A
// decoder library implements it (FfmpegReader); a program that only writes
// and copies builds the component without one, so the decoder's libraries
// are never loaded.

#include "components/Block.h"

#include <QString>
#include <cstdint>

class AudioReader {
public:
    virtual ~AudioReader() = default;

    virtual void open(const QString& path) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int64_t samples() const = 0;
    virtual bool lengthExact() const = 0;
    virtual int64_t durationMs() const = 0;
    virtual int sampleRate() const = 0;
    virtual int channels() const = 0;
    virtual int bitrate() const = 0;
    virtual QString fileName() const = 0;
    virtual Block read(int count) = 0;
    virtual int64_t seek(int64_t frame) = 0;
};
