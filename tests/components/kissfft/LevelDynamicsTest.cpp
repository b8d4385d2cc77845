#include "components/kissfft/LevelDynamics.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

LevelDynamics make(int bars, int hold, int release, float step)
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
    auto d = make(3, 200, 20, 0.1f);
    d.feed({0.9f, 0.3f, 0.0f}, 1000);
    EXPECT_FLOAT_EQ(d.level(0, 1000), 0.9f);
    EXPECT_FLOAT_EQ(d.level(1, 1000), 0.3f);

    const float perMs = 1.0f / float(LevelDynamics::kBarFallMs);
    EXPECT_NEAR(d.level(0, 1300), 0.9f - 300 * perMs, 1e-6f);
    EXPECT_FLOAT_EQ(d.level(1, 1000 + LevelDynamics::kBarFallMs), 0.0f);  // never below zero

    // A lower level does not pull a falling bar down; a higher one lifts it.
    d.feed({0.1f, 0.8f, 0.0f}, 1300);
    EXPECT_NEAR(d.level(0, 1300), 0.9f - 300 * perMs, 1e-6f);
    EXPECT_FLOAT_EQ(d.level(1, 1300), 0.8f);

    // Bad levels are clamped; out of range bars read nothing.
    d.feed({2.0f, -1.0f, std::numeric_limits<float>::quiet_NaN()}, 2000);
    EXPECT_FLOAT_EQ(d.level(0, 2000), 1.0f);
    EXPECT_FLOAT_EQ(d.level(2, 2000), 0.0f);
    EXPECT_FLOAT_EQ(d.level(7, 2000), 0.0f);
    EXPECT_FLOAT_EQ(d.peak(-1, 2000), 0.0f);
}

// Hold and fall of the ticks on their own: SpectrumDisplayTest.
TEST(LevelDynamics, UnlitBarsHaveNoTickAndAllSettleToIdle)
{
    auto d = make(3, 200, 20, 0.02f);
    d.feed({1.0f, 0.0f, 0.0f}, 0);
    d.feed({0.0f, 0.0f, 0.0f}, 10);
    EXPECT_LT(d.level(0, 600), d.peak(0, 600));  // the tick floats above its falling bar
    EXPECT_FLOAT_EQ(d.peak(1, 600), 0.0f);
    EXPECT_FALSE(d.idle(1100));
    EXPECT_TRUE(d.idle(1300));
}

TEST(LevelDynamics, TickHoldRestartsAndNeverFallsBelowItsBar)
{
    auto d = make(1, 200, 20, 0.05f);
    d.feed({0.6f}, 0);
    d.feed({0.6f}, 150);                       // the same level again
    EXPECT_FLOAT_EQ(d.peak(0, 340), 0.6f);     // held 200 ms from the refresh, not from 0
    EXPECT_NEAR(d.peak(0, 400), 0.5f, 1e-6f);  // two steps after the hold
    d.feed({0.55f}, 400);                      // above the falling tick: it jumps up and holds
    EXPECT_FLOAT_EQ(d.peak(0, 619), 0.55f);

    auto fast = make(1, 0, 1, 0.5f);  // a tick that would be gone after 2 ms rides its bar
    fast.feed({0.9f}, 0);
    EXPECT_NEAR(fast.peak(0, 100), fast.level(0, 100), 1e-6f);
    EXPECT_GT(fast.peak(0, 100), 0.7f);

    auto none = make(1, 100, 0, 0.1f);  // zero release drops the tick onto its bar
    none.feed({0.8f}, 0);
    EXPECT_FLOAT_EQ(none.peak(0, 99), 0.8f);
    EXPECT_FLOAT_EQ(none.peak(0, 100), none.level(0, 100));
}
