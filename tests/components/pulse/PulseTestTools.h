#pragma once
// Tools for the sound-server tests: peers that play into or record from the
// private server's null sink, the time its monitor heard each frame, and the
// restart of the server under test for the tests that make it go away.

#include "ClockSignal.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace pulsetest {

constexpr int kRate = 44100;

// pactl against the server PULSE_SERVER names; fails the test on error.
QString pactl(const QStringList& args);
// Makes the null sink's monitor the default source again.
void restoreDefaultSource();
// Waits while running the event loop until a stream of the given kind
// ("sink-inputs", "source-outputs") exists on the server.
bool waitForStreams(const QString& kind, int count, int timeoutMs = 5000);

// A peer program that runs until stopped (pacat, paplay, parec).
class Peer {
public:
    Peer(const QString& program, const QStringList& args, const QString& outputFile = {});
    ~Peer();
    void stop();

private:
    QProcess process_;
};

// Records the null sink's monitor as raw float stereo into a file. It may
// miss up to kStartLoss frames at the start of each new playback stream.
constexpr int kStartLoss = 2205;
class MonitorRecorder {
public:
    // At `rate`: the server's own, so that nothing is resampled.
    explicit MonitorRecorder(const QString& file, int rate = 44100);
    // Waits until audio is flowing into the file (the monitor starts late).
    bool waitForData(int timeoutMs = 8000);
    // Waits until the file has grown by the given number of frames.
    bool waitForMore(qint64 frames, int timeoutMs = 8000);
    std::vector<float> stopAndRead();

private:
    qint64 frames() const;
    QString file_;
    Peer peer_;
};

// parec on the null sink's monitor (float stereo at 44100 Hz, 10 ms
// fragments), read by a thread of its own that notes when each piece
// arrives, so that the time a frame was captured is known to a few
// milliseconds whatever the test's own thread is doing.
class ClockedMonitor {
public:
    ClockedMonitor();
    ~ClockedMonitor();
    // Steady-clock nanoseconds, the clock of the capture times.
    static qint64 now();
    bool waitForData(int timeoutMs = 8000);
    // Stops parec; everything it delivered, interleaved stereo.
    std::vector<float> stop();
    // When the frame (an index into what stop() returned) was captured: its
    // piece's arrival less the frames that followed it in that piece.
    qint64 capturedAt(qint64 frame) const;
    // The last frame that had arrived by time t.
    qint64 frameAt(qint64 t) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The sound server under test, stopped and started again by the script that
// started it (scripts/pulse-private or scripts/pipewire-private), under the
// same address. Tests that make the server go away use it.
class ServerUnderTest {
public:
    ServerUnderTest();
    ~ServerUnderTest();
    // Why the server cannot be restarted (not started by one of the scripts);
    // empty when it can.
    QString unavailable() const { return why_; }
    void stop();
    void start();

private:
    void run(const QString& command);
    QString script_, dir_, why_;
    bool stopped_ = false;
};

}  // namespace pulsetest
