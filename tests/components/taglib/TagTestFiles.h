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

// ffprobe's tags, format and audio stream merged (OGG keeps its comments on
// the stream), keys lower-cased.
QJsonObject probeTags(const QString& file);

}  // namespace tagtest
