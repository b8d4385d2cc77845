#include "recording/OutputSetup.h"

#include "components/TAudioFile2.h"
#include "config/RecordingSettings.h"
#include "config/SettingsKeys.h"
#include "config/ValueTables.h"
#include "platform/Error.h"

#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace K = SettingsKeys;
namespace T = ValueTables;

namespace {

constexpr char kOggRefused[] = "This OGG format is not supported.";

void makeDirectory(const QString& dir)
{
    const std::filesystem::path path(dir.toStdString());
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error && std::filesystem::is_directory(path, error)) return;
    const QString why = error ? QString::fromStdString(error.message())
                              : QStringLiteral("a file of that name is in the way");
    throw TamselError(QStringLiteral("Cannot create the output folder %1: %2").arg(dir, why));
}

// A stored list position, with positions outside the table read as the
// key's default.
int tableValue(std::span<const int> table, int position, int defaultPosition)
{
    return T::valueAt(table, position, table[std::size_t(defaultPosition)]);
}

int channelCount(int position, int defaultPosition)
{
    return T::channelsAt(position, defaultPosition + 1);
}

QString channelName(int channels)
{
    return T::channelNames().value(channels - 1);
}

QString firstFreeName(const QString& stem, const QString& extension)
{
    QString name = stem + extension;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("-%1").arg(n) + extension;
    return name;
}

QString setWav(const RecordingSettings::Wav& wav, TAudioFile2& writer)
{
    const WavFormat f = configuredWavFormat(wav);
    writer.SetWavFormat(f.sampleRate, f.channels, f.bitsPerSample);
    const int mode = wav.mode;
    if (mode == 1) return QStringLiteral("File Info: Mono 4B 800HZ");
    if (mode == 2)
        return QStringLiteral("File Info: %1 %2B %3HZ")
            .arg(channelName(f.channels)).arg(f.bitsPerSample).arg(f.sampleRate);
    return QStringLiteral("File Info: stereo 16B 44100HZ");
}

// MP3, FLAC and Opus take the rate and channels of the WAV settings.
QString setCompressed(int format, const RecordingSettings& s, TAudioFile2& writer)
{
    const WavFormat f = configuredWavFormat(s.wav);
    const RecordingSettings::Compressed& c = s.compressed;
    const QString mode = channelName(f.channels);
    switch (format) {
    case K::Output::FormatMp3: {
        const int channels = std::min(f.channels, 2);
        writer.SetMp3Format(f.sampleRate, channels, c.mp3Quality, c.mp3Bitrate);
        // Every rate of the table but 6000 Hz is one MP3 has; that one is resampled up.
        const int stored = std::max(f.sampleRate, 8000);
        return c.mp3Bitrate > 0 ? QStringLiteral("File Info: MP3 %1 %2K %3HZ").arg(mode).arg(c.mp3Bitrate).arg(stored)
                                : QStringLiteral("File Info: MP3 %1 V%2 %3HZ").arg(mode).arg(c.mp3Quality).arg(stored);
    }
    case K::Output::FormatFlac:
        writer.SetFlacFormat(f.sampleRate, f.channels, c.flacBits == 24 ? 24 : 16);
        return QStringLiteral("File Info: FLAC %1 %2B %3HZ").arg(mode).arg(c.flacBits == 24 ? 24 : 16).arg(f.sampleRate);
    default:
        writer.SetOpusFormat(f.sampleRate, f.channels, c.opusBitrate);
        // Opus always codes at 48 kHz.
        return QStringLiteral("File Info: Opus %1 %2K 48000HZ").arg(mode).arg(c.opusBitrate);
    }
}

