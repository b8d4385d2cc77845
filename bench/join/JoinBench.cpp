// Whole joins side by side, in one run, on the same inputs: tamsel-join, the
// list window's join, sox, ffmpeg and a plain byte copy (cat), each as a
// process of its own measured by wait4 (wall time, CPU, peak memory).
//
//   bench_join [--hours H...] [--runs N] [--only same,short,mixed,mp3,low,toflac,toopus,tomp3]
//
// --hours: the lengths to measure (default 1); give two (e.g. 1 3) to check
// that peak memory stays flat as the inputs grow. The 300 short files and
// adding them to the list window are measured at the first length only.
// --runs: each program runs N times (default 3, interleaved); the fastest
// time and the largest peak memory are shown.
// Inputs and outputs live in a tmpfs folder (/dev/shm) so the disk is not
// what is measured. Exits non-zero only when one of our runs fails or its
// peak memory grows with length.

#include "BenchSupport.h"
#include "ChildRun.h"
#include "JoinCases.h"
#include "ListWindowRun.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>

using namespace bench;

namespace {

constexpr double kCdBytesPerSecond = 44100 * 2 * 2;
constexpr double kMemoryGoalMiB = 64;
const QString kOurs = "tamsel-join", kList = "list window";

struct Options {
    QList<double> hours{1};
    int runs = 3;
    QStringList only;
};

bool parse(const QStringList& args, Options& o)
{
    QList<double> hours;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == "--hours") {
            while (i + 1 < args.size() && !args[i + 1].startsWith("--")) hours << args[++i].toDouble();
        } else if (args[i] == "--runs" && i + 1 < args.size()) {
            o.runs = std::max(1, args[++i].toInt());
        } else if (args[i] == "--only" && i + 1 < args.size()) {
            o.only = args[++i].split(',');
        } else {
            return false;
        }
    }
    if (!hours.isEmpty()) o.hours = hours;
    return std::all_of(o.hours.begin(), o.hours.end(), [](double h) { return h > 0; });
}

struct Result {
    QString tool;
    bool ok = true;
    double best = 1e30, worst = 0, cpu = 0;
    long peakKiB = 0;
    double addSeconds = 1e30;  // the list window: adding the inputs
    QString note;

    void add(const ChildRun& r, double wall)
    {
        best = std::min(best, wall);
        worst = std::max(worst, wall);
        cpu = best == wall ? r.cpuSeconds : cpu;
        peakKiB = std::max(peakKiB, r.peakKiB);
    }
    double mib() const { return peakKiB / 1024.0; }
};

// What the output holds, from its size; cat's output is not a WAV of the whole.
QString lengthNote(const JoinCase& c, const QString& out)
{
    if (c.output != "wav") return {};
    const double seconds = (QFileInfo(out).size() - 44) / kCdBytesPerSecond;
    if (std::abs(seconds - c.audioSeconds) <= c.audioSeconds * 0.005 + 0.1) return {};
    return QString("output holds %1 s, expected %2 s").arg(seconds, 0, 'f', 1).arg(c.audioSeconds);
}

// The first program to write this much into tmpfs pays for memory the
// virtual machine has not backed yet; a file of the output's size, written
// and removed, takes that cost away from whoever runs first.
void warmUp(const QString& dir, qint64 bytes)
{
    QFile warm(QDir(dir).filePath("warm"));
    if (!warm.open(QIODevice::WriteOnly)) return;
    const QByteArray chunk(8 << 20, '\0');
    for (qint64 done = 0; done < bytes; done += chunk.size()) warm.write(chunk);
    warm.close();
    warm.remove();
}

QList<Result> measure(const JoinCase& c, const QString& dir, const QString& self, int runs)
{
    warmUp(dir, qint64(c.audioSeconds * kCdBytesPerSecond));
    const QString out = QDir(dir).filePath("out." + c.output);
    const QString list = QDir(dir).filePath("list.txt");
    QList<PeerRun> peers{{kOurs, TAMSEL_JOIN_PATH, QStringList{"-q"} + ourOptions(c) + QStringList{"-o", out} + c.inputs, {}}};
    // Encoding is measured against ffmpeg alone: sox, cat and the list
    // window write WAV.
    if (c.kind == CaseKind::Encode)
        peers << ffmpegRun(c, out, list);
    else
        peers << PeerRun{kList, self, QStringList{"--run", out} + c.inputs, {}} << soxRun(c, out)
              << ffmpegRun(c, out, list) << copyRun(c, out);
    QList<Result> results;
    for (const PeerRun& p : peers) {
        results.append(Result());
        results.last().tool = p.name;
    }
    for (int run = 0; run < runs; ++run) {
        for (int i = 0; i < peers.size(); ++i) {
            Result& r = results[i];
            if (!r.ok) continue;
            QFile::remove(out);
            const PeerRun& p = peers[i];
            const ChildRun child = runChildProcess(p.program, p.args, dir, p.stdoutFile);
            if (!child.ok) {
                r.ok = false;
                r.note = "FAILED: " + child.errors.trimmed().left(200);
                continue;
            }
            double wall = child.wallSeconds;
            if (p.name == kList) {
                // The join alone, as the window runs it, not the process start.
                const ListWindowTimes t = ListWindowTimes::parse(child.output);
                wall = t.joinSeconds;
                r.addSeconds = std::min(r.addSeconds, t.addSeconds);
            }
            r.add(child, wall);
            if (run == 0 && p.program != "cat") r.note = lengthNote(c, out);
        }
    }
    QFile::remove(out);
    QFile::remove(list);
    return results;
}

const Result* find(const QList<Result>& results, const QString& tool)
{
    for (const Result& r : results)
        if (r.tool.startsWith(tool) && r.ok) return &r;
    return nullptr;
}

