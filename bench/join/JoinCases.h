#pragma once
// The inputs a join is measured on, and how each peer program is asked to
// join them: into a CD-quality WAV file (44100 Hz, 2 channels, 16 bits), or
// into FLAC, Opus or MP3 with the same encoder settings as ffmpeg's.

#include <QString>
#include <QStringList>

namespace bench {

enum class CaseKind {
    SameFormat,  // ten CD WAVs: copied as bytes
    Short,       // 300 CD WAVs of 3 s: the cost per file
    Mixed,       // five WAVs of other rates and channels: converted
    Mp3,         // five MP3s: decoded
    LowRate,     // one 8000 Hz mono WAV: converted
    Encode,      // five inputs of mixed formats and rates into FLAC, Opus or MP3
};

struct JoinCase {
    CaseKind kind;
    QString key;    // for --only
    QString title;
    double audioSeconds = 0;  // of the joined output
    QStringList inputs;
    qint64 inputBytes = 0;
    QString output = "wav";  // Encode: flac, opus or mp3
};

// The cases at a length of hours (the 300 short files do not scale).
QList<JoinCase> joinCases(double hours);
// Makes the case's inputs in dir; false (with the reason printed) when sox
// or ffmpeg fails.
bool makeInputs(JoinCase& c, const QString& dir);
void removeInputs(const JoinCase& c);

struct PeerRun {
    QString name;
    QString program;
    QStringList args;
    QString stdoutFile;  // the output, when the program writes it there
};

// sox: direct concatenation where the inputs share rate and channels,
// otherwise each input converted by a sox of its own ("|sox IN -p ...").
PeerRun soxRun(const JoinCase& c, const QString& out);
// ffmpeg: the concat demuxer copying the data where the inputs are CD WAVs,
// re-encoding to 16-bit PCM where they share a format; the concat filter
// with a resampler per input where they do not (the demuxer would take every
// input for the first one's format). list is the demuxer's list file.
PeerRun ffmpegRun(const JoinCase& c, const QString& out, const QString& list);
// The options that make tamsel-join write the case's output as ffmpeg does.
QStringList ourOptions(const JoinCase& c);
// cat IN... > OUT: the same bytes copied, the limit of the machine.
PeerRun copyRun(const JoinCase& c, const QString& out);

}  // namespace bench
