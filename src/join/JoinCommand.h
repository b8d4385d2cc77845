#pragma once
// tamsel-join: the join run on the command line.
//
//   tamsel-join [-r RATE] [-c CHANNELS] [-b BITS] [-q] -o OUT.wav IN...
//
// Exit status: 0 joined, 1 a failure (one line on standard error naming the
// file and the reason), 2 a usage error, 130 stopped by a signal. After a
// failure or a stop the output is a valid WAV of what was joined so far, and
// the message says so.

#include <QStringList>

#include <csignal>
#include <cstdio>

class TAudioFile2;

struct JoinCommand {
    TAudioFile2& reader;
    TAudioFile2& writer;
    std::FILE* err = stderr;
    // Set from a signal handler; the run stops at its next check.
    const volatile std::sig_atomic_t* stop = nullptr;
    // A progress bar is drawn only on a terminal.
    bool terminal = false;

    // arguments as the program got them, the program name first.
    int run(const QStringList& arguments);
};
