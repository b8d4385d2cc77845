#pragma once
// Output through libsndfile: WAV (RIFF, turning into RF64 past 4 GiB),
// headerless PCM, FLAC and MP3 (LAME). Takes interleaved float frames
// already in the file's own rate and channel count.
//
// Every file stays playable when the process dies: the WAV header follows
// the data at most half a second behind, FLAC and MP3 frames reach the file
// as they are coded.

#include <QString>
#include <cstdint>
#include <vector>

struct sf_private_tag;

class SndfileWriter {
public:
    enum class Container { Wav, Raw, Flac, Mp3 };

    // Sample coding of headerless output, the number stored in the settings
    // and handed to SetRawFormat. Unknown numbers mean SignedLittleEndian.
    enum RawCoding {
        SignedLittleEndian = 0,  // two's complement, 8-bit samples signed too
        WavCoding = 1,           // as in WAV: 8-bit unsigned, wider signed little-endian
        SignedBigEndian = 2,
        FloatLittleEndian = 3,   // 32-bit IEEE float whatever the bit depth
    };

    struct Format {
        Container container = Container::Wav;
        int sampleRate = 44100;  // as stored: for MP3 one of its rates
        int channels = 2;
        // WAV and headerless: 8, 16, 24 or 32 bits stored as such; 2 to 5 are
        // quantized to that many bits and stored in 8-bit samples. FLAC: 16
        // or 24.
        int bits = 16;
        int rawCoding = SignedLittleEndian;
        int kbps = 0;         // MP3 at constant bitrate when > 0
        int vbrQuality = 2;   // MP3 at variable bitrate: 0 (best) to 9
    };

    // Throws TamselError when the format cannot be written.
    static void validate(const Format& format);
    // The rate a file of this container stores for audio of sampleRate:
    // MP3 the nearest of its rates above, others as given.
    static int storedRate(Container container, int sampleRate);
    // Bytes per frame on disk (PCM containers).
    static int frameBytes(const Format& format);
    // The libsndfile subtype a WAV file of this format stores its samples
    // in, when they can be copied to it as bytes from a file of the same
    // subtype; 0 when not (not WAV, or quantized to fewer bits).
    static int byteCopySubtype(const Format& format);

    SndfileWriter();
    ~SndfileWriter();  // completes an open file
    SndfileWriter(const SndfileWriter&) = delete;
    SndfileWriter& operator=(const SndfileWriter&) = delete;

    // Creates or overwrites the file.
    void open(const QString& fileName, const Format& format);
    void write(const float* samples, int64_t frames);
    // Appends whole frames already in the file's own coding (see
    // byteCopySubtype).
    void writeRaw(const char* bytes, int64_t frames);
    // The same from the file open at descriptor in, bytes from offset, by a
    // copy inside the kernel: the bytes appended (whole frames, fewer where
    // the file ends first), or -1 when the kernel cannot copy between the two
    // files. Raises TamselError naming source on any other failure.
    int64_t appendFrom(int in, int64_t offset, int64_t bytes, const QString& source);
    // Completes the file, its header stating exactly what it holds, also
    // when that is nothing; harmless when nothing is open.
    void close();

    bool isOpen() const { return file_ != nullptr; }
    int64_t frames() const { return frames_; }
    const Format& format() const { return format_; }
    const QString& fileName() const { return fileName_; }

private:
    void configure();
    void writeSlice(const float* samples, int64_t frames);
    void wrote(int64_t frames);
    [[noreturn]] void fail(const QString& what) const;

    sf_private_tag* file_ = nullptr;
    int fd_ = -1;  // file_'s, which closes it
    Format format_;
    QString fileName_;
    int64_t frames_ = 0;
    int64_t sinceHeader_ = 0;
    std::vector<short> scratch_;
};
