#include "TagTestFiles.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QtEndian>
#include <gtest/gtest.h>

namespace tagtest {

QString suffixOf(Kind kind)
{
    switch (kind) {
    case Kind::Wav: return "wav";
    case Kind::Mp3: return "mp3";
    case Kind::Ogg: return "ogg";
    case Kind::Wma: return "wma";
    }
    return {};
}

QString makeFile(const QTemporaryDir& dir, Kind kind, const QString& baseName,
                 const QStringList& extraArgs)
{
    const QString tone = dir.filePath(baseName + "-source.wav");
    if (!QFile::exists(tone)) testsupport::makeTone(tone, 440, 1.0, 44100, 2, {"-b", "16"});
    const QString out = dir.filePath(baseName + "." + suffixOf(kind));
    QStringList args{"-v", "error", "-y", "-i", tone};
    switch (kind) {
    case Kind::Wav: args += {"-c:a", "pcm_s16le"}; break;
    case Kind::Mp3: args += {"-c:a", "libmp3lame", "-b:a", "128k"}; break;
    case Kind::Ogg: args += {"-c:a", "libvorbis"}; break;
    case Kind::Wma: args += {"-c:a", "wmav2", "-b:a", "128k"}; break;
    }
    args += extraArgs;
    args += out;
    testsupport::runPeer("ffmpeg", args);
    return out;
}

QByteArray waveBytes(const WaveHeader& h, const QByteArray& data)
{
    const auto le = [](auto v) {
        QByteArray b(sizeof v, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    QByteArray fmt = le(h.formatTag) + le(h.channels) + le(h.rate) + le(h.byteRate) + le(h.blockAlign)
                     + le(h.bits);
    QByteArray body = "WAVEfmt " + le(quint32(fmt.size())) + fmt + "data" + le(quint32(data.size())) + data;
    if (data.size() % 2) body += '\0';
    return "RIFF" + le(quint32(body.size())) + body;
}

QJsonObject probeTags(const QString& file)
{
    QJsonObject merged;
    const auto add = [&merged](const QJsonObject& tags) {
        for (auto it = tags.begin(); it != tags.end(); ++it) merged.insert(it.key().toLower(), it.value());
    };
    add(testsupport::probe(file).value("format").toObject().value("tags").toObject());
    add(testsupport::probeAudioStream(file).value("tags").toObject());
    return merged;
}

}  // namespace tagtest
