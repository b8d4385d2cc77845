#include "join/JoinCommand.h"

#include "join/JoinRun.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/FileName.h"
#include "platform/TimeText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>

#include <cmath>

namespace {

constexpr int kUsageError = 2;
constexpr int kStopped = 130;
constexpr int kBarWidth = 24;

void say(std::FILE* err, const QString& text)
{
    // Names are shown with the bytes they were given as.
    std::fputs(filename::encode("tamsel-join: " + text + "\n").constData(), err);
    std::fflush(err);
}

bool number(const QCommandLineParser& args, const QString& name, int& value)
{
    if (!args.isSet(name)) return true;
    bool ok = false;
    value = args.value(name).toInt(&ok);
    return ok && value > 0;
}

// "file 3/10  00:12:34 joined  142x  [#########...............]", drawn
// over the line before.
QString progressLine(const JoinRun::Progress& at, int count, double seconds)
{
    const int filled = std::clamp(int(std::lround(at.share(count) * kBarWidth)), 0, kBarWidth);
    const double speed = seconds > 0 ? at.secondsJoined / seconds : 0;
    return QStringLiteral("\rfile %1/%2  %3 joined  %4x  [%5%6]\033[K")
        .arg(at.entry + 1, QString::number(count).size())
        .arg(count)
        .arg(timeTextFromSeconds(int64_t(at.secondsJoined)))
        .arg(speed, 0, 'f', 0)
        .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('.')));
}

}  // namespace

int JoinCommand::run(const QStringList& arguments)
{
    QCommandLineParser args;
    args.setApplicationDescription("Joins audio files (WAV, MP3, WMA, OGG, FLAC, ...), in the order "
                                   "given, into one WAV file.");
    args.addOptions({
        {{"o", "output"}, "The WAV file to write (replaced when it exists).", "OUT.wav"},
        {{"r", "rate"}, "Output sample rate in Hz (default 44100).", "RATE"},
        {{"c", "channels"}, "Output channels (default 2).", "CHANNELS"},
        {{"b", "bits"}, "Output bits per sample: 8, 16, 24 or 32 (default 16).", "BITS"},
        {{"q", "quiet"}, "No progress bar."},
    });
    args.addHelpOption();
    args.addVersionOption();
    args.addPositionalArgument("IN", "The files to join, in order.", "IN...");
    if (!args.parse(arguments)) {
        say(err, args.errorText() + " (see --help)");
        return kUsageError;
    }
    if (args.isSet("help")) {
        std::fputs(args.helpText().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (args.isSet("version")) {
        std::printf("tamsel-join %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }

    JoinRun::Output output;
    output.path = args.value("output");
    const QStringList inputs = args.positionalArguments();
    if (output.path.isEmpty() || inputs.isEmpty()) {
        say(err, "an output (-o OUT.wav) and at least one input are needed (see --help)");
        return kUsageError;
    }
    if (!number(args, "rate", output.sampleRate) || !number(args, "channels", output.channels)
        || !number(args, "bits", output.bitsPerSample)) {
        say(err, "the rate, channels and bits must be positive whole numbers (see --help)");
        return kUsageError;
    }
    const QString same = JoinRun::inputThatIsOutput(inputs, output.path);
    if (!same.isEmpty()) {
        say(err, QStringLiteral("the output %1 is the input %2; choose another name").arg(output.path, same));
        return 1;
    }
    // A missing input is found before an existing output is replaced.
    for (const QString& input : inputs) {
        const filename::Status info = filename::status(input);
        if (!info.isFile || !info.readable) {
            say(err, QStringLiteral("cannot read %1: %2").arg(input, info.exists ? "it is not a readable file"
                                                                                  : "no such file"));
            return 1;
        }
    }

    QElapsedTimer clock;
    clock.start();
    bool drawn = false;
    const bool bar = terminal && !args.isSet("quiet");
    JoinRun::Listener listener;
    listener.stopRequested = [this] { return stop && *stop; };
    listener.tick = [&](const JoinRun::Progress& at) {
        if (!bar) return;
        std::fputs(progressLine(at, int(inputs.size()), clock.elapsed() / 1000.0).toLocal8Bit().constData(), err);
        std::fflush(err);
        drawn = true;
    };
    JoinRun join(reader, writer, std::move(listener));
    const auto endBar = [&] {
        if (drawn) std::fputc('\n', err);
    };
    const auto kept = [&] {
        return QStringLiteral("%1 holds the %2 joined so far, as a valid WAV file")
            .arg(output.path, timeTextFromSeconds(int64_t(join.progress().secondsJoined)));
    };
    try {
        const bool whole = join.run(inputs, output);
        endBar();
        if (whole) return 0;
        say(err, "stopped; " + kept());
        return kStopped;
    } catch (...) {
        endBar();
        QString why = ErrorBoundary::currentMessage();
        if (filename::status(output.path).exists && !why.contains("Cannot create")) {
            while (why.endsWith('.')) why.chop(1);
            why += "; " + kept();
        }
        say(err, why);
        return 1;
    }
}
