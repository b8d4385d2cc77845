#pragma once
// What a recording is made with: naming, output format, length limit and the
// WAV, Ogg Vorbis and raw formats, as one value. It is loaded from and saved
// to the settings file here and nowhere else. The settings window edits the
// program's copy; a recording start saves that copy and records with what the
// file then holds.

#include "config/SettingsKeys.h"

#include <QList>
#include <QString>
#include <utility>

class SettingsFile;

struct RecordingSettings {
    // Section "file". The two enabled flags are the window's own state, kept
    // with the rest so the window opens as it was left.
    struct LengthLimit {
        bool enabled = false;
        bool byTime = false;
        bool byTimeEnabled = false;
        QString seconds = SettingsKeys::File::TimeTDefault;
        bool secondsEnabled = false;
        bool stop = false;
        bool startNext = false;
    };
    // Section "output".
    struct Output {
        int format = SettingsKeys::Output::FormatDefault;
        QString mainName = SettingsKeys::Output::OutNameDefault;
        bool dateTimeNaming = SettingsKeys::Output::RbTimeDefault;
        bool customNaming = SettingsKeys::Output::RbCustWindowDefault;
        QString folder = SettingsKeys::Output::directoryDefault();
    };
    // Section "wav": positions in the value tables. A mode no option stands
    // for (kNoMode) is not saved, so a hand-edited mode stays in the file.
    struct Wav {
        static constexpr int kNoMode = -1;
        int mode = SettingsKeys::Wav::ModeDefault;
        int bit = SettingsKeys::Wav::BitDefault;
        int channel = SettingsKeys::Wav::ChannelDefault;
        int frequency = SettingsKeys::Wav::FrequencyDefault;
    };
    // Sections "mp3", "opus", "flac" and the Vorbis quality in "ogg".
    struct Compressed {
        int mp3Quality = SettingsKeys::Mp3::QualityDefault;
        int mp3Bitrate = SettingsKeys::Mp3::BitrateDefault;
        int opusBitrate = SettingsKeys::Opus::BitrateDefault;
        int flacBits = SettingsKeys::Flac::BitsDefault;
        int vorbisQuality = SettingsKeys::Ogg::QualityDefault;  // thousandths
    };
    // The rest of "ogg", and "raw": only ever edited by hand, so never saved.
    struct Ogg {
        bool byQuality = SettingsKeys::Ogg::EnableQualityDefault;
        int bitrate = SettingsKeys::Ogg::BitrateDefault;
        int minBitrate = SettingsKeys::Ogg::MinBitrateDefault;
        int maxBitrate = SettingsKeys::Ogg::MaxBitrateDefault;
        int channel = SettingsKeys::Ogg::ChannelDefault;
        int frequency = SettingsKeys::Ogg::FrequencyDefault;
    };
    struct Raw {
        int channel = SettingsKeys::Raw::CDefault;
        int bit = SettingsKeys::Raw::BDefault;
        int frequency = SettingsKeys::Raw::FDefault;
        int sampleFormat = SettingsKeys::Raw::FormatDefault;
    };

    // Section "sound": what a recording does with silence. Levels in dBFS,
    // times in milliseconds, the notice's in seconds.
    struct Sound {
        int mode = SettingsKeys::Sound::ModeDefault;
        int startLevel = SettingsKeys::Sound::StartLevelDefault;
        int preroll = SettingsKeys::Sound::PrerollDefault;
        int hang = SettingsKeys::Sound::HangDefault;
        bool newFile = SettingsKeys::Sound::NewFileDefault;
        int splitLevel = SettingsKeys::Sound::SplitLevelDefault;
        int splitSilence = SettingsKeys::Sound::SplitSilenceDefault;
        bool drop = SettingsKeys::Sound::DropDefault;
        int silentLevel = SettingsKeys::Sound::SilentLevelDefault;
        int silentSeconds = SettingsKeys::Sound::SilentSecondsDefault;
        bool operator==(const Sound&) const = default;
    };

    LengthLimit limit;
    Output output;
    Wav wav;
    Compressed compressed;
    Ogg ogg;
    Raw raw;
    Sound sound;

    // The two readers of "rb_cust" differ in its default: the window reads
    // false, a recording start true.
    static RecordingSettings load(const SettingsFile& file,
                                  bool customNamingDefault = SettingsKeys::Output::RbCustWindowDefault);
    // Only the length limit, as the file holds it now.
    static LengthLimit loadLimit(const SettingsFile& file);
    // Writes the window's keys in their fixed order; a failing write throws
    // and leaves the keys before it written.
    void save(SettingsFile& file) const;

    // The extension a recording in "output"/"format" gets; WAV for any
    // format the program does not record.
    static QString extensionOf(int format);
    // The formats the settings window offers, by code, in its order.
    static QList<std::pair<int, QString>> offeredFormats();

    bool operator==(const RecordingSettings&) const = default;

private:
    // The one list of keys that loading and saving both walk.
    template <class Value, class IO>
    static void visit(Value& value, const IO& io, bool customNamingDefault);
    template <class Limit, class IO>
    static void visitLimit(Limit& limit, const IO& io);
};
