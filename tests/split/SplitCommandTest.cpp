// tamsel-split run as a user runs it, a separate process, on inputs sox makes
// of tones and silences of known length; its pieces are checked with soxi,
// sox and ffprobe.

#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <vector>

using testsupport::runPeer;

namespace {

struct Result {
    int status = -1;
    QString errors;
};

// hz 0 is digital silence.
struct Segment {
    double seconds;
    double hz = 0;
    double volume = 0.5;
};

struct SplitCommand : ::testing::Test {
    QTemporaryDir tmp;

    QString path(const QString& name) const { return tmp.filePath(name); }

    // The segments one after the other, as a WAV or FLAC of that many bits.
    QString input(const QString& name, const std::vector<Segment>& segments, int rate = 44100, int channels = 2,
                  int bits = 16)
    {
        const QStringList format{"-r", QString::number(rate), "-c", QString::number(channels), "-b",
                                 QString::number(bits)};
        QStringList parts;
        for (const Segment& s : segments) {
            const QString part = path(QStringLiteral("part%1.wav").arg(parts.size()));
            const QStringList make = s.hz > 0 ? QStringList{"synth", QString::number(s.seconds), "sine",
                                                            QString::number(s.hz), "vol", QString::number(s.volume)}
                                              : QStringList{"trim", "0", QString::number(s.seconds)};
            runPeer("sox", QStringList{"-n"} + format + QStringList{part} + make);
            parts << part;
        }
        runPeer("sox", parts + format + QStringList{path(name)});
        for (const QString& part : parts) QFile::remove(part);
        return path(name);
    }

    Result split(const QStringList& args)
    {
        QProcess p;
        p.start(TAMSEL_SPLIT_PROGRAM, args);
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromLocal8Bit(p.readAllStandardError())};
    }

    // The files in folder in the order of their numbers ("-100" after "-99").
    static QStringList pieces(const QString& folder)
    {
        QStringList names;
        for (const QString& name : QDir(folder).entryList(QDir::Files)) names << QDir(folder).filePath(name);
        std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
            return a.size() != b.size() ? a.size() < b.size() : a < b;
        });
        return names;
    }

    // The samples of files one after the other, as sox decodes them, in the
    // first file's own coding.
    QByteArray samples(const QStringList& files)
    {
        const QString raw = path("samples.raw");
        runPeer("sox", files + QStringList{"-t", "raw", raw});
        QFile f(raw);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Splits in into a fresh folder; the pieces must be the input, sample for
    // sample, and must begin within 20 ms of the expected seconds.
    QStringList expectSplit(const QString& in, const QString& folder, const std::vector<double>& starts,
                            const QStringList& options = {})
    {
        const Result r = split(options + QStringList{"-o", path(folder), in});
        EXPECT_EQ(r.status, 0) << r.errors.toStdString();
        EXPECT_EQ(r.errors, "");  // no progress bar off a terminal
        const QStringList made = pieces(path(folder));
        EXPECT_EQ(made.size(), int(starts.size())) << made.join(' ').toStdString();
        const double rate = runPeer("soxi", {"-r", in}).trimmed().toDouble();
        double at = 0;
        for (int i = 0; i < made.size() && i < int(starts.size()); ++i) {
            EXPECT_NEAR(at, starts[size_t(i)], 0.02) << "piece " << i + 1;
            at += runPeer("soxi", {"-s", made[i]}).trimmed().toDouble() / rate;
        }
        if (!made.isEmpty()) {
            EXPECT_TRUE(samples(made) == samples({in})) << "the pieces are not the input";
        }
        return made;
    }
};

}  // namespace

