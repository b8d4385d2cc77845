#include "components/kissfft/SpectrumLayout.h"

#include <gtest/gtest.h>

namespace {

SpectrumLayout::Params defaults(QRect area = QRect(0, 0, 115, 81), int bars = 17)
{
    SpectrumLayout::Params p;
    p.area = area;
    p.bars = bars;
    return p;
}

}  // namespace

TEST(SpectrumLayout, BarsFillTheWidthWithGapsBetween)
{
    for (int bars : {1, 5, 17, 32}) {
        const SpectrumLayout l(defaults(QRect(0, 0, 115, 81), bars));
        ASSERT_EQ(l.barCount(), bars);
        EXPECT_EQ(l.column(0).left(), 0);
        EXPECT_EQ(l.column(bars - 1).right(), 114) << bars;
        for (int i = 1; i < bars; ++i) {
            EXPECT_EQ(l.column(i).left() - l.column(i - 1).right() - 1, 1) << bars << " " << i;
            EXPECT_LE(std::abs(l.column(i).width() - l.column(0).width()), 1);
        }
    }
    // More bars than pixels: some have no width, none overlap or escape.
    const SpectrumLayout crowded(defaults(QRect(0, 0, 20, 81), 40));
    for (int i = 0; i < 40; ++i) EXPECT_LE(crowded.column(i).right(), 19);
    EXPECT_TRUE(crowded.column(40).isNull());
}

TEST(SpectrumLayout, SegmentsStackFromTheBottom)
{
    const SpectrumLayout l(defaults(QRect(3, 4, 115, 81)));
    ASSERT_EQ(l.segmentCount(), 27);  // (81 + 1) / (2 + 1)
    const QRect first = l.segment(0, 0);
    EXPECT_EQ(first.bottom(), 4 + 80);
    EXPECT_EQ(first.height(), 2);
    EXPECT_EQ(l.segment(0, 1).bottom(), first.top() - 2);  // one-pixel gap
    EXPECT_EQ(l.segment(0, 26).top(), 5);  // 27 segments take 80 rows; one is left over on top
    EXPECT_TRUE(l.segment(0, 27).isNull());
    EXPECT_EQ(l.segment(5, 3).left(), l.column(5).left());

    SpectrumLayout::Params tall = defaults();
    tall.spotHeight = 4;
    tall.spotGap = 0;
    EXPECT_EQ(SpectrumLayout(tall).segmentCount(), 20);
}

TEST(SpectrumLayout, ZonesFromTheTop)
{
    const SpectrumLayout l(defaults());
    // 27 segments: the top 60/256 is high (6 segments), the next 40/256 mid.
    int counts[3] = {0, 0, 0};
    for (int s = 0; s < l.segmentCount(); ++s) ++counts[l.zoneOfSegment(s)];
    EXPECT_EQ(counts[SpectrumLayout::High], 6);
    EXPECT_EQ(counts[SpectrumLayout::Mid], 5);
    EXPECT_EQ(counts[SpectrumLayout::Low], 16);
    EXPECT_EQ(l.zoneOfSegment(0), SpectrumLayout::Low);
    EXPECT_EQ(l.zoneOfSegment(26), SpectrumLayout::High);
    for (int s = 1; s < l.segmentCount(); ++s) EXPECT_GE(l.zoneOfSegment(s), l.zoneOfSegment(s - 1));
    EXPECT_EQ(l.zoneOfRow(0), SpectrumLayout::High);
    EXPECT_EQ(l.zoneOfRow(80), SpectrumLayout::Low);

    SpectrumLayout::Params noMid = defaults();
    noMid.highPoint = 150;
    const SpectrumLayout n(noMid);
    for (int s = 0; s < n.segmentCount(); ++s) EXPECT_NE(n.zoneOfSegment(s), SpectrumLayout::Mid);
}

TEST(SpectrumLayout, LitSegmentsRoundTheLevel)
{
    const SpectrumLayout l(defaults());
    EXPECT_EQ(l.litSegments(0.0f), 0);
    EXPECT_EQ(l.litSegments(0.01f), 0);
    EXPECT_EQ(l.litSegments(1.0f / 27), 1);
    EXPECT_EQ(l.litSegments(0.5f), 14);
    EXPECT_EQ(l.litSegments(1.0f), 27);
    EXPECT_EQ(l.litSegments(5.0f), 27);
    EXPECT_EQ(l.litSegments(-1.0f), 0);

    const SpectrumLayout empty(defaults(QRect(0, 0, 0, 0)));
    EXPECT_EQ(empty.segmentCount(), 0);
    EXPECT_EQ(empty.litSegments(1.0f), 0);
}
