#include "recording/OutputSetup.h"

#include "components/TAudioFile2.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "config/ValueTables.h"
#include "platform/Error.h"

#include <QFileInfo>

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

QString extensionFor(int format)
{
    switch (format) {
    case K::Output::FormatOgg: return ".OGG";
    case K::Output::FormatRaw: return ".raw";
    default: return ".wav";
    }
}

QString firstFreeName(const QString& stem, const QString& extension)
{
    QString name = stem + extension;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + QStringLiteral("-%1").arg(n) + extension;
    return name;
}

QString setWav(const SettingsFile& s, TAudioFile2& writer)
{
    const WavFormat f = configuredWavFormat(s);
    writer.SetWavFormat(f.sampleRate, f.channels, f.bitsPerSample);
    const int mode = s.readInteger(K::Wav::Section, K::Wav::Mode, K::Wav::ModeDefault);
    if (mode == 1) return QStringLiteral("File Info: Mono 4B 800HZ");
    if (mode == 2)
        return QStringLiteral("File Info: %1 %2B %3HZ")
            .arg(channelName(f.channels)).arg(f.bitsPerSample).arg(f.sampleRate);
    return QStringLiteral("File Info: stereo 16B 44100HZ");
}

OutputSetup setOgg(const SettingsFile& s, TAudioFile2& writer)
{
    using namespace K::Ogg;
    const int rate = tableValue(T::SampleRates, s.readInteger(Section, Frequency, FrequencyDefault),
                                FrequencyDefault);
    const int channels = channelCount(s.readInteger(Section, Channel, ChannelDefault), ChannelDefault);
    const int nominal = tableValue(T::NominalBitrates, s.readInteger(Section, Bitrate, BitrateDefault),
                                   BitrateDefault);
    const int low = tableValue(T::Bitrates, s.readInteger(Section, MinBitrate, MinBitrateDefault),
                               MinBitrateDefault);
    const int high = tableValue(T::Bitrates, s.readInteger(Section, MaxBitrate, MaxBitrateDefault),
                                MaxBitrateDefault);
    OutputSetup out;
    if (s.readBool(Section, EnableQuality, EnableQualityDefault)) {
        const int quality = s.readInteger(Section, Quality, QualityDefault);
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

QString setRaw(const SettingsFile& s, TAudioFile2& writer)
{
    using namespace K::Raw;
    const int code = s.readInteger(Section, Format, FormatDefault);
    const int rate = tableValue(T::SampleRates, s.readInteger(Section, F, FDefault), FDefault);
    const int channels = channelCount(s.readInteger(Section, C, CDefault), CDefault);
    const int bits = tableValue(T::BitDepths, s.readInteger(Section, B, BDefault), BDefault);
    writer.SetRawFormat(code, rate, channels, bits);
    return QStringLiteral("File Info: %1 %2B %3HZ").arg(channelName(channels)).arg(bits).arg(rate);
}

}  // namespace

WavFormat configuredWavFormat(const SettingsFile& s)
{
    using namespace K::Wav;
    const int mode = s.readInteger(Section, Mode, ModeDefault);
    if (mode == 1) return {800, 1, 4};
    if (mode == 2)
        return {tableValue(T::SampleRates, s.readInteger(Section, Frequency, FrequencyDefault),
                           FrequencyDefault),
                channelCount(s.readInteger(Section, Channel, ChannelDefault), ChannelDefault),
                tableValue(T::BitDepths, s.readInteger(Section, Bit, BitDefault), BitDefault)};
    // CD quality, also for a mode this program does not know.
    return {44100, 2, 16};
}

OutputSetup setUpOutput(const SettingsFile& s, TAudioFile2& writer, const QDateTime& now,
                        bool continuing)
{
    using namespace K::Output;
    QString dir = s.readText(Section, Dir, directoryDefault());
    if (dir.isEmpty()) dir = directoryDefault();
    makeDirectory(dir);
    const QString folder = dir.endsWith('/') ? dir : dir + '/';

    const QString mainName = s.readText(Section, OutName, OutNameDefault);
    const bool custom = s.readBool(Section, RbCust, RbCustRecordingDefault);
    int format = s.readInteger(Section, Format, FormatDefault);
    if (format != FormatOgg && format != FormatRaw) format = FormatWav;

    QString stem = folder + mainName;
    if (!custom) stem += '-' + now.toString(QStringLiteral("dd-MM-yyyy--HH;mm;ss"));
    const QString extension = extensionFor(format);

    OutputSetup out;
    if (format == FormatOgg) {
        out = setOgg(s, writer);
    } else if (format == FormatRaw) {
        out.infoText = setRaw(s, writer);
        out.taggable = false;
    } else {
        out.infoText = setWav(s, writer);
    }
    out.fileName = continuing ? firstFreeName(stem, extension) : stem + extension;
    return out;
}

QString fileNameText(const QString& outputFileName, const QString& mainName)
{
    const qsizetype at = outputFileName.indexOf(mainName.isEmpty() ? QStringLiteral("-") : mainName);
    return QStringLiteral("File Name:") + (at < 0 ? outputFileName : outputFileName.mid(at));
}
