#pragma once
// Settings window: length limit, WAV format, output format, folder and naming,
// with a tree of pages on the left and one group per page on the right. It
// edits the program's recording settings as its controls change; OK saves them.

#include "config/RecordingSettings.h"
#include "config/RecordingSourceHelp.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class SettingsFile;
class Tfm_dev;

class Tfm_set : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_set(QWidget* parent = nullptr);

    // Where the save step writes; the file opens with the main window.
    void setSettings(std::function<SettingsFile*()> source) { settings_ = std::move(source); }
    // The value the controls edit; until set, one of the window's own.
    void setRecordingSettings(RecordingSettings* value) { value_ = value; }
    const RecordingSettings& recordingSettings() const { return *value_; }
    // The windows the pages and buttons open, all shown without waiting.
    void setRecordingSourceWindow(Tfm_dev* window) { dev_ = window; }
    void setOutputDirectoryWindow(QWidget* window) { dir_ = window; }
    void setScheduleWindow(QWidget* window) { sche_ = window; }

    // Page positions in the tree, "WAV" being the child of "Output Format".
    enum Page { SourcePage, FilePage, SchedulePage, FormatPage, WavPage, AboutPage, QualityPage, SilencePage };

    QTreeWidget* tv;

    QGroupBox* pn_file;
    QCheckBox* length_en;
    QRadioButton* file_rb_time;
    QLineEdit* file_time;
    QCheckBox* file_limit_stop;
    QCheckBox* file_limit_new;

    QGroupBox* pn_wav;
    QComboBox* cb_wav_frequency;
    QComboBox* cb_wav_channel;
    QComboBox* cb_wav_bit;
    QRadioButton* rb_cdquality;
    QRadioButton* rb_bestsuited;
    QRadioButton* rb_custom;

    // The compressed formats' quality: MP3 constant bitrate ("Variable" for
    // VBR) and VBR quality, Opus bitrate, FLAC bits, Vorbis quality.
    QGroupBox* pn_quality;
    QComboBox* cb_mp3_bitrate;
    QComboBox* cb_mp3_quality;
    QComboBox* cb_opus_bitrate;
    QComboBox* cb_flac_bits;
    QComboBox* cb_ogg_quality;

    // What a recording does with silence; times in seconds.
    QGroupBox* pn_silence;
    QRadioButton* rb_sound_all;
    QRadioButton* rb_sound_start;
    QSpinBox* sp_start_level;
    QDoubleSpinBox* sp_preroll;
    QDoubleSpinBox* sp_hang;
    QCheckBox* cb_new_file;
    QRadioButton* rb_sound_split;
    QSpinBox* sp_split_level;
    QDoubleSpinBox* sp_split_silence;
    QCheckBox* cb_drop;
    QSpinBox* sp_silent_level;
    QSpinBox* sp_silent_seconds;

    QGroupBox* pn_format;
    QLineEdit* ed_dir;
    QPushButton* Button2;
    QComboBox* cb_format;
    QLineEdit* out_name;
    QRadioButton* rb_time;
    QLabel* out_labe_dat;
    QRadioButton* rb_cust;
    QLabel* out_labe_cus;

    QGroupBox* pn_source;
    QLabel* lab_help;
    QPushButton* bt_pre;
    QPushButton* bt_nex;
    QPushButton* Button1;

    QGroupBox* pn_about;

    QPushButton* set_bt_ok;
    QPushButton* set_bt_default;

    int visibleHelpText() const { return help_.index(); }

    // Loads the value and every control from the settings file: on each
    // showing, and once at start-up so that a recording saves what is stored.
    void loadFromSettings();
    // Saves the value to the settings file, then the window hides.
    void set_bt_okClick();
    void set_bt_defaultClick();

    void tvClick();
    // The arrow keys moved the tree's selection.
    void tvKey();
    void ShowPage(int position);
    void Button1Click();
    void Button2Click();
    void bt_nexClick();
    void bt_preClick();

    void length_enClick();
    void file_rb_timeClick();
    void rb_modeClick();
    // Each mode's settings are enabled with it.
    void rb_soundClick();
    void rb_timeClick();
    void rb_custClick();
    void out_nameExit();
    // Digits pass; every other typed character becomes Backspace.
    static QChar file_timeKeyPress(QChar key);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool filterEvent(QObject* watched, QEvent* event);
    // One page's group, in the one place every page takes.
    QGroupBox* page(const char* name, const QString& caption);
    void buildFilePage();
    void buildWavPage();
    void buildFormatPage();
    void buildQualityPage();
    void buildSilencePage();
    void loadSilence(const RecordingSettings::Sound& sound);
    RecordingSettings::Sound storedSilence() const;
    void connectSilenceEdits();
    void buildSourcePage();
    void buildAboutPage();
    void buildTree();
    void connectRules();
    // After the rules, so the value sees the enabled states they set.
    void connectEdits();
    void storeControls();
    void refreshExamples();
    void showBeside(QWidget* window, int dx, int dy);

    std::function<SettingsFile*()> settings_;
    RecordingSettings own_;
    RecordingSettings* value_ = &own_;
    bool loading_ = false;
    Tfm_dev* dev_ = nullptr;
    QWidget* dir_ = nullptr;
    QWidget* sche_ = nullptr;
    RecordingSourceHelp help_;
};
