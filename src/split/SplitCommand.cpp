#include "split/SplitCommand.h"

#include "platform/CommandLineTool.h"
#include "platform/ErrorBoundary.h"
#include "platform/TimeText.h"
#include "split/SplitRun.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace {

using cli::kFailed;
using cli::kStopped;
using cli::kUsageError;
constexpr int kNoSound = 4;
const QString kTool = QStringLiteral("tamsel-split");
// A day: longer silences are surely a mistyped number.
constexpr double kLongestSilenceSeconds = 86400;

void say(std::FILE* err, const QString& text) { cli::say(err, kTool, text); }

// A decimal number (C locale) of option name, left as it is when not given.
bool decimal(const QCommandLineParser& args, const QString& name, double& value)
{
    if (!args.isSet(name)) return true;
    bool ok = false;
    value = args.value(name).toDouble(&ok);
    return ok && std::isfinite(value);
}

// "00:01:23 of 00:10:00  piece 3  142x  [#########...............]", drawn
// over the line before.
QString progressLine(const SplitRun::Progress& at, double seconds)
{
    const double speed = seconds > 0 ? at.seconds() / seconds : 0;
    const QString piece = at.piece > 0 ? QStringLiteral("piece %1").arg(at.piece) : QStringLiteral("finding sound");
    return QStringLiteral("%1 of %2  %3  %4x  %5")
        .arg(timeTextFromSeconds(int64_t(at.seconds())),
             timeTextFromSeconds(at.rate > 0 ? at.length / at.rate : 0), piece)
        .arg(speed, 0, 'f', 0)
        .arg(cli::bar(at.share()));
}

// What a run that ended early left behind, when it wrote something.
QString written(const SplitRun& split, const QString& folder)
{
    const auto count = split.pieces().size();
    return QStringLiteral("%1 holds the %2 written so far, each a valid file")
        .arg(folder, count == 1 ? QStringLiteral("1 piece") : QStringLiteral("%1 pieces").arg(count));
}

}  // namespace

int SplitCommand::run(const QStringList& arguments)
{
    QCommandLineParser args;
    args.setApplicationDescription(
        "Splits an audio file at its silences into pieces IN-01, IN-02, ... in FOLDER,\n"
        "in IN's format where this program writes it (WAV, FLAC, MP3, Ogg Vorbis,\n"
        "Opus) and WAV otherwise, at IN's rate and channels. Nothing is left out: a\n"
        "piece ends just before the sound that follows a silence. A piece that\n"
        "exists is replaced.\n\n"
        "Exit status: 0 split, 1 a failure, 2 a usage error, 4 nothing written\n"
        "because IN has no sound above the threshold, 130 stopped.");
    args.addOptions({
        {{"o", "output"}, "The folder the pieces go to (made when missing).", "FOLDER"},
        {{"t", "threshold"},
         QStringLiteral("Below this level (dBFS, negative) is silence (default %1).")
             .arg(SettingsKeys::Sound::SplitLevelDefault),
         "DBFS"},
        {{"m", "min-silence"},
         QStringLiteral("The shortest silence that splits, in seconds, e.g. 1.5 (default %1).")
             .arg(SettingsKeys::Sound::SplitSilenceDefault / 1000.0),
         "SECONDS"},
        {{"q", "quiet"}, "No progress bar."},
    });
    args.addHelpOption();
    args.addVersionOption();
    args.addPositionalArgument("IN", "The file to split.", "IN");
    if (const auto status = cli::parse(args, arguments, kTool, err)) return *status;

    const QString folder = args.value("output");
    const QStringList inputs = args.positionalArguments();
    if (folder.isEmpty() || inputs.size() != 1) {
        say(err, "an output folder (-o FOLDER) and one input are needed (see --help)");
        return kUsageError;
    }
    SplitRun::Settings settings;
    double minSilence = settings.minSilenceMs / 1000.0;
    if (!decimal(args, "threshold", settings.thresholdDbfs) || settings.thresholdDbfs >= 0) {
        say(err, "the threshold must be a level in dBFS below 0, e.g. -45 (see --help)");
        return kUsageError;
    }
    if (!decimal(args, "min-silence", minSilence) || minSilence < 0.01 || minSilence > kLongestSilenceSeconds) {
        say(err, "the shortest silence must be a number of seconds from 0.01 to 86400, e.g. 1.5 (see --help)");
        return kUsageError;
    }
    settings.minSilenceMs = int(std::lround(minSilence * 1000));
    const QString input = inputs.first();
    if (const QString why = cli::unreadable(input); !why.isEmpty()) {
        say(err, why);
        return kFailed;
    }

    cli::ProgressLine progress(err, terminal && !args.isSet("quiet"));
    SplitRun::Listener listener;
    listener.stopRequested = [this] { return stop && *stop; };
    listener.tick = [&](const SplitRun::Progress& at) { progress.draw(progressLine(at, progress.seconds())); };
    SplitRun split(reader, writer, tags, std::move(listener));
    try {
        const SplitRun::Outcome outcome = split.run(input, folder, settings);
        progress.end();
        switch (outcome) {
        case SplitRun::Outcome::Split: return 0;
        case SplitRun::Outcome::NoSound:
            say(err, QStringLiteral("%1: no sound above %2 dBFS; nothing written")
                         .arg(input, QString::number(settings.thresholdDbfs)));
            return kNoSound;
        case SplitRun::Outcome::Stopped:
            say(err, split.pieces().isEmpty()
                         ? QStringLiteral("stopped; nothing was written")
                         : QStringLiteral("stopped at %1 of %2; %3")
                               .arg(timeTextFromSeconds(int64_t(split.progress().secondsSplit())), input,
                                    written(split, folder)));
            return kStopped;
        }
        return kFailed;
    } catch (...) {
        progress.end();
        QString why = ErrorBoundary::currentMessage();
        while (why.endsWith('.')) why.chop(1);
        if (!split.pieces().isEmpty()) why += "; " + written(split, folder);
        say(err, why);
        return kFailed;
    }
}
