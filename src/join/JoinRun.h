#pragma once
// Joins audio files, in order, into one WAV file: the work behind the list
// window's join and behind tamsel-join. It knows no window. Inputs of the
// output's own PCM WAV format are copied as bytes where the writer can; all
// others are decoded and converted by the writer.
//
// The run reports to its listener on a time basis, not per block, so that
// hundreds of short files or a fast copy are not slowed by the display.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class TAudioFile2;

class JoinRun {
public:
    struct Output {
        QString path;  // written as given
        int sampleRate = 44100;
        int channels = 2;
        int bitsPerSample = 16;
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
    };

    JoinRun(TAudioFile2& reader, TAudioFile2& writer, Listener listener);

    // 0 reports every block (tests that act at a given block).
    void setTickInterval(int ms) { tickMs_ = ms; }
    // Forces decoding even where a byte copy would do (to compare the two).
    void setByteCopy(bool allowed) { byteCopy_ = allowed; }

    // True when every input was joined, false when a stop was requested. On
    // any failure the output is completed as a valid WAV of what was joined
    // so far and TamselError names the file it happened on.
    bool run(const QStringList& inputs, const Output& output);

    // Where the run is, or where it ended.
    const Progress& progress() const { return progress_; }

    // The input that is output itself (also through a link or another
    // spelling of its path), or an empty string.
    static QString inputThatIsOutput(const QStringList& inputs, const QString& output);

    // Frames read per block: at most about a second and a megabyte of
    // samples, whatever the input's rate and channels.
    static int blockFrames(int sampleRate, int channels);

private:
    bool joinEntry(int entry, const QString& path);
    bool copyEntry(const QString& path);
    bool decodeEntry(const QString& path);
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
    double secondsBefore_ = 0;  // joined before the current entry
    int64_t lastTickMs_ = 0;
    bool unreported_ = false;
};
