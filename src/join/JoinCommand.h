#pragma once
// tamsel-join: the join run on the command line.
//
//   tamsel-join [-f FORMAT] [-r RATE] [-c CHANNELS] [-b BITS] [--bitrate KBPS]
//               [--quality Q] [-q] -o OUT IN...
//
// The output format is WAV, FLAC, Opus or MP3, by -f or else by OUT's
// extension (WAV for any other). Exit status: 0 joined, 1 a failure (one
// line on standard error naming the file and the reason), 2 a usage error,
// 3 joined, but inputs that are damaged or cut could be joined only as far
// as they decode (one line each), 130 stopped by a signal. After a failure
// or a stop the output is a valid file of what was joined so far, and the
// message says so.

#include <QStringList>

#include <csignal>
#include <cstdio>
#include <functional>

class TAudioFile2;

struct JoinCommand {
    TAudioFile2& reader;
    TAudioFile2& writer;
    std::FILE* err = stderr;
    // Set from a signal handler; the run stops at its next check.
    const volatile std::sig_atomic_t* stop = nullptr;
    // A progress bar is drawn only on a terminal.
    bool terminal = false;
    // When set, run() calls it before writing anything if an input must be
    // decoded, not copied; a program built without decoders hands the run
    // over to one that has them there.
    std::function<void()> needsDecoding = {};

    // arguments as the program got them, the program name first.
    int run(const QStringList& arguments);
};
