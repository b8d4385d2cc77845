#include "e2e/SilenceE2eSupport.h"

#include "config/ValueTables.h"
#include "e2e/OutsideChecks.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace e2e {

namespace {

template <typename T, size_t N>
int positionOf(const std::array<T, N>& table, T value)
{
    const auto* at = std::find(table.begin(), table.end(), value);
    return at == table.end() ? -1 : int(at - table.begin());
}

}  // namespace

int serverRate()
{
    // "0	tamsel_null	module-null-sink.c	s16le 2ch 44100Hz	IDLE"
    const QRegularExpression sink(R"(\ttamsel_null\t.*\s(\d+)Hz)");
    const QString sinks = testsupport::runPeer("pactl", {"list", "short", "sinks"});
    const QRegularExpressionMatch m = sink.match(sinks);
    if (!m.hasMatch()) ADD_FAILURE() << "the sound server has no sink tamsel_null: " << sinks.toStdString();
    return m.hasMatch() ? m.captured(1).toInt() : 44100;
}

QString wavSettingsAt(int rate)
{
    const int frequency = positionOf(ValueTables::SampleRates, rate);
    EXPECT_GE(frequency, 0) << "the settings window offers no rate of " << rate << " Hz";
    return QStringLiteral("[wav]\nmode=2\nbit=%1\nchannel=1\nfrequency=%2\n")
        .arg(positionOf(ValueTables::BitDepths, 16))
        .arg(frequency);
}

void makeBursts(const QString& file, int rate, double lead, const std::vector<Burst>& bursts)
{
    QTemporaryDir dir;
    QStringList parts;
    for (size_t i = 0; i < bursts.size(); ++i) {
        const Burst& b = bursts[i];
        parts << dir.filePath(QStringLiteral("burst%1.wav").arg(i));
        testsupport::runPeer("sox", {"-n", "-r", QString::number(rate), "-c", "2", "-b", "16", "-D", parts.last(),
                                     "synth", QString::number(b.seconds), "sine", QString::number(b.hz), "gain",
                                     "-12", "pad", QString::number(i == 0 ? lead : 0.0),
                                     QString::number(b.silenceAfter)});
    }
    testsupport::runPeer("sox", QStringList{"-D"} + parts + QStringList{file});
}

void startPlaying(QProcess& player, const QString& file)
{
    player.start("paplay", {file});
    ASSERT_TRUE(player.waitForStarted(10000)) << "paplay did not start";
}

LoudSpan loudSpan(const std::vector<int16_t>& samples, int channels, int level)
{
    LoudSpan span;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(int(samples[i])) < level) continue;
        const int64_t frame = int64_t(i) / channels;
        if (span.first < 0) span.first = frame;
        span.last = frame;
    }
    return span;
}

std::vector<int16_t> asShorts(const std::vector<float>& samples)
{
    std::vector<int16_t> shorts(samples.size());
    std::transform(samples.begin(), samples.end(), shorts.begin(), [](float x) {
        return int16_t(std::lrint(std::clamp(double(x) * 32768.0, -32768.0, 32767.0)));
    });
    return shorts;
}

int64_t findExact(const std::vector<int16_t>& hay, const std::vector<int16_t>& needle, int64_t from)
{
    if (from < 0 || from > int64_t(hay.size())) return -1;
    const auto at = std::search(hay.begin() + from, hay.end(), needle.begin(), needle.end());
    return at == hay.end() ? -1 : int64_t(at - hay.begin());
}

}  // namespace e2e
