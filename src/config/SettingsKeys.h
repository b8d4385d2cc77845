#pragma once
// Every section and key of tamsel.ini, with the defaults their readers use.
// Where two readers of one key use different defaults, both are named.

#include <QDir>
#include <QString>

namespace SettingsKeys {

namespace Output {
inline constexpr char Section[] = "output";
inline constexpr char Path[] = "path";          // text: folder chosen in the output directory window
inline constexpr char Dir[] = "dir";            // text: output directory
inline constexpr char Format[] = "format";      // code: 0 WAV, 1 MP3, 3 Ogg Vorbis, 4 headerless PCM, 5 FLAC, 6 Opus
inline constexpr char OutName[] = "out_name";   // text: main name of output files
inline constexpr char RbTime[] = "rb_time";     // boolean: date-and-time naming
inline constexpr char RbCust[] = "rb_cust";     // boolean: custom naming
inline constexpr int FormatDefault = 0;
inline constexpr int FormatWav = 0;
inline constexpr int FormatMp3 = 1;
inline constexpr int FormatOgg = 3;
inline constexpr int FormatRaw = 4;
inline constexpr int FormatFlac = 5;
inline constexpr int FormatOpus = 6;
inline constexpr char OutNameDefault[] = "EUT";
inline constexpr bool RbTimeDefault = true;
inline constexpr bool RbCustWindowDefault = false;
inline constexpr bool RbCustRecordingDefault = true;
// Default of "path" and "dir": "My Recorder" in the user's home.
inline QString directoryDefault() { return QDir::homePath() + QStringLiteral("/My Recorder"); }
}  // namespace Output

namespace File {
inline constexpr char Section[] = "file";
inline constexpr char EnLength[] = "enlength";  // boolean, default false
inline constexpr char RbTime[] = "rbtime";      // boolean, default false
inline constexpr char RbTimeE[] = "rbtimee";    // boolean, default false
inline constexpr char TimeT[] = "timet";        // text: seconds
inline constexpr char Time[] = "time";          // boolean, default false
inline constexpr char LimitS[] = "limit_s";     // boolean, default false
inline constexpr char LimitN[] = "limit_n";     // boolean, default false
inline constexpr char TimeTDefault[] = "120";
}  // namespace File

namespace Wav {
inline constexpr char Section[] = "wav";
inline constexpr char Mode[] = "mode";            // index: 0 CD quality, 1 best suited, 2 custom
inline constexpr char Bit[] = "bit";              // index into ValueTables::BitDepths
inline constexpr char Channel[] = "channel";      // channels minus one
inline constexpr char Frequency[] = "frequency";  // index into ValueTables::SampleRates
inline constexpr int ModeDefault = 0;
inline constexpr int BitDefault = 1;
inline constexpr int ChannelDefault = 1;
inline constexpr int FrequencyDefault = 8;
}  // namespace Wav

namespace Ogg {
inline constexpr char Section[] = "ogg";
inline constexpr char EnableQuality[] = "enable quality";  // boolean
inline constexpr char Bitrate[] = "bitrate";               // index into ValueTables::NominalBitrates
inline constexpr char MinBitrate[] = "min bitrate";        // index into ValueTables::Bitrates
inline constexpr char MaxBitrate[] = "max bitrate";        // index into ValueTables::Bitrates
inline constexpr char Quality[] = "quality";               // integer, thousandths
inline constexpr char Channel[] = "channel";
inline constexpr char Frequency[] = "frequency";
inline constexpr bool EnableQualityDefault = true;
inline constexpr int BitrateDefault = 4;
inline constexpr int MinBitrateDefault = 11;
inline constexpr int MaxBitrateDefault = 11;
inline constexpr int QualityDefault = 300;
inline constexpr int ChannelDefault = 1;
inline constexpr int FrequencyDefault = 8;
}  // namespace Ogg

// The compressed formats' quality; rate and channels come from "wav".
namespace Mp3 {
inline constexpr char Section[] = "mp3";
inline constexpr char Quality[] = "quality";  // integer: LAME VBR quality, 0 best to 9
inline constexpr char Bitrate[] = "bitrate";  // integer: kbit/s for constant bitrate, 0 variable
inline constexpr int QualityDefault = 2;      // about 190 kbit/s
inline constexpr int BitrateDefault = 0;
}  // namespace Mp3

namespace Opus {
inline constexpr char Section[] = "opus";
inline constexpr char Bitrate[] = "bitrate";  // integer: kbit/s
inline constexpr int BitrateDefault = 96;
}  // namespace Opus

namespace Flac {
inline constexpr char Section[] = "flac";
inline constexpr char Bits[] = "bits";  // integer: 16 or 24
inline constexpr int BitsDefault = 16;
}  // namespace Flac

namespace Join {
inline constexpr char Section[] = "join";
inline constexpr char Format[] = "format";  // code as "output"/"format": the last join's, 0 WAV
}  // namespace Join

namespace Raw {
inline constexpr char Section[] = "raw";
inline constexpr char C[] = "c";            // channels minus one
inline constexpr char B[] = "b";            // index into ValueTables::BitDepths
inline constexpr char F[] = "f";            // index into ValueTables::SampleRates
inline constexpr char Format[] = "format";  // sample-format number for the file writer
inline constexpr int CDefault = 1;
inline constexpr int BDefault = 5;
inline constexpr int FDefault = 8;
inline constexpr int FormatDefault = 0;
}  // namespace Raw

namespace Rd {
inline constexpr char Section[] = "rd";
inline constexpr char Rd[] = "rd";  // index: device to preselect; default the device count
inline constexpr char Line[] = "line";  // text: recorded source by its server name; empty: the system default
// integer: seconds a recording waits for its input to come back before it ends
inline constexpr char Wait[] = "wait";
inline constexpr int WaitDefault = 600;
}  // namespace Rd

// Recording that knows about silence. Every option is off in a file without
// these keys, except the notice of a silent input.
namespace Sound {
inline constexpr char Section[] = "sound";
inline constexpr char Mode[] = "mode";  // code: 0 record everything, 1 start on sound, 2 split at silences
inline constexpr int ModeDefault = 0;
inline constexpr int ModeEverything = 0;
inline constexpr int ModeStartOnSound = 1;
inline constexpr int ModeSplit = 2;
inline constexpr char StartLevel[] = "start_level";  // integer: dBFS the level must reach
inline constexpr char Preroll[] = "preroll";          // integer: milliseconds kept before the sound
inline constexpr char Hang[] = "hang";                // integer: milliseconds of silence that end the sound
inline constexpr char NewFile[] = "new_file";         // boolean: after the hang time a new file, else pause
inline constexpr int StartLevelDefault = -40;
inline constexpr int PrerollDefault = 2000;
inline constexpr int HangDefault = 5000;
inline constexpr bool NewFileDefault = false;
inline constexpr char SplitLevel[] = "split_level";      // integer: dBFS below which is silence
inline constexpr char SplitSilence[] = "split_silence";  // integer: milliseconds of silence that split
inline constexpr char Drop[] = "drop";                   // boolean: leave the silences out
inline constexpr int SplitLevelDefault = -50;
inline constexpr int SplitSilenceDefault = 2000;
inline constexpr bool DropDefault = false;
// The notice of an input that stays silent: level and seconds (0 never).
inline constexpr char SilentLevel[] = "silent_level";
inline constexpr char SilentSeconds[] = "silent_seconds";
inline constexpr int SilentLevelDefault = -60;
inline constexpr int SilentSecondsDefault = 30;
// Seconds without audio from the sound server that count as a stall.
inline constexpr int StallSeconds = 2;
}  // namespace Sound

namespace Info {
inline constexpr char Section[] = "info";
inline constexpr char Title[] = "title";
inline constexpr char Artist[] = "arist";  // spelled so in the file
inline constexpr char Album[] = "album";
inline constexpr char Genre[] = "genre";   // integer: genre list position, -1 none
inline constexpr char Year[] = "year";     // text, default "0"
inline constexpr char Track[] = "Track";   // text, default "0"
inline constexpr char Comment[] = "comment";
inline constexpr char YearDefault[] = "0";
inline constexpr char TrackDefault[] = "0";
}  // namespace Info

namespace AutoRec {
inline constexpr char Section[] = "autorec";
inline constexpr char Format[] = "format";  // index: 0 disabled, 1 every day, 2 special day
inline constexpr char Date[] = "date";      // date, default today
// Keys of recording window n (1 to 3): "cb<n>", "begintime<n>", "endtime<n>",
// "begintime<n>c", "endtime<n>c".
inline QString enabled(int n) { return QStringLiteral("cb%1").arg(n); }
inline QString beginTime(int n) { return QStringLiteral("begintime%1").arg(n); }
inline QString endTime(int n) { return QStringLiteral("endtime%1").arg(n); }
inline QString beginTimeEnabled(int n) { return QStringLiteral("begintime%1c").arg(n); }
inline QString endTimeEnabled(int n) { return QStringLiteral("endtime%1c").arg(n); }
inline constexpr char OnSound[] = "on_sound";  // boolean: windows start on sound, default false
}  // namespace AutoRec

namespace TimeClose {
inline constexpr char Section[] = "timeclose";
inline constexpr char BClose[] = "bclose";  // boolean, default false
}  // namespace TimeClose

namespace ShutdownTime {
inline constexpr char Section[] = "Time";
inline constexpr char Time[] = "Time";  // time, default the current time
}  // namespace ShutdownTime

}  // namespace SettingsKeys
