// Throughput of the file component as the join uses it (reader blocks into
// the writer), in real-time factor, beside sox doing the same conversion, and
// the peak memory of a run, which must not grow with the length of the input.
//
//   bench_writer [minutes...]      default: 1 10
//
// Each of our runs is a fresh process (this program with --run) so its peak
// resident size is its own.

#include "components/file/AudioFile.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

long peakRssKb()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The join loop: every block of the input, converted to CD-quality WAV.
int runOnce(const QString& in, const QString& out)
{
    AudioFile reader, writer;
    writer.SetWavFormat(44100, 2, 16);
    writer.OpenWrite(out);
    reader.OpenRead(in);
    writer.SetInputFormat(reader.ArraySampleRate(), reader.ArrayChannels());
    QElapsedTimer clock;
    clock.start();
    for (Block b = reader.ReadArray(4100); !b.empty(); b = reader.ReadArray(4100))
        writer.WriteArray(b);
    const long long frames = writer.Samples();
    writer.CloseFile();
    const double wall = clock.nsecsElapsed() / 1e9;
    std::printf("%lld %.6f %ld\n", frames, wall, peakRssKb());
    return 0;
}

bool run(const QString& program, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     p.readAllStandardError().constData());
        return false;
    }
    if (output) *output = QString::fromUtf8(p.readAllStandardOutput());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    try {
        if (args.value(0) == "--run") return runOnce(args.value(1), args.value(2));
    } catch (const TamselError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }

    QList<int> minutes;
    for (const QString& a : args) minutes << a.toInt();
    if (minutes.isEmpty()) minutes = {1, 10};

    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "case                  minutes  ours(xRT)  sox(xRT)  our peak RSS (MB)\n";
    bool flat = true;
    QMap<QString, double> firstRss;
    for (int m : minutes) {
        const QString secs = QString::number(m * 60);
        const QString cd = dir.filePath(QString("cd%1.wav").arg(m));
        const QString half = dir.filePath(QString("half%1.wav").arg(m));
        const QString mp3 = dir.filePath(QString("in%1.mp3").arg(m));
        if (!run("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", cd, "synth", secs, "sine",
                         "440", "vol", "0.5"})
            || !run("sox", {"-n", "-r", "22050", "-c", "1", "-b", "16", half, "synth", secs,
                            "sine", "440", "vol", "0.5"})
            || !run("ffmpeg", {"-v", "error", "-y", "-i", cd, "-c:a", "libmp3lame", "-b:a",
                               "192k", mp3}))
            return 1;
        const struct {
            const char* name;
            QString input;
        } cases[] = {{"WAV->WAV", cd}, {"WAV 22k mono->CD", half}, {"MP3->WAV", mp3}};
        for (const auto& c : cases) {
            const QString ours = dir.filePath("ours.wav");
            const QString theirs = dir.filePath("sox.wav");
            QString report;
            if (!run(app.applicationFilePath(), {"--run", c.input, ours}, &report)) return 1;
            const QStringList f = report.split(' ');
            const double ourWall = f.value(1).toDouble();
            const double rssMb = f.value(2).toDouble() / 1024;

            QElapsedTimer clock;
            clock.start();
            if (!run("sox", {c.input, "-r", "44100", "-c", "2", "-b", "16", theirs})) return 1;
            const double soxWall = clock.nsecsElapsed() / 1e9;

            const double audio = m * 60.0;
            out << QString("%1 %2 %3 %4 %5\n")
                       .arg(c.name, -20).arg(m, 8).arg(audio / ourWall, 10, 'f', 0)
                       .arg(audio / soxWall, 9, 'f', 0).arg(rssMb, 12, 'f', 1);
            out.flush();
            // Growth beyond a few megabytes or 20 % means something is kept per block.
            if (!firstRss.contains(c.name)) firstRss[c.name] = rssMb;
            else if (rssMb > firstRss[c.name] * 1.2 + 4) flat = false;
            QFile::remove(ours);
            QFile::remove(theirs);
        }
        QFile::remove(cd);
        QFile::remove(half);
        QFile::remove(mp3);
    }
    out << (flat ? "peak memory does not grow with length\n"
                 : "PEAK MEMORY GROWS WITH LENGTH\n");
    return flat ? 0 : 1;
}
