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
