#pragma once
// Helpers shared by the tests: scratch folders, peer programs (sox, ffmpeg,
// ffprobe) and the private sound server that scripts/test starts.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testsupport {

// Runs a peer program to completion; fails the current test (and throws) when
// it cannot start or exits non-zero. Returns its standard output.
QString runPeer(const QString& program, const QStringList& args, int timeoutMs = 60000);

// ffprobe -show_streams -show_format as JSON: {"streams":[...],"format":{...}}.
QJsonObject probe(const QString& file);
// The first audio stream of probe(file).
QJsonObject probeAudioStream(const QString& file);

// sox "stat" figures of a file (e.g. "Rough   frequency", "RMS     amplitude").
double soxStat(const QString& file, const QString& key);

// Makes a test tone with sox: frequency Hz, seconds, rate, channels, and extra
// output options placed before the file name (e.g. {"-b","24"}).
void makeTone(const QString& file, double hz, double seconds, int rate, int channels,
              const QStringList& outputOptions = {});

// True when a private sound server is available (PULSE_SERVER set). When
// TAMSEL_REQUIRE_PULSE is set, its absence is a failure, not a skip.
bool pulseAvailable();

}  // namespace testsupport

// Skips the test (or fails it under scripts/test) without a sound server.
#define REQUIRE_PULSE()                                                              \
    do {                                                                             \
        if (!testsupport::pulseAvailable()) GTEST_SKIP() << "no private sound server"; \
    } while (0)
