#include "TagTestFiles.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QProcess>
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

QString encodeTone(const QTemporaryDir& dir, const QString& baseName, const QString& suffix,
                   const QStringList& extraArgs)
{
    const QString tone = dir.filePath(baseName + "-source.wav");
    if (!QFile::exists(tone)) testsupport::makeTone(tone, 440, 1.0, 44100, 2, {"-b", "16"});
    const QString out = dir.filePath(baseName + "." + suffix);
    static const QHash<QString, QStringList> codecs{
        {"wav", {"-c:a", "pcm_s16le"}}, {"mp3", {"-c:a", "libmp3lame", "-b:a", "128k"}},
        {"ogg", {"-c:a", "libvorbis"}}, {"opus", {"-c:a", "libopus"}}, {"flac", {"-c:a", "flac"}},
        {"wma", {"-c:a", "wmav2", "-b:a", "128k"}}, {"m4a", {"-c:a", "aac"}},
        {"aiff", {"-c:a", "pcm_s16be"}}, {"wv", {"-c:a", "wavpack"}}};
    testsupport::runPeer("ffmpeg", QStringList{"-v", "error", "-y", "-i", tone} + codecs.value(suffix) + extraArgs
                                       + QStringList{out});
    return out;
}

QString makeFile(const QTemporaryDir& dir, Kind kind, const QString& baseName,
                 const QStringList& extraArgs)
{
    return encodeTone(dir, baseName, suffixOf(kind), extraArgs);
}

QString richTagsScript()
{
    return QStringLiteral(TAMSEL_RICHTAGS);
}

void addRichTag(const QString& file, bool id3v23)
{
    QStringList args{richTagsScript(), "make", file};
    if (id3v23) args << "v3";
    testsupport::runPeer("/usr/bin/python3", args);
}

QJsonObject mutagenTags(const QString& file)
{
    QProcess p;
    p.start("/usr/bin/python3", {richTagsScript(), "dump", file});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        ADD_FAILURE() << "richtags.py dump " << file.toStdString()
                      << " failed (is python3-mutagen installed?): " << p.readAllStandardError().toStdString();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
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
