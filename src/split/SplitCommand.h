#pragma once
// tamsel-split: one audio file split at its silences, on the command line.
//
//   tamsel-split [-t THRESHOLD_DBFS] [-m MIN_SILENCE_SECONDS] [-q] -o FOLDER IN
//
// Writes FOLDER/<IN's base name>-01.<ext>, -02, ... (see SplitRun). Exit
// status: 0 split, 1 a failure (one line on standard error naming the file
// and the reason), 2 a usage error, 4 nothing written because IN has no
// sound above the threshold, 130 stopped by a signal. After a failure or a
// stop every piece written is a valid file, the one being written then
// included, and the message says how many there are.

#include <QStringList>

#include <csignal>
#include <cstdio>

class TAudioFile2;
class TAudioInformation2;

struct SplitCommand {
    TAudioFile2& reader;
    TAudioFile2& writer;
    TAudioInformation2& tags;
    std::FILE* err = stderr;
    // Set from a signal handler; the run stops at its next check.
    const volatile std::sig_atomic_t* stop = nullptr;
    // A progress bar is drawn only on a terminal.
    bool terminal = false;

    // arguments as the program got them, the program name first.
    int run(const QStringList& arguments);
};
