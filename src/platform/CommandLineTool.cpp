#include "platform/CommandLineTool.h"

#include "platform/FileName.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace cli {

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void requestStop(int) { stopRequested = 1; }
}  // namespace

const volatile std::sig_atomic_t* stopOnSignals()
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, requestStop);
    return &stopRequested;
}

QStringList arguments(int argc, char* argv[])
{
    QStringList list;
    for (int i = 0; i < argc; ++i) list << filename::decode(argv[i]);
    return list;
}

bool errorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void say(std::FILE* err, const QString& tool, const QString& text)
{
    std::fputs(filename::encode(tool + ": " + text + "\n").constData(), err);
    std::fflush(err);
}

std::optional<int> parse(QCommandLineParser& args, const QStringList& arguments, const QString& tool,
                         std::FILE* err)
{
    if (!args.parse(arguments)) {
        say(err, tool, args.errorText() + " (see --help)");
        return kUsageError;
    }
    if (args.isSet("help")) {
        std::fputs(args.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (args.isSet("version")) {
        std::printf("%s %s\n", qPrintable(tool), qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    return std::nullopt;
}

QString bar(double share)
{
    constexpr int kWidth = 24;
    const int filled = std::clamp(int(std::lround(share * kWidth)), 0, kWidth);
    return QStringLiteral("[%1%2]").arg(QString(filled, QLatin1Char('#')), QString(kWidth - filled, QLatin1Char('.')));
}

QString unreadable(const QString& input)
{
    const filename::Status info = filename::status(input);
    if (info.isFile && info.readable) return {};
    return QStringLiteral("cannot read %1: %2").arg(input, info.exists ? "it is not a readable file" : "no such file");
}

ProgressLine::ProgressLine(std::FILE* err, bool shown) : err_(err), shown_(shown) { clock_.start(); }

void ProgressLine::draw(const QString& line)
{
    if (!shown_) return;
    std::fputs(("\r" + line + "\033[K").toLocal8Bit().constData(), err_);
    std::fflush(err_);
    drawn_ = true;
}

void ProgressLine::end()
{
    if (drawn_) std::fputc('\n', err_);
    drawn_ = false;
}

}  // namespace cli
