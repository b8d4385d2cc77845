#include "BenchSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace bench {

std::optional<int> runChild(const QStringList& args, const std::function<int(const QStringList&)>& once)
{
    if (args.value(0) != "--run") return std::nullopt;
    try {
        return once(args.mid(1));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}

QList<int> minutesOf(const QStringList& args)
{
    QList<int> minutes;
    for (const QString& a : args) minutes << a.toInt();
    if (minutes.isEmpty()) minutes = {1, 10};
    return minutes;
}

bool run(const QString& program, const QStringList& args, QString* output)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     p.readAllStandardError().constData());
        return false;
    }
    if (output) *output = QString::fromUtf8(p.readAllStandardOutput());
    return true;
}

double timedRun(const QString& program, const QStringList& args)
{
    QElapsedTimer clock;
    clock.start();
    if (!run(program, args)) return -1;
    return clock.nsecsElapsed() / 1e9;
}

bool tone(const QString& file, double seconds, int rate, int channels, const QString& wave)
{
    return run("sox", {"-n", "-r", QString::number(rate), "-c", QString::number(channels), "-b",
                       "16", file, "synth", QString::number(seconds), "sine", wave, "vol", "0.5"});
}

bool encodeMp3(const QString& in, const QString& out)
{
    return run("ffmpeg", {"-v", "error", "-y", "-i", in, "-c:a", "libmp3lame", "-b:a", "192k", out});
}

namespace {

long statusKiB(const QString& file, const QByteArray& key)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

}  // namespace

long peakRssKb() { return statusKiB("/proc/self/status", "VmHWM:"); }

Usage selfUsage()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return {r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6,
            peakRssKb()};
}

Usage processUsage(qint64 pid)
{
    Usage u;
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray stat = f.readAll();
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        // utime and stime are fields 14 and 15 of the whole line.
        u.cpuSeconds = (fields.value(11).toDouble() + fields.value(12).toDouble()) / sysconf(_SC_CLK_TCK);
    }
    u.peakKiB = statusKiB(QStringLiteral("/proc/%1/status").arg(pid), "VmHWM:");
    return u;
}

void playToneIfPrivateServer(QProcess& player, const QString& dir, int seconds)
{
    QProcess sinks;
    sinks.start("pactl", {"list", "short", "sinks"});
    sinks.waitForFinished();
    if (!sinks.readAllStandardOutput().contains("tamsel_null")) return;
    const QString file = dir + "/tone.wav";
    if (tone(file, seconds + 10, 44100, 2)) player.start("paplay", {"-d", "tamsel_null", file});
}

bool startParec(QProcess& parec, const QString& file)
{
    parec.start("parec", {"--file-format=wav", "--format=s16le", "--rate=44100", "--channels=2", file});
    if (parec.waitForStarted()) return true;
    std::fprintf(stderr, "cannot start parec\n");
    return false;
}

void printParec(const Usage& usage, const QString& file)
{
    std::printf("parec: cpu %.2f s, peak RSS %.1f MiB, %lld bytes\n", usage.cpuSeconds,
                usage.peakKiB / 1024.0, static_cast<long long>(QFileInfo(file).size()));
}

void MemoryGrowth::add(const QString& name, double rssMb)
{
    if (!first_.contains(name)) first_[name] = rssMb;
    else if (rssMb > first_[name] * 1.2 + 4) flat_ = false;
}

}  // namespace bench
