// The tag window over a fake information component and a scratch settings
// file: both modes, its three buttons, the key filters and the genre list.

#include "app/ApplicationTitle.h"
#include "config/SettingsFile.h"
#include "fakes/FakeComponents.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "tags/Tfm_id3.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kSong = "/music/Side A/song.mp3";

class TagWindow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    SettingsFile settings{dir.filePath("tamsel.ini")};
    FakeInformation info;
    FakeDialogs dialogs;
    QString selected;  // the join list's selected entry
    int shows = 0;     // times showAndDo found the window up
    Tfm_id3 window;

    void SetUp() override
    {
        window.setInformation(&info);
        window.setSettings([this] { return &settings; });
        window.setDialogs(&dialogs);
        window.setSelectedEntry([this] { return selected; });
    }

    QByteArray iniBytes() const
    {
        QFile f(settings.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Shows the window modally and runs `act` once it is up. A window that
    // `act` leaves open is cancelled afterwards and reported in stillOpen.
    // The timer dies with the call, so an exec() that throws leaves none behind.
    struct Run {
        int result = -1;
        bool stillOpen = false;
    };
    Run showAndDo(const std::function<void()>& act)
    {
        Run run;
        QTimer up;
        up.setSingleShot(true);
        QObject::connect(&up, &QTimer::timeout, &window, [&] {
            ++shows;
            act();
            if (window.isVisible()) {
                run.stillOpen = true;
                window.reject();
            }
        });
        up.start(0);
        run.result = window.exec();
        return run;
    }

    void selectFileWithTag()
    {
        selected = kSong;
        FakeInformation::Tag& tag = info.files[kSong];
        tag = {};
        tag.title = tag.album = "Blue Train";
        tag.artist = "J. Coltrane";
        tag.comments = "mono master";
        tag.genre = 8;
        tag.year = 1957;
        tag.track = 1;
        info.technical = {44100, 128000, 2, 16, 1, 61234, 2700419, 987654};
    }
};

}  // namespace

TEST_F(TagWindow, FileModeShowsTheTagAndCancelWritesNothing)
{
    selectFileWithTag();
    // A second component replaces the genre list rather than growing it.
    window.setInformation(&info);
    ASSERT_EQ(window.infoGenre->count(), 148);
    EXPECT_EQ(window.infoGenre->itemText(147), info.GenreName(147));
    const Run run = showAndDo([&] {
        EXPECT_FALSE(window.editingDefaults);
        EXPECT_EQ(window.infoFileName->text(), "song.mp3");
        EXPECT_EQ(window.infoGenre->currentIndex(), 8);
        EXPECT_EQ(window.infoComment->text(), "mono master");
        EXPECT_EQ(window.infoDuration->text(), "61234 ms");
        EXPECT_EQ(window.infoSamples->text(), "2700419");
        EXPECT_EQ(window.infoSize->text(), "987654");
        window.Button2->click();
    });
    EXPECT_FALSE(run.stillOpen);
    EXPECT_EQ(run.result, QDialog::Rejected);
    EXPECT_EQ(info.calls, QStringList{"ReadInfo " + kSong}) << "Cancel stages and writes nothing";
    EXPECT_TRUE(iniBytes().isEmpty());
}

