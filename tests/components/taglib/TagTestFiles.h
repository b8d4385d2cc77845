#pragma once
// Audio files made by peer programs for the information component's tests.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace tagtest {

// A 1 s, 44100 Hz stereo 16-bit tone, encoded by ffmpeg; extraArgs go before
// the output name (e.g. metadata).
enum class Kind { Wav, Mp3, Ogg, Wma };
QString makeFile(const QTemporaryDir& dir, Kind kind, const QString& baseName,
                 const QStringList& extraArgs = {});
QString suffixOf(Kind kind);
// The same tone in any format ffmpeg writes, chosen by suffix (wav, mp3, ogg,
// opus, flac, wma, m4a, aiff, wv).
QString encodeTone(const QTemporaryDir& dir, const QString& baseName, const QString& suffix,
                   const QStringList& extraArgs = {});

// richtags.py beside this file, run by Debian's python3 with python3-mutagen.
QString richTagsScript();
// Puts a rich tag into file as other taggers write it: title "Old Title",
// artists "Alice" and "Bob", date 2021-05-06, track 3 of 12, genre
// "Synthwave", cover art, lyrics and a MOOD field. An MP3 or WAV gets ID3v2.4,
// or 2.3 (year and day in TYER and TDAT) when id3v23.
void addRichTag(const QString& file, bool id3v23 = false);
// Everything mutagen sees of the tag: {"version" (ID3), "tags": {key: value},
// "pictures" (FLAC)}; ID3 frames as stored, each with its text encoding.
QJsonObject mutagenTags(const QString& file);

// A RIFF WAVE file's bytes with the given "fmt " fields and data chunk
// (a pad byte follows odd data), crafted the way damaged headers come.
struct WaveHeader {
    quint16 formatTag = 1;
    quint16 channels = 2;
    quint32 rate = 44100;
    quint32 byteRate = 44100 * 4;
    quint16 blockAlign = 4;
    quint16 bits = 16;
};
QByteArray waveBytes(const WaveHeader& h, const QByteArray& data);

// ffprobe's tags, format and audio stream merged (OGG keeps its comments on
// the stream), keys lower-cased.
QJsonObject probeTags(const QString& file);

}  // namespace tagtest
