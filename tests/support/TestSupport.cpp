#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <csignal>
#include <stdexcept>

namespace testsupport {

QString runPeer(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        ADD_FAILURE() << "cannot start " << program.toStdString();
        throw std::runtime_error("peer did not start");
    }
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit
        || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " " << args.join(' ').toStdString()
                      << " failed: " << p.readAllStandardError().toStdString();
        p.kill();
        throw std::runtime_error("peer failed");
    }
    const QString err = QString::fromUtf8(p.readAllStandardError());
    // sox prints "stat" figures on stderr; keep both streams available.
    return QString::fromUtf8(p.readAllStandardOutput()) + err;
}

bool interruptOnceReady(QProcess& process, const QString& program, const QStringList& args,
                        const std::function<bool()>& ready)
{
    process.start(program, args);
    if (!process.waitForStarted()) return false;
    QElapsedTimer waited;
    waited.start();
    while (!ready() && waited.elapsed() < 60000 && process.state() == QProcess::Running) process.waitForFinished(5);
    if (process.state() != QProcess::Running) return false;
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    return process.waitForFinished(30000);
}

QJsonObject probe(const QString& file)
{
    QProcess p;
    p.start("ffprobe", {"-v", "error", "-print_format", "json", "-show_streams", "-show_format",
                        "-count_packets", file});
    p.waitForFinished(60000);
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QJsonObject probeAudioStream(const QString& file)
{
    const QJsonArray streams = probe(file).value("streams").toArray();
    for (const auto& s : streams)
        if (s.toObject().value("codec_type").toString() == "audio") return s.toObject();
    return {};
}

QString tagOf(const QString& file, const QString& key)
{
    const QJsonObject probed = probe(file);
    for (const QJsonObject& tags : {probed.value("format").toObject().value("tags").toObject(),
                                    probeAudioStream(file).value("tags").toObject()})
        for (auto it = tags.begin(); it != tags.end(); ++it)
            if (it.key().compare(key, Qt::CaseInsensitive) == 0) return it.value().toString();
    return {};
}

double soxStat(const QString& file, const QString& key)
{
    QProcess p;
    p.start("sox", {file, "-n", "stat"});
    p.waitForFinished(60000);
    const QString out = QString::fromUtf8(p.readAllStandardError());
    for (const QString& line : out.split('\n')) {
        if (line.startsWith(key)) {
            const QString value = line.section(':', 1).trimmed();
            bool ok = false;
            const double d = value.toDouble(&ok);
            if (ok) return d;
        }
    }
    ADD_FAILURE() << "sox stat has no " << key.toStdString() << " for " << file.toStdString()
                  << ": " << out.toStdString();
    return -1;
}

void makeTone(const QString& file, double hz, double seconds, int rate, int channels,
              const QStringList& outputOptions)
{
    QStringList args{"-n", "-r", QString::number(rate), "-c", QString::number(channels)};
    args += outputOptions;
    args += {file, "synth", QString::number(seconds), "sine", QString::number(hz), "vol", "0.5"};
    runPeer("sox", args);
}

QString pulseMissing()
{
    const QString server = qEnvironmentVariable("PULSE_SERVER");
    if (server.isEmpty())
        return QStringLiteral("no private sound server: PULSE_SERVER is not set "
                              "(scripts/test starts one with scripts/pulse-private)");
    QProcess p;
    p.start("pactl", {"info"});
    if (!p.waitForStarted(10000)) return QStringLiteral("cannot ask the sound server: pactl does not start");
    if (!p.waitForFinished(10000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished(1000);
        return QStringLiteral("the private sound server PULSE_SERVER=%1 does not answer: %2")
            .arg(server, QString::fromUtf8(p.readAllStandardError()).trimmed());
    }
    return {};
}

bool pulseAvailable() { return pulseMissing().isEmpty(); }

bool pulseRequired()
{
    return !qEnvironmentVariableIsEmpty("TAMSEL_REQUIRE_PULSE") || !qEnvironmentVariableIsEmpty("PULSE_SERVER");
}

QString soundServerName()
{
    const QRegularExpression name(QStringLiteral("^Server Name: (.*)$"), QRegularExpression::MultilineOption);
    return name.match(runPeer("pactl", {"info"})).captured(1).trimmed();
}

TestSource::TestSource(const QString& name, const QString& description)
{
    QStringList args{"load-module"};
    if (soundServerName().contains("PipeWire"))
        args << "module-null-sink" << "media.class=Audio/Source/Virtual" << "sink_name=" + name
             << "sink_properties=device.description=" + description;
    else
        args << "module-null-source" << "source_name=" + name << "description=" + description;
    module_ = runPeer("pactl", args << "channels=2").trimmed();
    // PipeWire's session manager shows the new source a moment later.
    const bool shown =
        QTest::qWaitFor([&] { return runPeer("pactl", {"list", "short", "sources"}).contains(name); }, 5000);
    if (!shown) ADD_FAILURE() << "the source " << name.toStdString() << " did not appear";
}

TestSource::~TestSource()
{
    QProcess::execute("pactl", {"set-default-source", "tamsel_null.monitor"});
    QProcess::execute("pactl", {"unload-module", module_});
}

}  // namespace testsupport
