#pragma once
// What the benchmarks share: running peer programs (sox, ffmpeg, parec) and
// timing them, and reading the CPU time and peak memory of a process.

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace bench {

// Each measured run is a fresh process (the benchmark run again with --run
// first) so that its peak memory is its own. With --run, runs once on the
// arguments after it and gives its exit code; an error is printed and fails.
std::optional<int> runChild(const QStringList& args, const std::function<int(const QStringList&)>& once);
// Whole minutes from the arguments; 1 and 10 when there are none.
QList<int> minutesOf(const QStringList& args);

// Runs program to its end; false (with its error output printed) when it
// cannot start or fails. Its standard output goes to output when given.
bool run(const QString& program, const QStringList& args, QString* output = nullptr);
// The wall time of run() in seconds, or -1 when it fails.
double timedRun(const QString& program, const QStringList& args);

// A 16-bit WAV made by sox: wave is sox's synth frequency, e.g. "440" or "200-4000".
bool tone(const QString& file, double seconds, int rate, int channels, const QString& wave = "440");
// An MP3 at 192 kb/s made by ffmpeg.
bool encodeMp3(const QString& in, const QString& out);

struct Usage {
    double cpuSeconds = 0;
    long peakKiB = 0;
};
// This process's peak resident size in KiB, or -1.
long peakRssKb();
// CPU time and peak memory of this process so far.
Usage selfUsage();
// Of another process: read while it still runs, as its reaped figures would
// mix with those of its siblings.
Usage processUsage(qint64 pid);

// With a private sound server, a tone of seconds plays into its null sink,
// so that recorders see sound rather than silence.
void playToneIfPrivateServer(QProcess& player, const QString& dir, int seconds);
// parec recording the default source into a CD-quality WAV file.
bool startParec(QProcess& parec, const QString& file);
void printParec(const Usage& usage, const QString& file);

// Peak memory by case across lengths: growth beyond a few megabytes or 20 %
// means something is kept per block.
class MemoryGrowth {
public:
    void add(const QString& name, double rssMb);
    bool flat() const { return flat_; }

private:
    QMap<QString, double> first_;
    bool flat_ = true;
};

}  // namespace bench
