#pragma once
// Joins audio files, in order, into one WAV, FLAC, Opus or MP3 file: the
// work behind the list window's join and behind tamsel-join. It knows no
// window. Inputs of a WAV output's own PCM format are copied as bytes where
// the writer can; all others are decoded and converted by the writer. Each
// input joins at its true length (no encoder delay or padding, nothing made
// up where a damaged file stops decoding), and the output marks where each
// begins with a chapter named after it.
//
// The run reports to its listener on a time basis, not per block, so that
// hundreds of short files or a fast copy are not slowed by the display.

#include "components/TAudioFile2.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class JoinRun {
public:
    using Format = TAudioFile2::OutputFormat;

    struct Output {
        QString path;  // written as given
        int sampleRate = 44100;  // of the blocks; an Opus file stores 48000 Hz
        int channels = 2;
        int bitsPerSample = 16;  // WAV; FLAC 16 or 24
        Format format = Format::Wav;
        int opusKbps = 96;
        int mp3VbrQuality = 2;   // about 190 kbit/s
        int mp3Kbps = 0;         // > 0: constant bitrate instead
    };
    // "WAV", "FLAC", "Opus", "MP3": the formats a join writes, by name.
    static QString formatName(Format format);

    // An input that decoded to less than it states: damaged or cut.
    struct Shortfall {
        int entry = 0;
        QString path;
        int64_t decoded = 0, stated = 0;  // frames at rate
        int rate = 0;
        // "x.mp3: only 00:01:23 of its 00:03:00 could be decoded"
        QString message() const;
    };

    struct Progress {
        int entry = 0;                // the input being read
        int64_t entryDone = 0;        // its frames read so far
        int64_t entryLength = 0;      // its stated length (an estimate for some formats)
        int entryRate = 0;            // its sample rate
        double secondsJoined = 0;     // of audio, over all inputs so far

        // How far the whole run of count inputs is, 0 to 1; an input whose
        // stated length is passed counts as done.
        double share(int count) const
        {
            const double inEntry = entryLength > entryDone ? double(entryDone) / double(entryLength) : 1.0;
            return count > 0 ? (entry + inEntry) / count : 1.0;
        }
    };

    struct Listener {
        std::function<void(int entry)> entryStarted;
        std::function<void(int entry)> entryFinished;
        // At most every tickMs while the run goes on, and at its end for what
        // was not reported yet.
        std::function<void(const Progress&)> tick;
        // Asked before each input and each block; true stops the run.
        std::function<bool()> stopRequested;
        // Once for each input that decoded to less than it states, when its
        // reading ends; the run goes on with the next input.
        std::function<void(const Shortfall&)> cutShort;
    };

    JoinRun(TAudioFile2& reader, TAudioFile2& writer, Listener listener);

    // 0 reports every block (tests that act at a given block).
    void setTickInterval(int ms) { tickMs_ = ms; }
    // Forces decoding even where a byte copy would do (to compare the two).
    void setByteCopy(bool allowed) { byteCopy_ = allowed; }

    // True when every input was joined (in full or as far as it decodes),
    // false when a stop was requested. On any failure the output is
    // completed as a valid file of what was joined so far and TamselError
    // names the file it happened on.
    bool run(const QStringList& inputs, const Output& output);

    // True when a run over inputs into output would decode some input
    // rather than copy it as bytes. Sets the writer's format.
    bool decodes(const QStringList& inputs, const Output& output);

    // Where the run is, or where it ended.
    const Progress& progress() const { return progress_; }
    // What the last run was asked to write.
    const Output& output() const { return output_; }
    // Where each input joined so far begins in the output (frames at the
    // output's SampleRate), named after its file; stored in the output.
    const QList<TAudioFile2::Chapter>& chapters() const { return chapters_; }
    // The inputs of the last run that decoded to less than they state.
    const QList<Shortfall>& shortfalls() const { return shortfalls_; }

    // The input that is output itself (also through a link or another
    // spelling of its path), or an empty string.
    static QString inputThatIsOutput(const QStringList& inputs, const QString& output);

    // Frames read per block: at most about a second and a megabyte of
    // samples, whatever the input's rate and channels.
    static int blockFrames(int sampleRate, int channels);

private:
    void setFormat();
    bool joinEntry(int entry, const QString& path);
    bool copyEntry(const QString& path);
    bool decodeEntry(const QString& path);
    void markStart(const QString& path);
    void checkLength(const QString& path, int64_t stated, int rate);
    bool advance(int64_t frames);
    void report(bool force);
    void noteWritten() noexcept;
    void closeAll() noexcept;

    TAudioFile2& reader_;
    TAudioFile2& writer_;
    Listener listener_;
    int tickMs_ = 50;
    bool byteCopy_ = true;
    Progress progress_;
    Output output_;
    QList<TAudioFile2::Chapter> chapters_;
    QList<Shortfall> shortfalls_;
    double secondsBefore_ = 0;  // joined before the current entry
    int64_t lastTickMs_ = 0;
    bool unreported_ = false;
};
