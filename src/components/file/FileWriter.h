#pragma once
// The writing half of the audio file component: keeps the chosen output
// format, converts incoming blocks to it and hands them to the PCM or Vorbis
// encoder.

#include "components/Block.h"
#include "components/sndfile/SndfilePcmSource.h"
#include "components/sndfile/SndfileWriter.h"
#include "components/vorbis/VorbisWriter.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class Resampler;

class FileWriter {
public:
    enum class Kind { Wav, Raw, Ogg };

    FileWriter();
    ~FileWriter();  // completes an open file
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Each of these chooses the format of the next open(); an open file keeps
    // its own. A format that cannot be written raises TamselError here.
    void setWav(int sampleRate, int channels, int bits);
    void setRaw(int coding, int sampleRate, int channels, int bits);
    void setOgg(const VorbisWriter::Format& format);

    // Creates or overwrites the file, completing one still open first. The
    // input format starts as the output format.
    void open(const QString& fileName);
    // Format of the blocks that follow, converted to the output format; it
    // holds until the file is closed (set before open, for the next file).
    void setInputFormat(int sampleRate, int channels);
    // A block that carries its own rate (sampleRate > 0) is taken in its own
    // format, whatever setInputFormat said.
    void write(const Block& block);
    // Writes what the converter holds and completes the file; harmless when
    // nothing is open.
    void close();

    bool isOpen() const;

    // Appending a PCM WAV file stored exactly as the open WAV output is, as
    // bytes. openCopy is false when it is not (decode it instead); the
    // converter's tail from the input before is written first.
    bool openCopy(const QString& path);
    int64_t copyLength() const { return source_.frames(); }
    int64_t copy(int64_t maxFrames);  // frames appended, 0 at the end
    void closeCopy() { source_.close(); }
    // Output format: the open file's, or the one chosen for the next file.
    int sampleRate() const;
    int channels() const;
    int64_t frames() const;  // written so far, in the output format
    int bitrate() const;     // bit/s: PCM exact, Vorbis nominal (0 in quality mode)
    const QString& fileName() const { return fileName_; }

private:
    void useInput(int sampleRate, int channels);
    void flushConverter();
    void put(const float* samples, int64_t frames);

    Kind kind_ = Kind::Wav;
    SndfileWriter::Format pcmFormat_;
    VorbisWriter::Format oggFormat_;
    Kind openKind_ = Kind::Wav;
    SndfileWriter pcm_;
    VorbisWriter ogg_;
    std::unique_ptr<Resampler> converter_;
    // The input format; until setInputFormat it follows the output format.
    bool inputSet_ = false;
    int inRate_ = 0;
    int inChannels_ = 0;
    std::vector<float> converted_;
    SndfilePcmSource source_;
    std::vector<char> copyBuffer_;
    QString fileName_;
};
