#pragma once
// Settings window: length limit, WAV format, output format, folder and naming.

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class SettingsFile;

class Tfm_set : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_set(QWidget* parent = nullptr);

    // Where the save step writes; the file opens with the main window.
    void setSettings(std::function<SettingsFile*()> source) { settings_ = std::move(source); }

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

    QGroupBox* pn_format;
    QLineEdit* ed_dir;
    QComboBox* cb_format;
    QLineEdit* out_name;
    QRadioButton* rb_time;
    QRadioButton* rb_cust;

    QPushButton* set_bt_ok;

    // The save step: every control to the settings file, then the window hides.
    // Every recording start from idle runs it too.
    void set_bt_okClick();

private:
    std::function<SettingsFile*()> settings_;
};
