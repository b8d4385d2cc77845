#include "join/JoinTestSupport.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QTemporaryDir>

namespace jointest {

QString wavTone(const QString& dir, const QString& name, double hz, double seconds, int rate,
                int channels)
{
    const QString file = QDir(dir).filePath(name);
    testsupport::makeTone(file, hz, seconds, rate, channels, {"-b", "16"});
    return file;
}

QString encodedTone(const QString& dir, const QString& name, double hz, double seconds)
{
    const QString file = QDir(dir).filePath(name);
    const QString source = wavTone(dir, name + ".source.wav", hz, seconds, 44100, 2);
    const QString suffix = QFileInfo(name).suffix();
    const QStringList codec = suffix == "mp3"   ? QStringList{"-c:a", "libmp3lame", "-b:a", "128k"}
                              : suffix == "wma" ? QStringList{"-c:a", "wmav2", "-b:a", "128k"}
                                                : QStringList{"-c:a", "libvorbis", "-q:a", "4"};
    testsupport::runPeer("ffmpeg", QStringList{"-y", "-v", "error", "-i", source} + codec + QStringList{file});
    QFile::remove(source);
    return file;
}

WavFacts probeWav(const QString& file)
{
    const QJsonObject all = testsupport::probe(file);
    const QJsonObject s = testsupport::probeAudioStream(file);
    WavFacts f;
    if (all.value("format").toObject().value("format_name").toString() != "wav") return f;
    f.codec = s.value("codec_name").toString();
    f.sampleRate = s.value("sample_rate").toString().toInt();
    f.channels = s.value("channels").toInt();
    f.frames = static_cast<long long>(s.value("duration_ts").toDouble());
    return f;
}

double pitchAt(const QString& file, double start, double seconds)
{
    QTemporaryDir dir;
    const QString part = dir.filePath("part.wav");
    // sox's estimate of a stereo file is the tone's over the square root of two.
    testsupport::runPeer("sox", {file, part, "trim", QString::number(start), QString::number(seconds),
                                 "remix", "1"});
    return testsupport::soxStat(part, "Rough   frequency");
}

}  // namespace jointest
