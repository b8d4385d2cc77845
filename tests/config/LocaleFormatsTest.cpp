// Times and dates in the user's regional format: round trips in every locale,
// the time zone left out, two-digit years, and text from another locale.

#include "config/LocaleFormats.h"
#include "config/SettingsFile.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <ostream>

// Readable dates and times in failure messages.
static void PrintTo(const QDate& d, std::ostream* os) { *os << d.toString(Qt::ISODate).toStdString(); }
static void PrintTo(const QTime& t, std::ostream* os) { *os << t.toString(Qt::ISODate).toStdString(); }

namespace {

// Every locale writes its own form, without a zone field wherever its format
// had one, and reads back what it wrote.
TEST(LocaleFormats, EveryLocaleWritesItsOwnTextWithoutTimeZoneAndReadsItBack)
{
    const QTime t(14, 5, 9);
    EXPECT_EQ(LocaleFormats::formatTime(QLocale("en_US"), t), u"2:05:09 PM");
    EXPECT_EQ(LocaleFormats::formatTime(QLocale("zh_CN"), t), u"14:05:09");  // zone led the format
    EXPECT_EQ(LocaleFormats::formatTime(QLocale("fa_IR"), t), QString::fromUtf8("۱۴:۰۵:۰۹"));  // "(zone)"
    EXPECT_EQ(LocaleFormats::formatDate(QLocale("en_US"), QDate(2024, 2, 29)), u"2/29/24");
    const QDate d = QDate::currentDate().addDays(-400);
    for (const QLocale& l : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString text = LocaleFormats::formatTime(l, t);
        EXPECT_FALSE(text.contains(u"UTC") || text.contains(u"GMT") || text.endsWith(u',')) << l.name().toStdString();
        for (const QTime& u : {QTime(1, 2, 3), t})
            EXPECT_EQ(LocaleFormats::parseTime(l, LocaleFormats::formatTime(l, u)), u) << l.name().toStdString();
        EXPECT_EQ(LocaleFormats::parseDate(l, LocaleFormats::formatDate(l, d)), d) << l.name().toStdString();
    }
}

TEST(LocaleFormats, TwoDigitYearsTakeTheCenturyNearestToday)
{
    const QLocale us("en_US");
    EXPECT_EQ(LocaleFormats::parseDate(us, "2/29/00", QDate(2025, 6, 1)), QDate(2000, 2, 29));
    EXPECT_EQ(LocaleFormats::parseDate(us, "1/1/75", QDate(2025, 6, 1)), QDate(2075, 1, 1));
    EXPECT_EQ(LocaleFormats::parseDate(us, "1/1/76", QDate(2025, 6, 1)), QDate(1976, 1, 1));
    EXPECT_EQ(LocaleFormats::parseDate(us, "1/1/30", QDate(2090, 1, 1)), QDate(2130, 1, 1));
    EXPECT_EQ(LocaleFormats::parseDate(us, "5/6/15", QDate(1960, 1, 1)), QDate(1915, 5, 6));
    // 29 February 2100 does not exist.
    EXPECT_FALSE(LocaleFormats::parseDate(us, "2/29/00", QDate(2080, 1, 1)).isValid());
    EXPECT_EQ(LocaleFormats::parseDate(QLocale("ko_KR"), "00. 2. 29.", QDate(2025, 1, 1)), QDate(2000, 2, 29));
    // Four-digit years are taken as they stand.
    EXPECT_EQ(LocaleFormats::parseDate(QLocale("fr_FR"), "29/02/1900", QDate(2025, 1, 1)), QDate());
    EXPECT_EQ(LocaleFormats::parseDate(QLocale("fr_FR"), "01/02/1850", QDate(2025, 1, 1)), QDate(1850, 2, 1));
}

TEST(LocaleFormats, StoredTimesAndDatesReadAlikeInEveryLocaleAndOldLocaleTextStillReads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tamsel.ini");
    const struct {
        const char* writer;
        const char* reader;
    } pairs[] = {{"en_US", "de_DE"}, {"de_DE", "en_US"}, {"ko_KR", "en_US"}, {"fa_IR", "de_DE"}};
    for (const auto& p : pairs) {
        SettingsFile writer(path, QLocale(QString::fromLatin1(p.writer)));
        SettingsFile reader(path, QLocale(QString::fromLatin1(p.reader)));
        writer.writeTime("Time", "Time", QTime(14, 5, 9));
        writer.writeDate("autorec", "date", QDate(2024, 2, 29));
        EXPECT_EQ(reader.readTime("Time", "Time", QTime(3, 3, 3)), QTime(14, 5, 9)) << p.writer << " -> " << p.reader;
        EXPECT_EQ(reader.readDate("autorec", "date", QDate(1999, 9, 9)), QDate(2024, 2, 29))
            << p.writer << " -> " << p.reader;
    }
    SettingsFile us(path, QLocale("en_US"));
    EXPECT_EQ(us.readText("autorec", "date", {}), "2024-02-29");
    EXPECT_EQ(us.readText("Time", "Time", {}), "14:05:09");
    // What an older version wrote in the locale's own form still reads.
    us.writeText("Time", "Time", "2:05:09 PM");
    us.writeText("autorec", "date", "2/29/24");
    EXPECT_EQ(us.readTime("Time", "Time", QTime()), QTime(14, 5, 9));
    EXPECT_EQ(us.readDate("autorec", "date", QDate()), QDate(2024, 2, 29));
    // Garbage gives the default.
    for (const char* text : {"", "25:00:00 PM", "2:05:09", "noon"}) {
        us.writeText("Time", "Time", text);
        EXPECT_EQ(us.readTime("Time", "Time", QTime(3, 3, 3)), QTime(3, 3, 3)) << text;
    }
    for (const char* text : {"", "2/30/24", "13/1/24", "2024-02-30", "yesterday"}) {
        us.writeText("autorec", "date", text);
        EXPECT_EQ(us.readDate("autorec", "date", QDate(1999, 9, 9)), QDate(1999, 9, 9)) << text;
    }
}

}  // namespace
