#pragma once
// The writing half of the audio file component: keeps the chosen output
// format, converts incoming blocks to it and hands them to the libsndfile,
// Opus or Vorbis encoder; stores chapter marks when the file is completed.

#include "components/Block.h"
#include "components/opus/OpusWriter.h"
#include "components/sndfile/SndfilePcmSource.h"
#include "components/sndfile/SndfileWriter.h"
#include "components/taglib/TagLibChapters.h"
#include "components/vorbis/VorbisWriter.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class EncoderThread;
class Resampler;

class FileWriter {
public:
    enum class Kind { Wav, Raw, Ogg, Flac, Opus, Mp3 };
    using Mark = ChapterMark;

    FileWriter();
    ~FileWriter();  // completes an open file
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Each of these chooses the format of the next open(); an open file keeps
    // its own. A format that cannot be written raises TamselError here.
    void setWav(int sampleRate, int channels, int bits);
    void setRaw(int coding, int sampleRate, int channels, int bits);
    void setOgg(const VorbisWriter::Format& format);
    void setFlac(int sampleRate, int channels, int bits);
    // Stored at 48000 Hz; sampleRate is the input's default rate.
    void setOpus(int sampleRate, int channels, int kbps);
    // kbps > 0: constant bitrate; otherwise variable at vbrQuality.
    void setMp3(int sampleRate, int channels, int vbrQuality, int kbps);

    // Creates or overwrites the file, completing one still open first. The
    // input format starts as the format given to the set* call.
    void open(const QString& fileName);
    // Format of the blocks that follow, converted to the output format; it
    // holds until the file is closed (set before open, for the next file).
    void setInputFormat(int sampleRate, int channels);
    // A block that carries its own rate (sampleRate > 0) is taken in its own
    // format, whatever setInputFormat said.
    void write(const Block& block);
    // Marks stored when the open file is completed.
    void setMarks(std::vector<Mark> marks) { marks_ = std::move(marks); }
    // Writes what the converter holds and completes the file with its marks;
    // harmless when nothing is open.
    void close();

    bool isOpen() const;

    // Appending a PCM WAV file stored exactly as the open WAV output is, as
    // bytes. openCopy is false when it is not (decode it instead); the
    // converter's tail from the input before is written first.
    bool openCopy(const QString& path);
    // Whether openCopy would take path, for the open file or the next one.
    bool canCopy(const QString& path) const;
    int64_t copyLength() const { return source_.frames(); }
    int64_t copy(int64_t maxFrames);  // frames appended, 0 at the end
    void closeCopy() { source_.close(); }
    // Output format: the open file's, or the one chosen for the next file.
    int sampleRate() const;
    int channels() const;
    // The rate and channels given with the format: blocks are taken in them
    // by default.
    int arraySampleRate() const;
    int arrayChannels() const;
    int64_t frames() const;  // written so far, in the output format
    int bitrate() const;     // bit/s: PCM exact, set bitrates; 0 where it varies
    const QString& fileName() const { return fileName_; }

private:
    Kind current() const { return isOpen() ? openKind_ : kind_; }
    void choose(Kind kind, const SndfileWriter::Format& f, int arrayRate, int arrayChannels);
    void useInput(int sampleRate, int channels);
    void flushConverter();
    void put(const float* samples, int64_t frames);
    void encode(const float* samples, int64_t frames);
    void storeMarks(int64_t totalFrames, int rate);

    Kind kind_ = Kind::Wav;
    SndfileWriter::Format sfFormat_;
    VorbisWriter::Format oggFormat_;
    OpusWriter::Format opusFormat_;
    std::pair<int, int> array_{44100, 2};  // rate and channels given with kind_
    Kind openKind_ = Kind::Wav;
    std::pair<int, int> openArray_{44100, 2};
    SndfileWriter sf_;
    VorbisWriter ogg_;
    OpusWriter opus_;
    std::unique_ptr<Resampler> converter_;
    // Coded formats are encoded on a thread of their own.
    std::unique_ptr<EncoderThread> encoder_;
    int64_t queued_ = 0;  // frames handed to it
    // The input format; until setInputFormat it follows the array format.
    bool inputSet_ = false;
    int inRate_ = 0;
    int inChannels_ = 0;
    std::vector<float> converted_;
    SndfilePcmSource source_;
    bool kernelCopy_ = true;  // until the kernel refuses to copy between two files
    std::vector<char> copyBuffer_;
    std::vector<Mark> marks_;
    QString fileName_;
};
