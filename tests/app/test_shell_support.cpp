// Small shared pieces: the time text, the single-instance guard and the
// dialog filter conversion.

#include "app/ApplicationTitle.h"
#include "platform/Dialogs.h"
#include "platform/SingleInstance.h"
#include "platform/TimeText.h"

#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(TimeText, FormatsHoursMinutesSeconds)
{
    EXPECT_EQ(timeTextFromMs(3723999), "01:02:03") << "fractions are dropped";
    EXPECT_EQ(timeTextFromSeconds(65), "00:01:05");
    EXPECT_EQ(timeTextFromSeconds(100 * 3600), "100:00:00");
    // Beyond 32 bits of milliseconds nothing wraps.
    EXPECT_EQ(timeTextFromMs(int64_t(3000) * 3600 * 1000 + 61000), "3000:01:01");
    EXPECT_EQ(timeTextFromSeconds(-5), "00:00:00");
}

TEST(SingleInstanceGuard, SecondCopyIsRefusedUntilTheFirstEndsAndAKilledCopysLockIsTakenOver)
{
    QTemporaryDir dir;
    auto first = std::make_unique<SingleInstance>(kApplicationTitle, dir.path());
    ASSERT_TRUE(first->acquire());
    SingleInstance second(kApplicationTitle, dir.path());
    EXPECT_FALSE(second.acquire());
    first.reset();
    EXPECT_TRUE(second.acquire());

    // A lock file naming a process that does not exist.
    QTemporaryDir other;
    SingleInstance guard(kApplicationTitle, other.path());
    QFile f(guard.lockPath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::number(999999) + "\ntamsel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    f.close();
    EXPECT_TRUE(guard.acquire());
}

TEST(DialogFilter, WindowsStyleFilterBecomesQtFilter)
{
    EXPECT_EQ(Dialogs::toQtFilter("All Supported Files|*.mp3;*.wav;*.wma;*.ogg|MP3 Files(*.mp3)|*.mp3"),
              "All Supported Files (*.mp3 *.wav *.wma *.ogg);;MP3 Files (*.mp3)");
    EXPECT_EQ(Dialogs::toQtFilter(""), "");
}
