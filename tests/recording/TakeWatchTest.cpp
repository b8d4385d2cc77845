// How long the free space holds a take, and the one warning when it runs low.

#include "recording/TakeWatch.h"

#include <gtest/gtest.h>

TEST(TakeWatch, TheFilesOwnRateTakesOverFromTheEstimateAndTheWarningComesOnce)
{
    TakeWatch watch;
    watch.start(176400);  // CD quality
    const int64_t hour = int64_t(176400) * 3600;
    EXPECT_EQ(watch.secondsLeft(hour, 0, 0), 3600);
    EXPECT_EQ(watch.secondsLeft(hour, 100000, 4000), 3600) << "too early to trust the file";
    // A compressed take grows a tenth as fast: ten times as long fits.
    EXPECT_EQ(watch.secondsLeft(hour, 176400 * 6 / 10, 6000), 36000);
    EXPECT_EQ(watch.secondsLeft(-5, 0, 0), 0);

    EXPECT_TRUE(watch.warning(TakeWatch::kWarnSeconds).isEmpty());
    EXPECT_EQ(watch.warning(492), "Disk space for 00:08:12 more");
    EXPECT_TRUE(watch.warning(300).isEmpty()) << "once per take";
    watch.start(176400);
    EXPECT_FALSE(watch.warning(300).isEmpty()) << "the next take warns again";
    // A scheduled window longer than the disk holds is warned of, however
    // much is left.
    watch.start(176400);
    EXPECT_TRUE(watch.warning(3600, 3600).isEmpty());
    EXPECT_EQ(watch.warning(3600, 7200), "Disk space for 01:00:00 more of the 02:00:00 scheduled");
    EXPECT_TRUE(watch.endMessage("a.wav").isEmpty()) << "no gaps, nothing to tell";
}
