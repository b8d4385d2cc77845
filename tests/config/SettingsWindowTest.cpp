// The settings window's loading, saving, Default and the rules between its
// controls, against a settings file in a temporary folder.

#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "config/Tfm_set.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct SettingsWindow : ::testing::Test {
    QTemporaryDir tmp;
    SettingsFile settings{tmp.filePath("tamsel.ini")};
    Tfm_set set;
    SettingsWindow() { set.setSettings([this] { return &settings; }); }

    QString text(const char* section, const char* key) { return settings.readText(section, key, "absent"); }
    QByteArray fileBytes()
    {
        QFile f(settings.path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void write(const char* section, std::initializer_list<std::pair<const char*, const char*>> keys)
    {
        for (auto [key, value] : keys) settings.writeText(section, key, value);
    }
    // Every key the save step writes, as a user might have saved them.
    void writeCustomFile()
    {
        write("file", {{"enlength", "1"}, {"rbtime", "1"}, {"rbtimee", "1"}, {"timet", "300"}, {"time", "1"},
                       {"limit_s", "0"}, {"limit_n", "1"}});
        write("output", {{"format", "1"}, {"out_name", "Show"}, {"rb_time", "0"}, {"rb_cust", "1"}, {"dir", "/srv/rec"}});
        write("wav", {{"mode", "2"}, {"bit", "3"}, {"channel", "0"}, {"frequency", "2"}});
        write("mp3", {{"quality", "0"}, {"bitrate", "320"}});
        write("opus", {{"bitrate", "64"}});
        write("flac", {{"bits", "24"}});
        write("ogg", {{"quality", "700"}});
        write("sound", {{"mode", "2"}, {"start_level", "-35"}, {"preroll", "1500"}, {"hang", "8000"},
                        {"new_file", "1"}, {"split_level", "-45"}, {"split_silence", "3500"}, {"drop", "1"},
                        {"silent_level", "-55"}, {"silent_seconds", "0"}});
    }
    void reopen() { set.hide(), set.show(); }
    bool wavBoxesEnabled(bool expected)
    {
        return set.cb_wav_frequency->isEnabled() == expected && set.cb_wav_channel->isEnabled() == expected
               && set.cb_wav_bit->isEnabled() == expected;
    }
};

}  // namespace

// The saved lines list every default but the three changed here.
TEST_F(SettingsWindow, WithNoFileOnlyOkSavesAndItWritesEveryKeyInItsOrder)
{
    set.show();
    EXPECT_FALSE(set.file_rb_time->isEnabled());
    EXPECT_FALSE(set.file_time->isEnabled());
    EXPECT_TRUE(set.rb_cdquality->isChecked());
    EXPECT_TRUE(wavBoxesEnabled(false));
    // Date-and-time naming was already checked, so the examples keep the first name.
    EXPECT_EQ(set.out_labe_dat->text(), "Example: E-19-05-2006--00;08;04.wav");
    EXPECT_EQ(set.out_labe_cus->text(), "Example: E.wav");
    EXPECT_FALSE(QFile::exists(settings.path())) << "loading writes nothing";

    set.out_name->setText("Unsaved");
    set.close();
    EXPECT_FALSE(QFile::exists(settings.path())) << "the close box saves nothing";
    set.show();
    EXPECT_EQ(set.out_name->text(), "EUT");

    set.out_name->setText("Take");
    set.rb_custom->click();
    set.cb_wav_frequency->setCurrentIndex(9);
    set.set_bt_okClick();
    EXPECT_FALSE(set.isVisible());
    const QStringList expected{"[file]", "enlength=0", "rbtime=0", "rbtimee=0", "timet=120", "time=0",
                               "limit_s=0", "limit_n=0", "[output]", "format=0", "out_name=Take",
                               "rb_time=1", "rb_cust=0", "dir=" + SettingsKeys::Output::directoryDefault(),
                               "[wav]", "mode=2", "bit=1", "channel=1", "frequency=9", "[mp3]", "quality=2",
                               "bitrate=0", "[opus]", "bitrate=96", "[flac]", "bits=16", "[ogg]", "quality=300", "[sound]", "mode=0",
                               "start_level=-40", "preroll=2000", "hang=5000", "new_file=0", "split_level=-50",
                               "split_silence=2000", "drop=0", "silent_level=-60", "silent_seconds=30"};
    const QStringList lines = QString::fromUtf8(fileBytes()).remove('\r').split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines.join(' ').toStdString(), expected.join(' ').toStdString());
}

