#include "config/RecordingSettings.h"

#include "components/TAudioFile2.h"
#include "config/SettingsFile.h"

namespace K = SettingsKeys;

namespace {

// Reads each key into its field.
struct Loader {
    const SettingsFile& file;
    static constexpr bool saving = false;
    void flag(const char* section, const char* key, bool& field, bool fallback) const
    {
        field = file.readBool(section, key, fallback);
    }
    void number(const char* section, const char* key, int& field, int fallback) const
    {
        field = file.readInteger(section, key, fallback);
    }
    void text(const char* section, const char* key, QString& field, const QString& fallback) const
    {
        field = file.readText(section, key, fallback);
    }
};

// Writes each field to its key.
struct Saver {
    SettingsFile& file;
    static constexpr bool saving = true;
    void flag(const char* section, const char* key, const bool& field, bool) const
    {
        file.writeBool(section, key, field);
    }
    void number(const char* section, const char* key, const int& field, int) const
    {
        file.writeInteger(section, key, field);
    }
    void text(const char* section, const char* key, const QString& field, const QString&) const
    {
        file.writeText(section, key, field);
    }
};

}  // namespace

// The "file" section alone: a recording asks for it at every tick.
template <class Limit, class IO>
void RecordingSettings::visitLimit(Limit& l, const IO& io)
{
    using namespace K::File;
    io.flag(Section, EnLength, l.enabled, false);
    io.flag(Section, RbTime, l.byTime, false);
    io.flag(Section, RbTimeE, l.byTimeEnabled, false);
    io.text(Section, TimeT, l.seconds, TimeTDefault);
    io.flag(Section, Time, l.secondsEnabled, false);
    io.flag(Section, LimitS, l.stop, false);
    io.flag(Section, LimitN, l.startNext, false);
}

// Every key once, in the order a save writes them; the sections no window
// writes come last and are only read.
template <class Value, class IO>
void RecordingSettings::visit(Value& v, const IO& io, bool customNamingDefault)
{
    visitLimit(v.limit, io);
    {
        using namespace K::Output;
        auto& o = v.output;
        io.number(Section, Format, o.format, FormatDefault);
        io.text(Section, OutName, o.mainName, OutNameDefault);
        io.flag(Section, RbTime, o.dateTimeNaming, RbTimeDefault);
        io.flag(Section, RbCust, o.customNaming, customNamingDefault);
        io.text(Section, Dir, o.folder, directoryDefault());
    }
    {
        using namespace K::Wav;
        auto& w = v.wav;
        if (!IO::saving || w.mode != Wav::kNoMode) io.number(Section, Mode, w.mode, ModeDefault);
        io.number(Section, Bit, w.bit, BitDefault);
        io.number(Section, Channel, w.channel, ChannelDefault);
        io.number(Section, Frequency, w.frequency, FrequencyDefault);
    }
    {
        auto& c = v.compressed;
        io.number(K::Mp3::Section, K::Mp3::Quality, c.mp3Quality, K::Mp3::QualityDefault);
        io.number(K::Mp3::Section, K::Mp3::Bitrate, c.mp3Bitrate, K::Mp3::BitrateDefault);
        io.number(K::Opus::Section, K::Opus::Bitrate, c.opusBitrate, K::Opus::BitrateDefault);
        io.number(K::Flac::Section, K::Flac::Bits, c.flacBits, K::Flac::BitsDefault);
        io.number(K::Ogg::Section, K::Ogg::Quality, c.vorbisQuality, K::Ogg::QualityDefault);
    }
    {
        using namespace K::Sound;
        auto& d = v.sound;
        io.number(Section, Mode, d.mode, ModeDefault);
        io.number(Section, StartLevel, d.startLevel, StartLevelDefault);
        io.number(Section, Preroll, d.preroll, PrerollDefault);
        io.number(Section, Hang, d.hang, HangDefault);
        io.flag(Section, NewFile, d.newFile, NewFileDefault);
        io.number(Section, SplitLevel, d.splitLevel, SplitLevelDefault);
        io.number(Section, SplitSilence, d.splitSilence, SplitSilenceDefault);
        io.flag(Section, Drop, d.drop, DropDefault);
        io.number(Section, SilentLevel, d.silentLevel, SilentLevelDefault);
        io.number(Section, SilentSeconds, d.silentSeconds, SilentSecondsDefault);
    }
    if constexpr (!IO::saving) {
        using namespace K::Ogg;
        auto& g = v.ogg;
        io.flag(Section, EnableQuality, g.byQuality, EnableQualityDefault);
        io.number(Section, Bitrate, g.bitrate, BitrateDefault);
        io.number(Section, MinBitrate, g.minBitrate, MinBitrateDefault);
        io.number(Section, MaxBitrate, g.maxBitrate, MaxBitrateDefault);
        io.number(Section, Channel, g.channel, ChannelDefault);
        io.number(Section, Frequency, g.frequency, FrequencyDefault);
    }
    if constexpr (!IO::saving) {
        using namespace K::Raw;
        auto& r = v.raw;
        io.number(Section, C, r.channel, CDefault);
        io.number(Section, B, r.bit, BDefault);
        io.number(Section, F, r.frequency, FDefault);
        io.number(Section, Format, r.sampleFormat, FormatDefault);
    }
}

RecordingSettings RecordingSettings::load(const SettingsFile& s, bool customNamingDefault)
{
    RecordingSettings v;
    visit(v, Loader{s}, customNamingDefault);
    return v;
}

RecordingSettings::LengthLimit RecordingSettings::loadLimit(const SettingsFile& s)
{
    LengthLimit limit;
    visitLimit(limit, Loader{s});
    return limit;
}

void RecordingSettings::save(SettingsFile& s) const { visit(*this, Saver{s}, output.customNaming); }

QString RecordingSettings::extensionOf(int format)
{
    using F = TAudioFile2::OutputFormat;
    switch (format) {
    case K::Output::FormatMp3: return TAudioFile2::ExtensionOf(F::Mp3);
    case K::Output::FormatOgg: return TAudioFile2::ExtensionOf(F::Ogg);
    case K::Output::FormatRaw: return TAudioFile2::ExtensionOf(F::Raw);
    case K::Output::FormatFlac: return TAudioFile2::ExtensionOf(F::Flac);
    case K::Output::FormatOpus: return TAudioFile2::ExtensionOf(F::Opus);
    default: return TAudioFile2::ExtensionOf(F::Wav);
    }
}

QList<std::pair<int, QString>> RecordingSettings::offeredFormats()
{
    using namespace K::Output;
    return {{FormatWav, QStringLiteral("WAV File (*.wav)")},
            {FormatMp3, QStringLiteral("MP3 File (*.mp3)")},
            {FormatOgg, QStringLiteral("Ogg Vorbis File (*.OGG)")},
            {FormatFlac, QStringLiteral("FLAC File (*.flac)")},
            {FormatOpus, QStringLiteral("Opus File (*.opus)")}};
}
