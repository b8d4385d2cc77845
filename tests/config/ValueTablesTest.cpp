// Stored list positions to values: positions outside a table never index it.

#include "config/ValueTables.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

using namespace ValueTables;

TEST(ValueTables, EachTableEndsWhereItsTextsEndAndOutsideGivesTheCallersChoice)
{
    // The window stores the position of the text picked, so each text needs its entry.
    EXPECT_EQ(sampleRateTexts().size(), qsizetype(SampleRates.size()));
    EXPECT_EQ(bitDepthTexts().size(), qsizetype(BitDepths.size()));
    using Table = std::span<const int>;
    for (Table table : {Table(SampleRates), Table(BitDepths), Table(Bitrates), Table(NominalBitrates)}) {
        const int end = int(table.size());
        EXPECT_EQ(valueAt(table, 0, -5), table.front());
        EXPECT_EQ(valueAt(table, end - 1, -5), table.back());
        for (int position : {-1, INT_MIN, end, INT_MAX}) EXPECT_EQ(valueAt(table, position, -5), -5) << position;
    }
    const int channelEnd = int(channelTexts().size());
    EXPECT_EQ(channelsAt(channelEnd - 1, 9), channelEnd) << "the position is the channel count less one";
    for (int position : {-1, channelEnd}) EXPECT_EQ(channelsAt(position, 9), 9) << position;
}

}  // namespace
