// Stored list positions to values, and the settings window's texts lining up
// with the tables they stand for.

#include "config/ValueTables.h"

#include <climits>
#include <gtest/gtest.h>

namespace {

using namespace ValueTables;

TEST(ValueTables, StoredPositionsMeanTheDocumentedValues)
{
    EXPECT_EQ(valueAt(SampleRates, 8, 0), 44100);  // "frequency" default
    EXPECT_EQ(valueAt(SampleRates, 0, 0), 6000);
    EXPECT_EQ(valueAt(SampleRates, 9, 0), 48000);
    EXPECT_EQ(valueAt(BitDepths, 5, 0), 16);  // "raw"/"b" default
    EXPECT_EQ(valueAt(BitDepths, 1, 0), 3);   // "wav"/"bit" default
    EXPECT_EQ(valueAt(BitDepths, 6, 0), 32);
    EXPECT_EQ(valueAt(Bitrates, 11, 0), 128);  // "min bitrate" and "max bitrate" defaults
    EXPECT_EQ(valueAt(Bitrates, 16, 0), 320);
    EXPECT_EQ(valueAt(NominalBitrates, 4, 0), 256);  // "bitrate" default
    EXPECT_EQ(channelsAt(0, 0), 1);
    EXPECT_EQ(channelsAt(1, 0), 2);
}

TEST(ValueTables, PositionsOutsideATableGiveTheCallersChoice)
{
    for (int position : {-1, INT_MIN, 10, INT_MAX}) EXPECT_EQ(valueAt(SampleRates, position, -5), -5) << position;
    EXPECT_EQ(valueAt(BitDepths, 7, 16), 16);
    EXPECT_EQ(valueAt(Bitrates, 17, 0), 0);
    EXPECT_EQ(valueAt(NominalBitrates, 6, 1), 1);
    EXPECT_EQ(channelsAt(-1, 2), 2);
    EXPECT_EQ(channelsAt(2, 2), 2);
}

TEST(ValueTables, WindowTextsFollowTheTablesPositionForPosition)
{
    const QStringList rates = sampleRateTexts();
    ASSERT_EQ(rates.size(), qsizetype(SampleRates.size()));
    EXPECT_EQ(rates.front(), u"6000Hz");
    for (qsizetype i = 1; i < rates.size(); ++i)
        EXPECT_EQ(rates[i], QStringLiteral("%1 Hz").arg(SampleRates[size_t(i)]));

    const QStringList bits = bitDepthTexts();
    EXPECT_EQ(bits, QStringList({"2 bps", "3 bps", "4 bps", "5 bps", "8 bps", "16 bps", "32 bps"}));
    EXPECT_EQ(channelTexts(), QStringList({"Mono", "Stereo"}));
    EXPECT_EQ(channelNames(), channelTexts());
}

}  // namespace