TEST_F(SplitCommand, SplitsBeforeEachSoundThatFollowsALongEnoughSilence)
{
    const QString in = input("take.wav", {{1.0, 440}, {2.5}, {1.5, 660}, {1.0}, {0.5, 880}, {3.0}, {0.7, 1000}});

    const QStringList made = expectSplit(in, "out", {0, 3.5, 9.5});

    EXPECT_EQ(QFileInfo(made.value(0)).fileName(), "take-01.wav");
    EXPECT_EQ(QFileInfo(made.value(2)).fileName(), "take-03.wav");
    const QJsonObject s = testsupport::probeAudioStream(made.value(1));
    EXPECT_EQ(s.value("codec_name").toString(), "pcm_s16le");
    EXPECT_EQ(s.value("sample_rate").toString(), "44100");
    EXPECT_EQ(s.value("channels").toInt(), 2);
    EXPECT_EQ(testsupport::tagOf(made.value(2), "track"), "3");

    {
        SCOPED_TRACE("a shorter silence, in decimal seconds, splits at the one-second gap too");
        expectSplit(in, "shorter", {0, 3.5, 6.0, 9.5}, {"-m", "0.8"});
    }

    // Silence at the start and end stays with the first and last piece; a
    // click shorter than a tenth of a second is part of the silence around it
    // (as sound, it would split the silences on each side); and a piece left
    // from an earlier run is replaced, as tamsel-join replaces its output.
    const QString quiet =
        input("quiet.wav", {{3.0}, {1.0, 500}, {2.5}, {0.05, 500}, {2.5}, {1.0, 700}, {3.0}}, 22050, 1);
    ASSERT_TRUE(QDir().mkpath(path("edges")));
    QFile old(path("edges/quiet-02.wav"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(100000, 'x'));
    old.close();
    SCOPED_TRACE("edges, a click and an earlier run's piece");
    expectSplit(quiet, "edges", {0, 9.05});
}

TEST_F(SplitCommand, KeepsTheInputsFormatBitsAndTagsInEachPiece)
{
    const QString wav = input("song.wav", {{1.0, 440}, {2.5}, {1.0, 880}}, 48000, 1, 24);
    const QString flac = path("song.flac");
    runPeer("ffmpeg", {"-v", "error", "-i", wav, "-c:a", "flac", "-sample_fmt", "s32", "-metadata", "title=Morning",
                       "-metadata", "artist=The Birds", "-metadata", "album=Dawn", flac});

    const QStringList made = expectSplit(flac, "flac", {0, 3.5});

    for (int i = 0; i < made.size(); ++i) {
        SCOPED_TRACE(made[i].toStdString());
        EXPECT_TRUE(made[i].endsWith(QStringLiteral("-0%1.flac").arg(i + 1)));
        const QJsonObject s = testsupport::probeAudioStream(made[i]);
        EXPECT_EQ(s.value("codec_name").toString(), "flac");
        EXPECT_EQ(s.value("bits_per_raw_sample").toString(), "24");
        EXPECT_EQ(s.value("sample_rate").toString(), "48000");
        EXPECT_EQ(s.value("channels").toInt(), 1);
        const QString tags[] = {"title", "artist", "album", "track"};
        const QString expected[] = {"Morning", "The Birds", "Dawn", QString::number(i + 1)};
        for (int t = 0; t < 4; ++t) EXPECT_EQ(testsupport::tagOf(made[i], tags[t]), expected[t]) << tags[t].toStdString();
    }

    // Lossy formats are written again in their own; one the writer lacks becomes WAV.
    struct Case {
        const char* name;
        QStringList codec;
        const char* piece;
        const char* pieceCodec;
    };
    for (const Case& c : {Case{"song.mp3", {"-c:a", "libmp3lame"}, "song-02.mp3", "mp3"},
                          Case{"song.opus", {"-c:a", "libopus"}, "song-02.opus", "opus"},
                          Case{"song.m4a", {"-c:a", "aac"}, "song-02.wav", "pcm_s16le"}}) {
        SCOPED_TRACE(c.name);
        runPeer("ffmpeg", QStringList{"-v", "error", "-i", wav} + c.codec + QStringList{path(c.name)});
        const QString folder = path(QString(c.name).replace('.', '_'));
        const Result r = split({"-o", folder, path(c.name)});
        EXPECT_EQ(r.status, 0) << r.errors.toStdString();
        EXPECT_EQ(pieces(folder).size(), 2);
        EXPECT_EQ(testsupport::probeAudioStream(QDir(folder).filePath(c.piece)).value("codec_name").toString(),
                  c.pieceCodec);
    }
}

TEST_F(SplitCommand, AFileWithoutSoundAboveTheThresholdWritesNothing)
{
    // About -66 dBFS: a hum under the default threshold of -50.
    const QString in = input("hum.wav", {{2.0}, {3.0, 50, 0.0005}, {2.0}});

    const Result r = split({"-o", path("out"), in});

    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.errors.count('\n'), 1);
    EXPECT_TRUE(r.errors.startsWith("tamsel-split: " + in)) << r.errors.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path("out")));

    SCOPED_TRACE("a lower threshold hears it");
    expectSplit(in, "low", {0}, {"-t", "-70"});
}

