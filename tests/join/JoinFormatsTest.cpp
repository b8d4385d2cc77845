// tamsel-join into FLAC, Opus and MP3 with chapter marks; inputs of every
// codec joined at their true length; damaged inputs joined as far as they
// decode and told. Outputs are checked with ffprobe, ffmpeg and sox.

#include "join/JoinTestSupport.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Result {
    int status = -1;
    QString errors;
};

Result join(const QStringList& args)
{
    QProcess p;
    p.start(TAMSEL_JOIN_PROGRAM, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardError())};
}

void ffmpeg(const QStringList& args)
{
    testsupport::runPeer("ffmpeg", QStringList{"-v", "error", "-y"} + args);
}

// The first channel as signed 16-bit samples, decoded by sox (libvorbisfile
// for Ogg) or by ffmpeg.
std::vector<int16_t> firstChannel(const QString& file, bool bySox = false)
{
    QTemporaryDir dir;
    const QString raw = dir.filePath("c.raw");
    if (bySox)
        testsupport::runPeer("sox", {file, "-t", "raw", "-e", "signed-integer", "-b", "16", "-L", raw, "remix", "1"});
    else
        ffmpeg({"-i", file, "-af", "pan=mono|c0=c0", "-f", "s16le", raw});
    QFile f(raw);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    std::vector<int16_t> samples(size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

QJsonArray chapters(const QString& file)
{
    const QString json = testsupport::runPeer("ffprobe", {"-v", "error", "-show_chapters", "-of", "json", file});
    return QJsonDocument::fromJson(json.toUtf8()).object().value("chapters").toArray();
}

struct JoinFormats : ::testing::Test {
    QTemporaryDir tmp;
    QString path(const QString& name) const { return tmp.filePath(name); }
};

TEST_F(JoinFormats, EachFormatByItsExtensionOrOptionWithAChapterPerInput)
{
    const QStringList inputs{jointest::wavTone(tmp.path(), "first.wav", 300, 1, 44100, 2),
                             jointest::encodedTone(tmp.path(), "second.mp3", 700, 1.5),
                             jointest::wavTone(tmp.path(), "third.wav", 1200, 0.5, 22050, 1)};
    const double starts[] = {0, 1, 2.5};
    struct Case {
        QStringList args;
        const char* codec;
        int rate;
    };
    for (const Case& c : {Case{{"-o", path("out.wav")}, "pcm_s16le", 44100},
                          Case{{"-b", "24", "-o", path("out.flac")}, "flac", 44100},
                          Case{{"-o", path("out.opus")}, "opus", 48000},
                          Case{{"--bitrate", "128", "-o", path("out.mp3")}, "mp3", 44100},
                          Case{{"-f", "mp3", "-r", "32000", "-o", path("out.audio")}, "mp3", 32000}}) {
        const QString out = c.args.last();
        SCOPED_TRACE(out.toStdString());
        const Result r = join(c.args + inputs);
        ASSERT_EQ(r.status, 0) << r.errors.toStdString();
        const QJsonObject s = testsupport::probeAudioStream(out);
        EXPECT_EQ(s.value("codec_name").toString(), c.codec);
        EXPECT_EQ(s.value("sample_rate").toString().toInt(), c.rate);
        if (out.endsWith(".flac")) {
            EXPECT_EQ(s.value("bits_per_raw_sample").toString(), "24");
        }
        if (out.endsWith(".mp3")) {
            EXPECT_EQ(s.value("bit_rate").toString(), "128000");
        }
        EXPECT_NEAR(double(firstChannel(out).size()) / c.rate, 3.0, 0.001);
        const QJsonArray marks = chapters(out);
        ASSERT_EQ(marks.size(), 3);
        for (int i = 0; i < 3; ++i) {
            const QJsonObject m = marks[i].toObject();
            EXPECT_NEAR(m.value("start_time").toString().toDouble(), starts[i], 0.001) << i;
            EXPECT_EQ(m.value("tags").toObject().value("title").toString(), QFileInfo(inputs[i]).completeBaseName());
        }
        const QString decoded = path("decoded.wav");
        ffmpeg({"-i", out, decoded});
        EXPECT_NEAR(jointest::pitchAt(decoded, 1.2, 1), 700, 700 / 15.0);
    }
    EXPECT_EQ(join({"--quality", "3", "-o", path("x.flac"), inputs[0]}).status, 2);
    EXPECT_EQ(join({"-f", "ogg", "-o", path("x.ogg"), inputs[0]}).status, 2);
    EXPECT_EQ(join({"-b", "8", "-o", path("x.flac"), inputs[0]}).status, 1);
}

// Five pieces of one tone, each encoded on its own, join to the sum of their
// lengths, sample for sample what each decodes to alone: no encoder delay,
// padding or pre-skip between them.
TEST_F(JoinFormats, InputsOfEveryCodecJoinAtTheirTrueLength)
{
    const QString whole = jointest::wavTone(tmp.path(), "whole.wav", 440, 3, 44100, 2);
    const int cuts[] = {0, 25713, 51431, 77141, 102859, 132300};
    struct Codec {
        const char* ext;
        QStringList options;
        int rate;           // of the joined output: the codec's own
        bool bySox = false; // FFmpeg's command line cuts the end of some Vorbis files
        // Of each sample against the piece decoded alone: the two programs
        // round floats to 16 bits each their own way.
        int tolerance = 3;
    };
    for (const Codec& c : {Codec{"flac", {"-c:a", "flac"}, 44100},
                           Codec{"mp3", {"-c:a", "libmp3lame", "-q:a", "2"}, 44100},
                           Codec{"opus", {"-c:a", "libopus", "-b:a", "96k"}, 48000},
                           Codec{"ogg", {"-c:a", "libvorbis", "-q:a", "5"}, 44100, true}}) {
        SCOPED_TRACE(c.ext);
        QStringList pieces;
        std::vector<int16_t> alone;
        std::vector<size_t> joins;
        for (int i = 0; i < 5; ++i) {
            const QString wav = path(QString("p%1.wav").arg(i));
            testsupport::runPeer("sox", {whole, wav, "trim", QString("%1s").arg(cuts[i]),
                                         QString("%1s").arg(cuts[i + 1] - cuts[i])});
            pieces << path(QString("p%1.%2").arg(i).arg(c.ext));
            ffmpeg(QStringList{"-i", wav} + c.options + QStringList{pieces.last()});
            const std::vector<int16_t> piece = firstChannel(pieces.last(), c.bySox);
            if (c.rate == 44100) {
                EXPECT_EQ(piece.size(), size_t(cuts[i + 1] - cuts[i]));
            }
            alone.insert(alone.end(), piece.begin(), piece.end());
            joins.push_back(alone.size());
        }
        const QString out = path(QString("joined-%1.wav").arg(c.ext));
        const Result r = join(QStringList{"-r", QString::number(c.rate), "-o", out} + pieces);
        ASSERT_EQ(r.status, 0) << r.errors.toStdString();
        const std::vector<int16_t> joined = firstChannel(out);
        ASSERT_NEAR(double(joined.size()), double(alone.size()), 5);
        int worst = 0;
        for (size_t i = 0; i < std::min(joined.size(), alone.size()); ++i)
            worst = std::max(worst, std::abs(joined[i] - alone[i]));
        EXPECT_LE(worst, c.tolerance);
        // Lossless: no step at a join is larger than the tone's own largest.
        if (c.ext == QString("flac")) {
            int toneStep = 0, joinStep = 0;
            for (size_t i = 1; i < joined.size(); ++i) {
                const int step = std::abs(joined[i] - joined[i - 1]);
                const bool atJoin = std::count(joins.begin(), joins.end(), i) > 0;
                (atJoin ? joinStep : toneStep) = std::max(atJoin ? joinStep : toneStep, step);
            }
            EXPECT_LE(joinStep, toneStep);
        }
    }
}

// A file that stops decoding before its stated length is joined up to there,
// with nothing made up, and told once; a WAV whose block align disagrees
// with its format is read as its data is.
TEST_F(JoinFormats, DamagedInputsAreJoinedAsFarAsTheyDecodeAndTold)
{
    const QString source = jointest::wavTone(tmp.path(), "source.wav", 440, 3, 44100, 2);
    QStringList cut;
    for (const auto& [name, codec] : {std::pair{"cut.mp3", QStringList{"-c:a", "libmp3lame", "-q:a", "2"}},
                                      std::pair{"cut.flac", QStringList{"-c:a", "flac"}},
                                      std::pair{"cut.m4a", QStringList{"-c:a", "alac", "-movflags", "+faststart"}},
                                      std::pair{"cut.wav", QStringList{"-c:a", "adpcm_ima_wav"}}}) {
        cut << path(name);
        ffmpeg(QStringList{"-i", source} + codec + QStringList{cut.last()});
        QFile f(cut.last());
        ASSERT_TRUE(f.resize(f.size() * 45 / 100));
    }
    QFile bad(jointest::wavTone(tmp.path(), "align.wav", 440, 1, 44100, 2));
    ASSERT_TRUE(bad.open(QIODevice::ReadWrite));
    QByteArray bytes = bad.readAll();
    bytes[bytes.indexOf("fmt ") + 8 + 12] = char(255);  // block align 255 for 2 x 16 bits
    bad.seek(0);
    bad.write(bytes);
    bad.close();

    const QString out = path("out.wav");
    const Result r = join(QStringList{"-r", "22050", "-o", out, bad.fileName()} + cut);
    EXPECT_EQ(r.status, 3);
    const QStringList lines = r.errors.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4) << r.errors.toStdString();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lines[i], QString("tamsel-join: %1: only 00:00:01 of its 00:00:03 could be decoded").arg(cut[i]));
    // The aligned WAV whole, then each cut file up to its cut, with no
    // silence where its audio ends.
    const std::vector<int16_t> joined = firstChannel(out);
    EXPECT_NEAR(double(joined.size()), 22050 * (1 + 4 * 3 * 0.45), 22050 * 4 * 0.1);
    const QJsonArray marks = chapters(out);
    ASSERT_EQ(marks.size(), 5);
    for (int i = 1; i < 5; ++i) {
        const int64_t end = i < 4 ? marks[i + 1].toObject().value("start").toInteger() : int64_t(joined.size());
        int silent = 0;
        for (int64_t j = end - 1; j >= 0 && joined[size_t(j)] == 0; --j) ++silent;
        EXPECT_LT(silent, 20) << cut[i - 1].toStdString();
    }
}

}  // namespace
