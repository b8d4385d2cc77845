#pragma once
// Helpers shared by the tests: scratch folders, peer programs (sox, ffmpeg,
// ffprobe) and the private sound server that scripts/test starts.

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>

namespace testsupport {

// Runs a peer program to completion; fails the current test (and throws) when
// it cannot start or exits non-zero. Returns its standard output.
QString runPeer(const QString& program, const QStringList& args, int timeoutMs = 60000);

// Starts program and sends it SIGINT once ready() holds, then waits for it to
// end; false when it ended or a minute passed before ready() held.
bool interruptOnceReady(QProcess& process, const QString& program, const QStringList& args,
                        const std::function<bool()>& ready);

// ffprobe -show_streams -show_format as JSON: {"streams":[...],"format":{...}}.
QJsonObject probe(const QString& file);
// The first audio stream of probe(file).
QJsonObject probeAudioStream(const QString& file);
// A tag as ffprobe reads it from the container's or the stream's tags, any
// case of key; empty when there is none.
QString tagOf(const QString& file, const QString& key);

// sox "stat" figures of a file (e.g. "Rough   frequency", "RMS     amplitude").
double soxStat(const QString& file, const QString& key);

// Makes a test tone with sox: frequency Hz, seconds, rate, channels, and extra
// output options placed before the file name (e.g. {"-b","24"}).
void makeTone(const QString& file, double hz, double seconds, int rate, int channels,
              const QStringList& outputOptions = {});

// Why the private sound server cannot be used (PULSE_SERVER unset, or naming
// a server that does not answer); empty when it answers.
QString pulseMissing();
// True when the private sound server answers.
bool pulseAvailable();
// A missing server fails the test, not skips it: under scripts/test
// (TAMSEL_REQUIRE_PULSE), and whenever PULSE_SERVER names one.
bool pulseRequired();

// The sound server's name as it gives it: "pulseaudio", "PulseAudio (on
// PipeWire 0.3.65)".
QString soundServerName();

// A second source on the sound server, made the way the server offers one
// (PulseAudio: module-null-source; pipewire-pulse: a null sink of the class
// Audio/Source/Virtual); removed again, the null sink's monitor the default.
class TestSource {
public:
    TestSource(const QString& name, const QString& description);
    ~TestSource();
    TestSource(const TestSource&) = delete;
    TestSource& operator=(const TestSource&) = delete;

private:
    QString module_;
};

}  // namespace testsupport

// Skips the test without a sound server, or fails it where one is required.
// The failure is fatal, so that a test body that needs the server never runs.
#define REQUIRE_PULSE()                                                     \
    do {                                                                    \
        const QString pulseMissing_ = testsupport::pulseMissing();          \
        if (!pulseMissing_.isEmpty()) {                                     \
            if (testsupport::pulseRequired()) GTEST_FAIL() << pulseMissing_.toStdString(); \
            GTEST_SKIP() << pulseMissing_.toStdString();                    \
        }                                                                   \
    } while (0)
