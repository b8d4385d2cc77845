#include "join/JoinCommand.h"

#include "join/JoinRun.h"
#include "platform/Error.h"
#include "platform/CommandLineTool.h"
#include "platform/ErrorBoundary.h"
#include "platform/FileName.h"
#include "platform/TimeText.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

using cli::kFailed;
using cli::kStopped;
using cli::kUsageError;
constexpr int kDecodedInPart = 3;
const QString kTool = QStringLiteral("tamsel-join");

void say(std::FILE* err, const QString& text) { cli::say(err, kTool, text); }

bool number(const QCommandLineParser& args, const QString& name, int& value, int least = 1)
{
    if (!args.isSet(name)) return true;
    bool ok = false;
    value = args.value(name).toInt(&ok);
    return ok && value >= least;
}

using Format = JoinRun::Format;
constexpr Format kFormats[] = {Format::Wav, Format::Flac, Format::Opus, Format::Mp3};

// -f names a format as its extension does, without the dot; otherwise the
// output's extension says it, and any other is WAV.
bool chooseFormat(const QCommandLineParser& args, JoinRun::Output& output)
{
    if (!args.isSet("format")) {
        const auto byName = TAudioFile2::FormatOfName(output.path);
        output.format = byName && std::count(std::begin(kFormats), std::end(kFormats), *byName) ? *byName
                                                                                               : Format::Wav;
        return true;
    }
    for (const Format f : kFormats)
        if (TAudioFile2::ExtensionOf(f).mid(1).compare(args.value("format"), Qt::CaseInsensitive) == 0) {
            output.format = f;
            return true;
        }
    return false;
}

// Each codec's own settings, and only those.
QString codecOptions(const QCommandLineParser& args, JoinRun::Output& output)
{
    const Format f = output.format;
    if (args.isSet("bits") && f != Format::Wav && f != Format::Flac) return "-b applies to WAV and FLAC";
    if (args.isSet("bitrate") && f != Format::Opus && f != Format::Mp3) return "--bitrate applies to Opus and MP3";
    if (args.isSet("quality") && f != Format::Mp3) return "--quality applies to MP3";
    if (args.isSet("bitrate") && args.isSet("quality")) return "MP3 takes either --bitrate or --quality";
    int kbps = 0;
    if (!number(args, "bitrate", kbps)) return "the bitrate must be a positive whole number of kbit/s";
    if (!number(args, "quality", output.mp3VbrQuality, 0) || output.mp3VbrQuality > 9)
        return "the MP3 quality must be a whole number from 0 to 9";
    if (f == Format::Opus && kbps > 0) output.opusKbps = kbps;
    if (f == Format::Mp3) output.mp3Kbps = kbps;
    return {};
}

// "file 3/10  00:12:34 joined  142x  [#########...............]", drawn
// over the line before.
QString progressLine(const JoinRun::Progress& at, int count, double seconds)
{
    const double speed = seconds > 0 ? at.secondsJoined / seconds : 0;
    return QStringLiteral("file %1/%2  %3 joined  %4x  %5")
        .arg(at.entry + 1, QString::number(count).size())
        .arg(count)
        .arg(timeTextFromSeconds(int64_t(at.secondsJoined)))
        .arg(speed, 0, 'f', 0)
        .arg(cli::bar(at.share(count)));
}

}  // namespace

int JoinCommand::run(const QStringList& arguments)
{
    QCommandLineParser args;
    args.setApplicationDescription("Joins audio files (WAV, MP3, WMA, OGG, FLAC, ...), in the order "
                                   "given, into one WAV, FLAC, Opus or MP3 file that marks where each "
                                   "begins.");
    args.addOptions({
        {{"o", "output"}, "The file to write (replaced when it exists).", "OUT"},
        {{"f", "format"}, "wav, flac, opus or mp3 (default: by OUT's extension, otherwise wav).", "FORMAT"},
        {{"r", "rate"}, "Output sample rate in Hz (default 44100; Opus stores 48000).", "RATE"},
        {{"c", "channels"}, "Output channels (default 2).", "CHANNELS"},
        {{"b", "bits"}, "Bits per sample: WAV 8, 16, 24 or 32, FLAC 16 or 24 (default 16).", "BITS"},
        {"bitrate", "Opus bitrate (default 96), or MP3 at this constant bitrate, in kbit/s.", "KBPS"},
        {"quality", "MP3 variable bitrate quality, 0 (best) to 9 (default 2, about 190 kbit/s).", "Q"},
        {{"q", "quiet"}, "No progress bar."},
    });
    args.addHelpOption();
    args.addVersionOption();
    args.addPositionalArgument("IN", "The files to join, in order.", "IN...");
    if (const auto status = cli::parse(args, arguments, kTool, err)) return *status;

    JoinRun::Output output;
    output.path = args.value("output");
    const QStringList inputs = args.positionalArguments();
    if (output.path.isEmpty() || inputs.isEmpty()) {
        say(err, "an output (-o OUT) and at least one input are needed (see --help)");
        return kUsageError;
    }
    if (!number(args, "rate", output.sampleRate) || !number(args, "channels", output.channels)
        || !number(args, "bits", output.bitsPerSample)) {
        say(err, "the rate, channels and bits must be positive whole numbers (see --help)");
        return kUsageError;
    }
    if (!chooseFormat(args, output)) {
        say(err, QStringLiteral("unknown format %1: wav, flac, opus or mp3 (see --help)").arg(args.value("format")));
        return kUsageError;
    }
    if (const QString wrong = codecOptions(args, output); !wrong.isEmpty()) {
        say(err, wrong + " (see --help)");
        return kUsageError;
    }
    const QString same = JoinRun::inputThatIsOutput(inputs, output.path);
    if (!same.isEmpty()) {
        say(err, QStringLiteral("the output %1 is the input %2; choose another name").arg(output.path, same));
        return kFailed;
    }
    // A missing input is found before an existing output is replaced.
    for (const QString& input : inputs) {
        if (const QString why = cli::unreadable(input); !why.isEmpty()) {
            say(err, why);
            return kFailed;
        }
    }

    cli::ProgressLine progress(err, terminal && !args.isSet("quiet"));
    JoinRun::Listener listener;
    listener.stopRequested = [this] { return stop && *stop; };
    listener.tick = [&](const JoinRun::Progress& at) {
        progress.draw(progressLine(at, int(inputs.size()), progress.seconds()));
    };
    listener.cutShort = [&](const JoinRun::Shortfall& lost) {
        progress.end();
        say(err, lost.message());
    };
    JoinRun join(reader, writer, std::move(listener));
    const auto kept = [&] {
        return QStringLiteral("%1 holds the %2 joined so far, as a valid %3 file")
            .arg(output.path, timeTextFromSeconds(int64_t(join.progress().secondsJoined)),
                 JoinRun::formatName(output.format));
    };
    if (needsDecoding) {
        try {
            if (join.decodes(inputs, output)) needsDecoding();
        } catch (...) {
            say(err, ErrorBoundary::currentMessage());
            return kFailed;
        }
    }
    try {
        const bool whole = join.run(inputs, output);
        progress.end();
        if (!whole) {
            say(err, "stopped; " + kept());
            return kStopped;
        }
        return join.shortfalls().isEmpty() ? 0 : kDecodedInPart;
    } catch (...) {
        progress.end();
        QString why = ErrorBoundary::currentMessage();
        if (filename::status(output.path).exists && !why.contains("Cannot create")) {
            while (why.endsWith('.')) why.chop(1);
            why += "; " + kept();
        }
        say(err, why);
        return kFailed;
    }
}