TEST_F(SettingsWindow, AStoredFileLoadsAndSavesBackUnchanged)
{
    writeCustomFile();
    const QByteArray before = fileBytes();
    set.show();
    // Spot checks against a load and save that swap the same two keys.
    EXPECT_EQ(set.file_time->text(), "300");
    EXPECT_TRUE(set.rb_cust->isChecked());
    EXPECT_TRUE(set.rb_custom->isChecked());
    EXPECT_TRUE(wavBoxesEnabled(true));
    EXPECT_EQ(set.cb_wav_bit->currentText(), "5 bps");
    EXPECT_EQ(set.cb_wav_channel->currentText(), "Mono");
    EXPECT_EQ(set.cb_wav_frequency->currentText(), "11025 Hz");
    EXPECT_EQ(set.cb_format->currentText(), "MP3 File (*.mp3)");
    EXPECT_EQ(set.cb_mp3_bitrate->currentText(), "320 kbit/s");
    EXPECT_EQ(set.cb_flac_bits->currentText(), "24 bps");
    EXPECT_EQ(set.cb_ogg_quality->currentText(), "0.7");
    set.set_bt_okClick();
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(SettingsWindow, DefaultResetsItsControlsAndSavesNothing)
{
    writeCustomFile();
    set.show();
    const QByteArray before = fileBytes();
    set.set_bt_defaultClick();

    EXPECT_FALSE(set.length_en->isChecked());
    EXPECT_TRUE(set.file_limit_stop->isChecked());
    EXPECT_EQ(set.cb_format->currentIndex(), 0);
    EXPECT_EQ(set.out_name->text(), "EUT");
    EXPECT_TRUE(set.rb_time->isChecked());
    EXPECT_TRUE(set.rb_cdquality->isChecked());
    EXPECT_EQ(set.cb_wav_frequency->currentIndex(), 8);
    EXPECT_TRUE(wavBoxesEnabled(false));
    // Untouched: the new-file option, the time option's check, the seconds and the folder.
    EXPECT_TRUE(set.file_limit_new->isChecked());
    EXPECT_TRUE(set.file_rb_time->isChecked());
    EXPECT_EQ(set.file_time->text(), "300");
    EXPECT_EQ(set.ed_dir->text(), "/srv/rec");
    // The limitation was on, so switching it off disables the time controls.
    EXPECT_FALSE(set.file_rb_time->isEnabled());
    EXPECT_FALSE(set.file_time->isEnabled());
    // Date naming became checked, so the examples follow the new name.
    EXPECT_EQ(set.out_labe_cus->text(), "Example: EUT.wav");

    set.close();
    EXPECT_EQ(fileBytes(), before) << "Default then the close box saves nothing";

    // With the limitation already off, the time option keeps its loaded state.
    write("file", {{"enlength", "0"}, {"time", "0"}});
    reopen();
    ASSERT_FALSE(set.length_en->isChecked());
    ASSERT_FALSE(set.file_time->isEnabled());
    set.set_bt_defaultClick();
    EXPECT_TRUE(set.file_rb_time->isEnabled());
    EXPECT_FALSE(set.file_time->isEnabled());
}

TEST_F(SettingsWindow, DependentControlRules)
{
    set.show();
    set.length_en->click();
    EXPECT_TRUE(set.file_rb_time->isEnabled());
    EXPECT_TRUE(set.file_time->isEnabled());
    set.length_en->click();
    EXPECT_FALSE(set.file_rb_time->isEnabled());
    EXPECT_FALSE(set.file_time->isEnabled());

    // Checking "Time: " enables the seconds only while the option itself is enabled.
    set.length_en->click();
    set.file_time->setEnabled(false);
    set.file_rb_time->click();
    EXPECT_TRUE(set.file_time->isEnabled());

    set.rb_custom->click();
    EXPECT_TRUE(wavBoxesEnabled(true));
    set.rb_bestsuited->click();
    EXPECT_TRUE(wavBoxesEnabled(false));
    set.rb_custom->click();
    set.rb_cdquality->click();
    EXPECT_TRUE(wavBoxesEnabled(false));
}

TEST_F(SettingsWindow, LoadedEnabledStatesOverrideTheLimitationRule)
{
    write("file", {{"enlength", "0"}, {"rbtime", "1"}, {"rbtimee", "1"}, {"time", "1"}});
    set.show();
    EXPECT_FALSE(set.length_en->isChecked());
    EXPECT_TRUE(set.file_rb_time->isChecked());
    EXPECT_TRUE(set.file_rb_time->isEnabled());
    EXPECT_TRUE(set.file_time->isEnabled());

    write("file", {{"enlength", "1"}, {"rbtimee", "0"}, {"time", "0"}});
    reopen();
    EXPECT_TRUE(set.length_en->isChecked());
    EXPECT_TRUE(set.file_rb_time->isChecked());
    EXPECT_FALSE(set.file_rb_time->isEnabled());
    EXPECT_FALSE(set.file_time->isEnabled());
}

// An unknown mode checks nothing and stays in the file; positions outside their
// lists show and save the default.
TEST_F(SettingsWindow, StoredValuesOutsideTheirChoices)
{
    write("wav", {{"mode", "7"}, {"bit", "7"}, {"channel", "-1"}, {"frequency", "10"}});
    write("output", {{"format", "4"}});  // headerless PCM, which the list does not offer
    write("opus", {{"bitrate", "95"}});
    set.show();
    EXPECT_FALSE(set.rb_cdquality->isChecked());
    EXPECT_FALSE(set.rb_bestsuited->isChecked());
    EXPECT_FALSE(set.rb_custom->isChecked());
    EXPECT_TRUE(wavBoxesEnabled(false));
    EXPECT_EQ(set.cb_wav_frequency->currentText(), "44100 Hz");
    set.set_bt_okClick();
    EXPECT_EQ(text("wav", "mode"), "7");
    EXPECT_EQ(text("output", "format"), "0");
    EXPECT_EQ(text("opus", "bitrate"), "96");
    EXPECT_EQ(text("wav", "bit"), "1");
    EXPECT_EQ(text("wav", "channel"), "1");
    EXPECT_EQ(text("wav", "frequency"), "8");
}

TEST_F(SettingsWindow, NamingOptionsFromTheFile)
{
    write("output", {{"rb_time", "1"}, {"rb_cust", "1"}, {"out_name", "Both"}});
    set.show();
    EXPECT_FALSE(set.rb_time->isChecked());
    // Loading checked the custom option, so the examples follow the loaded name.
    EXPECT_EQ(set.out_labe_dat->text(), "Example: Both-19-05-2006--00;08;04.wav");
    EXPECT_EQ(set.out_labe_cus->text(), "Example: Both.wav");

    write("output", {{"rb_time", "0"}, {"rb_cust", "0"}});
    reopen();
    EXPECT_FALSE(set.rb_cust->isChecked());
    set.set_bt_okClick();
    EXPECT_EQ(text("output", "rb_time"), "0");
    EXPECT_EQ(text("output", "rb_cust"), "0");
}

TEST_F(SettingsWindow, ExampleLabelsFollowTheName)
{
    set.show();
    set.out_name->clear();
    set.rb_cust->click();
    EXPECT_EQ(set.out_name->text(), "EUT") << "an empty name becomes the default";
    EXPECT_EQ(set.out_labe_dat->text(), "Example: EUT-19-05-2006--00;08;04.wav");
    EXPECT_EQ(set.out_labe_cus->text(), "Example: EUT.wav");

    // Typing alone changes nothing; leaving the box refreshes both.
    set.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&set));
    set.out_name->setFocus();
    set.out_name->setText("Night");
    EXPECT_EQ(set.out_labe_cus->text(), "Example: EUT.wav");
    set.ed_dir->setFocus();
    EXPECT_EQ(set.out_labe_dat->text(), "Example: Night-19-05-2006--00;08;04.wav");
    EXPECT_EQ(set.out_labe_cus->text(), "Example: Night.wav");

    set.out_name->setText("Day");
    set.rb_time->click();
    EXPECT_EQ(set.out_labe_cus->text(), "Example: Day.wav");
    set.out_name->clear();
    set.rb_time->click();  // already checked: no refresh
    EXPECT_EQ(set.out_labe_cus->text(), "Example: Day.wav");

    // A "/" would name a folder: typed, it is refused where it is typed.
    set.out_name->setFocus();
    QTest::keyClicks(set.out_name, "a/b");
    EXPECT_EQ(set.out_name->text(), "ab");
}

