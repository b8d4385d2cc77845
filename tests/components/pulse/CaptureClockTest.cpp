// Audio the server could not deliver, told from the pace audio arrives at.

#include "components/pulse/CaptureClock.h"

#include <gtest/gtest.h>

namespace {

constexpr int kRate = 48000;
constexpr qint64 kMs = 1000000;

// Feeds `count` 50 ms pieces at their pace, with the
// clock running `drift` faster than the audio; returns the frames reported missing.
qint64 feed(CaptureClock& clock, qint64& atNs, int count, double drift = 0)
{
    qint64 missing = 0;
    for (int i = 0; i < count; ++i) {
        atNs += qint64(50 * kMs * (1 + drift));
        missing += clock.arrived(atNs, kRate / 20);
    }
    return missing;
}

TEST(CaptureClock, AStallWhoseAudioTheServerKeptIsNoGapAndOneItDroppedIsItsLength)
{
    CaptureClock clock(kRate);
    qint64 at = 0;
    EXPECT_EQ(feed(clock, at, 40), 0);

    // Stopped 3 s, then the backlog arrives in a burst: nothing missing.
    at += 3000 * kMs;
    for (int i = 0; i < 60; ++i) EXPECT_EQ(clock.arrived(at + i * kMs, kRate / 20), 0);
    at += 60 * kMs;
    EXPECT_EQ(feed(clock, at, 40), 0);

    // Stopped 5 s of which the server kept 2 s: 3 s missing, told once.
    at += 5000 * kMs;
    for (int i = 0; i < 40; ++i) clock.arrived(at + i * kMs, kRate / 20);
    at += 40 * kMs;
    const qint64 missing = feed(clock, at, 40);
    EXPECT_NEAR(double(missing) / kRate, 3.0, 0.1);
    EXPECT_EQ(feed(clock, at, 40), 0);
}

TEST(CaptureClock, DriftBetweenTheClocksAndJitterAreNoGap)
{
    CaptureClock clock(kRate);
    qint64 at = 0;
    // An hour with the system clock 0.1 % ahead of the sound card's.
    EXPECT_EQ(feed(clock, at, 72000, 0.001), 0);
    // Pieces that come early and late by half a piece.
    for (int i = 0; i < 200; ++i) {
        at += (i % 2 ? 75 : 25) * kMs;
        EXPECT_EQ(clock.arrived(at, kRate / 20), 0) << i;
    }
}

}  // namespace
