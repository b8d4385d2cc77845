#include "config/RecordingSettings.h"

#include "config/SettingsFile.h"

namespace K = SettingsKeys;

RecordingSettings RecordingSettings::load(const SettingsFile& s, bool customNamingDefault)
{
    RecordingSettings v;
    LengthLimit& l = v.limit;
    {
        using namespace K::File;
        l.enabled = s.readBool(Section, EnLength, false);
        l.byTime = s.readBool(Section, RbTime, false);
        l.byTimeEnabled = s.readBool(Section, RbTimeE, false);
        l.seconds = s.readText(Section, TimeT, TimeTDefault);
        l.secondsEnabled = s.readBool(Section, Time, false);
        l.stop = s.readBool(Section, LimitS, false);
        l.startNext = s.readBool(Section, LimitN, false);
    }
    {
        using namespace K::Output;
        Output& o = v.output;
        o.format = s.readInteger(Section, Format, FormatDefault);
        o.mainName = s.readText(Section, OutName, OutNameDefault);
        o.dateTimeNaming = s.readBool(Section, RbTime, RbTimeDefault);
        o.customNaming = s.readBool(Section, RbCust, customNamingDefault);
        o.folder = s.readText(Section, Dir, directoryDefault());
    }
    {
        using namespace K::Wav;
        Wav& w = v.wav;
        w.mode = s.readInteger(Section, Mode, ModeDefault);
        w.bit = s.readInteger(Section, Bit, BitDefault);
        w.channel = s.readInteger(Section, Channel, ChannelDefault);
        w.frequency = s.readInteger(Section, Frequency, FrequencyDefault);
    }
    {
        using namespace K::Ogg;
        Ogg& g = v.ogg;
        g.byQuality = s.readBool(Section, EnableQuality, EnableQualityDefault);
        g.bitrate = s.readInteger(Section, Bitrate, BitrateDefault);
        g.minBitrate = s.readInteger(Section, MinBitrate, MinBitrateDefault);
        g.maxBitrate = s.readInteger(Section, MaxBitrate, MaxBitrateDefault);
        g.quality = s.readInteger(Section, Quality, QualityDefault);
        g.channel = s.readInteger(Section, Channel, ChannelDefault);
        g.frequency = s.readInteger(Section, Frequency, FrequencyDefault);
    }
    {
        using namespace K::Raw;
        Raw& r = v.raw;
        r.channel = s.readInteger(Section, C, CDefault);
        r.bit = s.readInteger(Section, B, BDefault);
        r.frequency = s.readInteger(Section, F, FDefault);
        r.sampleFormat = s.readInteger(Section, Format, FormatDefault);
    }
    return v;
}

QString RecordingSettings::extensionOf(int format)
{
    switch (format) {
    case K::Output::FormatOgg: return QStringLiteral(".OGG");
    case K::Output::FormatRaw: return QStringLiteral(".raw");
    default: return QStringLiteral(".wav");
    }
}

void RecordingSettings::save(SettingsFile& s) const
{
    {
        using namespace K::File;
        s.writeBool(Section, EnLength, limit.enabled);
        s.writeBool(Section, RbTime, limit.byTime);
        s.writeBool(Section, RbTimeE, limit.byTimeEnabled);
        s.writeText(Section, TimeT, limit.seconds);
        s.writeBool(Section, Time, limit.secondsEnabled);
        s.writeBool(Section, LimitS, limit.stop);
        s.writeBool(Section, LimitN, limit.startNext);
    }
    {
        using namespace K::Output;
        s.writeInteger(Section, Format, output.format);
        s.writeText(Section, OutName, output.mainName);
        s.writeBool(Section, RbTime, output.dateTimeNaming);
        s.writeBool(Section, RbCust, output.customNaming);
        s.writeText(Section, Dir, output.folder);
    }
    {
        using namespace K::Wav;
        if (wav.mode != Wav::kNoMode) s.writeInteger(Section, Mode, wav.mode);
        s.writeInteger(Section, Bit, wav.bit);
        s.writeInteger(Section, Channel, wav.channel);
        s.writeInteger(Section, Frequency, wav.frequency);
    }
}
