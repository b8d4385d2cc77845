#pragma once
// One program run as a child process, measured by the kernel's own figures
// for that child (wait4, in the small launcher bench_join_launch): wall time,
// CPU time and peak resident size. A child that starts helpers of its own
// (sox's "|sox ..." inputs) reports the largest of them, not their sum.

#include <QString>
#include <QStringList>

namespace bench {

struct ChildRun {
    bool ok = false;       // started and exited with status 0
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long peakKiB = 0;
    QString output;        // its standard output, unless sent to a file
    QString errors;        // its standard error
};

// Runs program (looked up on PATH) with args; its standard output goes to
// stdoutFile when given (as "cat ... > OUT" would), its standard input is
// /dev/null. scratch is a folder for the captured streams.
ChildRun runChildProcess(const QString& program, const QStringList& args, const QString& scratch,
                         const QString& stdoutFile = {});

}  // namespace bench
