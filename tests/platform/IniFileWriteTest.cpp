// Changing INI text: where a written key lands, and that every other byte of
// the file stays as it was.

#include "platform/IniFile.h"

#include <gtest/gtest.h>

namespace {

QByteArray set(const QByteArray& text, const char* section, const char* key, const char* value)
{
    return IniFile::withValue(text, QString::fromUtf8(section), QString::fromUtf8(key), QString::fromUtf8(value));
}

// Spacing, line ends and foreign bytes kept around a replaced value are
// IniFileDisk's; here the value forms and which of two sections is written.
TEST(IniFileWrite, ReplacesAValueInPlace)
{
    EXPECT_EQ(set("[a]\nk=\nz=1\n", "a", "k", "v"), "[a]\nk=v\nz=1\n");
    EXPECT_EQ(set("[a]\nk=\"quoted\"", "a", "k", "plain"), "[a]\nk=plain");
    EXPECT_EQ(set("[a]\nk=old\n[A]\nk=other\n", "A", "K", "new"), "[a]\nk=new\n[A]\nk=other\n");
}

TEST(IniFileWrite, NewKeysAndSectionsLandAfterTheLastKey)
{
    const char* cases[][4] = {
        // A new key follows the last key of the first section of its name.
        {"[a]\nx=1\n; about b\n\n[b]\ny=2\n", "a", "z", "[a]\nx=1\nz=9\n; about b\n\n[b]\ny=2\n"},
        {"[a]\n; header note\nx=1\n\n", "a", "z", "[a]\n; header note\nx=1\nz=9\n\n"},
        {"[a]\n\n[b]\n", "a", "k", "[a]\nk=9\n\n[b]\n"},
        {"[a]", "a", "y", "[a]\ny=9\n"},
        {"[a]\r\nx=1\r\n[b]\r\n", "a", "y", "[a]\r\nx=1\r\ny=9\r\n[b]\r\n"},
        {"[a]\nx=1\n[b]\n[a]\nq=1\n", "a", "q", "[a]\nx=1\nq=9\n[b]\n[a]\nq=1\n"},
        // A new section goes at the end after one empty line.
        {"", "wav", "bit", "[wav]\nbit=9\n"},
        {"[a]\nx=1", "b", "k", "[a]\nx=1\n\n[b]\nk=9\n"},
        {"[a]\nx=1\n\n", "b", "k", "[a]\nx=1\n\n[b]\nk=9\n"},
        {"[a]\r\nx=1\r\n", "b", "k", "[a]\r\nx=1\r\n\r\n[b]\r\nk=9\r\n"},
        {"k=1\n", "b", "k", "k=1\n\n[b]\nk=9\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(set(c[0], c[1], c[2], "9"), QByteArray(c[3])) << c[0];
}

TEST(IniFileWrite, LineBreaksInAValueCannotAddLines)
{
    const QByteArray text = set("[a]\nk=1\n", "a", "k", "x\n[evil]\r\ny=1");
    EXPECT_EQ(text, "[a]\nk=x [evil]  y=1\n");
    EXPECT_EQ(IniFile::lookup(text, "evil", "y"), std::nullopt);
}

}  // namespace
