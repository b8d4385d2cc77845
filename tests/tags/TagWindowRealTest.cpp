// The tag window over the real information component: a peer-made file's tag
// is shown, edited through the window and read back by ffprobe.

#include "TagTestFiles.h"
#include "components/taglib/TagLibInformation.h"
#include "support/TestSupport.h"
#include "tags/Tfm_id3.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using tagtest::Kind;

namespace {

class TagWindowOnFile : public ::testing::TestWithParam<Kind> {
protected:
    QTemporaryDir dir;
    TagLibInformation info;
    Tfm_id3 window;
};

}  // namespace

TEST_P(TagWindowOnFile, TagIsShownEditedAndReadBackByFfprobe)
{
    const QString file = tagtest::makeFile(
        dir, GetParam(), "take one",
        {"-metadata", "title=First Take", "-metadata", "artist=Peer", "-metadata", "genre=Jazz",
         "-metadata", "date=1999", "-metadata", "track=3"});
    window.setInformation(&info);
    window.setSelectedEntry([&file] { return file; });

    const QString title = QString::fromUtf8("Zweite Aufnahme — ☃");
    bool stillOpen = false;
    QTimer::singleShot(0, &window, [&] {
        EXPECT_EQ(window.infoFileName->text(), QFileInfo(file).fileName());
        EXPECT_EQ(window.infoTitle->text(), "First Take");
        EXPECT_EQ(window.infoArtist->text(), "Peer");
        EXPECT_EQ(window.infoGenre->currentText(), "Jazz");
        EXPECT_EQ(window.infoYear->text(), "1999");
        EXPECT_EQ(window.infoTrack->text(), "3");
        EXPECT_EQ(window.infoFrequency->text(), "44100 Hz");
        EXPECT_EQ(window.infoChannels->text(), "2");
        EXPECT_EQ(window.infoSize->text(), QString::number(QFileInfo(file).size()));
        if (GetParam() == Kind::Wav) {
            EXPECT_EQ(window.infoBitsPerSample->text(), "16");
            EXPECT_EQ(window.infoFormatTag->text(), "1");
            EXPECT_EQ(window.infoSamples->text(), "44100");
        }

        window.infoTitle->setText(title);
        window.infoArtist->setText("Second Peer");
        window.infoAlbum->setText("Sessions");
        window.infoGenre->setCurrentIndex(17);
        window.infoComment->setText("edited in the window");
        window.infoYear->setText("2024");
        window.infoTrack->setText("12");
        window.btnApply->click();
        if (window.isVisible()) {
            stillOpen = true;
            window.reject();
        }
    });
    EXPECT_EQ(window.exec(), QDialog::Accepted);
    EXPECT_FALSE(stillOpen);

    const QJsonObject tags = tagtest::probeTags(file);
    EXPECT_EQ(tags.value("title").toString(), title);
    EXPECT_EQ(tags.value("artist").toString(), "Second Peer");
    EXPECT_EQ(tags.value("album").toString(), "Sessions");
    EXPECT_EQ(tags.value("genre").toString(), "Rock");
    EXPECT_EQ(tags.value("comment").toString(), "edited in the window");
    EXPECT_TRUE(tags.value("date").toString().startsWith("2024"));
    EXPECT_EQ(tags.value("track").toString().section('/', 0, 0), "12");
    EXPECT_EQ(testsupport::probeAudioStream(file).value("sample_rate").toString(), "44100");
}

INSTANTIATE_TEST_SUITE_P(Kinds, TagWindowOnFile,
                         ::testing::Values(Kind::Wav, Kind::Mp3, Kind::Ogg),
                         [](const ::testing::TestParamInfo<Kind>& p) {
                             return tagtest::suffixOf(p.param).toStdString();
                         });
