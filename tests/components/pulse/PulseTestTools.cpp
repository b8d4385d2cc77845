#include "PulseTestTools.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>

namespace pulsetest {

QString pactl(const QStringList& args) { return testsupport::runPeer("pactl", args, 10000); }

void restoreDefaultSource() { pactl({"set-default-source", "tamsel_null.monitor"}); }

bool waitForStreams(const QString& kind, int count, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            const QString out = pactl({"list", "short", kind}).trimmed();
            return (out.isEmpty() ? 0 : out.split('\n').size()) >= count;
        },
        timeoutMs);
}

std::vector<float> makeRamp(qint64 frames, int firstStep)
{
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    for (qint64 i = 0; i < frames; ++i) {
        const int step = static_cast<int>((firstStep + i) % 65536);
        out[static_cast<size_t>(2 * i)] = static_cast<float>(step - 32768) / 32768.0f;
        out[static_cast<size_t>(2 * i + 1)] = kMarker;
    }
    return out;
}

void writeRampRaw(const QString& file, qint64 frames)
{
    QByteArray data(static_cast<qsizetype>(frames * 4), Qt::Uninitialized);
    auto* p = reinterpret_cast<uchar*>(data.data());
    for (qint64 i = 0; i < frames; ++i) {
        qToLittleEndian<qint16>(static_cast<qint16>(i % 65536 - 32768), p + 4 * i);
        qToLittleEndian<qint16>(1000, p + 4 * i + 2);
    }
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

RampScan scanRamp(const std::vector<float>& samples)
{
    RampScan scan;
    int previous = -1;
    for (size_t i = 0; i + 1 < samples.size(); i += 2) {
        if (samples[i + 1] != kMarker) continue;
        const float scaled = samples[i] * 32768.0f;
        if (scaled != std::round(scaled)) scan.exact = false;
        const int step = (static_cast<int>(std::lround(scaled)) + 32768) & 0xffff;
        if (previous < 0) {
            scan.firstStep = step;
        } else if (((step - previous) & 0xffff) != 1) {
            scan.jumps.push_back((step - previous - 1) & 0xffff);
            scan.stepsAfterBreak.push_back(step);
            scan.segments.push_back(0);
        }
        if (scan.segments.empty()) scan.segments.push_back(0);
        ++scan.segments.back();
        previous = step;
        ++scan.marked;
    }
    return scan;
}

Peer::Peer(const QString& program, const QStringList& args, const QString& outputFile)
{
    if (!outputFile.isEmpty()) process_.setStandardOutputFile(outputFile);
    process_.start(program, args);
    if (!process_.waitForStarted(10000)) ADD_FAILURE() << "cannot start " << program.toStdString();
}

Peer::~Peer() { stop(); }

void Peer::stop()
{
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

MonitorRecorder::MonitorRecorder(const QString& file)
    : file_(file),
      // A short latency hands audio over before a stopping stream makes the
      // null sink rewind it away; the price is that the monitor misses the
      // first few milliseconds of each newly started stream.
      peer_("parec", {"--raw", "--format=float32le", "--rate=44100", "--channels=2", "--latency-msec=20",
                      "-d", "tamsel_null.monitor"},
            file)
{
}

qint64 MonitorRecorder::frames() const { return QFileInfo(file_).size() / 8; }

bool MonitorRecorder::waitForData(int timeoutMs)
{
    return QTest::qWaitFor([&] { return frames() > 0; }, timeoutMs);
}

bool MonitorRecorder::waitForMore(qint64 more, int timeoutMs)
{
    const qint64 target = frames() + more;
    return QTest::qWaitFor([&] { return frames() >= target; }, timeoutMs);
}

std::vector<float> MonitorRecorder::stopAndRead()
{
    peer_.stop();
    QFile f(file_);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = f.readAll();
    std::vector<float> out(static_cast<size_t>(data.size()) / 8 * 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = qFromLittleEndian<float>(data.constData() + 4 * i);
    return out;
}

OwnServer::OwnServer() : savedServer_(qgetenv("PULSE_SERVER")) {}

OwnServer::~OwnServer()
{
    stop();
    qputenv("PULSE_SERVER", savedServer_);
}

void OwnServer::start()
{
    const QString script = QStringLiteral(TAMSEL_SOURCE_DIR "/scripts/pulse-private");
    const QString server = testsupport::runPeer("bash", {script, "start", dir_.path() + "/srv"}).trimmed();
    qputenv("PULSE_SERVER", server.section('\n', -1).toUtf8());
    running_ = true;
}

void OwnServer::stop()
{
    if (!running_) return;
    const QString script = QStringLiteral(TAMSEL_SOURCE_DIR "/scripts/pulse-private");
    testsupport::runPeer("bash", {script, "stop", dir_.path() + "/srv"});
    running_ = false;
}

}  // namespace pulsetest
