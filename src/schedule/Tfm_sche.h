#pragma once
// Schedule settings window: recording windows and the power-off time. It
// edits the program's schedule value as the user changes its controls, loads
// it from the file when shown and saves it on Ok.

#include "schedule/Schedule.h"

#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimeEdit;
class SettingsFile;

class Tfm_sche : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_sche(QWidget* parent = nullptr);

    // Where the window loads from and saves to; the file opens with the main window.
    void setSettings(std::function<SettingsFile*()> source) { settings_ = std::move(source); }
    // The value it edits; until set, one of the window's own.
    void setSchedule(Schedule* value) { value_ = value; }
    const Schedule& schedule() const { return *value_; }

    QGroupBox* gb_close;
    QCheckBox* CB_SHOWD;
    QTimeEdit* dtpTime;
    QLabel* Label1;
    QGroupBox* gb_mode;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QDateEdit* date_time;
    QGroupBox* gb_time;
    QCheckBox* cb_rec1;
    QCheckBox* cb_rec2;
    QCheckBox* cb_rec3;
    // The windows' recordings start on sound, as the settings' Silence page sets it.
    QCheckBox* cb_on_sound;
    QTimeEdit* Begintime1;
    QTimeEdit* begintime2;
    QTimeEdit* begintime3;
    QTimeEdit* endtime1;
    QTimeEdit* endtime2;
    QTimeEdit* endtime3;
    QPushButton* sche_bt_ok;
    QPushButton* Button2;
    QPushButton* Button3;

    // Window n (1 to 3) of the named controls above.
    QCheckBox* windowBox(int n) const { return boxes_.at(n - 1); }
    QTimeEdit* beginPicker(int n) const { return begins_.at(n - 1); }
    QTimeEdit* endPicker(int n) const { return ends_.at(n - 1); }

    void FormShow();
    void CB_SHOWDClick();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void UpdateTimeEnables();
    void sche_bt_okClick();
    void Button2Click();
    void Button3Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    SettingsFile& settings() const;
    Schedule& value() const;
    void connectEdits();
    // The value's enabled flags follow the pickers after each rule.
    void storeEnables();

    std::function<SettingsFile*()> settings_;
    Schedule own_;
    Schedule* value_ = &own_;
    bool loading_ = false;
    std::array<QCheckBox*, 3> boxes_{};
    std::array<QTimeEdit*, 3> begins_{};
    std::array<QTimeEdit*, 3> ends_{};
};
