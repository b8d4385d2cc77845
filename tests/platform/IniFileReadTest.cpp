// Reading values out of INI text: name matching, trimming, quotes, the length
// cut, and lines that are not keys.

#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

TEST(IniFileRead, LookupRules)
{
    const char* notKeys =
        "k=before any section\n[a]\n;k=commented\n  ; k = indented comment\nk\n[broken\n"
        "k2=after a broken header\n[b] trailing text\nx=1\n";
    const struct {
        const char *text, *section, *key, *expected;  // no value: nullptr
    } cases[] = {
        // Names match without regard to case, whole names only.
        {"[Output]\nDIR=/music\n", "OUTPUT", "Dir", "/music"},
        {"[ÄRGER]\nÜber=1\n", "ärger", "über", "1"},
        {"[Output]\nDIR=/music\n", "output", "di", nullptr},
        {"[Output]\nDIR=/music\n", "outpu", "dir", nullptr},
        // Missing text, key or section give nothing; an empty value is a value.
        {"", "a", "b", nullptr},
        {"[x]\nb=1\n", "a", "b", nullptr},
        {"[a]\nb=   \n", "a", "b", ""},
        // White space around names and values is dropped.
        {"  [ wav ]  \r\n\t bit \t=  \t16 bits \t\r\n", " wav ", " bit ", "16 bits"},
        {"[a]\nk=v", "a", "k", "v"},
        // Matching quotes are removed, others kept.
        {"[a]\nk=\"C:\\My Recorder\"\n", "a", "k", "C:\\My Recorder"},
        {"[a]\nk='  padded  '\n", "a", "k", "  padded  "},
        {"[a]\nk=\"\"\n", "a", "k", ""},
        {"[a]\nk=\"mixed'\n", "a", "k", "\"mixed'"},
        {"[a]\nk=\"\n", "a", "k", "\""},
        {"[a]\nk=\"a\" and \"b\"\n", "a", "k", "a\" and \"b"},
        // The first section and the first key of a name win.
        {"[a]\nk=1\nK=2\n[b]\nk=3\n[A]\nk=4\nonly=5\n", "a", "k", "1"},
        {"[a]\nk=1\nK=2\n[b]\nk=3\n[A]\nk=4\nonly=5\n", "a", "only", nullptr},
        // Comments, bare names and keys before a section never match; a
        // header without its bracket is no header, so its section goes on.
        {notKeys, "a", "k", nullptr},
        {notKeys, "a", ";k", nullptr},
        {notKeys, "a", "k2", "after a broken header"},
        {notKeys, "b", "x", "1"},
        {notKeys, "a", "[broken", nullptr},
        {"[a]\nk = x=y=z\n", "a", "k", "x=y=z"},
        {"\xEF\xBB\xBF[a]\nk=1\n", "a", "k", "1"},
        {"[a]\nk=\xFF\xFEok\n", "a", "k", "\xEF\xBF\xBD\xEF\xBF\xBDok"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IniFile::lookup(QByteArray(c.text), QString::fromUtf8(c.section), QString::fromUtf8(c.key)),
                  c.expected ? std::optional(QString::fromUtf8(c.expected)) : std::nullopt)
            << c.text << " [" << c.section << "] " << c.key;
    EXPECT_EQ(IniFile::lookup(QByteArray("[a]\nk=ab\0cd\n", 12), "a", "k"), u"ab") << "a NUL ends the value";
}

TEST(IniFileRead, ValuesAreCutAt2047Characters)
{
    const QByteArray text = "[a]\nk=" + QByteArray(2100, 'x') + "\nnext=1\n";
    EXPECT_EQ(IniFile::lookup(text, "a", "k")->size(), 2047);
    EXPECT_EQ(IniFile::lookup(text, "a", "next"), u"1");

    // Characters, not bytes or UTF-16 units: no character is split.
    const QString accents(2100, u'é');
    EXPECT_EQ(*IniFile::lookup("[a]\nk=" + accents.toUtf8(), "a", "k"), accents.left(2047));
    QString emoji;
    for (int i = 0; i < 2100; ++i) emoji += QString::fromUtf8("\xF0\x9F\x8E\xB5");
    EXPECT_EQ(*IniFile::lookup("[a]\nk=" + emoji.toUtf8(), "a", "k"), emoji.left(2 * 2047));

    // The quotes go before the cut, so the 2047 are all content.
    const QByteArray quoted = "[a]\nk=\"" + QByteArray(2100, 'q') + "\"\n";
    EXPECT_EQ(*IniFile::lookup(quoted, "a", "k"), QString(2047, u'q'));
}

}  // namespace
