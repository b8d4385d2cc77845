// A tag write replaces the file only with a copy whose audio is what the file
// held; any failure leaves the file exactly as it was, and no copy behind.

#include "../ComponentTestSupport.h"
#include "TagTestFiles.h"
#include "components/taglib/TagLibInformation.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using tagtest::Kind;

namespace {

double statedSeconds(const QString& file)
{
    return testsupport::probe(file).value("format").toObject().value("duration").toString().toDouble();
}

QStringList folderEntries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Runs call and expects it to refuse with a message naming file, leaving the
// file's bytes and the folder's entries as they were.
template <typename Call>
void expectRefusedUntouched(const QTemporaryDir& dir, const QString& file, Call&& call)
{
    const QByteArray bytes = readBytes(file);
    const QStringList entries = folderEntries(dir);
    const QString message = errorOf(call);
    EXPECT_TRUE(message.startsWith("Cannot write the tag of " + file)) << message.toStdString();
    EXPECT_TRUE(readBytes(file) == bytes) << "the file changed";
    EXPECT_EQ(folderEntries(dir), entries);
}

}  // namespace

TEST(TagLibWriteSafety, WmaKeepsItsLengthAndOneWithABrokenHeaderIsRefused)
{
    QTemporaryDir dir;
    const QString file = tagtest::makeFile(dir, Kind::Wma, "tone");
    const double seconds = statedSeconds(file);
    // A tag that grows the file by a third: players stop trusting the
    // header's play time when its stated file size is far off.
    TagLibInformation info;
    info.setInfoTitle(QString(1000, u't'));
    info.setInfoComments(QString(3000, QChar(0x2603)));
    info.WriteInfo(file);
    EXPECT_NEAR(statedSeconds(file), seconds, 0.001);
    info.ReadInfo(file);
    EXPECT_EQ(info.infoTitle(), QString(1000, u't'));

    // A header object size that does not match its objects: the file plays,
    // but a tag written at the stated size would end it.
    const QString broken = tagtest::makeFile(dir, Kind::Wma, "broken");
    QByteArray bytes = readBytes(broken);
    qToLittleEndian<quint64>(qFromLittleEndian<quint64>(bytes.constData() + 16) + 100, bytes.data() + 16);
    writeBytes(broken, bytes);
    info.ReadInfo(broken);
    info.setInfoTitle("kept out");
    expectRefusedUntouched(dir, broken, [&] { info.WriteInfo(broken); });
}

// A WAV whose data chunk holds less than one frame: the tag chunks written
// behind it stay tag, never sound. Behind an empty one, players that take a
// data size of 0 for a recording never finished would play them, so none
// is written there.
TEST(TagLibWriteSafety, TagBehindASubFrameDataChunkIsNotAudio)
{
    QTemporaryDir dir;
    for (int bytes = 0; bytes <= 3; ++bytes) {
        const QString file = dir.filePath(QString("short%1.wav").arg(bytes));
        writeBytes(file, tagtest::waveBytes({}, QByteArray("\x11\x22\x33", bytes)));
        SCOPED_TRACE(file.toStdString());
        TagLibInformation info;
        info.setInfoTitle("Nothing recorded");
        info.setInfoComments(QString(500, u'c'));
        if (bytes == 0) {
            expectRefusedUntouched(dir, file, [&] { info.WriteInfo(file); });
            continue;
        }
        info.WriteInfo(file);
        info.ReadInfo(file);
        EXPECT_EQ(info.infoTitle(), "Nothing recorded");
        EXPECT_EQ(info.infoSamples(), 0);
        EXPECT_EQ(info.infoDuration(), 0);
        EXPECT_EQ(info.infoFrequency(), 44100);
        EXPECT_EQ(tagtest::probeTags(file).value("title").toString(), "Nothing recorded");
    }
}

TEST(TagLibWriteSafety, ReplacementKeepsPermissionsAndAFailedCopyLeavesTheFile)
{
    QTemporaryDir dir;
    const QString file = tagtest::makeFile(dir, Kind::Mp3, "tone");
    QFile::remove(dir.filePath("tone-source.wav"));
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(file, permissions));
    TagLibInformation info;
    info.setInfoTitle("first");
    info.WriteInfo(file);
    EXPECT_EQ(QFile::permissions(file) & 0x7077, permissions);  // without the "user" duplicates
    EXPECT_EQ(folderEntries(dir), QStringList{"tone.mp3"});
    info.ReadInfo(file);
    EXPECT_EQ(info.infoTitle(), "first");

    // No room for a whole copy (a full disk, a quota): the file is kept.
    info.setInfoTitle(QString(4000, u'x'));
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = static_cast<rlim_t>(QFileInfo(file).size() / 2);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    expectRefusedUntouched(dir, file, [&] { info.WriteInfo(file); });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    // A read-only folder (root writes there anyway).
    if (geteuid() != 0) {
        ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        expectRefusedUntouched(dir, file, [&] { info.WriteInfo(file); });
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}
