#include "components/kissfft/LevelDynamics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

LevelDynamics make(int bars = 3, int hold = 200, int release = 20, float step = 0.1f)
{
    LevelDynamics d;
    d.setBarCount(bars);
    d.setTickTiming(hold, release);
    d.setTickStep(step);
    return d;
}

}  // namespace

TEST(LevelDynamics, BarsRiseAtOnceAndFallLinearly)
{
    auto d = make();
    d.feed({0.9f, 0.3f, 0.0f}, 1000);
    EXPECT_FLOAT_EQ(d.level(0, 1000), 0.9f);
    EXPECT_FLOAT_EQ(d.level(1, 1000), 0.3f);
    EXPECT_FLOAT_EQ(d.level(2, 1000), 0.0f);

    const float perMs = 1.0f / float(LevelDynamics::kBarFallMs);
    EXPECT_NEAR(d.level(0, 1300), 0.9f - 300 * perMs, 1e-6f);
    EXPECT_FLOAT_EQ(d.level(1, 1000 + LevelDynamics::kBarFallMs), 0.0f);  // never below zero

    // A lower level does not pull a falling bar down; a higher one lifts it.
    d.feed({0.1f, 0.8f, 0.0f}, 1300);
    EXPECT_NEAR(d.level(0, 1300), 0.9f - 300 * perMs, 1e-6f);
    EXPECT_FLOAT_EQ(d.level(1, 1300), 0.8f);
    EXPECT_NEAR(d.level(1, 1400), 0.8f - 100 * perMs, 1e-6f);
}

TEST(LevelDynamics, TicksHoldThenFallStepByStep)
{
    auto d = make(3, 200, 20, 0.02f);
    d.feed({1.0f, 0.0f, 0.0f}, 0);
    d.feed({0.0f, 0.0f, 0.0f}, 10);  // the bar starts to fall, the tick stays
    EXPECT_FLOAT_EQ(d.peak(0, 0), 1.0f);
    EXPECT_FLOAT_EQ(d.peak(0, 199), 1.0f);
    EXPECT_FLOAT_EQ(d.peak(0, 219), 1.0f);
    EXPECT_NEAR(d.peak(0, 220), 0.98f, 1e-6f);
    EXPECT_NEAR(d.peak(0, 260), 0.94f, 1e-6f);
    EXPECT_NEAR(d.peak(0, 600), 0.60f, 1e-6f);
    EXPECT_LT(d.level(0, 600), d.peak(0, 600));  // the tick floats above its falling bar
    EXPECT_FLOAT_EQ(d.peak(1, 600), 0.0f);       // bars that never lit have no tick
    EXPECT_FALSE(d.idle(1100));
    EXPECT_FLOAT_EQ(d.peak(0, 1300), 0.0f);
    EXPECT_TRUE(d.idle(1300));
}

TEST(LevelDynamics, TickRidesABarThatFallsSlowerThanIt)
{
    auto d = make(1, 0, 1, 0.5f);  // a tick that would be gone after 2 ms
    d.feed({0.9f}, 0);
    EXPECT_NEAR(d.peak(0, 100), 0.8f, 1e-6f);
    EXPECT_NEAR(d.peak(0, 100), d.level(0, 100), 1e-6f);
}

TEST(LevelDynamics, ReachingTheTickRestartsItsHold)
{
    auto d = make(1, 200, 20, 0.05f);
    d.feed({0.6f}, 0);
    d.feed({0.6f}, 150);                    // the same level again
    EXPECT_FLOAT_EQ(d.peak(0, 340), 0.6f);  // held 200 ms from the refresh, not from 0
    EXPECT_NEAR(d.peak(0, 400), 0.5f, 1e-6f);  // two steps after the hold
    d.feed({0.55f}, 400);                   // above the falling tick: it jumps up and holds
    EXPECT_FLOAT_EQ(d.peak(0, 619), 0.55f);
    EXPECT_NEAR(d.peak(0, 620), 0.5f, 1e-6f);
}

TEST(LevelDynamics, ZeroReleaseDropsTheTickOntoItsBar)
{
    auto d = make(1, 100, 0);
    d.feed({0.8f}, 0);
    EXPECT_FLOAT_EQ(d.peak(0, 99), 0.8f);
    EXPECT_FLOAT_EQ(d.peak(0, 100), d.level(0, 100));
}

TEST(LevelDynamics, ResizingAndClearingStartAfresh)
{
    auto d = make(2);
    d.feed({0.5f, 0.5f}, 0);
    d.setBarCount(4);
    EXPECT_EQ(d.barCount(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(d.peak(i, 0), 0.0f);
    d.feed({0.5f, 0.5f}, 0);  // fewer levels than bars: the rest stay
    EXPECT_FLOAT_EQ(d.level(1, 0), 0.5f);
    EXPECT_FLOAT_EQ(d.level(3, 0), 0.0f);
    d.clear();
    EXPECT_TRUE(d.idle(0));
    EXPECT_FLOAT_EQ(d.level(7, 0), 0.0f);  // out of range reads nothing
    EXPECT_FLOAT_EQ(d.peak(-1, 0), 0.0f);
}

TEST(LevelDynamics, BadInputIsClamped)
{
    auto d = make(3);
    d.feed({2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}, 0);
    EXPECT_FLOAT_EQ(d.level(0, 0), 1.0f);
    EXPECT_FLOAT_EQ(d.level(1, 0), 0.0f);
    EXPECT_FLOAT_EQ(d.level(2, 0), 0.0f);
    d.setTickStep(0);  // ignored
    EXPECT_FLOAT_EQ(d.tickStep(), 0.1f);
}
