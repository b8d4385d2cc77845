#pragma once
// The list window's join run as the program runs it: the files added through
// the window's "add" (its dialog answering with the inputs), then its join
// into CD quality. Runs in a process of its own (bench_join --run OUT IN...)
// so that its peak memory is its own.

#include <QString>
#include <QStringList>

namespace bench {

struct ListWindowTimes {
    double addSeconds = 0;   // Tfm_list::AddFiles for all the inputs
    double joinSeconds = 0;  // JoinEngine::JoinFiles
    static ListWindowTimes parse(const QString& printed);
};

// args: the output, then the inputs; prints the two times.
int listWindowJoin(const QStringList& args);

}  // namespace bench
