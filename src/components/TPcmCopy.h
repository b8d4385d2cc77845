#pragma once
// A facet of the writing audio file: appends the sound data of a PCM WAV file
// whose format equals the open WAV output's as bytes, without decoding and
// converting. Joining the pieces of one long recording is then a plain copy.

#include <QString>
#include <cstdint>

class TPcmCopy {
public:
    virtual ~TPcmCopy() = default;

    // Opens path for copying into the open output. False, with nothing left
    // open, when the file is not PCM WAV stored exactly as the output is: it
    // must be decoded instead.
    virtual bool OpenCopy(const QString& path) = 0;
    // Whether OpenCopy would take path into a WAV output of the format set
    // for the next file (or of the open one); nothing stays open.
    virtual bool CanCopy(const QString& path) = 0;
    // Frames the file's header states.
    virtual int64_t CopyLength() const = 0;
    // Appends at most frames frames; the number appended, 0 at the end of the
    // file's sound data. Raises TamselError when reading or writing fails.
    virtual int64_t CopyFrames(int64_t frames) = 0;
    virtual void CloseCopy() = 0;
};
