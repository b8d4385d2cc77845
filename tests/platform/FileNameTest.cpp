// File names as bytes: every byte string survives the trip through text,
// UTF-8 names are Qt's own text, and a dialog's URL keeps its bytes.

#include "platform/FileName.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

TEST(FileName, EveryByteStringComesBackFromItsText)
{
    const QByteArray names[] = {
        "caf\xe9.wav",              // Latin-1
        "\xc3\xa9t\xc3\xa9.wav",    // UTF-8
        "\xf0\x9f\x8e\xb5\xe9",     // a character past U+FFFF, then a stray byte
        "\xed\xa0\x80\xed\xb0\x80", // surrogates written as UTF-8 (CESU)
        "\xc0\xaf\xe0\x80\xaf",     // overlong forms of "/"
        "\xef\xbb\xbf" "bom\xff",   // a byte order mark
        "\xef\xbb\xbf" "bom.wav",
        "\xe2\x82",                 // a cut-off sequence
    };
    for (const QByteArray& bytes : names) {
        const QString text = filename::decode(bytes);
        EXPECT_EQ(filename::encode(text), bytes) << bytes.toHex().constData();
        if (QString::fromUtf8(bytes).toUtf8() == bytes) {
            EXPECT_EQ(text, QString::fromUtf8(bytes));
        }
        // Nothing that is not UTF-8 turns into a "/" or a character Qt would
        // show in its place.
        EXPECT_FALSE(text.contains('/') || text.contains(QChar::ReplacementCharacter));
    }
    const QString pair = QString::fromUtf8("\xf0\x9f\x8e\xb5");  // U+1F3B5: D83C DFB5
    EXPECT_EQ(filename::encode(pair), pair.toUtf8());
}

TEST(FileName, DialogUrlsKeepTheirBytes)
{
    EXPECT_EQ(filename::encode(filename::fromUrl(QUrl("file:///tmp/d%E9j%E0/caf%E9%20%25.wav"))),
              QByteArray("/tmp/d\xe9j\xe0/caf\xe9 %.wav"));
    const QString plain = QString::fromUtf8("/tmp/Été #1?.wav");
    EXPECT_EQ(filename::fromUrl(QUrl::fromLocalFile(plain)), plain);
    EXPECT_TRUE(filename::fromUrl(QUrl("https://example.org/a.wav")).isEmpty());
}

TEST(FileName, StatusAndReadingReachTheFileByItsBytes)
{
    QTemporaryDir tmp;
    const QByteArray bytes = QFile::encodeName(tmp.path()) + "/caf\xe9.wav";
    const int fd = ::open(bytes.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "RIFF", 4), 4);
    ::close(fd);

    const QString name = filename::decode(bytes);
    const filename::Status s = filename::status(name);
    EXPECT_TRUE(s.exists && s.isFile && s.readable && !s.isDir);
    EXPECT_EQ(s.size, 4);
    QFile f;
    ASSERT_TRUE(filename::openForReading(f, name));
    EXPECT_EQ(f.readAll(), "RIFF");

    EXPECT_TRUE(filename::status(tmp.path()).isDir);
    EXPECT_FALSE(filename::status(name + "x").exists);
    EXPECT_FALSE(filename::status(QString()).exists);
    EXPECT_FALSE(filename::status(tmp.path() + QChar(0) + "x").exists);
    ::unlink(bytes.constData());  // Qt's listing, and so QTemporaryDir, cannot see it
}
