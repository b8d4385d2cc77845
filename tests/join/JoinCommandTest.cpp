// tamsel-join run as a user runs it, a separate process; its outputs are
// checked with ffprobe and sox. The byte copy of same-format WAV inputs is
// compared with decoding them, in process.

#include "components/file/AudioFile.h"
#include "join/JoinRun.h"
#include "join/JoinTestSupport.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>

using jointest::pitchAt;
using jointest::probeWav;

namespace {

struct Result {
    int status = -1;
    QString errors;
};

struct JoinCommand : ::testing::Test {
    QTemporaryDir tmp;

    QString path(const QString& name) const { return tmp.filePath(name); }
    QString tone(const QString& name, double hz, double seconds, int rate = 44100, int channels = 2)
    {
        return jointest::wavTone(tmp.path(), name, hz, seconds, rate, channels);
    }
    // Through sh, so a test can set limits before the program starts.
    Result join(const QStringList& args, const QString& shellPrefix = {})
    {
        QProcess p;
        QStringList quoted;
        for (const QString& a : args) quoted << "'" + a + "'";
        p.start("sh", {"-c", shellPrefix + "exec '" TAMSEL_JOIN_PROGRAM "' " + quoted.join(' ')});
        p.waitForFinished(120000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromLocal8Bit(p.readAllStandardError())};
    }
    // The file's data as sox decodes it must be as long as its header says:
    // a WAV a player opens whole.
    void expectValidWav(const QString& file, long long atLeastFrames)
    {
        const auto facts = probeWav(file);
        EXPECT_EQ(facts.codec, "pcm_s16le");
        EXPECT_GE(facts.frames, atLeastFrames);
        const long long decoded =
            testsupport::runPeer("soxi", {"-s", file}).trimmed().toLongLong();
        EXPECT_EQ(decoded, facts.frames);
    }
};

QByteArray digest(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1)
                                       : QByteArray();
}

// A copy of wav with a LIST chunk after its sound, as tag writers add one.
QString withTagAfterTheSound(const QString& wav, const QString& copy)
{
    QFile in(wav);
    if (!in.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = in.readAll();
    const QByteArray info = QByteArray("INFOINAM") + QByteArray::fromHex("0a000000") + QByteArray("A title\0\0\0", 10);
    QByteArray size(4, 0);
    qToLittleEndian<quint32>(quint32(info.size()), size.data());
    bytes += "LIST" + size + info;
    qToLittleEndian<quint32>(quint32(bytes.size() - 8), bytes.data() + 4);
    QFile out(copy);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return {};
    return copy;
}

// A copy of wav whose RIFF and data sizes are still 0, as a recorder leaves
// them when it dies before its first header update.
QString neverCompleted(const QString& wav, const QString& copy)
{
    QFile in(wav);
    if (!in.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = in.readAll();
    const qsizetype data = bytes.indexOf("data");
    if (data < 0) return {};
    qToLittleEndian<quint32>(0, bytes.data() + 4);
    qToLittleEndian<quint32>(0, bytes.data() + data + 4);
    QFile out(copy);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) return {};
    return copy;
}

double largestDifference(const QString& a, const QString& b)
{
    AudioFile x, y;
    x.OpenRead(a);
    y.OpenRead(b);
    double largest = 0;
    for (;;) {
        const Block p = x.ReadArray(4096), q = y.ReadArray(4096);
        if (p.samples.size() != q.samples.size()) return 1;
        if (p.empty()) return largest;
        for (size_t i = 0; i < p.samples.size(); ++i)
            largest = std::max(largest, double(std::abs(p.samples[i] - q.samples[i])));
    }
}

}  // namespace

TEST_F(JoinCommand, JoinsEveryKindOfInputInOrderIntoTheAskedFormat)
{
    const QStringList inputs{tone("a.wav", 300, 1), tone("b.wav", 700, 1, 22050, 1),
                             jointest::encodedTone(tmp.path(), "c.mp3", 1200, 1),
                             jointest::encodedTone(tmp.path(), "d.ogg", 2000, 1),
                             jointest::encodedTone(tmp.path(), "e.wma", 3000, 1)};
    const QString out = path("out.wav");

    const Result r = join(QStringList{"-o", out} + inputs);

    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.errors, "");  // no progress bar off a terminal
    const auto facts = probeWav(out);
    EXPECT_EQ(facts.sampleRate, 44100);
    EXPECT_EQ(facts.channels, 2);
    EXPECT_NEAR(facts.frames, 5 * 44100, 44100 / 20);
    const double pitches[] = {300, 700, 1200, 2000, 3000};
    for (int i = 0; i < 5; ++i) EXPECT_NEAR(pitchAt(out, i + 0.2, 0.6), pitches[i], pitches[i] / 15) << i;

    const Result small = join({"-r", "8000", "-c", "1", "-b", "8", "-o", path("small.wav"), inputs[0], inputs[1]});
    EXPECT_EQ(small.status, 0) << small.errors.toStdString();
    const auto s = probeWav(path("small.wav"));
    EXPECT_EQ(s.codec, "pcm_u8");
    EXPECT_EQ(s.sampleRate, 8000);
    EXPECT_EQ(s.channels, 1);
    EXPECT_EQ(s.frames, 2 * 8000);
}

