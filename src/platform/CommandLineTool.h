#pragma once
// What the command-line tools share: their exit statuses, their one-line
// messages, the standard options, and the progress bar.

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <csignal>
#include <cstdio>
#include <optional>

class QCommandLineParser;

namespace cli {

inline constexpr int kFailed = 1;
inline constexpr int kUsageError = 2;
inline constexpr int kStopped = 130;  // SIGINT, SIGTERM or SIGHUP

// SIGINT, SIGTERM and SIGHUP set the flag returned: the run stops at its
// next check and completes what it writes first.
const volatile std::sig_atomic_t* stopOnSignals();
// The command line with names in the bytes they were given as; Qt's own
// arguments turn bytes that are not UTF-8 into U+FFFD, which names no file.
QStringList arguments(int argc, char* argv[]);
// Standard error is a terminal: the progress line is drawn there.
bool errorIsTerminal();

// "tool: text" on one line, names in the bytes they were given as.
void say(std::FILE* err, const QString& tool, const QString& text);

// Parses `arguments`. A usage error is said, --help and --version printed:
// then the exit status to end with; otherwise none and the run goes on.
std::optional<int> parse(QCommandLineParser& args, const QStringList& arguments, const QString& tool,
                         std::FILE* err);

// "[#########...............]" for a share from 0 to 1.
QString bar(double share);

// Why `input` cannot be read ("cannot read x: no such file"); empty when it can.
QString unreadable(const QString& input);

// A progress line drawn over itself on standard error while a run goes on;
// nothing when not `shown` (not a terminal, or -q).
class ProgressLine {
public:
    ProgressLine(std::FILE* err, bool shown);
    // Seconds since the run began.
    double seconds() const { return double(clock_.elapsed()) / 1000.0; }
    void draw(const QString& line);
    // Ends the line, so what is said next starts on a line of its own.
    void end();

private:
    std::FILE* err_;
    bool shown_;
    bool drawn_ = false;
    QElapsedTimer clock_;
};

}  // namespace cli
