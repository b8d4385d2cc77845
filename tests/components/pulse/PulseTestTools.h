#pragma once
// Tools for the sound-server tests: peers that play into or record from the
// private server's null sink, a ramp signal whose every frame is recognisable
// after a trip through the server, and a second, short-lived private server
// for the tests that make the server go away.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
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

// The ramp: left channel steps by one 16-bit step per frame (wrapping), the
// right channel holds a marker, so silence and the ramp are told apart and
// the server passes both unchanged at 44100 Hz stereo.
constexpr float kMarker = 1000.0f / 32768.0f;
std::vector<float> makeRamp(qint64 frames, int firstStep = 0);
// The ramp as signed 16-bit little-endian raw data for pacat.
void writeRampRaw(const QString& file, qint64 frames);

struct RampScan {
    qint64 marked = 0;           // frames carrying the marker
    std::vector<int> jumps;      // ramp frames skipped at each break (mod 65536)
    bool exact = true;           // every marked sample is an exact ramp step
    int firstStep = 0;           // ramp step of the first marked frame
    std::vector<int> stepsAfterBreak;
    std::vector<qint64> segments;  // marked frames between breaks
};
RampScan scanRamp(const std::vector<float>& interleavedStereo);

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
    explicit MonitorRecorder(const QString& file);
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

// A private server of its own, for tests that stop and restart it; points
// PULSE_SERVER at it for its lifetime.
class OwnServer {
public:
    OwnServer();
    ~OwnServer();
    void start();
    void stop();

private:
    QTemporaryDir dir_;
    QByteArray savedServer_;
    bool running_ = false;
};

}  // namespace pulsetest
