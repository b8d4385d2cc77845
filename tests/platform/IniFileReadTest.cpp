// Reading values out of INI text: name matching, trimming, quotes, the length
// cut, and lines that are not keys.

#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

std::optional<QString> get(const char* text, const char* section, const char* key)
{
    return IniFile::lookup(QByteArray(text), QString::fromUtf8(section), QString::fromUtf8(key));
}

TEST(IniFileRead, NamesMatchWithoutRegardToCase)
{
    const char* text = "[Output]\nDIR=/music\n[ÄRGER]\nÜber=1\n";
    EXPECT_EQ(get(text, "output", "dir"), u"/music");
    EXPECT_EQ(get(text, "OUTPUT", "Dir"), u"/music");
    EXPECT_EQ(get(text, "ärger", "über"), u"1");
    EXPECT_EQ(get(text, "output", "di"), std::nullopt);
    EXPECT_EQ(get(text, "outpu", "dir"), std::nullopt);
}

TEST(IniFileRead, MissingSectionKeyOrTextGivesNothingButAnEmptyValueIsAValue)
{
    EXPECT_EQ(get("", "a", "b"), std::nullopt);
    EXPECT_EQ(get("[a]\nc=1\n", "a", "b"), std::nullopt);
    EXPECT_EQ(get("[x]\nb=1\n", "a", "b"), std::nullopt);
    EXPECT_EQ(get("[a]\nb=\n", "a", "b"), u"");
    EXPECT_EQ(get("[a]\nb=   \n", "a", "b"), u"");
}

TEST(IniFileRead, WhiteSpaceAroundNamesAndValuesIsDropped)
{
    const char* text = "  [ wav ]  \r\n\t bit \t=  \t16 bits \t\r\n";
    EXPECT_EQ(get(text, "wav", "bit"), u"16 bits");
    EXPECT_EQ(get(text, " wav ", " bit "), u"16 bits");
    EXPECT_EQ(get("[a]\r\nk=v\r\n", "a", "k"), u"v");
    EXPECT_EQ(get("[a]\nk=v", "a", "k"), u"v");  // no final line break
}

TEST(IniFileRead, MatchingQuotesAreRemovedOthersKept)
{
    EXPECT_EQ(get("[a]\nk=\"C:\\My Recorder\"\n", "a", "k"), u"C:\\My Recorder");
    EXPECT_EQ(get("[a]\nk='  padded  '\n", "a", "k"), u"  padded  ");
    EXPECT_EQ(get("[a]\nk=\"\"\n", "a", "k"), u"");
    EXPECT_EQ(get("[a]\nk=\"mixed'\n", "a", "k"), u"\"mixed'");
    EXPECT_EQ(get("[a]\nk=\"\n", "a", "k"), u"\"");
    EXPECT_EQ(get("[a]\nk=say \"hi\"\n", "a", "k"), u"say \"hi\"");
    EXPECT_EQ(get("[a]\nk=\"a\" and \"b\"\n", "a", "k"), u"a\" and \"b");
}

TEST(IniFileRead, ValuesAreCutAt2047Characters)
{
    const QByteArray text = "[a]\nk=" + QByteArray(2100, 'x') + "\nnext=1\n";
    const auto value = IniFile::lookup(text, "a", "k");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), 2047);
    EXPECT_EQ(IniFile::lookup(text, "a", "next"), u"1");

    // Characters, not bytes or UTF-16 units: no character is split.
    const QString accents(2100, u'é');
    const auto cutAccents = IniFile::lookup("[a]\nk=" + accents.toUtf8(), "a", "k");
    EXPECT_EQ(*cutAccents, accents.left(2047));
    QString emoji;
    for (int i = 0; i < 2100; ++i) emoji += QString::fromUtf8("\xF0\x9F\x8E\xB5");
    const auto cutEmoji = IniFile::lookup("[a]\nk=" + emoji.toUtf8(), "a", "k");
    EXPECT_EQ(*cutEmoji, emoji.left(2 * 2047));

    // The quotes go before the cut, so the 2047 are all content.
    const QByteArray quoted = "[a]\nk=\"" + QByteArray(2100, 'q') + "\"\n";
    EXPECT_EQ(*IniFile::lookup(quoted, "a", "k"), QString(2047, u'q'));
    EXPECT_EQ(IniFile::lookup("[a]\nk=" + QByteArray(2047, 'x'), "a", "k")->size(), 2047);
}

TEST(IniFileRead, FirstSectionAndFirstKeyOfANameWin)
{
    const char* text = "[a]\nk=1\nK=2\n[b]\nk=3\n[A]\nk=4\nonly=5\n";
    EXPECT_EQ(get(text, "a", "k"), u"1");
    EXPECT_EQ(get(text, "b", "k"), u"3");
    EXPECT_EQ(get(text, "a", "only"), std::nullopt);
}

TEST(IniFileRead, LinesThatAreNotKeysNeverMatch)
{
    const char* text =
        "k=before any section\n"
        "[a]\n"
        ";k=commented\n"
        "  ; k = indented comment\n"
        "k\n"
        "[broken\n"
        "k2=after a broken header\n"
        "[b] trailing text\n"
        "x=1\n";
    EXPECT_EQ(get(text, "a", "k"), std::nullopt);
    EXPECT_EQ(get(text, "a", ";k"), std::nullopt);
    // A header without its bracket is no header: its section goes on.
    EXPECT_EQ(get(text, "a", "k2"), u"after a broken header");
    EXPECT_EQ(get(text, "b", "x"), u"1");
    EXPECT_EQ(get(text, "a", "[broken"), std::nullopt);
}

TEST(IniFileRead, ValueMayHoldEqualsSignsAndStopsAtANul)
{
    EXPECT_EQ(get("[a]\nk = x=y=z\n", "a", "k"), u"x=y=z");
    EXPECT_EQ(IniFile::lookup(QByteArray("[a]\nk=ab\0cd\n", 12), "a", "k"), u"ab");
}

TEST(IniFileRead, ByteOrderMarkAndInvalidUtf8)
{
    EXPECT_EQ(get("\xEF\xBB\xBF[a]\nk=1\n", "a", "k"), u"1");
    EXPECT_EQ(get("[a]\nk=\xFF\xFEok\n", "a", "k"), QString::fromUtf8("\xEF\xBF\xBD\xEF\xBF\xBDok"));
}

}  // namespace
