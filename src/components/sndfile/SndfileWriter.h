#pragma once
// PCM output through libsndfile: WAV (RIFF, turning into RF64 past 4 GiB) and
// headerless PCM. Takes interleaved float frames already in the output rate
// and channel count.

#include <QString>
#include <cstdint>
#include <vector>

struct sf_private_tag;

class SndfileWriter {
public:
    enum class Container { Wav, Raw };

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
        int sampleRate = 44100;
        int channels = 2;
        // 8, 16, 24 or 32 bits stored as such; 2 to 5 are quantized to that
        // many bits and stored in 8-bit samples.
        int bits = 16;
        int rawCoding = SignedLittleEndian;
    };

    // Throws TamselError when the format cannot be written.
    static void validate(const Format& format);
    // Bytes per frame on disk.
    static int frameBytes(const Format& format);
    // The libsndfile subtype a WAV file of this format stores its samples
    // in, when they can be copied to it as bytes from a file of the same
    // subtype; 0 when not (headerless, or quantized to fewer bits).
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
    // Completes the file; harmless when nothing is open.
    void close();

    bool isOpen() const { return file_ != nullptr; }
    int64_t frames() const { return frames_; }
    const Format& format() const { return format_; }
    const QString& fileName() const { return fileName_; }

private:
    void writeSlice(const float* samples, int64_t frames);
    void wrote(int64_t frames);
    [[noreturn]] void fail(const QString& what) const;

    sf_private_tag* file_ = nullptr;
    Format format_;
    QString fileName_;
    int64_t frames_ = 0;
    int64_t sinceHeader_ = 0;
    std::vector<short> scratch_;
};
