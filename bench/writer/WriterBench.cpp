// Throughput of the file component as the join uses it (reader blocks into
// the writer), in real-time factor, beside sox doing the same conversion, and
// the peak memory of a run, which must not grow with the length of the input.
//
//   bench_writer [minutes...]      default: 1 10
//
// Each of our runs is a fresh process (this program with --run) so its peak
// resident size is its own.

#include "BenchSupport.h"
#include "components/file/AudioFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

using namespace bench;

namespace {

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

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (const auto code = runChild(args, [](const QStringList& a) { return runOnce(a.value(0), a.value(1)); }))
        return *code;

    const QList<int> minutes = minutesOf(args);

    QTemporaryDir dir;
    QTextStream out(stdout);
    out << "case                  minutes  ours(xRT)  sox(xRT)  our peak RSS (MB)\n";
    MemoryGrowth growth;
    for (int m : minutes) {
        const QString cd = dir.filePath(QString("cd%1.wav").arg(m));
        const QString half = dir.filePath(QString("half%1.wav").arg(m));
        const QString mp3 = dir.filePath(QString("in%1.mp3").arg(m));
        if (!tone(cd, m * 60, 44100, 2) || !tone(half, m * 60, 22050, 1) || !encodeMp3(cd, mp3))
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

            const double soxWall = timedRun("sox", {c.input, "-r", "44100", "-c", "2", "-b", "16", theirs});
            if (soxWall < 0) return 1;

            const double audio = m * 60.0;
            out << QString("%1 %2 %3 %4 %5\n")
                       .arg(c.name, -20).arg(m, 8).arg(audio / ourWall, 10, 'f', 0)
                       .arg(audio / soxWall, 9, 'f', 0).arg(rssMb, 12, 'f', 1);
            out.flush();
            growth.add(c.name, rssMb);
            QFile::remove(ours);
            QFile::remove(theirs);
        }
        QFile::remove(cd);
        QFile::remove(half);
        QFile::remove(mp3);
    }
    const bool flat = growth.flat();
    out << (flat ? "peak memory does not grow with length\n"
                 : "PEAK MEMORY GROWS WITH LENGTH\n");
    return flat ? 0 : 1;
}
