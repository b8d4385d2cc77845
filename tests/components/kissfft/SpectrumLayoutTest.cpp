#include "components/kissfft/SpectrumLayout.h"

#include <gtest/gtest.h>

namespace {

SpectrumLayout::Params params(QRect area, int bars = 17)
{
    SpectrumLayout::Params p;
    p.area = area;
    p.bars = bars;
    return p;
}

}  // namespace

TEST(SpectrumLayout, BarsFillTheWidthWithoutOverlap)
{
    for (int bars : {1, 17, 32}) {
        const SpectrumLayout l(params(QRect(0, 0, 115, 81), bars));
        EXPECT_EQ(l.column(bars - 1).right(), 114) << bars;
        for (int i = 1; i < bars; ++i)
            EXPECT_EQ(l.column(i).left() - l.column(i - 1).right(), 2) << bars << " " << i;
    }
    // More bars than pixels: none overlap or escape.
    const SpectrumLayout crowded(params(QRect(0, 0, 20, 81), 40));
    for (int i = 0; i < 40; ++i) EXPECT_LE(crowded.column(i).right(), 19);
    EXPECT_TRUE(crowded.column(40).isNull());
}

TEST(SpectrumLayout, SegmentsZonesAndLitCount)
{
    const SpectrumLayout l(params(QRect(3, 4, 115, 81)));
    ASSERT_EQ(l.segmentCount(), 27);
    EXPECT_EQ(l.segment(0, 0).bottom(), 4 + 80);
    EXPECT_TRUE(l.segment(0, 27).isNull());
    // Zones rise from the bottom, the top 60/256 high and the next 40/256 mid.
    int counts[3] = {0, 0, 0};
    for (int s = 0; s < l.segmentCount(); ++s) ++counts[l.zoneOfSegment(s)];
    EXPECT_EQ(counts[SpectrumLayout::High], 6);
    EXPECT_EQ(counts[SpectrumLayout::Mid], 5);
    for (int s = 1; s < l.segmentCount(); ++s) EXPECT_GE(l.zoneOfSegment(s), l.zoneOfSegment(s - 1));

    EXPECT_EQ(l.litSegments(0.01f), 0);
    EXPECT_EQ(l.litSegments(0.5f), 14);
    EXPECT_EQ(l.litSegments(5.0f), 27);
    EXPECT_EQ(l.litSegments(-1.0f), 0);
    EXPECT_EQ(SpectrumLayout(params(QRect())).litSegments(1.0f), 0);
}
