// Missing, foreign and damaged files: a TamselError naming the file, never a crash.

#include "TagTestFiles.h"
#include "components/taglib/TagLibInformation.h"
#include "platform/Error.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <unistd.h>

using tagtest::Kind;

namespace {

// Runs call and returns the TamselError message, or fails when none is raised.
template <typename Call>
QString errorOf(Call call)
{
    try {
        call();
    } catch (const TamselError& e) {
        return e.message();
    }
    ADD_FAILURE() << "no TamselError raised";
    return {};
}

}  // namespace

TEST(TagLibFailure, MissingFileNamesTheFile)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("gone.wav");
    TagLibInformation info;
    QString message = errorOf([&] { info.ReadInfo(missing); });
    EXPECT_TRUE(message.startsWith("Cannot read the tag of " + missing)) << message.toStdString();
    EXPECT_TRUE(message.contains("does not exist"));
    message = errorOf([&] { info.WriteInfo(missing); });
    EXPECT_TRUE(message.startsWith("Cannot write the tag of " + missing)) << message.toStdString();
    EXPECT_FALSE(QFile::exists(missing)) << "writing must not create the file";
    errorOf([&] { info.ReadInfo(dir.path()); });
}

TEST(TagLibFailure, NonAudioFilesAreRefused)
{
    QTemporaryDir dir;
    const QString text = dir.filePath("notes.txt");
    tagtest::writeAll(text, "shopping: milk, eggs\n");
    const QString disguised = dir.filePath("notes.mp3");
    tagtest::writeAll(disguised, QByteArray("just words, no frames\n").repeated(50));
    const QString empty = dir.filePath("empty.wav");
    tagtest::writeAll(empty, {});
    for (const QString& file : {text, disguised, empty}) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray before = tagtest::readAll(file);
        TagLibInformation info;
        const QString message = errorOf([&] { info.ReadInfo(file); });
        EXPECT_TRUE(message.contains(file)) << message.toStdString();
        info.setInfoTitle("x");
        EXPECT_TRUE(errorOf([&] { info.WriteInfo(file); }).contains(file));
        EXPECT_EQ(tagtest::readAll(file), before);
    }
}

TEST(TagLibFailure, Rf64IsReadButNeverRewritten)
{
    QTemporaryDir dir;
    const QString source = tagtest::makeFile(dir, Kind::Wav, "tone");
    const QString rf64 = dir.filePath("long.wav");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-i", source, "-rf64", "always", rf64});
    const QByteArray before = tagtest::readAll(rf64);
    TagLibInformation info;
    info.ReadInfo(rf64);
    info.setInfoTitle("would damage the header");
    EXPECT_TRUE(errorOf([&] { info.WriteInfo(rf64); }).contains(rf64));
    EXPECT_EQ(tagtest::readAll(rf64), before);
}

TEST(TagLibFailure, ReadOnlyFileFailsToSave)
{
    if (geteuid() == 0) GTEST_SKIP() << "root writes read-only files";
    QTemporaryDir dir;
    const QString file = tagtest::makeFile(dir, Kind::Mp3, "tone");
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner));
    TagLibInformation info;
    info.setInfoTitle("nope");
    EXPECT_TRUE(errorOf([&] { info.WriteInfo(file); }).startsWith("Cannot write the tag of " + file));
}

TEST(TagLibFailure, DamagedFilesNeverCrash)
{
    QTemporaryDir dir;
    QRandomGenerator random(20240611);
    const Kind kinds[] = {Kind::Wav, Kind::Mp3, Kind::Ogg, Kind::Wma};
    int refused = 0;
    int files = 0;
    for (const Kind kind : kinds) {
        const QByteArray whole = tagtest::readAll(tagtest::makeFile(dir, kind, "good"));
        QList<QByteArray> variants;
        variants << whole.left(whole.size() / 3) << whole.left(64) << whole.left(5);
        QByteArray flipped = whole;
        for (int i = 0; i < 200; ++i) flipped[random.bounded(qsizetype(512))] = char(random.bounded(256));
        variants << flipped;
        QByteArray noise(4096, '\0');
        for (char& c : noise) c = char(random.bounded(256));
        variants << whole.left(16) + noise;
        for (const QByteArray& bytes : variants) {
            const QString file = dir.filePath(QString("bad%1.%2").arg(files++).arg(tagtest::suffixOf(kind)));
            tagtest::writeAll(file, bytes);
            SCOPED_TRACE(file.toStdString());
            TagLibInformation info;
            try {
                info.ReadInfo(file);
                EXPECT_GE(info.infoSamples(), 0);
                info.setInfoTitle("survivor");
                info.WriteInfo(file);
            } catch (const TamselError& e) {
                ++refused;
                EXPECT_TRUE(e.message().contains(file)) << e.message().toStdString();
            }
        }
    }
    // The three-byte-short stubs at least cannot pass as audio.
    EXPECT_GE(refused, 4);
}
