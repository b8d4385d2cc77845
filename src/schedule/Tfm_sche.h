#pragma once
// Schedule settings window: recording windows and the power-off time. Its
// controls and scheduleMode are the live schedule the runner reads, shown or not.

#include <QDialog>
#include <array>
#include <functional>
#include <vector>

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

    // 0 no schedule, 1 every day, 2 special day; only the radio buttons change it.
    int scheduleMode = 0;

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

    // Loads the stored schedule without showing the window, so it applies
    // from start-up. A time picker whose key is missing then holds no time
    // the user set (see holdsSetTime) until the window is shown.
    void loadStored();
    bool loaded() const { return loaded_; }
    // False for a picker filled by loadStored() from a missing or unreadable key.
    bool holdsSetTime(const QTimeEdit* picker) const;

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
    void load(bool shown);
    SettingsFile& settings() const;

    std::function<SettingsFile*()> settings_;
    std::array<QCheckBox*, 3> boxes_{};
    std::array<QTimeEdit*, 3> begins_{};
    std::array<QTimeEdit*, 3> ends_{};
    std::vector<const QTimeEdit*> unsetTimes_;
    bool loaded_ = false;
};
