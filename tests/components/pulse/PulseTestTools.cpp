#include "PulseTestTools.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <mutex>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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

MonitorRecorder::MonitorRecorder(const QString& file, int rate)
    : file_(file),
      // A short latency hands audio over before a stopping stream makes the
      // null sink rewind it away; the price is that the monitor misses the
      // first few milliseconds of each newly started stream.
      peer_("parec", {"--raw", "--format=float32le", "--rate=" + QString::number(rate), "--channels=2", "--latency-msec=20",
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

struct ClockedMonitor::Private {
    pid_t pid = -1;
    int fd = -1;
    std::thread reader;
    mutable std::mutex mutex;
    std::vector<float> samples;
    std::vector<char> partial;  // bytes of a float not yet whole
    // After each piece: the frames delivered so far, and when.
    std::vector<std::pair<qint64, qint64>> arrivals;

    void read()
    {
        char buffer[16384];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got <= 0) return;
            const qint64 at = ClockedMonitor::now();
            std::lock_guard guard(mutex);
            partial.insert(partial.end(), buffer, buffer + got);
            const size_t whole = partial.size() / 8 * 8;
            const size_t first = samples.size();
            samples.resize(first + whole / 4);
            std::memcpy(samples.data() + first, partial.data(), whole);
            partial.erase(partial.begin(), partial.begin() + static_cast<ptrdiff_t>(whole));
            if (whole > 0) arrivals.emplace_back(static_cast<qint64>(samples.size() / 2), at);
        }
    }
};

ClockedMonitor::ClockedMonitor() : d(std::make_unique<Private>())
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "no pipe for parec";
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    const char* argv[] = {"parec", "--raw", "--format=float32le", "--rate=44100", "--channels=2",
                          "--latency-msec=10", "-d", "tamsel_null.monitor", nullptr};
    const int failed = posix_spawnp(&d->pid, "parec", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    d->fd = pipeFds[0];
    if (failed != 0) {
        d->pid = -1;
        ADD_FAILURE() << "cannot start parec";
        return;
    }
    d->reader = std::thread([p = d.get()] { p->read(); });
}

ClockedMonitor::~ClockedMonitor() { stop(); }

qint64 ClockedMonitor::now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool ClockedMonitor::waitForData(int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            std::lock_guard guard(d->mutex);
            return !d->samples.empty();
        },
        timeoutMs);
}

std::vector<float> ClockedMonitor::stop()
{
    if (d->pid > 0) {
        ::kill(d->pid, SIGTERM);
        ::waitpid(d->pid, nullptr, 0);
        d->pid = -1;
    }
    // parec gone, the pipe ends and the reader with it.
    if (d->reader.joinable()) d->reader.join();
    if (d->fd >= 0) ::close(d->fd);
    d->fd = -1;
    std::lock_guard guard(d->mutex);
    return d->samples;
}

qint64 ClockedMonitor::capturedAt(qint64 frame) const
{
    std::lock_guard guard(d->mutex);
    const auto piece = std::upper_bound(d->arrivals.begin(), d->arrivals.end(), frame,
                                        [](qint64 f, const auto& a) { return f < a.first; });
    if (piece == d->arrivals.end()) return std::numeric_limits<qint64>::max();
    return piece->second - (piece->first - 1 - frame) * 1'000'000'000 / kRate;
}

qint64 ClockedMonitor::frameAt(qint64 t) const
{
    std::lock_guard guard(d->mutex);
    const auto after = std::upper_bound(d->arrivals.begin(), d->arrivals.end(), t,
                                        [](qint64 time, const auto& a) { return time < a.second; });
    return after == d->arrivals.begin() ? 0 : std::prev(after)->first - 1;
}

ServerUnderTest::ServerUnderTest()
{
    // The scripts leave their own path in the folder that holds the server's
    // socket (PulseAudio) or one above it (pipewire-pulse).
    const QString address = qEnvironmentVariable("PULSE_SERVER");
    QDir dir = QFileInfo(address.section(':', 1)).dir();
    for (int up = 0; up < 2 && script_.isEmpty(); ++up, dir.cdUp()) {
        QFile marker(dir.filePath("tamsel-server-script"));
        if (marker.open(QIODevice::ReadOnly)) {
            script_ = QString::fromUtf8(marker.readAll()).trimmed();
            dir_ = dir.path();
        }
    }
    if (script_.isEmpty())
        why_ = QStringLiteral("the sound server %1 was not started by scripts/pulse-private or "
                              "scripts/pipewire-private, which can restart it")
                   .arg(address);
}

ServerUnderTest::~ServerUnderTest()
{
    if (!stopped_) return;
    try {
        start();
    } catch (const std::exception&) {
        // Already reported as the test's failure; the next test finds no server.
    }
}

void ServerUnderTest::run(const QString& command)
{
    testsupport::runPeer("bash", {script_, command, dir_}, 60000);
}

void ServerUnderTest::stop()
{
    run("stop");
    stopped_ = true;
}

void ServerUnderTest::start()
{
    run("start");
    stopped_ = false;
}

}  // namespace pulsetest
