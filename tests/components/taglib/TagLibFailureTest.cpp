// Missing, foreign and damaged files: a TamselError naming the file, never a crash.

#include "../ComponentTestSupport.h"
#include "TagTestFiles.h"
#include "components/taglib/FfmpegTechnicalProbe.h"
#include "components/taglib/TagLibInformation.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>
#include <unistd.h>

using tagtest::Kind;

TEST(TagLibFailure, MissingAndNonAudioFilesAreRefusedUntouched)
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

    const QString text = dir.filePath("notes.txt");
    writeBytes(text, "shopping: milk, eggs\n");
    const QString disguised = dir.filePath("notes.mp3");
    writeBytes(disguised, QByteArray("just words, no frames\n").repeated(50));
    const QString empty = dir.filePath("empty.wav");
    writeBytes(empty, {});
    // A long recording: read, but its header must never be rewritten.
    const QString rf64 = dir.filePath("long.wav");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-i", tagtest::makeFile(dir, Kind::Wav, "tone"),
                                    "-rf64", "always", rf64});
    for (const QString& file : {text, disguised, empty, rf64}) {
        SCOPED_TRACE(file.toStdString());
        const QByteArray before = readBytes(file);
        TagLibInformation i;
        if (file == rf64)
            i.ReadInfo(file);
        else
            EXPECT_TRUE(errorOf([&] { i.ReadInfo(file); }).contains(file));
        i.setInfoTitle("x");
        EXPECT_TRUE(errorOf([&] { i.WriteInfo(file); }).contains(file));
        EXPECT_EQ(readBytes(file), before);
    }

    // The fallback probe refuses what has no audio and leaves the data alone.
    const QString image = dir.filePath("picture.png");
    testsupport::runPeer("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "color=c=red:s=16x16",
                                    "-frames:v", "1", image});
    TechnicalData d;
    d.frequency = 7;
    for (const QString& file : {text, image, missing}) EXPECT_FALSE(ffmpegTechnicalProbe(file, d));
    EXPECT_EQ(d.frequency, 7);
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
    int refused = 0;
    int files = 0;
    for (const Kind kind : {Kind::Wav, Kind::Mp3, Kind::Ogg, Kind::Wma}) {
        const QByteArray whole = readBytes(tagtest::makeFile(dir, kind, "good"));
        QByteArray flipped = whole;
        for (int i = 0; i < 200; ++i) flipped[random.bounded(qsizetype(512))] = char(random.bounded(256));
        QByteArray noise(4096, '\0');
        for (char& c : noise) c = char(random.bounded(256));
        for (const QByteArray& bytes : {whole.left(whole.size() / 3), whole.left(64), whole.left(5), flipped,
                                        whole.left(16) + noise}) {
            const QString file = dir.filePath(QString("bad%1.%2").arg(files++).arg(tagtest::suffixOf(kind)));
            writeBytes(file, bytes);
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
    // The five-byte stubs at least cannot pass as audio.
    EXPECT_GE(refused, 4);
}
