// The settings file's value forms: integers (decimal and the two hexadecimal
// forms), booleans, text and the location of the file. A failed write is
// test_output_directory_window's.

#include "config/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("tamsel.ini");
    SettingsFile settings{path, QLocale(QLocale::English, QLocale::UnitedStates)};

    void store(const QByteArray& raw)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[s]\nk=" + raw + "\n");
    }
    QByteArray onDisk()
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// The whole value must be the number: "12abc" or "1.5" give the default, where
// strtol would take the digits in front. Space around the value never counts,
// because the file drops it before the number is read.
TEST_F(SettingsFileTest, IntegerForms)
{
    const struct {
        const char* stored;
        int expected;
    } cases[] = {
        {"42", 42},     {"-7", -7},      {"+7", 7},         {"007", 7},       {"  12  ", 12},
        {"'12'", 12},   {"0x1F", 31},    {"0X1f", 31},      {"$1F", 31},      {"$1f", 31},
        {"-$1F", -31},  {"0x1", 1},      {"-0x10", -16},    {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},        {"$FFFFFFFF", -1}, {"0x7fffffff", INT_MAX},
        {"0x", 99},     {"0X", 99},      {"$", 99},         {"-", 99},        {"", 99},
        {"12abc", 99},  {"1.5", 99},     {"1 2", 99},       {"- 5", 99},      {"abc", 99},
        {"0x1G", 99},   {"$-1", 99},     {"0x-1", 99},      {"--1", 99},      {"2147483648", 99},
        {"-2147483649", 99},             {"$100000000", 99}, {"\xD9\xA3", 99},  // Arabic-Indic three
    };
    for (const auto& c : cases) {
        store(c.stored);
        EXPECT_EQ(settings.readInteger("S", "K", 99), c.expected) << "stored \"" << c.stored << '"';
    }
}

TEST_F(SettingsFileTest, BooleansAreIntegersAndAnyNonZeroIsTrue)
{
    const struct {
        const char* stored;
        bool whenDefaultTrue, whenDefaultFalse;
    } cases[] = {{"1", true, true},     {"0", false, false}, {"2", true, true},
                 {"-1", true, true},    {"0x0", false, false}, {"$10", true, true},
                 {"yes", true, false},  {"true", true, false}, {"", true, false}};
    for (const auto& c : cases) {
        store(c.stored);
        EXPECT_EQ(settings.readBool("s", "k", true), c.whenDefaultTrue) << c.stored;
        EXPECT_EQ(settings.readBool("s", "k", false), c.whenDefaultFalse) << c.stored;
    }
    EXPECT_TRUE(settings.readBool("s", "missing", true));
    EXPECT_FALSE(settings.readBool("s", "missing", false));
}

// The forms on disk are checked by the settings and tag windows' saved-lines tests.
TEST_F(SettingsFileTest, WrittenValuesReadBack)
{
    for (int value : {-1, 300, INT_MIN, INT_MAX}) {
        settings.writeInteger("ogg", "quality", value);
        EXPECT_EQ(settings.readInteger("ogg", "quality", 0), value);
    }
    for (bool value : {true, false}) {
        settings.writeBool("output", "rb_time", value);
        EXPECT_EQ(settings.readBool("output", "rb_time", !value), value);
    }
    settings.writeText("output", "out_name", "EUT");
    EXPECT_EQ(onDisk(), "[ogg]\nquality=2147483647\n\n[output]\nrb_time=0\nout_name=EUT\n");
}

TEST(SettingsFileLocation, BareNameLivesInTheConfigFolderWhichFirstWriteCreates)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    QTemporaryDir home;
    const QString config = home.filePath("not yet/.config");
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    {
        SettingsFile settings;
        EXPECT_EQ(settings.path(), config + "/tamsel.ini");
        EXPECT_EQ(settings.readInteger("wav", "bit", 1), 1);
        settings.writeInteger("wav", "bit", 5);
        EXPECT_TRUE(QFile::exists(config + "/tamsel.ini"));
        EXPECT_EQ(SettingsFile().readInteger("wav", "bit", 1), 5);
    }
    qputenv("XDG_CONFIG_HOME", saved);
}

}  // namespace