// Latin-1 names from an old archive reach the program as bytes (printf makes
// them: a QString argument would go out as UTF-8), a WAV copied and an MP3
// decoded into an output named the same way.
TEST_F(JoinCommand, NamesThatAreNotUtf8AreJoinedByTheirBytes)
{
    tone("a.wav", 440, 1);
    jointest::encodedTone(tmp.path(), "b.mp3", 880, 1);
    const QByteArray dir = QFile::encodeName(tmp.path()) + '/';
    const auto moved = [&](const QByteArray& from, const QByteArray& to) {
        return std::rename((dir + from).constData(), (dir + to).constData()) == 0;
    };
    ASSERT_TRUE(moved("a.wav", "caf\xe9.wav"));
    ASSERT_TRUE(moved("b.mp3", "na\xefve.mp3"));

    QProcess p;
    p.setWorkingDirectory(tmp.path());
    p.start("sh", {"-c", "exec '" TAMSEL_JOIN_PROGRAM "' -o \"$(printf 'r\\351sum\\351.wav')\" "
                         "\"$(printf 'caf\\351.wav')\" \"$(printf 'na\\357ve.mp3')\""});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    // Back to names Qt can see (and remove), each found by its bytes.
    EXPECT_TRUE(moved("caf\xe9.wav", "a.wav"));
    EXPECT_TRUE(moved("na\xefve.mp3", "b.mp3"));
    ASSERT_TRUE(moved("r\xe9sum\xe9.wav", "out.wav"));
    EXPECT_NEAR(probeWav(path("out.wav")).frames, 2 * 44100, 44100 / 20);
    EXPECT_NEAR(pitchAt(path("out.wav"), 1.2, 0.6), 880, 880 / 15);
}

TEST_F(JoinCommand, EachFailureIsOneLineNamingTheFileAndWhatTheOutputHolds)
{
    const QString a = tone("a.wav", 440, 1), b = tone("b.wav", 880, 1);
    const QString out = path("out.wav");
    {
        SCOPED_TRACE("a missing input: nothing is written");
        const Result r = join({"-o", out, a, path("gone.wav")});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors.count('\n'), 1);
        EXPECT_TRUE(r.errors.contains(path("gone.wav"))) << r.errors.toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
    {
        SCOPED_TRACE("the output is an input, under another name");
        QFile::link(b, path("link.wav"));
        const QByteArray before = digest(b);
        const Result r = join({"-o", path("link.wav"), a, b});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.errors.contains(b)) << r.errors.toStdString();
        EXPECT_EQ(digest(b), before);
    }
    {
        SCOPED_TRACE("an output that cannot be made");
        const Result r = join({"-o", path("no/such/folder.wav"), a});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.errors.contains(path("no/such/folder.wav"))) << r.errors.toStdString();
    }
    {
        SCOPED_TRACE("an input that is not audio, after one that is");
        QFile junk(path("junk.mp3"));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(5000, '\x5a'));
        junk.close();
        const Result r = join({"-o", out, a, junk.fileName(), b});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.errors.count('\n'), 1);
        EXPECT_TRUE(r.errors.contains(junk.fileName())) << r.errors.toStdString();
        EXPECT_TRUE(r.errors.contains("00:00:01 joined so far")) << r.errors.toStdString();
        expectValidWav(out, 44100);
        EXPECT_EQ(probeWav(out).frames, 44100);
    }
    {
        SCOPED_TRACE("the disk fills up (a file size limit stands in for it)");
        const QString big = tone("big.wav", 440, 20, 22050, 1);
        const Result r = join({"-o", out, big}, "ulimit -f 1000; trap '' XFSZ; ");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.errors.contains(out)) << r.errors.toStdString();
        EXPECT_TRUE(r.errors.contains("joined so far")) << r.errors.toStdString();
        expectValidWav(out, 44100);
        EXPECT_LE(QFileInfo(out).size(), 1000 * 512);
    }
    {
        SCOPED_TRACE("the disk fills up inside a frame of a byte copy (3 bytes a frame)");
        const QString copied = path("copied.wav");
        testsupport::makeTone(copied, 440, 10, 44100, 1, {"-b", "24"});
        const Result r = join({"-c", "1", "-b", "24", "-o", out, copied}, "ulimit -f 1000; trap '' XFSZ; ");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.errors.contains(copied) && r.errors.contains("joined so far")) << r.errors.toStdString();
        const auto facts = probeWav(out);
        EXPECT_GE(facts.frames, 44100);
        EXPECT_EQ(testsupport::runPeer("soxi", {"-s", out}).trimmed().toLongLong(), facts.frames);
    }
    {
        SCOPED_TRACE("a usage error");
        EXPECT_EQ(join({"-o", out}).status, 2);
        EXPECT_EQ(join({"-r", "fast", "-o", out, a}).status, 2);
    }
}

