#pragma once
// Ogg Vorbis output through libvorbisenc and libogg, by quality or by managed
// bitrate. Takes interleaved float frames already in the output format.
// Pages reach the disk at least every half second of audio, so a file cut
// off by a crash plays up to there.

#include <QString>
#include <cstdint>
#include <memory>

class VorbisWriter {
public:
    struct Format {
        int sampleRate = 44100;
        int channels = 2;
        // Thousandths of Vorbis quality (-100 to 1000); 0 selects managed
        // bitrate mode with the three rates below, in kbit/s.
        int quality = 300;
        int nominalKbps = 256;
        int minKbps = 128;
        int maxKbps = 128;
    };

    // True when the encoder accepts this managed bitrate set. The encoder
    // alone decides; no rule is added here.
    static bool accepts(int sampleRate, int channels, int nominalKbps, int minKbps, int maxKbps);
    // Throws TamselError for a quality outside -100 to 1000 or a bad layout.
    static void validate(const Format& format);

    VorbisWriter();
    ~VorbisWriter();  // completes an open file
    VorbisWriter(const VorbisWriter&) = delete;
    VorbisWriter& operator=(const VorbisWriter&) = delete;

    // Sets the encoder up first, so a refused format leaves no file behind;
    // then creates or overwrites the file and writes the headers.
    void open(const QString& fileName, const Format& format);
    void write(const float* samples, int64_t frames);
    // Ends the stream and completes the file; harmless when nothing is open.
    void close();

    bool isOpen() const { return state_ != nullptr; }
    int64_t frames() const { return frames_; }
    const Format& format() const { return format_; }

private:
    struct State;
    void drain(bool flushAll);
    void writePages(bool flushAll);
    [[noreturn]] void fail(const QString& what);

    std::unique_ptr<State> state_;
    Format format_;
    QString fileName_;
    int64_t frames_ = 0;
    int64_t flushedAt_ = 0;  // frames_ when the pages were last flushed
};