TEST_F(SplitCommand, UsageErrorsAndFailuresAreOneLineAndWriteNothing)
{
    const QString in = input("in.wav", {{1.0, 440}, {2.5}, {1.0, 440}});
    const QString out = path("out");
    for (const QStringList& args : {QStringList{in}, QStringList{"-o", out, in, in},
                                    QStringList{"-t", "3", "-o", out, in}, QStringList{"-m", "2s", "-o", out, in}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Result r = split(args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.errors.count('\n'), 1);
        EXPECT_TRUE(r.errors.startsWith("tamsel-split: ")) << r.errors.toStdString();
    }
    QFile junk(path("junk.mp3"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(5000, '\x5a'));
    junk.close();
    QFile blocker(path("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    struct Case {
        QStringList args;
        QString named;
    };
    for (const Case& c : {Case{{"-o", out, path("gone.wav")}, path("gone.wav")},
                          Case{{"-o", out, junk.fileName()}, junk.fileName()},
                          Case{{"-o", blocker.fileName(), in}, blocker.fileName()}}) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Result r = split(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors.count('\n'), 1);
        EXPECT_TRUE(r.errors.contains(c.named)) << r.errors.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));

    QProcess help;
    help.start(TAMSEL_SPLIT_PROGRAM, {"--help"});
    ASSERT_TRUE(help.waitForFinished(30000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().contains("--min-silence"));
}

TEST_F(SplitCommand, AnInterruptCompletesThePieceBeingWritten)
{
    // An hour of short takes, long enough to interrupt.
    const QString take = input("take.wav", {{1.0, 440}, {2.5}}, 8000, 1);
    const QString in = path("long.wav");
    runPeer("sox", {take, in, "repeat", "1000"});
    const QString out = path("out");
    QProcess p;
    ASSERT_TRUE(testsupport::interruptOnceReady(p, TAMSEL_SPLIT_PROGRAM, {"-o", out, in},
                                                [&] { return QFileInfo::exists(out + "/long-04.wav"); }))
        << "the run ended before it could be interrupted";

    EXPECT_EQ(p.exitCode(), 130);
    const QString errors = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(errors.count('\n'), 1);
    EXPECT_TRUE(errors.contains("stopped") && errors.contains(out)) << errors.toStdString();
    const QStringList made = pieces(out);
    ASSERT_GE(made.size(), 4);
    EXPECT_LT(made.size(), 1000);
    EXPECT_TRUE(errors.contains(QStringLiteral("the %1 pieces written").arg(made.size()))) << errors.toStdString();
    for (const QString& piece : made) {
        SCOPED_TRACE(piece.toStdString());
        // The header states what the file holds: every piece opens whole.
        const QJsonObject s = testsupport::probeAudioStream(piece);
        EXPECT_EQ(static_cast<long long>(s.value("duration_ts").toDouble()),
                  runPeer("soxi", {"-s", piece}).trimmed().toLongLong());
    }
    // Nothing read is lost: the pieces are the input as far as they go.
    const QByteArray all = samples({in}), kept = samples(made);
    EXPECT_TRUE(all.startsWith(kept));
}
