#include "JoinCases.h"

#include "BenchSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace bench {

namespace {

constexpr int kShortFiles = 300;
constexpr double kShortSeconds = 3;
const int kMixedRates[] = {22050, 48000, 8000, 32000, 11025};
struct EncodeInput {
    const char* ext;
    int rate, channels;
    QStringList codec;
};
const EncodeInput kEncodeInputs[] = {
    {"wav", 44100, 2, {}},
    {"wav", 22050, 1, {}},
    {"mp3", 44100, 2, {"-c:a", "libmp3lame", "-b:a", "192k"}},
    {"flac", 48000, 2, {"-c:a", "flac"}},
    {"ogg", 44100, 2, {"-c:a", "libvorbis", "-q:a", "4"}},
};

QString pitch(int i) { return QString::number(300 + 50 * (i % 10)); }

}  // namespace

QList<JoinCase> joinCases(double hours)
{
    const double second = hours * 3600;
    const QString h = QString::number(hours);
    return {
        {CaseKind::SameFormat, "same", QStringLiteral("%1 h as ten CD WAVs").arg(h), second, {}, 0},
        {CaseKind::Short, "short", QStringLiteral("300 CD WAVs of 3 s"), kShortFiles * kShortSeconds, {}, 0},
        {CaseKind::Mixed, "mixed", QStringLiteral("%1 h as five WAVs of mixed rates and channels").arg(h),
         second, {}, 0},
        {CaseKind::Mp3, "mp3", QStringLiteral("%1 h as five MP3s (192 kb/s)").arg(h), second, {}, 0},
        {CaseKind::LowRate, "low", QStringLiteral("%1 h 8000 Hz mono WAV to CD quality").arg(2 * hours),
         2 * second, {}, 0},
        {CaseKind::Encode, "toflac", QStringLiteral("%1 h of mixed inputs into FLAC").arg(h), second, {}, 0, "flac"},
        {CaseKind::Encode, "toopus", QStringLiteral("%1 h of mixed inputs into Opus 96 kbit/s").arg(h), second, {}, 0,
         "opus"},
        {CaseKind::Encode, "tomp3", QStringLiteral("%1 h of mixed inputs into MP3 V2").arg(h), second, {}, 0, "mp3"},
    };
}

QStringList ourOptions(const JoinCase& c)
{
    if (c.output == "opus") return {"--bitrate", "96"};
    if (c.output == "mp3") return {"--quality", "2"};
    return {};
}

bool makeInputs(JoinCase& c, const QString& dirPath)
{
    const QDir dir(dirPath);
    c.inputs.clear();
    switch (c.kind) {
    case CaseKind::SameFormat:
        for (int i = 0; i < 10; ++i) {
            c.inputs << dir.filePath(QString("cd%1.wav").arg(i));
            if (!tone(c.inputs.last(), c.audioSeconds / 10, 44100, 2, pitch(i))) return false;
        }
        break;
    case CaseKind::Short: {
        // Ten distinct pieces, each copied thirty times: making 300 with sox
        // would take longer than joining them.
        for (int i = 0; i < kShortFiles; ++i) {
            c.inputs << dir.filePath(QString("short%1.wav").arg(i, 3, 10, QLatin1Char('0')));
            if (i < 10 ? !tone(c.inputs.last(), kShortSeconds, 44100, 2, pitch(i))
                       : !QFile::copy(c.inputs[i % 10], c.inputs.last()))
                return false;
        }
        break;
    }
    case CaseKind::Mixed:
        for (int i = 0; i < 5; ++i) {
            c.inputs << dir.filePath(QString("mix%1.wav").arg(i));
            if (!tone(c.inputs.last(), c.audioSeconds / 5, kMixedRates[i], 1 + i % 2, pitch(i))) return false;
        }
        break;
    case CaseKind::Mp3:
        for (int i = 0; i < 5; ++i) {
            const QString source = dir.filePath("source.wav");
            c.inputs << dir.filePath(QString("in%1.mp3").arg(i));
            const bool made = tone(source, c.audioSeconds / 5, 44100, 2, pitch(i))
                              && encodeMp3(source, c.inputs.last());
            QFile::remove(source);
            if (!made) return false;
        }
        break;
    case CaseKind::LowRate:
        c.inputs << dir.filePath("low.wav");
        if (!tone(c.inputs.last(), c.audioSeconds, 8000, 1)) return false;
        break;
    case CaseKind::Encode:
        // One set for the three outputs: made when the first needs it.
        for (int i = 0; i < 5; ++i) {
            c.inputs << dir.filePath(QString("enc%1.%2").arg(i).arg(kEncodeInputs[i].ext));
            if (QFileInfo::exists(c.inputs.last())) continue;
            const QString source = dir.filePath("source.wav");
            const auto& in = kEncodeInputs[i];
            const bool made = tone(source, c.audioSeconds / 5, in.rate, in.channels, pitch(i))
                              && (QString(in.ext) == "wav" ? QFile::rename(source, c.inputs.last())
                                                            : run("ffmpeg", QStringList{"-v", "error", "-y", "-i", source}
                                                                                + in.codec + QStringList{c.inputs.last()}));
            QFile::remove(source);
            if (!made) return false;
        }
        break;
    }
    c.inputBytes = 0;
    for (const QString& f : c.inputs) c.inputBytes += QFileInfo(f).size();
    return true;
}

