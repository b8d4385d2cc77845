// Output names, folders and writer formats built from the settings file, and
// the length limit read from it on every tick. The main name "@E" cannot occur
// in a temporary folder's name, which the shown name is searched over.

#include "RecordingSettings.h"
#include "config/RecordingSettings.h"
#include "fakes/FakeComponents.h"
#include "platform/Error.h"
#include "recording/LengthLimit.h"
#include "recording/OutputSetup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Output : ::testing::Test {
    QTemporaryDir tmp;
    SettingsFile settings{tmp.filePath("tamsel.ini")};
    FakeAudioFile writer;
    const QDateTime at{QDate(2026, 12, 7), QTime(0, 10, 7)};
    QString dir() const { return tmp.filePath("My Recorder"); }

    Output()
    {
        settings.writeText("output", "dir", dir());
        settings.writeText("output", "out_name", "@E");
    }
    OutputSetup run() { return setUpOutput(stored(), writer, at, false); }
    // As a recording start reads the file.
    RecordingSettings stored() const { return RecordingSettings::load(settings, true); }
};

}  // namespace

TEST_F(Output, DateTimeAndCustomNamesInTheCreatedFolder)
{
    settings.writeBool("output", "rb_cust", false);
    OutputSetup out = run();
    EXPECT_EQ(out.fileName, dir() + "/@E-07-12-2026--00;10;07.wav");
    EXPECT_TRUE(QDir(dir()).exists());
    EXPECT_EQ(fileNameText(out.fileName, "@E"), "File Name:@E-07-12-2026--00;10;07.wav");
    settings.writeText("output", "out_name", "");
    EXPECT_EQ(run().fileName, dir() + "/-07-12-2026--00;10;07.wav");

    // A file that continues a cut recording in the same second gets "-2", "-3".
    settings.writeText("output", "out_name", "@E");
    for (const QString& taken : {out.fileName, dir() + "/@E-07-12-2026--00;10;07-2.wav"}) {
        QFile f(taken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(setUpOutput(stored(), writer, at, true).fileName.toStdString(),
              (dir() + "/@E-07-12-2026--00;10;07-3.wav").toStdString());
    EXPECT_EQ(run().fileName.toStdString(), out.fileName.toStdString()) << "a new recording started by the user takes its own name";
    // ... unless this run recorded and listed a file under it (the clocks went back).
    EXPECT_EQ(setUpOutput(stored(), writer, at, false, {out.fileName}).fileName,
              dir() + "/@E-07-12-2026--00;10;07-3.wav");

    settings.writeBool("output", "rb_cust", true);
    settings.writeText("output", "out_name", "@E");
    settings.writeText("output", "dir", tmp.filePath("a/b/c/"));  // nested, trailing separator
    EXPECT_EQ(run().fileName, tmp.filePath("a/b/c/@E.wav"));

    // Absent, the key means custom naming.
    QFile::remove(settings.path());
    settings.writeText("output", "dir", dir());
    EXPECT_EQ(run().fileName, dir() + "/EUT.wav");

    EXPECT_EQ(fileNameText("/home/u/My Recorder/Rec-07.wav", "Rec"), "File Name:Recorder/Rec-07.wav");
    EXPECT_EQ(fileNameText("/home/u/rec/-07-12.wav", ""), "File Name:-07-12.wav");
    EXPECT_EQ(fileNameText("/home/u/rec/x.wav", "Q"), "File Name:/home/u/rec/x.wav");
}

TEST_F(Output, AFolderThatCannotBeMadeIsNamedWithTheReason)
{
    QFile blocker(tmp.filePath("taken"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    for (const QString& bad : {tmp.filePath("taken"), tmp.filePath("taken/sub")}) {
        settings.writeText("output", "dir", bad);
        try {
            run();
            FAIL() << "no error for " << bad.toStdString();
        } catch (const TamselError& e) {
            EXPECT_TRUE(e.message().contains(bad)) << e.message().toStdString();
            EXPECT_GT(e.message().size(), bad.size() + 30) << e.message().toStdString();
        }
    }
    EXPECT_FALSE(writer.calls.join(' ').contains("Set")) << "no format after a failed folder";
}

TEST_F(Output, WavModesOutOfTableValuesAndUnknownFormatsFallBack)
{
    struct Case {
        int mode, frequency, channel, bit;
        const char *info, *call;
    };
    const Case cases[] = {
        {0, 0, 0, 0, "File Info: stereo 16B 44100HZ", "SetWavFormat 44100 2 16"},
        {1, 0, 0, 0, "File Info: Mono 4B 800HZ", "SetWavFormat 800 1 4"},
        {2, 1, 0, 4, "File Info: Mono 8B 8000HZ", "SetWavFormat 8000 1 8"},
        {7, 1, 0, 4, "File Info: stereo 16B 44100HZ", "SetWavFormat 44100 2 16"},
        {2, 10, 2, -1, "File Info: Stereo 3B 44100HZ", "SetWavFormat 44100 2 3"},  // each key's default
    };
    for (const Case& c : cases) {
        writeWavMode(settings, c.mode, c.frequency, c.channel, c.bit);
        EXPECT_EQ(run().infoText, c.info) << c.mode;
        EXPECT_EQ(writer.calls.last(), c.call) << c.mode;
    }

    writeWavMode(settings, 0, 0, 0, 0);
    for (int format : {2, 7, -1}) {
        settings.writeInteger("output", "format", format);
        EXPECT_EQ(run().fileName, dir() + "/@E.wav") << format;
        EXPECT_EQ(writer.calls.last(), "SetWavFormat 44100 2 16") << format;
    }

    // MP3, FLAC and Opus take the WAV page's rate and channels and their own quality.
    writeWavMode(settings, 2, 5, 0, 5);  // 22050 Hz mono
    const struct {
        int format;
        const char* extension;
        const char* call;
        const char* info;
    } compressed[] = {
        {1, ".mp3", "SetMp3Format 22050 1 2 0", "File Info: MP3 Mono V2 22050HZ"},
        {5, ".flac", "SetFlacFormat 22050 1 16", "File Info: FLAC Mono 16B 22050HZ"},
        {6, ".opus", "SetOpusFormat 22050 1 96", "File Info: Opus Mono 96K 48000HZ"},
    };
    for (const auto& c : compressed) {
        settings.writeInteger("output", "format", c.format);
        const OutputSetup o = run();
        EXPECT_EQ(o.fileName, dir() + "/@E" + c.extension);
        EXPECT_EQ(writer.calls.last(), c.call);
        EXPECT_EQ(o.infoText, c.info);
        EXPECT_TRUE(o.taggable);
    }
    settings.writeInteger("mp3", "bitrate", 192);
    settings.writeInteger("output", "format", 1);
    EXPECT_EQ(run().infoText, "File Info: MP3 Mono 192K 22050HZ");
    EXPECT_EQ(writer.calls.last(), "SetMp3Format 22050 1 2 192");

    settings.writeInteger("output", "format", 4);
    settings.writeInteger("raw", "f", 99);
    settings.writeInteger("raw", "b", 7);
    settings.writeInteger("raw", "c", 0);
    settings.writeInteger("raw", "format", 6);
    OutputSetup out = run();
    EXPECT_EQ(out.fileName, dir() + "/@E.raw");
    EXPECT_EQ(out.infoText, "File Info: Mono 16B 44100HZ");
    EXPECT_EQ(writer.calls.last(), "SetRawFormat 6 44100 1 16");
}

TEST_F(Output, OggQualityManagedAndRefused)
{
    settings.writeInteger("output", "format", 3);
    OutputSetup out = run();
    EXPECT_EQ(out.fileName, dir() + "/@E.OGG");
    EXPECT_EQ(out.infoText, "File Info: Stereo 300Q 44100HZ");
    EXPECT_EQ(writer.calls.last(), "SetOggFormat 44100 2 256 128 128 300");

    settings.writeBool("ogg", "enable quality", false);
    settings.writeInteger("ogg", "min bitrate", 3);
    settings.writeInteger("ogg", "max bitrate", 16);
    out = run();
    EXPECT_EQ(out.infoText, "File Info: Stereo 32K 44100HZ");
    EXPECT_EQ(writer.calls.mid(writer.calls.size() - 2),
              QStringList({"CheckOggFormat 44100 2 256 32 320", "SetOggFormat 44100 2 256 32 320 0"}));
}

TEST_F(Output, LengthLimitActsFromTheFirstTickAtTheLimitOnlyWhenInForce)
{
    using A = LengthLimitAction;
    EXPECT_EQ(checkLengthLimit(RecordingSettings::load(settings).limit, 100000), A::None);  // no keys at all
    struct Case {
        bool stop, next, enabled, byTime;
        const char* seconds;
        int64_t at;
        A action;
    };
    const Case cases[] = {
        {true, false, true, true, "120", 119, A::None},
        {true, false, true, true, "120", 120, A::Stop},
        {true, false, true, true, "120", int64_t(1) << 40, A::Stop},
        {false, true, true, true, "120", 119, A::None},
        {false, true, true, true, "120", 120, A::StopAndStartNext},
        {true, true, true, true, "120", 121, A::StopAndStartNext},
        {false, false, true, true, "120", 500, A::None},
        {true, false, true, true, "0", 0, A::Stop},
        {true, false, true, false, "120", 100000, A::None},
        {true, false, false, true, "120", 100000, A::None},
    };
    for (const Case& c : cases) {
        writeLengthLimit(settings, c.seconds, c.stop, c.next, c.enabled, c.byTime);
        EXPECT_EQ(checkLengthLimit(RecordingSettings::load(settings).limit, c.at), c.action) << c.stop << c.next << c.enabled << c.byTime << c.at;
    }
}

TEST_F(Output, ALengthLimitThatIsNotANumberIsAnErrorOnlyWhenInForce)
{
    for (const QString& bad : {QString(), QString("12a"), QString("1.5")}) {
        writeLengthLimit(settings, bad, true, false);
        EXPECT_THROW(checkLengthLimit(RecordingSettings::load(settings).limit, 0), TamselError) << bad.toStdString();
    }
    settings.writeBool("file", "rbtime", false);
    EXPECT_EQ(checkLengthLimit(RecordingSettings::load(settings).limit, 0), LengthLimitAction::None);
}
