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
const Key keys[] = {{"output", "dir"},     {"output", "format"},   {"file", "enlength"}, {"file", "timet"},
                    {"wav", "frequency"},  {"autorec", "begintime1"}, {"autorec", "date"}, {"Time", "Time"},
                    {"info", "title"},     {"timeclose", "bclose"}};

void put(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Every read of every key; the results only matter to the caller.
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
    settings.writeInteger("output", "format", 0);
    settings.writeBool("file", "enlength", true);
    settings.writeText("file", "timet", "120");
    settings.writeInteger("wav", "frequency", 8);
    settings.writeTime("autorec", "begintime1", QTime(14, 5, 9));
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
    for (const char* line : {"frequency=8\n", "bclose=0\n", "begintime1=14:05:09\n", "date=29.02.24\n",
                             "title=\"quoted title\"\n"})
        ASSERT_TRUE(full.contains(line)) << full.constData();

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
        if (whole("begintime1=14:05:09\n")) {
            EXPECT_EQ(settings.readTime("autorec", "begintime1", QTime()), QTime(14, 5, 9)) << length;
        }
        if (whole("date=29.02.24\n")) {
            EXPECT_EQ(settings.readDate("autorec", "date", QDate()), QDate(2024, 2, 29)) << length;
        }
        if (whole("title=\"quoted title\"\n")) {
            EXPECT_EQ(settings.readText("info", "title", ""), u"quoted title") << length;
        }
    }
}

TEST(SettingsFileFuzz, DamagedAndRandomFilesNeverCrashAReader)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tamsel.ini");
    SettingsFile settings(path, QLocale(QLocale::English, QLocale::UnitedStates));
    const QByteArray full = validFile(path, settings);

    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 300; ++round) {
        QByteArray damaged = full;
        const int flips = 1 + int(random() % 20);
        for (int i = 0; i < flips; ++i) damaged[qsizetype(random() % damaged.size())] = char(byte(random));
        put(path, damaged);
        readEverything(settings);

        QByteArray noise(qsizetype(random() % 2000), '\0');
        for (char& c : noise) c = char(byte(random));
        put(path, noise);
        readEverything(settings);
    }
}

TEST(SettingsFileFuzz, RandomTextAsTimesDatesAndIntegers)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tamsel.ini");
    std::mt19937 random(99);
    const char pieces[][8] = {"1", "2", "9", "0", ":", ".", "/", "-", " ", "PM", "AM", "x", "$", "0x", "\xE6\x99\x82", "yy"};
    for (const char* name : {"en_US", "de_DE", "ja_JP", "ko_KR", "ar_EG", "fa_IR"}) {
        SettingsFile settings(path, QLocale(QString::fromLatin1(name)));
        for (int round = 0; round < 100; ++round) {
            QByteArray text;
            for (int n = int(random() % 12); n > 0; --n) text += pieces[random() % std::size(pieces)];
            put(path, "[s]\nk=" + text + "\n");
            const QTime time = settings.readTime("s", "k", QTime());
            const QDate date = settings.readDate("s", "k", QDate());
            (void)settings.readInteger("s", "k", 0);
            // Whatever was taken for a time or date is written back so that
            // it reads as the same again.
            if (time.isValid()) {
                settings.writeTime("s", "k", time);
                EXPECT_EQ(settings.readTime("s", "k", QTime()), time) << name << ": " << text.constData();
            }
            if (date.isValid()) {
                settings.writeDate("s", "k", date);
                EXPECT_EQ(settings.readDate("s", "k", QDate()), date) << name << ": " << text.constData();
            }
        }
    }
}

}  // namespace

namespace {

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