QString verdict(bool met) { return met ? "met" : "NOT met"; }

// The goals for one of our tools in this case, with whether they are met.
QString goals(const JoinCase& c, const Result& r, const Result* sox, const Result* copy, const Result* ffmpeg)
{
    const double bySox = sox ? sox->best / r.best : 0, byCopy = copy ? copy->best / r.best : 0;
    QStringList g;
    auto soxGoal = [&](double x) {
        g << QString("%1x sox: %2 (%3x)").arg(x).arg(verdict(bySox >= x)).arg(bySox, 0, 'f', 2);
    };
    switch (c.kind) {
    case CaseKind::SameFormat:
        soxGoal(3);
        g << QString("1/4 of the copy's speed: %1 (%2)").arg(verdict(byCopy >= 0.25)).arg(byCopy, 0, 'f', 3);
        break;
    case CaseKind::Short:
        soxGoal(1.5);
        if (r.tool == kList)
            g << QString("adding 300 files < 0.3 s: %1 (%2 s)").arg(verdict(r.addSeconds < 0.3)).arg(r.addSeconds, 0, 'f', 3);
        break;
    case CaseKind::Mixed:
    case CaseKind::Mp3:
        soxGoal(2);
        break;
    case CaseKind::LowRate:
        break;
    case CaseKind::Encode: {
        const double byFfmpeg = ffmpeg ? r.best / ffmpeg->best : 0;
        g << QString("within 1.2x ffmpeg's time: %1 (%2x)").arg(verdict(ffmpeg && byFfmpeg <= 1.2)).arg(byFfmpeg, 0, 'f', 2);
        break;
    }
    }
    g << QString("peak < %1 MiB: %2 (%3)").arg(kMemoryGoalMiB).arg(verdict(r.mib() < kMemoryGoalMiB)).arg(r.mib(), 0, 'f', 1);
    return g.join("; ");
}

void print(QTextStream& out, const JoinCase& c, const QList<Result>& results)
{
    out << QString("\n== %1: %2 files, %3 MB in, %4 min of audio ==\n")
               .arg(c.title).arg(c.inputs.size()).arg(c.inputBytes / 1e6, 0, 'f', 0)
               .arg(c.audioSeconds / 60, 0, 'f', 0);
    out << "tool                      best s  worst s      xRT  sox/x  copy/x   cpu s  peak MiB\n";
    const Result* sox = find(results, "sox");
    const Result* copy = find(results, "cat");
    for (const Result& r : results) {
        out << QString("%1").arg(r.tool, -24);
        if (r.ok)
            out << QString("%1 %2 %3 %4 %5 %6 %7")
                       .arg(r.best, 8, 'f', 3).arg(r.worst, 8, 'f', 3).arg(c.audioSeconds / r.best, 8, 'f', 0)
                       .arg(sox ? sox->best / r.best : 0, 6, 'f', 2).arg(copy ? copy->best / r.best : 0, 7, 'f', 3)
                       .arg(r.cpu, 7, 'f', 2).arg(r.mib(), 9, 'f', 1);
        if (!r.note.isEmpty()) out << "  " << r.note;
        out << "\n";
    }
    if (const Result* list = find(results, kList); list && c.kind == CaseKind::Short)
        out << QString("adding the 300 files to the list window (AddFiles): %1 s\n").arg(list->addSeconds, 0, 'f', 3);
    const Result* ffmpeg = find(results, "ffmpeg");
    for (const QString& tool : {kOurs, kList})
        if (const Result* r = find(results, tool))
            out << QString("  goals, %1: %2\n").arg(tool, goals(c, *r, sox, copy, ffmpeg));
    out.flush();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (const auto code = runChild(args, listWindowJoin)) return *code;

    QTextStream out(stdout);
    Options options;
    if (!parse(args, options)) {
        out << "usage: bench_join [--hours H...] [--runs N] [--only same,short,mixed,mp3,low,toflac,toopus,tomp3]\n";
        return 2;
    }
    QTemporaryDir tmp(QDir("/dev/shm").exists() ? "/dev/shm/bench_join-XXXXXX" : QString());
    out << "inputs and outputs in " << tmp.path() << "; best of " << options.runs
        << " runs; sox/x and copy/x: their time over this one's (above 1 = faster than them)\n";
    const ChildRun idle = runChildProcess("true", {}, tmp.path());
    out << "peak memory of a program that does nothing (true), as measured here: " << idle.peakKiB / 1024.0
        << " MiB\n";

    MemoryGrowth growth;
    bool oursFailed = false;
    for (int l = 0; l < options.hours.size(); ++l) {
        for (JoinCase& c : joinCases(options.hours[l])) {
            if (!options.only.isEmpty() && !options.only.contains(c.key)) continue;
            if (c.kind == CaseKind::Short && l > 0) continue;  // does not scale with length
            if (!makeInputs(c, tmp.path())) return 2;
            const QList<Result> results = measure(c, tmp.path(), app.applicationFilePath(), options.runs);
            removeInputs(c);
            print(out, c, results);
            for (const QString& tool : {kOurs, kList}) {
                if (tool == kList && c.kind == CaseKind::Encode) continue;
                const Result* r = find(results, tool);
                if (!r) oursFailed = true;
                else if (c.kind != CaseKind::Short) growth.add(c.key + " " + tool, r->mib());
            }
        }
    }
    out << "\n";
    if (options.hours.size() < 2)
        out << "peak memory against length: not checked (give two lengths, e.g. --hours 1 3)\n";
    else
        out << (growth.flat() ? "peak memory does not grow with length\n" : "PEAK MEMORY GROWS WITH LENGTH\n");
    if (oursFailed) out << "ONE OF OUR RUNS FAILED\n";
    return growth.flat() && !oursFailed ? 0 : 1;
}
