#pragma once
// The sound data of a PCM WAV file as it lies on disk, for appending to a WAV
// output of the same format without decoding (SndfileWriter::writeRaw).

#include "components/sndfile/SndfileWriter.h"

#include <QString>
#include <cstdint>

struct sf_private_tag;

class SndfilePcmSource {
public:
    SndfilePcmSource() = default;
    ~SndfilePcmSource();
    SndfilePcmSource(const SndfilePcmSource&) = delete;
    SndfilePcmSource& operator=(const SndfilePcmSource&) = delete;

    // True when path is a RIFF/RF64 WAV file whose samples are stored exactly
    // as a WAV file of `format` stores them; otherwise nothing stays open.
    // A header stating no sound at all (a recording whose header was never
    // completed, or a really empty one) is left to the decoder, which tells
    // the two apart.
    bool open(const QString& path, const SndfileWriter::Format& format);
    void close();
    bool isOpen() const { return file_ != nullptr; }

    int64_t frames() const { return frames_; }  // as the header states
    // Reads at most maxFrames whole frames into buffer; the frames read, 0 at
    // the end of the data. Raises TamselError naming the file on a read error.
    int64_t read(char* buffer, int64_t maxFrames);
    // Appends at most maxFrames whole frames to the writer by a copy inside
    // the kernel, which never passes the bytes through this process; the
    // frames appended, 0 at the end, or -1 when the kernel cannot copy
    // between the two files (read() then goes on from the same place).
    int64_t transfer(SndfileWriter& writer, int64_t maxFrames);

private:
    sf_private_tag* file_ = nullptr;
    int fd_ = -1;  // file_ reads through it
    QString path_;
    int64_t frames_ = 0;
    int frameBytes_ = 0;
    int64_t dataAt_ = 0;   // byte offset of the first frame
    int64_t moved_ = 0;    // frames transferred so far
};