// Ok stages only the fields the user changed, in order, then writes the
// file: what the window shows reduced (here a genre outside the list) is not
// written back. "+2" is track 2; "01957" is the year shown.
TEST_F(TagWindow, FileModeOkStagesTheChangedFieldsInOrderThenWritesTheFile)
{
    selectFileWithTag();
    info.files[kSong].genre = 148;
    const Run run = showAndDo([&] {
        EXPECT_EQ(window.infoGenre->currentIndex(), -1);
        window.infoTitle->setText("Moment's Notice");
        window.infoComment->setText("");
        window.infoYear->setText("01957");
        window.infoTrack->setText("+2");
        window.btnApply->click();
    });
    EXPECT_FALSE(run.stillOpen);
    EXPECT_EQ(run.result, QDialog::Accepted);
    EXPECT_EQ(info.calls, QStringList({"ReadInfo " + kSong, "title Moment's Notice", "comment ", "track 2",
                                       "WriteInfo " + kSong}));
    EXPECT_EQ(info.files[kSong].genre, 148);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(iniBytes().isEmpty()) << "file mode leaves the default tag alone";

    // Fields edited and set back count as unchanged; a picked genre is staged.
    info.calls.clear();
    showAndDo([&] {
        window.infoArtist->setText("someone else");
        window.infoArtist->setText("J. Coltrane");
        window.infoGenre->setCurrentIndex(8);
        window.btnApply->click();
    });
    EXPECT_EQ(info.calls, QStringList({"ReadInfo " + kSong, "genreIndex 8", "WriteInfo " + kSong}));
}

// The real box, as the user sees it.
TEST_F(TagWindow, TheInvalidValueBoxIsPlainAndCaptionedWithTheApplicationTitle)
{
    QtDialogs real(kApplicationTitle);
    window.setDialogs(&real);
    selectFileWithTag();
    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QMessageBox::StandardButtons buttons;
    showAndDo([&] {
        window.infoYear->setText("19x");
        // Runs inside the box's own event loop.
        QTimer::singleShot(0, &window, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (!box || !box->isVisible()) continue;
                caption = box->windowTitle();
                text = box->text();
                icon = box->icon();
                buttons = box->standardButtons();
                box->accept();
            }
        });
        window.btnApply->click();
    });
    EXPECT_EQ(text, "Invalid Year Value");
    EXPECT_EQ(caption, "Tamsel V1.02");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, QMessageBox::Ok);
}

