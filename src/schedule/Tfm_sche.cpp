#include "schedule/Tfm_sche.h"

#include "config/LocaleFormats.h"
#include "config/SettingsFile.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/PlacedWidget.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

namespace {

QTimeEdit* timePicker(QWidget* parent, const char* name, QRect where)
{
    auto* t = placed<QTimeEdit>(parent, name, where);
    t->setEnabled(false);
    return t;
}

}  // namespace

Tfm_sche::Tfm_sche(QWidget* parent) : QDialog(parent)
{
    setObjectName("fm_sche");
    setWindowTitle("Schedule Settings");
    setFixedSize(380, 350);

    // The check box sits on the blanks at the start of the group's caption.
    gb_close = placed<QGroupBox>(this, "gb_close", {8, 4, 364, 92});
    gb_close->setTitle("      Sechedule Close the computer");
    CB_SHOWD = placed<QCheckBox>(gb_close, "CB_SHOWD", {8, 0, 18, 18});
    dtpTime = timePicker(gb_close, "dtpTime", {12, 24, 110, 22});
    Label1 = placed<QLabel>(gb_close, "Label1", {12, 50, 344, 36});
    Label1->setWordWrap(true);
    Label1->setText("Automatically Shut down your computer at the time you set");

    gb_mode = placed<QGroupBox>(this, "gb_mode", {8, 102, 364, 76});
    gb_mode->setTitle("schedule Mode");
    RadioButton1 = placedButton<QRadioButton>(gb_mode, "RadioButton1", "Disabled schedule", {12, 22, 140, 20});
    RadioButton2 = placedButton<QRadioButton>(gb_mode, "RadioButton2", "Every Day", {12, 46, 140, 20});
    RadioButton3 = placedButton<QRadioButton>(gb_mode, "RadioButton3", "Special Day", {180, 22, 140, 20});
    date_time = placed<QDateEdit>(gb_mode, "date_time", {180, 46, 140, 22});
    date_time->setCalendarPopup(true);
    // A stored day that cannot be read shows as its earliest date, named so.
    date_time->setSpecialValueText(QStringLiteral("not set"));

    gb_time = placed<QGroupBox>(this, "gb_time", {8, 184, 364, 124});
    gb_time->setTitle("Schedule Time");
    const char* boxNames[] = {"cb_rec1", "cb_rec2", "cb_rec3"};
    const char* beginNames[] = {"Begintime1", "begintime2", "begintime3"};
    const char* endNames[] = {"endtime1", "endtime2", "endtime3"};
    for (int i = 0; i < 3; ++i) {
        const int y = 20 + 26 * i;
        boxes_[i] = placedButton<QCheckBox>(gb_time, boxNames[i], "Begin Time:", {8, y, 96, 22});
        begins_[i] = timePicker(gb_time, beginNames[i], {104, y, 92, 22});
        auto* endLabel = placed<QLabel>(gb_time, "", {206, y, 64, 22});
        endLabel->setText("End Time:");
        ends_[i] = timePicker(gb_time, endNames[i], {270, y, 88, 22});
    }
    cb_on_sound = placedButton<QCheckBox>(gb_time, "cb_on_sound", "Start on sound, not at once", {8, 98, 340, 20});
    cb_rec1 = boxes_[0];
    cb_rec2 = boxes_[1];
    cb_rec3 = boxes_[2];
    Begintime1 = begins_[0];
    begintime2 = begins_[1];
    begintime3 = begins_[2];
    endtime1 = ends_[0];
    endtime2 = ends_[1];
    endtime3 = ends_[2];

    sche_bt_ok = placedButton<QPushButton>(this, "sche_bt_ok", "Ok", {136, 318, 75, 25});
    sche_bt_ok->setDefault(true);  // Return; Escape cancels
    Button2 = placedButton<QPushButton>(this, "Button2", "default", {216, 318, 75, 25});
    Button3 = placedButton<QPushButton>(this, "Button3", "Cancel", {296, 318, 75, 25});

    // The handlers run whenever the checked state changes, from code or a
    // click: loading the window relies on it.
    using ErrorBoundary::guarded;
    connect(CB_SHOWD, &QCheckBox::toggled, this, guarded(this, &Tfm_sche::CB_SHOWDClick));
    connect(RadioButton1, &QRadioButton::toggled, this, guarded([this](bool on) { if (on) RadioButton1Click(); }));
    connect(RadioButton2, &QRadioButton::toggled, this, guarded([this](bool on) { if (on) RadioButton2Click(); }));
    connect(RadioButton3, &QRadioButton::toggled, this, guarded([this](bool on) { if (on) RadioButton3Click(); }));
    for (QCheckBox* box : boxes_)
        connect(box, &QCheckBox::toggled, this, guarded(this, &Tfm_sche::UpdateTimeEnables));
    connect(sche_bt_ok, &QPushButton::clicked, this, guarded(this, &Tfm_sche::sche_bt_okClick));
    connect(Button2, &QPushButton::clicked, this, guarded(this, &Tfm_sche::Button2Click));
    connect(Button3, &QPushButton::clicked, this, guarded(this, &Tfm_sche::Button3Click));
    connectEdits();

    const QLocale locale = QLocale::system();
    for (QTimeEdit* t : {dtpTime, begins_[0], begins_[1], begins_[2], ends_[0], ends_[1], ends_[2]})
        t->setDisplayFormat(LocaleFormats::longTimeFormat(locale));
    date_time->setDisplayFormat(LocaleFormats::shortDateFormat(locale));
}

