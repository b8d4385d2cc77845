// Changing INI text: where a written key lands, and that every other byte of
// the file stays as it was.

#include "platform/IniFile.h"

#include <gtest/gtest.h>

namespace {

QByteArray set(const QByteArray& text, const char* section, const char* key, const char* value)
{
    return IniFile::withValue(text, QString::fromUtf8(section), QString::fromUtf8(key), QString::fromUtf8(value));
}

TEST(IniFileWrite, ReplacesAValueInPlaceKeepingEverythingElse)
{
    const QByteArray before =
        "; settings\r\n"
        "[Output]\r\n"
        "  DIR = C:\\old  \r\n"
        "  ; a comment that stays\r\n"
        "format=0\r\n"
        "\r\n"
        "[wav]\r\n"
        "bit=1\r\n";
    const QByteArray after =
        "; settings\r\n"
        "[Output]\r\n"
        "  DIR = /home/me/My Recorder  \r\n"
        "  ; a comment that stays\r\n"
        "format=0\r\n"
        "\r\n"
        "[wav]\r\n"
        "bit=1\r\n";
    EXPECT_EQ(set(before, "output", "dir", "/home/me/My Recorder"), after);
    EXPECT_EQ(set("[a]\nk=\nz=1\n", "a", "k", "v"), "[a]\nk=v\nz=1\n");
    EXPECT_EQ(set("[a]\nk=\"quoted\"", "a", "k", "plain"), "[a]\nk=plain");
    EXPECT_EQ(set("[a]\nk=old\n[A]\nk=other\n", "A", "K", "new"), "[a]\nk=new\n[A]\nk=other\n");
}

TEST(IniFileWrite, NewKeyFollowsTheLastKeyOfItsSection)
{
    EXPECT_EQ(set("[a]\nx=1\n; about b\n\n[b]\ny=2\n", "a", "z", "9"),
              "[a]\nx=1\nz=9\n; about b\n\n[b]\ny=2\n");
    EXPECT_EQ(set("[a]\n; header note\nx=1\n\n", "a", "z", "9"), "[a]\n; header note\nx=1\nz=9\n\n");
    EXPECT_EQ(set("[a]\n\n[b]\n", "a", "k", "v"), "[a]\nk=v\n\n[b]\n");
    EXPECT_EQ(set("[a]\nx=1", "a", "y", "2"), "[a]\nx=1\ny=2\n");
    EXPECT_EQ(set("[a]", "a", "y", "2"), "[a]\ny=2\n");
    EXPECT_EQ(set("[a]\r\nx=1\r\n[b]\r\n", "a", "y", "2"), "[a]\r\nx=1\r\ny=2\r\n[b]\r\n");
    // Only the first section of a name takes keys.
    EXPECT_EQ(set("[a]\nx=1\n[b]\n[a]\nq=1\n", "a", "q", "2"), "[a]\nx=1\nq=2\n[b]\n[a]\nq=1\n");
}

TEST(IniFileWrite, NewSectionGoesAtTheEnd)
{
    EXPECT_EQ(set("", "wav", "bit", "5"), "[wav]\nbit=5\n");
    EXPECT_EQ(set("[a]\nx=1\n", "b", "k", "v"), "[a]\nx=1\n\n[b]\nk=v\n");
    EXPECT_EQ(set("[a]\nx=1", "b", "k", "v"), "[a]\nx=1\n\n[b]\nk=v\n");
    EXPECT_EQ(set("[a]\nx=1\n\n", "b", "k", "v"), "[a]\nx=1\n\n[b]\nk=v\n");
    EXPECT_EQ(set("[a]\r\nx=1\r\n", "b", "k", "v"), "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n");
    // A key outside any section does not make its section exist.
    EXPECT_EQ(set("k=1\n", "b", "k", "v"), "k=1\n\n[b]\nk=v\n");
}

TEST(IniFileWrite, LineBreaksInAValueCannotAddLines)
{
    const QByteArray text = set("[a]\nk=1\n", "a", "k", "x\n[evil]\r\ny=1");
    EXPECT_EQ(text, "[a]\nk=x [evil]  y=1\n");
    EXPECT_EQ(IniFile::lookup(text, "evil", "y"), std::nullopt);
}

TEST(IniFileWrite, WrittenValuesReadBackAndLeaveOtherKeysAlone)
{
    QByteArray text;
    const char* keys[][3] = {{"file", "enlength", "0"}, {"output", "dir", "/x y/z"}, {"wav", "bit", "1"},
                             {"FILE", "timet", "120"}, {"Output", "DIR", "/other"}, {"info", "title", "Ünïcödé"}};
    for (const auto& k : keys) text = set(text, k[0], k[1], k[2]);
    EXPECT_EQ(IniFile::lookup(text, "file", "enlength"), u"0");
    EXPECT_EQ(IniFile::lookup(text, "file", "timet"), u"120");
    EXPECT_EQ(IniFile::lookup(text, "output", "dir"), u"/other");
    EXPECT_EQ(IniFile::lookup(text, "wav", "bit"), u"1");
    EXPECT_EQ(IniFile::lookup(text, "info", "title"), QString::fromUtf8("Ünïcödé"));
    EXPECT_EQ(text, "[file]\nenlength=0\ntimet=120\n\n[output]\ndir=/other\n\n[wav]\nbit=1\n\n[info]\n"
                    "title=" + QString::fromUtf8("Ünïcödé").toUtf8() + "\n");
}

}  // namespace