TEST_F(TagWindow, InvalidYearOrTrackKeepsTheWindowOpenAndWritesNothing)
{
    struct Case {
        QString year, track, message;
        QLineEdit* Tfm_id3::*focus;
        QString lastStaged;
    };
    const Case cases[] = {
        {"", "1", "Invalid Year Value", &Tfm_id3::infoYear, "title Changed"},
        {"19 57", "1", "Invalid Year Value", &Tfm_id3::infoYear, "title Changed"},
        {"99999999999", "1", "Invalid Year Value", &Tfm_id3::infoYear, "title Changed"},
        {"-", "1", "Invalid Year Value", &Tfm_id3::infoYear, "title Changed"},
        {"1958", "", "Invalid Track Value", &Tfm_id3::infoTrack, "year 1958"},
        {"1957", "0x1", "Invalid Track Value", &Tfm_id3::infoTrack, "title Changed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(("year '" + c.year + "' track '" + c.track + "'").toStdString());
        info.calls.clear();
        dialogs.shown.clear();
        selectFileWithTag();
        bool focused = false;
        const Run run = showAndDo([&] {
            window.infoTitle->setText("Changed");
            window.infoYear->setText(c.year);
            window.infoTrack->setText(c.track);
            window.btnApply->click();
            focused = window.focusWidget() == window.*c.focus;
        });
        EXPECT_TRUE(run.stillOpen);
        EXPECT_TRUE(focused);
        EXPECT_EQ(dialogs.shown, QStringList{c.message});
        EXPECT_EQ(info.calls.last(), c.lastStaged);
        EXPECT_FALSE(info.calls.contains("WriteInfo " + kSong));
        EXPECT_EQ(info.files[kSong].year, 1957);
    }

    // Ok after a corrected year writes what is changed then, once: a title
    // that the failed Ok staged and the user set back is not written.
    dialogs.shown.clear();
    info.calls.clear();
    const Run run = showAndDo([&] {
        window.infoTitle->setText("Locomotion");
        window.infoYear->setText("");
        window.btnApply->click();
        window.infoTitle->setText("Blue Train");
        window.infoYear->setText("1958");
        window.btnApply->click();
    });
    EXPECT_FALSE(run.stillOpen);
    EXPECT_EQ(dialogs.shown, QStringList{"Invalid Year Value"});
    EXPECT_EQ(info.calls, QStringList({"ReadInfo " + kSong, "title Locomotion", "ReadInfo " + kSong, "year 1958",
                                       "WriteInfo " + kSong}));
    EXPECT_EQ(info.files[kSong].title, "Blue Train");
    EXPECT_EQ(info.files[kSong].year, 1958);
}

TEST_F(TagWindow, DefaultsModeShowsTheStoredDefaultTagAndCancelKeepsIt)
{
    // A file shown first leaves its tag in the fields; the defaults replace it.
    selectFileWithTag();
    showAndDo([&] { window.Button2->click(); });
    selected.clear();
    showAndDo([&] {
        EXPECT_TRUE(window.editingDefaults);
        EXPECT_EQ(window.infoFileName->text(), "");
        EXPECT_EQ(window.infoTitle->text(), "");
        EXPECT_EQ(window.infoGenre->currentIndex(), -1);
        EXPECT_EQ(window.infoYear->text(), "0");
        EXPECT_EQ(window.infoFrequency->text(), "44100 Hz");  // the last file's data stays
        window.Button2->click();
    });
    EXPECT_TRUE(iniBytes().isEmpty()) << "showing and cancelling writes nothing";

    info.calls.clear();
    settings.writeText("info", "title", "Morning Show");
    settings.writeText("info", "arist", "Radio One");
    settings.writeInteger("info", "genre", 12);
    settings.writeText("info", "Track", "3");
    const QByteArray before = iniBytes();
    const Run run = showAndDo([&] {
        EXPECT_EQ(window.infoTitle->text(), "Morning Show");
        EXPECT_EQ(window.infoArtist->text(), "Radio One");
        EXPECT_EQ(window.infoGenre->currentIndex(), 12);
        EXPECT_EQ(window.infoTrack->text(), "3");
        window.infoTitle->setText("Changed");
        window.Button2->click();
    });
    EXPECT_EQ(run.result, QDialog::Rejected);
    EXPECT_EQ(iniBytes(), before);
    EXPECT_TRUE(info.calls.isEmpty()) << "no file is read in defaults mode";
}

TEST_F(TagWindow, DefaultsModeOkStoresTheSevenKeysInOrderWithoutValidation)
{
    const Run run = showAndDo([&] {
        window.infoTitle->setText("Night Desk");
        window.infoArtist->setText("Studio 2");
        window.infoAlbum->setText("Archive");
        window.infoGenre->setCurrentIndex(-1);
        window.infoYear->setText("");
        window.infoTrack->setText("x");
        window.infoComment->setText("auto");
        window.btnApply->click();
    });
    EXPECT_FALSE(run.stillOpen);
    EXPECT_EQ(run.result, QDialog::Accepted);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(info.calls.isEmpty()) << "no file is written in defaults mode";
    EXPECT_EQ(iniBytes(), "[info]\nTrack=x\nyear=\ntitle=Night Desk\narist=Studio 2\n"
                          "album=Archive\ngenre=-1\ncomment=auto\n");
    EXPECT_EQ(settings.readText("info", "year", "?"), "");

    // A picked genre is stored by its position.
    showAndDo([&] {
        window.infoGenre->setCurrentIndex(20);
        window.btnApply->click();
    });
    EXPECT_EQ(settings.readInteger("info", "genre", -7), 20);
}

TEST_F(TagWindow, ClearEmptiesTheTagButKeepsNameModeAndTechnicalData)
{
    selectFileWithTag();
    const Run run = showAndDo([&] {
        // The component's values may move after the read; Clear shows its current ones.
        info.tag.genre = 40;
        info.technical.frequency = 22050;
        window.btnReset->click();
        EXPECT_EQ(window.infoTitle->text(), "");
        EXPECT_EQ(window.infoComment->text(), "");
        EXPECT_EQ(window.infoYear->text(), "0");
        EXPECT_EQ(window.infoGenre->currentIndex(), 40);
        EXPECT_EQ(window.infoFileName->text(), "song.mp3");
        EXPECT_EQ(window.infoFrequency->text(), "22050 Hz");
        EXPECT_EQ(info.calls, QStringList{"ReadInfo " + kSong}) << "Clear writes nothing";
        window.btnApply->click();
    });
    EXPECT_FALSE(run.stillOpen);
    EXPECT_EQ(info.calls.last(), "WriteInfo " + kSong) << "the mode stays file mode";
    EXPECT_EQ(info.files[kSong].title, "");
    EXPECT_TRUE(iniBytes().isEmpty());

    // In defaults mode nothing is written until Ok.
    selected.clear();
    settings.writeText("info", "title", "Kept");
    const QByteArray before = iniBytes();
    showAndDo([&] {
        window.btnReset->click();
        EXPECT_EQ(window.infoTitle->text(), "");
        EXPECT_TRUE(window.editingDefaults);
        EXPECT_EQ(iniBytes(), before);
        window.btnApply->click();
    });
    EXPECT_EQ(settings.readText("info", "title", "?"), "");
    EXPECT_EQ(settings.readText("info", "year", "?"), "0");
}

TEST_F(TagWindow, UnreadableFileRaisesAndTheWindowStaysClosed)
{
    selected = "/gone/away.wav";
    info.readError = "Cannot read the tag of /gone/away.wav";
    try {
        showAndDo([] {});
        ADD_FAILURE() << "the read error must reach the caller";
    } catch (const TamselError& e) {
        EXPECT_EQ(e.message(), info.readError);
    }
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(shows, 0) << "the window is not shown for a file it cannot read";
}

TEST_F(TagWindow, YearAndTrackTakeDigitsAndALetterDeletesTheDigitBeforeTheCaret)
{
    for (QLineEdit* field : {window.infoYear, window.infoTrack}) {
        SCOPED_TRACE(field->objectName().toStdString());
        field->clear();
        QTest::keyClicks(field, "19");
        QTest::keyClick(field, Qt::Key_A);
        EXPECT_EQ(field->text(), "1");
        QTest::keyClicks(field, "984");
        field->setCursorPosition(2);
        QTest::keyClick(field, Qt::Key_Space);
        EXPECT_EQ(field->text(), "184") << "the character before the caret goes";
        EXPECT_EQ(field->cursorPosition(), 1);
        QTest::keyClicks(field, "-.");
        EXPECT_EQ(field->text(), "84") << "two more backspaces, the first deletes the '1'";
        // Keys that type no character keep their usual meaning, also with
        // the control characters X11 gives them as text.
        const auto key = [field](Qt::Key code, const char* text, Qt::KeyboardModifiers mods = {}) {
            QTest::sendKeyEvent(QTest::Click, field, code, QString::fromLatin1(text), mods);
        };
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClick(field, Qt::Key_Left);
        key(Qt::Key_Tab, "\t");
        key(Qt::Key_Return, "\r");
        key(Qt::Key_Backspace, "\x08");
        EXPECT_EQ(field->text(), "4");
        field->setText("2006");
        field->setCursorPosition(0);
        key(Qt::Key_Delete, "\x7f");
        EXPECT_EQ(field->text(), "006");
        key(Qt::Key_A, "\x01", Qt::ControlModifier);
        EXPECT_EQ(field->selectedText(), "006");
    }
    // Other edits are not filtered.
    QTest::keyClicks(window.infoTitle, "a1-");
    EXPECT_EQ(window.infoTitle->text(), "a1-");

    // Only the ten ASCII digits pass, not other scripts' digits.
    for (char16_t c : {u'0', u'9', u'a', u' ', u'+', u'\u0663', u'\u00B2'}) {
        QChar year(c), track(c);
        window.infoYearKeyPress(year);
        window.infoTrackKeyPress(track);
        const QChar expected = c == u'0' || c == u'9' ? QChar(c) : QChar(u'\b');
        EXPECT_EQ(year, expected) << int(c);
        EXPECT_EQ(track, expected) << int(c);
    }
}