SettingsFile& Tfm_sche::settings() const
{
    SettingsFile* s = settings_ ? settings_() : nullptr;
    if (!s) throw TamselError("The schedule cannot be loaded or saved: the settings file is not open.");
    return *s;
}

Schedule& Tfm_sche::value() const { return *value_; }

void Tfm_sche::connectEdits()
{
    // Every change the user makes is in force at once, saved or not.
    auto edit = [this](auto change) {
        return ErrorBoundary::guarded([this, change](auto... args) {
            if (!loading_) change(*value_, args...);
        });
    };
    for (int i = 0; i < Schedule::kWindows; ++i) {
        connect(boxes_[i], &QCheckBox::toggled, this, edit([i](Schedule& v, bool on) { v.windows[i].on = on; }));
        connect(begins_[i], &QTimeEdit::timeChanged, this,
                edit([i](Schedule& v, QTime t) { v.windows[i].begin = t; }));
        connect(ends_[i], &QTimeEdit::timeChanged, this, edit([i](Schedule& v, QTime t) { v.windows[i].end = t; }));
    }
    connect(date_time, &QDateEdit::dateChanged, this, edit([this](Schedule& v, QDate d) {
                v.day = d == date_time->minimumDate() ? std::nullopt : std::optional<QDate>(d);
            }));
    connect(CB_SHOWD, &QCheckBox::toggled, this, edit([](Schedule& v, bool on) { v.powerOff = on; }));
    connect(cb_on_sound, &QCheckBox::toggled, this, edit([](Schedule& v, bool on) { v.onSound = on; }));
    connect(dtpTime, &QTimeEdit::timeChanged, this, edit([](Schedule& v, QTime t) { v.powerOffTime = t; }));
}

void Tfm_sche::storeEnables()
{
    if (loading_) return;
    for (int i = 0; i < Schedule::kWindows; ++i) {
        value_->windows[i].beginEnabled = begins_[i]->isEnabled();
        value_->windows[i].endEnabled = ends_[i]->isEnabled();
    }
}

void Tfm_sche::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ErrorBoundary::guard([this] { FormShow(); });
}

void Tfm_sche::FormShow()
{
    SettingsFile& s = settings();
    Schedule& edited = value();
    const Schedule v = Schedule::load(s, edited.mode, true, QDateTime::currentDateTime());
    const QLocale& locale = s.locale();
    for (QTimeEdit* t : {dtpTime, begins_[0], begins_[1], begins_[2], ends_[0], ends_[1], ends_[2]})
        t->setDisplayFormat(LocaleFormats::longTimeFormat(locale));
    date_time->setDisplayFormat(LocaleFormats::shortDateFormat(locale));

    loading_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{loading_};
    // The radio buttons' rules run here; the stored enabled states then override them.
    if (const auto mode = Schedule::storedMode(s))
        (*mode == Schedule::EveryDay ? RadioButton2 : *mode == Schedule::SpecialDay ? RadioButton3 : RadioButton1)
            ->setChecked(true);
    const QTime now = QTime::currentTime();
    for (int i = 0; i < Schedule::kWindows; ++i) boxes_[i]->setChecked(v.windows[i].on);
    for (int i = 0; i < Schedule::kWindows; ++i) begins_[i]->setTime(v.windows[i].begin.value_or(now));
    for (int i = 0; i < Schedule::kWindows; ++i) ends_[i]->setTime(v.windows[i].end.value_or(now));
    for (int i = 0; i < Schedule::kWindows; ++i) begins_[i]->setEnabled(v.windows[i].beginEnabled);
    for (int i = 0; i < Schedule::kWindows; ++i) ends_[i]->setEnabled(v.windows[i].endEnabled);
    date_time->setDate(v.day.value_or(date_time->minimumDate()));
    CB_SHOWD->setChecked(v.powerOff);
    cb_on_sound->setChecked(v.onSound);
    dtpTime->setTime(v.powerOffTime.value_or(now));
    edited = v;
}

void Tfm_sche::CB_SHOWDClick() { dtpTime->setEnabled(CB_SHOWD->isChecked()); }

void Tfm_sche::RadioButton1Click()
{
    if (!loading_) value_->mode = Schedule::Disabled;
    date_time->setEnabled(false);
    for (int n = 1; n <= 3; ++n) {
        windowBox(n)->setEnabled(false);
        beginPicker(n)->setEnabled(false);
        endPicker(n)->setEnabled(false);
    }
    cb_on_sound->setEnabled(false);
    storeEnables();
}

void Tfm_sche::RadioButton2Click()
{
    if (!loading_) value_->mode = Schedule::EveryDay;
    date_time->setEnabled(false);
    for (QCheckBox* box : boxes_) box->setEnabled(true);
    cb_on_sound->setEnabled(true);
    UpdateTimeEnables();
}

void Tfm_sche::RadioButton3Click()
{
    if (!loading_) value_->mode = Schedule::SpecialDay;
    date_time->setEnabled(true);
    for (QCheckBox* box : boxes_) box->setEnabled(true);
    cb_on_sound->setEnabled(true);
    UpdateTimeEnables();
}

void Tfm_sche::UpdateTimeEnables()
{
    for (int n = 1; n <= 3; ++n) {
        const bool on = windowBox(n)->isChecked();
        beginPicker(n)->setEnabled(on);
        endPicker(n)->setEnabled(on);
    }
    storeEnables();
}

void Tfm_sche::sche_bt_okClick()
{
    value().save(settings());
    accept();
}

void Tfm_sche::Button2Click()
{
    CB_SHOWD->setChecked(false);
    Schedule::savePowerOff(settings(), false);
}

void Tfm_sche::Button3Click() { reject(); }