TEST_F(JoinCommand, AnInterruptLeavesAValidWavOfWhatWasJoined)
{
    // Converted, not copied, so that the run lasts long enough to interrupt.
    const QString slow = tone("slow.wav", 440, 40 * 60, 8000, 1);
    const QString out = path("out.wav");
    QProcess p;
    ASSERT_TRUE(testsupport::interruptOnceReady(p, TAMSEL_JOIN_PROGRAM, {"-o", out, slow},
                                                [&] { return QFileInfo(out).size() >= 1000000; }))
        << "the run ended before it could be interrupted";

    EXPECT_EQ(p.exitCode(), 130);
    const QString errors = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(errors.contains("stopped") && errors.contains(out)) << errors.toStdString();
    expectValidWav(out, 44100);
    EXPECT_LT(probeWav(out).frames, 40LL * 60 * 44100);
}

// The byte copy must give exactly what decoding gives, also for files that
// end early, carry chunks after their sound, only chunks, or a header that
// was never completed (a recording cut off by a crash).
TEST_F(JoinCommand, CopyingSameFormatInputsGivesWhatDecodingGives)
{
    struct Case {
        int rate, channels, bits;
    };
    for (const Case c : {Case{44100, 2, 16}, Case{48000, 2, 24}, Case{22050, 1, 8}, Case{96000, 4, 32}}) {
        SCOPED_TRACE(QString("%1 Hz %2 ch %3 bit").arg(c.rate).arg(c.channels).arg(c.bits).toStdString());
        const QString whole = path("whole.wav"), cut = path("cut.wav");
        testsupport::makeTone(whole, 500, 1.5, c.rate, c.channels, {"-b", QString::number(c.bits)});
        testsupport::makeTone(cut, 900, 1, c.rate, c.channels, {"-b", QString::number(c.bits)});
        QFile f(cut);  // a recording cut off: its header states more than it holds
        ASSERT_TRUE(f.resize(f.size() - 1001));
        // An empty recording that was tagged: the tag is no sound.
        testsupport::runPeer("sox", {whole, path("empty.wav"), "trim", "0", "0"});
        const QStringList inputs{whole, cut, withTagAfterTheSound(whole, path("tagged.wav")),
                                 withTagAfterTheSound(path("empty.wav"), path("empty-tagged.wav")),
                                 neverCompleted(whole, path("unfinished.wav"))};

        AudioFile writer;
        writer.SetWavFormat(c.rate, c.channels, c.bits);
        writer.OpenWrite(path("probe.wav"));
        // The last two state no sound: the decoder decides what they hold.
        for (int i = 0; i < inputs.size(); ++i) {
            EXPECT_EQ(writer.OpenCopy(inputs[i]), i < 3) << inputs[i].toStdString();
            writer.CloseCopy();
        }
        writer.CloseFile();

        for (const bool copy : {true, false}) {
            AudioFile reader, out;
            JoinRun run(reader, out, {});
            run.setByteCopy(copy);
            EXPECT_TRUE(run.run(inputs, {path(copy ? "copied.wav" : "decoded.wav"), c.rate, c.channels, c.bits}));
        }
        // Decoding goes through floats, which hold 24 bits of a 32-bit sample.
        if (c.bits < 32)
            EXPECT_EQ(digest(path("copied.wav")), digest(path("decoded.wav")));
        else
            EXPECT_LT(largestDifference(path("copied.wav"), path("decoded.wav")), 1e-6);
        f.open(QIODevice::ReadOnly);
        const long long soundBytes = f.size() - f.readAll().indexOf("data") - 8;
        const long long cutFrames = soundBytes / (c.channels * c.bits / 8);
        // The unfinished copy keeps the whole file's pad byte, one more 8-bit frame.
        EXPECT_NEAR(probeWav(path("copied.wav")).frames, 3 * c.rate + cutFrames + 3 * c.rate / 2, 1);
    }
}

TEST(JoinBlocks, StayNearASecondAndAMegabyteWhateverTheFormat)
{
    EXPECT_EQ(JoinRun::blockFrames(44100, 2), 44100);
    EXPECT_LE(int64_t(JoinRun::blockFrames(192000, 16)) * 16 * sizeof(float), 1 << 20);
    EXPECT_GT(JoinRun::blockFrames(192000, 16), 1000);
    for (const int rate : {1, 300'000'000, INT32_MAX}) {
        const int frames = JoinRun::blockFrames(rate, 32);
        EXPECT_GE(frames, 1) << rate;
        EXPECT_LE(int64_t(frames) * 32 * sizeof(float), 1 << 20) << rate;
    }
}