// Keys as X11 delivers them: Tab, Delete, Enter, Escape, Backspace and Ctrl
// shortcuts carry control characters as their text.
TEST_F(SettingsWindow, TheSecondsBoxTurnsPrintableNonDigitsIntoBackspaceAndLeavesOtherKeysAlone)
{
    const auto key = [this](Qt::Key code, const char* text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::sendKeyEvent(QTest::Click, set.file_time, code, QString::fromLatin1(text), mods);
    };
    set.file_time->clear();
    QTest::keyClicks(set.file_time, "12a");
    EXPECT_EQ(set.file_time->text(), "1");

    set.file_time->setText("1234");
    set.file_time->setCursorPosition(2);
    QTest::keyClicks(set.file_time, "x 9");
    EXPECT_EQ(set.file_time->text(), "934") << "two removed before the caret, then a digit typed";

    set.file_time->setText("120");
    key(Qt::Key_Tab, "\t");
    key(Qt::Key_Return, "\r");
    key(Qt::Key_Escape, "\x1b");
    EXPECT_EQ(set.file_time->text(), "120") << "Tab, Enter and Escape delete nothing";
    set.file_time->setCursorPosition(1);
    key(Qt::Key_Delete, "\x7f");
    EXPECT_EQ(set.file_time->text(), "10") << "Delete removes the digit after the caret";
    key(Qt::Key_Backspace, "\x08");
    EXPECT_EQ(set.file_time->text(), "0");

    set.file_time->setText("300");
    key(Qt::Key_A, "\x01", Qt::ControlModifier);
    EXPECT_EQ(set.file_time->selectedText(), "300") << "Ctrl+A selects all";
    QGuiApplication::clipboard()->setText("45");
    key(Qt::Key_V, "\x16", Qt::ControlModifier);
    EXPECT_EQ(set.file_time->text(), "45") << "Ctrl+V pastes over the selection";
}
