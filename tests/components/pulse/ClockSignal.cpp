#include "ClockSignal.h"

#include <QFile>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace pulsetest {

namespace {

constexpr double kLevel = 0.9;
// The level of a clock frame: 16-bit rounding and resampling stay far inside.
constexpr double kLevelTolerance = 4.0 / 32768;
// How far a step may stray from its place before it counts as a break: 16-bit
// rounding moves it by a third of a step, resampling by less; anything lost
// or repeated moves it by hundreds.
constexpr double kStepTolerance = 2;
// Frames heard on both sides that must agree before a frame is judged: the
// smeared frames around a cut do not.
constexpr int kSettle = 3;

double stepOf(qint64 frame) { return 2 * std::numbers::pi * double(frame % kClockPeriod) / kClockPeriod; }

int wrapped(double step)
{
    const long s = std::lround(step) % kClockPeriod;
    return static_cast<int>(s < 0 ? s + kClockPeriod : s);
}

}  // namespace

std::vector<float> makeClock(qint64 frames, int firstStep)
{
    std::vector<float> out(static_cast<size_t>(frames) * 2);
    for (qint64 i = 0; i < frames; ++i) {
        const double angle = stepOf(firstStep + i);
        out[static_cast<size_t>(2 * i)] = static_cast<float>(kLevel * std::sin(angle));
        out[static_cast<size_t>(2 * i + 1)] = static_cast<float>(kLevel * std::cos(angle));
    }
    return out;
}

void writeClockRaw(const QString& file, qint64 frames)
{
    const std::vector<float> clock = makeClock(frames);
    QByteArray data(static_cast<qsizetype>(clock.size() * 2), Qt::Uninitialized);
    auto* p = reinterpret_cast<uchar*>(data.data());
    for (size_t i = 0; i < clock.size(); ++i)
        qToLittleEndian<qint16>(static_cast<qint16>(std::lround(clock[i] * 32768)), p + 2 * i);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

bool onClock(const float* frame)
{
    return std::fabs(std::hypot(double(frame[0]), double(frame[1])) - kLevel) < kLevelTolerance;
}

double clockStep(const float* frame)
{
    const double step = std::atan2(double(frame[0]), double(frame[1])) / (2 * std::numbers::pi) * kClockPeriod;
    return step < 0 ? step + kClockPeriod : step;
}

double stepsApart(double steps) { return std::remainder(steps, double(kClockPeriod)); }

ClockScan scanClock(const std::vector<float>& samples)
{
    // Each frame heard, as the step the clock had at the first frame heard
    // if it had run on without a break: constant along a stretch.
    std::vector<double> origins;
    for (size_t i = 0; i + 1 < samples.size(); i += 2)
        if (onClock(&samples[i])) origins.push_back(clockStep(&samples[i]) - double(origins.size()));
    const auto n = static_cast<qint64>(origins.size());
    auto agrees = [&](qint64 a, qint64 b) { return std::fabs(stepsApart(origins[a] - origins[b])) <= kStepTolerance; };
    auto settled = [&](qint64 i) {
        for (qint64 k = std::max<qint64>(0, i - kSettle); k <= std::min(n - 1, i + kSettle); ++k)
            if (!agrees(i, k)) return false;
        return true;
    };

    ClockScan scan;
    scan.heard = n;
    qint64 previous = -1;  // the last settled frame
    for (qint64 i = 0; i < n; ++i) {
        if (!settled(i)) continue;
        if (previous < 0) {
            scan.firstStep = wrapped(origins[i]);
            scan.segments.push_back(i);
        } else if (!agrees(i, previous)) {
            // The smeared frames since the last settled one count to the stretch before.
            scan.jumps.push_back(wrapped(stepsApart(origins[i] - origins[previous])));
            scan.stepsAfterBreak.push_back(wrapped(origins[i] + double(i)));
            scan.segments.push_back(0);
        }
        ++scan.segments.back();
        previous = i;
    }
    if (previous >= 0) {
        scan.segments.back() += n - 1 - previous;
        scan.lastStep = wrapped(origins[previous] + double(n - 1));
    }
    return scan;
}

qint64 findStep(const std::vector<float>& recording, double step, qint64 near)
{
    const auto frames = static_cast<qint64>(recording.size()) / 2;
    auto at = [&](qint64 k) { return &recording[static_cast<size_t>(2 * k)]; };
    // The first frame from near on that runs on with its neighbours tells
    // where step lies.
    for (qint64 k = std::max<qint64>(near, 0); k + kSettle < frames && k < near + kClockPeriod / 4; ++k) {
        bool runs = onClock(at(k));
        for (int j = 1; runs && j <= kSettle; ++j)
            runs = onClock(at(k + j))
                   && std::fabs(stepsApart(clockStep(at(k + j)) - clockStep(at(k)) - j)) <= kStepTolerance;
        if (runs) return k + std::lround(stepsApart(step - clockStep(at(k))));
    }
    return -1;
}

}  // namespace pulsetest
