// Arbitrary bytes as INI text: no crash (the sanitizer build checks memory
// use); a written key always reads back and no other key changes.

#include "platform/IniFile.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Random text made mostly of the characters that steer the parser.
QByteArray randomText(std::mt19937& random, int maxLength)
{
    static const char alphabet[] = "[]=;\"' \t\r\n\n\nabkK\xC3\xA4\xFF\xEF\xBB\xBF\x1a";
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<int> pick(0, int(sizeof alphabet) - 1);  // includes the NUL
    std::uniform_int_distribution<int> anyByte(0, 255);
    QByteArray text;
    const int n = length(random);
    for (int i = 0; i < n; ++i) text += random() % 4 == 0 ? char(anyByte(random)) : alphabet[pick(random)];
    return text;
}

TEST(IniFileFuzz, RandomTextReadsAndTakesWrites)
{
    std::mt19937 random(7);
    const QString names[] = {"a", "b", "K", "", " a ", "[a]", QString::fromUtf8("ä")};
    for (int round = 0; round < 3000; ++round) {
        const QByteArray text = randomText(random, 300);
        const QString section = round % 2 ? "a" : "b";
        const QString key = round % 3 ? "k" : "K";
        const QString value = QString("v%1").arg(round);
        const QByteArray written = IniFile::withValue(text, section, key, value);
        ASSERT_EQ(IniFile::lookup(written, section, key), value) << "round " << round << ": " << text.toHex().constData();

        for (const QString& s : names)
            for (const QString& k : names) {
                const bool same = s.trimmed().compare(section, Qt::CaseInsensitive) == 0 &&
                                  k.trimmed().compare(key, Qt::CaseInsensitive) == 0;
                if (same) continue;
                ASSERT_EQ(IniFile::lookup(written, s, k), IniFile::lookup(text, s, k))
                    << "round " << round << " [" << s.toStdString() << "] " << k.toStdString() << ": "
                    << text.toHex().constData();
            }
    }
}

TEST(IniFileFuzz, HugeLinesAndManyLines)
{
    const QByteArray hugeLine = "[a]\nk=" + QByteArray(8 << 20, 'x');  // one 8 MiB line, no end
    EXPECT_EQ(IniFile::lookup(hugeLine, "a", "k")->size(), IniFile::MaxValueLength);
    EXPECT_EQ(IniFile::lookup(IniFile::withValue(hugeLine, "a", "k", "short"), "a", "k"), u"short");

    QByteArray manyLines = "[a]\n";
    for (int i = 0; i < 200000; ++i) manyLines += "\n";
    manyLines += "k=end";
    EXPECT_EQ(IniFile::lookup(manyLines, "A", "K"), u"end");
    EXPECT_EQ(IniFile::lookup(QByteArray(1 << 20, '\0'), "a", "k"), std::nullopt);
    EXPECT_EQ(IniFile::lookup(QByteArray(1 << 20, '['), "a", "k"), std::nullopt);
}

}  // namespace