void removeInputs(const JoinCase& c)
{
    // The encoding cases share theirs up to the last.
    if (c.kind == CaseKind::Encode && c.output != "mp3") return;
    for (const QString& f : c.inputs) QFile::remove(f);
}

PeerRun soxRun(const JoinCase& c, const QString& out)
{
    PeerRun r{"sox", "sox", {}, {}};
    switch (c.kind) {
    case CaseKind::SameFormat:
    case CaseKind::Short:
    case CaseKind::Mp3:  // all 44100 Hz stereo: sox decodes and concatenates
        r.args = c.inputs;
        r.args << "-b" << "16" << out;
        break;
    case CaseKind::Mixed:
        // sox concatenates only inputs of one rate and channel count.
        r.name = "sox (|sox per input)";
        for (const QString& in : c.inputs)
            r.args << QString("|sox \"%1\" -p rate 44100 channels 2").arg(in);
        r.args << "-b" << "16" << out;
        break;
    case CaseKind::LowRate:
        r.args = c.inputs;
        r.args << "-r" << "44100" << "-c" << "2" << "-b" << "16" << out;
        break;
    case CaseKind::Encode:
        return {};  // ffmpeg is the peer here
    }
    return r;
}

PeerRun ffmpegRun(const JoinCase& c, const QString& out, const QString& list)
{
    PeerRun r{"ffmpeg concat -c copy", "ffmpeg", {"-nostdin", "-v", "error", "-y"}, {}};
    const QStringList toCd{"-c:a", "pcm_s16le", "-ar", "44100", "-ac", "2"};
    if (c.kind == CaseKind::Mixed || c.kind == CaseKind::Encode) {
        r.name = "ffmpeg concat filter";
        // The encoder's own rate and sample format, as tamsel-join writes.
        const QString rate = c.output == "opus" ? "48000" : "44100";
        const QString format = c.output == "flac" ? "s16" : c.output == "wav" ? "s16" : "flt";
        QString graph;
        for (int i = 0; i < c.inputs.size(); ++i) {
            r.args << "-i" << c.inputs[i];
            graph += QString("[%1:a]aresample=%2,aformat=sample_fmts=%3:channel_layouts=stereo[a%1];")
                         .arg(i).arg(rate, format);
        }
        for (int i = 0; i < c.inputs.size(); ++i) graph += QString("[a%1]").arg(i);
        graph += QString("concat=n=%1:v=0:a=1[out]").arg(c.inputs.size());
        r.args << "-filter_complex" << graph << "-map" << "[out]";
        if (c.output == "flac") r.args << "-c:a" << "flac";
        // The complexity tamsel-join's Opus writer uses.
        else if (c.output == "opus") r.args << "-c:a" << "libopus" << "-b:a" << "96k" << "-compression_level" << "6";
        else if (c.output == "mp3") r.args << "-c:a" << "libmp3lame" << "-q:a" << "2";
        else r.args << "-c:a" << "pcm_s16le";
        r.args << out;
        return r;
    }
    QFile file(list);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        for (const QString& in : c.inputs) file.write(("file '" + in + "'\n").toUtf8());
    r.args << "-f" << "concat" << "-safe" << "0" << "-i" << list;
    if (c.kind == CaseKind::SameFormat || c.kind == CaseKind::Short) {
        r.args << "-c" << "copy" << out;
    } else {
        r.name = "ffmpeg concat to s16";
        r.args << toCd << out;
    }
    return r;
}

PeerRun copyRun(const JoinCase& c, const QString& out) { return {"cat (byte copy)", "cat", c.inputs, out}; }

}  // namespace bench
