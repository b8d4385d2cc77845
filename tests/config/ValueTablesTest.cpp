// Stored list positions to values: positions outside a table never index it.

#include "config/ValueTables.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

using namespace ValueTables;

TEST(ValueTables, EachTableEndsWhereItsTextsEndAndOutsideGivesTheCallersChoice)
{
    ASSERT_EQ(sampleRateTexts().size(), qsizetype(SampleRates.size()));
    EXPECT_EQ(valueAt(SampleRates, 9, 0), 48000);
    for (int position : {-1, INT_MIN, 10, INT_MAX}) EXPECT_EQ(valueAt(SampleRates, position, -5), -5) << position;
    EXPECT_EQ(bitDepthTexts().size(), 7);
    EXPECT_EQ(valueAt(BitDepths, 6, 0), 32);
    EXPECT_EQ(valueAt(BitDepths, 7, 16), 16);
    EXPECT_EQ(valueAt(Bitrates, 16, 0), 320);
    EXPECT_EQ(valueAt(Bitrates, 17, 0), 0);
    EXPECT_EQ(valueAt(NominalBitrates, 6, 1), 1);
    EXPECT_EQ(channelsAt(1, 0), 2);
    EXPECT_EQ(channelsAt(-1, 2), 2);
    EXPECT_EQ(channelsAt(2, 2), 2);
}

}  // namespace