OutputSetup setOgg(const RecordingSettings::Ogg& ogg, int quality, TAudioFile2& writer)
{
    using namespace K::Ogg;
    const int rate = tableValue(T::SampleRates, ogg.frequency, FrequencyDefault);
    const int channels = channelCount(ogg.channel, ChannelDefault);
    const int nominal = tableValue(T::NominalBitrates, ogg.bitrate, BitrateDefault);
    const int low = tableValue(T::Bitrates, ogg.minBitrate, MinBitrateDefault);
    const int high = tableValue(T::Bitrates, ogg.maxBitrate, MaxBitrateDefault);
    OutputSetup out;
    if (ogg.byQuality) {
        writer.SetOggFormat(rate, channels, nominal, low, high, quality);
        out.infoText = QStringLiteral("File Info: %1 %2Q %3HZ").arg(channelName(channels)).arg(quality).arg(rate);
    } else if (!writer.CheckOggFormat(rate, channels, nominal, low, high)) {
        out.refusal = kOggRefused;
    } else {
        writer.SetOggFormat(rate, channels, nominal, low, high, 0);
        out.infoText = QStringLiteral("File Info: %1 %2K %3HZ").arg(channelName(channels)).arg(low).arg(rate);
    }
    return out;
}

QString setRaw(const RecordingSettings::Raw& raw, TAudioFile2& writer)
{
    using namespace K::Raw;
    const int rate = tableValue(T::SampleRates, raw.frequency, FDefault);
    const int channels = channelCount(raw.channel, CDefault);
    const int bits = tableValue(T::BitDepths, raw.bit, BDefault);
    writer.SetRawFormat(raw.sampleFormat, rate, channels, bits);
    return QStringLiteral("File Info: %1 %2B %3HZ").arg(channelName(channels)).arg(bits).arg(rate);
}

}  // namespace

WavFormat configuredWavFormat(const RecordingSettings::Wav& wav)
{
    using namespace K::Wav;
    if (wav.mode == 1) return {800, 1, 4};
    if (wav.mode == 2)
        return {tableValue(T::SampleRates, wav.frequency, FrequencyDefault),
                channelCount(wav.channel, ChannelDefault), tableValue(T::BitDepths, wav.bit, BitDefault)};
    // CD quality, also for a mode this program does not know.
    return {44100, 2, 16};
}

OutputSetup setUpOutput(const RecordingSettings& s, TAudioFile2& writer, const QDateTime& now,
                        bool continuing, const QSet<QString>& recordedBefore)
{
    using namespace K::Output;
    QString dir = s.output.folder;
    if (dir.isEmpty()) dir = directoryDefault();
    makeDirectory(dir);
    const QString folder = dir.endsWith('/') ? dir : dir + '/';

    const QString mainName = s.output.mainName;
    const bool custom = s.output.customNaming;
    int format = s.output.format;
    const bool known = format == FormatMp3 || format == FormatOgg || format == FormatRaw || format == FormatFlac
                       || format == FormatOpus;
    if (!known) format = FormatWav;

    QString stem = folder + mainName;
    if (!custom) stem += '-' + now.toString(QStringLiteral("dd-MM-yyyy--HH;mm;ss"));
    const QString extension = RecordingSettings::extensionOf(format);

    OutputSetup out;
    if (format == FormatOgg) {
        out = setOgg(s.ogg, s.compressed.vorbisQuality, writer);
    } else if (format == FormatMp3 || format == FormatFlac || format == FormatOpus) {
        out.infoText = setCompressed(format, s, writer);
    } else if (format == FormatRaw) {
        out.infoText = setRaw(s.raw, writer);
        out.taggable = false;
    } else {
        out.infoText = setWav(s.wav, writer);
    }
    // A custom name is the user's to reuse; a date-time name comes again only
    // when the clocks go back.
    const bool keepOthers = continuing || (!custom && recordedBefore.contains(stem + extension));
    out.fileName = keepOthers ? firstFreeName(stem, extension) : stem + extension;
    return out;
}

QString fileNameText(const QString& outputFileName, const QString& mainName)
{
    const qsizetype at = outputFileName.indexOf(mainName.isEmpty() ? QStringLiteral("-") : mainName);
    return QStringLiteral("File Name:") + (at < 0 ? outputFileName : outputFileName.mid(at));
}
