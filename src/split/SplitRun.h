#pragma once
// Splits one audio file at its silences into numbered pieces, the work
// behind tamsel-split. Everything is kept: a piece ends just before the
// sound that follows a long enough silence (SoundCutter decides where), so
// the pieces joined are the input. Pieces are named after the input,
// "<base>-01.<ext>", "-02", ... in the input's folder of choice, written in
// PieceFormat, and each is tagged with its track number and the input's
// title, artist and album. A piece that exists is replaced, as tamsel-join
// replaces its output.
//
// A file that never rises above the threshold gives no piece at all, so the
// run first reads up to the first sound (the whole file when there is none)
// and only then starts again from the beginning to write.

#include "config/SettingsKeys.h"
#include "recording/SoundCutter.h"
#include "split/PieceFormat.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

class TAudioFile2;
class TAudioInformation2;

class SplitRun {
public:
    struct Settings {
        double thresholdDbfs = SettingsKeys::Sound::SplitLevelDefault;
        int minSilenceMs = SettingsKeys::Sound::SplitSilenceDefault;
    };

    struct Progress {
        int64_t framesRead = 0;   // of the input, the furthest read so far
        int64_t framesSplit = 0;  // of the input, gone into pieces
        int64_t length = 0;      // its stated length (an estimate for some formats)
        int rate = 0;
        int piece = 0;           // the piece being written, from 1; 0 before the first

        double seconds() const { return rate > 0 ? double(framesRead) / rate : 0; }
        double secondsSplit() const { return rate > 0 ? double(framesSplit) / rate : 0; }
        // How far the run is, 0 to 1; past the stated length counts as done.
        double share() const { return length > framesRead ? double(framesRead) / double(length) : 1.0; }
    };

    struct Listener {
        // At most every tickMs while the run goes on, and once at its end.
        std::function<void(const Progress&)> tick;
        // Asked after each block read; true stops the run.
        std::function<bool()> stopRequested;
    };

    enum class Outcome {
        Split,    // every piece written
        Stopped,  // a stop was requested; the pieces so far are complete
        NoSound,  // nothing rose above the threshold; nothing written
    };

    SplitRun(TAudioFile2& reader, TAudioFile2& writer, TAudioInformation2& tags, Listener listener);

    void setTickInterval(int ms) { tickMs_ = ms; }

    // On any failure the piece being written is completed as a valid file of
    // what it got, and TamselError names the file it happened on.
    Outcome run(const QString& input, const QString& folder, const Settings& settings);

    // The pieces written so far, in order, each a complete file (after a
    // failure the last one ends where the failure came).
    const QStringList& pieces() const { return pieces_; }
    const Progress& progress() const { return progress_; }

    // "<folder>/<input's base name>-NN<extension>", NN at least two digits.
    static QString pieceName(const QString& folder, const QString& input, int number, const QString& extension);

private:
    using Steps = std::vector<SoundCutter::Step>;

    SoundCutter::Settings cutterSettings() const;
    int readTags();
    void openInput();
    bool findSound();
    bool writePieces();
    void act(const Steps& steps);
    void openPiece();
    void closePiece();
    bool advance(int64_t framesRead);
    void report(bool force);
    void closeAll() noexcept;

    TAudioFile2& reader_;
    TAudioFile2& writer_;
    TAudioInformation2& tags_;
    Listener listener_;
    int tickMs_ = 50;
    QString input_, folder_;
    Settings settings_;
    PieceFormat format_;
    QString title_, artist_, album_;
    QStringList pieces_;
    QString current_;  // the file being worked on, for messages
    Progress progress_;
    bool stopped_ = false;
    QElapsedTimer clock_;
    int64_t lastTickMs_ = 0;
};
