#pragma once
// Audio file component: one instance is either closed, open for reading
// (decoding any format) or open for writing (WAV, Ogg Vorbis, headerless PCM).
// Every failing operation raises TamselError naming the file.

#include "components/Block.h"
#include "components/TPcmCopy.h"

#include <QString>
#include <cstdint>

class TAudioFile2 {
public:
    virtual ~TAudioFile2() = default;

    // Reading. A and B are accepted for interface compatibility (always 0, 1).
    virtual void OpenRead(const QString& fileName, int a = 0, int b = 1) = 0;
    virtual bool IsOpen() const = 0;
    // On a writer this completes the file (header, trailer, flush).
    virtual void CloseFile() = 0;

    virtual int64_t Samples() const = 0;   // frames
    virtual int64_t Duration() const = 0;  // milliseconds
    virtual int SampleRate() const = 0;
    virtual int Channels() const = 0;
    virtual int Bitrate() const = 0;       // bit/s
    // Format of the blocks the reader returns, or the writer takes by default.
    virtual int ArraySampleRate() const = 0;
    virtual int ArrayChannels() const = 0;

    // Next frames from the read position, at most count; empty at the end.
    virtual Block ReadArray(int count) = 0;
    // Mode 3: position in frames from the start. Returns the new position.
    virtual int64_t Seek(int64_t position, int mode = 3) = 0;

    // Writing: set a format, then OpenWrite.
    virtual void SetWavFormat(int sampleRate, int channels, int bitsPerSample) = 0;
    virtual void SetRawFormat(int format, int sampleRate, int channels, int bitsPerSample) = 0;
    // Bitrates in kbit/s. True when the Vorbis encoder accepts the set.
    virtual bool CheckOggFormat(int sampleRate, int channels, int bitrate, int minBitrate,
                                int maxBitrate) = 0;
    // Quality in thousandths of Vorbis quality; 0 selects managed bitrate mode.
    virtual void SetOggFormat(int sampleRate, int channels, int bitrate, int minBitrate,
                              int maxBitrate, int quality) = 0;
    virtual void OpenWrite(const QString& fileName, int a = 0) = 0;
    virtual void SetInputFormat(int sampleRate, int channels) = 0;
    virtual void WriteArray(const Block& block) = 0;
    virtual void SetFileOption(int option) = 0;

    // Copying same-format PCM WAV files into the open output; null where the
    // component cannot.
    virtual TPcmCopy* PcmCopyFacet() { return nullptr; }
};
