// The INI file on disk: creation, failures and their message, and that a
// writer killed at any moment leaves a whole file behind.

#include "platform/Error.h"
#include "platform/IniFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace {

QByteArray contentsOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putContents(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

QString failureOf(IniFile& file)
{
    try {
        file.write("output", "dir", "x");
    } catch (const TamselError& e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

TEST(IniFileDisk, FirstWriteCreatesTheFileWithItsFoldersAndEveryReadSeesItAsItIsNow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config/deeper/tamsel.ini");
    IniFile writer(path, "tamsel.ini");
    IniFile reader(path, "tamsel.ini");
    EXPECT_EQ(reader.read("output", "dir"), std::nullopt);
    EXPECT_FALSE(QFile::exists(path));

    writer.write("output", "dir", "/music");
    EXPECT_EQ(contentsOf(path), "[output]\ndir=/music\n");
    EXPECT_EQ(reader.read("OUTPUT", "DIR"), u"/music");
    putContents(path, "[output]\ndir=edited by hand\n");
    EXPECT_EQ(reader.read("output", "dir"), u"edited by hand");

    // A file left alone for a while and then edited in place, at the same
    // size, twice within one tick of the file clock.
    const auto settle = [&] {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    };
    settle();
    EXPECT_EQ(reader.read("output", "dir"), u"edited by hand");
    putContents(path, "[output]\ndir=edited by head\n");
    EXPECT_EQ(reader.read("output", "dir"), u"edited by head");
    putContents(path, "[output]\ndir=edited by hind\n");
    EXPECT_EQ(reader.read("output", "dir"), u"edited by hind");
    settle();
    EXPECT_EQ(reader.read("output", "dir"), u"edited by hind");
    writer.write("output", "dir", "/music2");
    EXPECT_EQ(reader.read("output", "dir"), u"/music2");
    QFile::remove(path);
    EXPECT_EQ(reader.read("output", "dir"), std::nullopt);
}

TEST(IniFileDisk, WriteKeepsAForeignFileByteForByteApartFromTheKey)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tamsel.ini");
    const QByteArray before = "\xEF\xBB\xBF; made elsewhere\r\n[wav]\r\nbit = 1 \r\n\r\n[junk\x01\xFF]\r\n\t x\r\n";
    putContents(path, before);
    IniFile file(path, "tamsel.ini");
    file.write("WAV", "Bit", "5");
    QByteArray expected = before;
    expected.replace("bit = 1 ", "bit = 5 ");
    EXPECT_EQ(contentsOf(path), expected);
}

TEST(IniFileDisk, FailedWriteNamesTheFileAsOpenedAndChangesNothing)
{
    QTemporaryDir dir;
    // Root may write anywhere, but no one can replace a folder by a file or
    // make a folder inside a file.
    const QString folder = dir.filePath("tamsel.ini");
    ASSERT_TRUE(QDir().mkpath(folder + "/inside"));
    IniFile onFolder(folder, "tamsel.ini");
    EXPECT_EQ(failureOf(onFolder), u"Unable to write to tamsel.ini");
    EXPECT_TRUE(QFileInfo(folder + "/inside").isDir());
    EXPECT_EQ(onFolder.read("output", "dir"), std::nullopt);

    // A pipe neither blocks a read nor takes a write.
    const QString pipe = dir.filePath("pipe.ini");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    IniFile onPipe(pipe, "tamsel.ini");
    EXPECT_EQ(onPipe.read("output", "dir"), std::nullopt);
    EXPECT_EQ(failureOf(onPipe), u"Unable to write to tamsel.ini");

    const QString plain = dir.filePath("plain");
    putContents(plain, "not a folder");
    IniFile underFile(plain + "/tamsel.ini", "settings.ini");
    EXPECT_EQ(failureOf(underFile), u"Unable to write to settings.ini");
    EXPECT_EQ(contentsOf(plain), "not a folder");
}

long peakKilobytes()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A read costs the file's bytes, not a record per line; a file past any
// settings file's size is neither read nor rewritten.
TEST(IniFileDisk, ReadsAndWritesCostBoundedMemory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tamsel.ini");
    putContents(path, QByteArray(4 << 20, '\n') + "[a]\nk=1\n[b]\nk=2\n");
    IniFile file(path, "tamsel.ini");
    const long before = peakKilobytes();
    EXPECT_EQ(file.read("a", "k"), u"1");
    file.write("b", "k", "3");
    EXPECT_EQ(file.read("a", "k"), u"1");
    EXPECT_EQ(file.read("b", "k"), u"3");
    EXPECT_LT(peakKilobytes() - before, 64 << 10) << "kB more at the peak";

    putContents(path, "[a]\nk=1\n");
    ASSERT_TRUE(QFile::resize(path, (16 << 20) + 1));  // sparse, so cheap
    EXPECT_EQ(file.read("a", "k"), std::nullopt);
    EXPECT_EQ(failureOf(file), u"Unable to write to tamsel.ini");
    EXPECT_EQ(QFileInfo(path).size(), (16 << 20) + 1);
}

// Kills a writer that rewrites a large file without pause at random moments:
// the file found afterwards must be exactly one of the two versions.
TEST(IniFileDisk, KilledWriterLeavesTheOldOrTheNewFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("tamsel.ini");
    const int length = 1 << 20;
    const QByteArray head = "; kept\n[data]\nvalue=";
    const QByteArray tail = "\n[other]\nkey=1\n";
    putContents(path, head + QByteArray(length, 'a') + tail);
    const QByteArray versionA = head + QByteArray(length, 'a') + tail;
    const QByteArray versionB = head + QByteArray(length, 'b') + tail;

    std::mt19937 random(20240229);
    std::uniform_int_distribution<int> delayUs(0, 40000);
    int sawA = 0, sawB = 0;
    for (int round = 0; round < 25; ++round) {
        QProcess child;
        child.start(INI_WRITE_LOOP, {path, QString::number(length)});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(child.waitForReadyRead(30000)) << "writer never got its first write done";
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(30000));

        const QByteArray found = contentsOf(path);
        const bool whole = found == versionA || found == versionB;
        ASSERT_TRUE(whole) << "round " << round << ": a cut file of " << found.size() << " bytes";
        (found == versionA ? sawA : sawB)++;
    }
    // Both versions turned up, so kills did land between and during writes.
    EXPECT_GT(sawA, 0);
    EXPECT_GT(sawB, 0);
}

}  // namespace
