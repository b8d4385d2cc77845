// Damaged settings files: every read gives a value or its default and never
// crashes (the sanitizer build checks memory use), and a file cut short still
// yields every key whose line survived whole.

#include "config/LocaleFormats.h"
#include "config/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <random>

namespace {

struct Key {
    const char* section;
    const char* key;
};
const Key keys[] = {{"output", "dir"}, {"wav", "frequency"}, {"autorec", "date"},
                    {"Time", "Time"},  {"info", "title"},     {"timeclose", "bclose"}};

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void readEverything(const SettingsFile& settings)
{
    for (const Key& k : keys) {
        (void)settings.readText(k.section, k.key, "d");
        (void)settings.readInteger(k.section, k.key, 7);
        (void)settings.readBool(k.section, k.key, true);
        (void)settings.readTime(k.section, k.key, QTime(1, 2, 3));
        (void)settings.readDate(k.section, k.key, QDate(2001, 2, 3));
    }
}

QByteArray validFile(const QString& path, SettingsFile& settings)
{
    settings.writeText("output", "dir", QString::fromUtf8("/home/ü/My Recorder"));
    settings.writeInteger("wav", "frequency", 8);
    settings.writeDate("autorec", "date", QDate(2024, 2, 29));
    settings.writeTime("Time", "Time", QTime(23, 59, 59));
    settings.writeText("info", "title", "\"quoted title\"");
    settings.writeBool("timeclose", "bclose", false);
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SettingsFileFuzz, TruncatedFileKeepsTheWholeLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tamsel.ini");
    SettingsFile settings(path, QLocale(QLocale::German, QLocale::Germany));
    const QByteArray full = validFile(path, settings);
    ASSERT_TRUE(full.contains("date=2024-02-29\n")) << full.constData();

    for (qsizetype length = 0; length <= full.size(); ++length) {
        const QByteArray cut = full.left(length);
        put(path, cut);
        readEverything(settings);
        // A key whose line ends inside the cut, in a section whose header is
        // there too, reads as in the whole file.
        const auto whole = [&](const char* line) {
            const qsizetype at = full.indexOf(line);
            return at >= 0 && at + qsizetype(qstrlen(line)) < length;
        };
        if (whole("frequency=8\n")) {
            EXPECT_EQ(settings.readInteger("wav", "frequency", -1), 8) << length;
        }
        if (whole("bclose=0\n")) {
            EXPECT_FALSE(settings.readBool("timeclose", "bclose", true)) << length;
        }
        if (whole("date=2024-02-29\n")) {
            EXPECT_EQ(settings.readDate("autorec", "date", QDate()), QDate(2024, 2, 29)) << length;
        }
        if (whole("title=\"quoted title\"\n")) {
            EXPECT_EQ(settings.readText("info", "title", ""), u"quoted title") << length;
        }
    }
}

// Every locale, with text made of its own digits, day periods and month
// names: whatever the locale's parser is handed must not read past its
// buffers (the sanitizer build watches), and what parses round-trips.
TEST(SettingsFileFuzz, EveryLocaleParsesRandomTextSafely)
{
    std::mt19937 random(5);
    for (const QLocale& l : QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QStringList pieces = {l.toString(1),    l.toString(12),    l.toString(59), l.toString(2024),
                                    l.amText(),       l.pmText(),        l.amText().left(1), l.monthName(2, QLocale::ShortFormat),
                                    l.timeFormat(QLocale::LongFormat).left(3), ":", "/", ".", " ", ",", "UTC", "t"};
        const QString sample = LocaleFormats::formatTime(l, QTime(13, 14, 15)) + ' ' +
                               LocaleFormats::formatDate(l, QDate(2024, 2, 29));
        for (int round = 0; round < 12; ++round) {
            QString text;
            if (round % 3 == 0)
                text = sample.left(qsizetype(random() % (sample.size() + 1)));  // a cut of real text
            else
                for (int n = int(random() % 8); n > 0; --n) text += pieces[qsizetype(random() % pieces.size())];
            const QTime time = LocaleFormats::parseTime(l, text);
            if (time.isValid()) {
                EXPECT_EQ(LocaleFormats::parseTime(l, LocaleFormats::formatTime(l, time)), time)
                    << l.name().toStdString() << ": " << text.toStdString();
            }
            const QDate date = LocaleFormats::parseDate(l, text);
            if (date.isValid()) {
                EXPECT_EQ(LocaleFormats::parseDate(l, LocaleFormats::formatDate(l, date)), date)
                    << l.name().toStdString() << ": " << text.toStdString();
            }
        }
    }
}

}  // namespace
