#include "schedule/Tfm_sche.h"

#include "config/LocaleFormats.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

namespace {

namespace AR = SettingsKeys::AutoRec;
namespace TC = SettingsKeys::TimeClose;
namespace ST = SettingsKeys::ShutdownTime;

template <class Widget>
Widget* control(QWidget* parent, const char* name, QRect where)
{
    auto* w = new Widget(parent);
    w->setObjectName(name);
    w->setGeometry(where);
    return w;
}

template <class Button>
Button* button(QWidget* parent, const char* name, const QString& text, QRect where)
{
    auto* b = control<Button>(parent, name, where);
    b->setText(text);
    return b;
}

QTimeEdit* timePicker(QWidget* parent, const char* name, QRect where)
{
    auto* t = control<QTimeEdit>(parent, name, where);
    t->setEnabled(false);
    return t;
}

}  // namespace

Tfm_sche::Tfm_sche(QWidget* parent) : QDialog(parent)
{
    setObjectName("fm_sche");
    setWindowTitle("Schedule Settings");
    setFixedSize(380, 326);

    // The check box sits on the blanks at the start of the group's caption.
    gb_close = control<QGroupBox>(this, "gb_close", {8, 4, 364, 92});
    gb_close->setTitle("      Sechedule Close the computer");
    CB_SHOWD = control<QCheckBox>(gb_close, "CB_SHOWD", {8, 0, 18, 18});
    dtpTime = timePicker(gb_close, "dtpTime", {12, 24, 110, 22});
    Label1 = control<QLabel>(gb_close, "Label1", {12, 50, 344, 36});
    Label1->setWordWrap(true);
    Label1->setText("Automatically Shut down your computer at the time you set");

    gb_mode = control<QGroupBox>(this, "gb_mode", {8, 102, 364, 76});
    gb_mode->setTitle("schedule Mode");
    RadioButton1 = button<QRadioButton>(gb_mode, "RadioButton1", "Disabled schedule", {12, 22, 140, 20});
    RadioButton2 = button<QRadioButton>(gb_mode, "RadioButton2", "Every Day", {12, 46, 140, 20});
    RadioButton3 = button<QRadioButton>(gb_mode, "RadioButton3", "Special Day", {180, 22, 140, 20});
    date_time = control<QDateEdit>(gb_mode, "date_time", {180, 46, 140, 22});
    date_time->setCalendarPopup(true);

    gb_time = control<QGroupBox>(this, "gb_time", {8, 184, 364, 100});
    gb_time->setTitle("Schedule Time");
    const char* boxNames[] = {"cb_rec1", "cb_rec2", "cb_rec3"};
    const char* beginNames[] = {"Begintime1", "begintime2", "begintime3"};
    const char* endNames[] = {"endtime1", "endtime2", "endtime3"};
    for (int i = 0; i < 3; ++i) {
        const int y = 20 + 26 * i;
        boxes_[i] = button<QCheckBox>(gb_time, boxNames[i], "Begin Time:", {8, y, 96, 22});
        begins_[i] = timePicker(gb_time, beginNames[i], {104, y, 92, 22});
        auto* endLabel = control<QLabel>(gb_time, "", {206, y, 64, 22});
        endLabel->setText("End Time:");
        ends_[i] = timePicker(gb_time, endNames[i], {270, y, 88, 22});
    }
    cb_rec1 = boxes_[0];
    cb_rec2 = boxes_[1];
    cb_rec3 = boxes_[2];
    Begintime1 = begins_[0];
    begintime2 = begins_[1];
    begintime3 = begins_[2];
    endtime1 = ends_[0];
    endtime2 = ends_[1];
    endtime3 = ends_[2];

    sche_bt_ok = button<QPushButton>(this, "sche_bt_ok", "Ok", {136, 294, 75, 25});
    Button2 = button<QPushButton>(this, "Button2", "default", {216, 294, 75, 25});
    Button3 = button<QPushButton>(this, "Button3", "Cancel", {296, 294, 75, 25});

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

void Tfm_sche::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ErrorBoundary::guard([this] { FormShow(); });
}

void Tfm_sche::FormShow() { load(true); }

void Tfm_sche::loadStored() { load(false); }

bool Tfm_sche::holdsSetTime(const QTimeEdit* picker) const
{
    return std::find(unsetTimes_.begin(), unsetTimes_.end(), picker) == unsetTimes_.end();
}

void Tfm_sche::load(bool shown)
{
    SettingsFile& s = settings();
    const QLocale& locale = s.locale();
    for (QTimeEdit* t : {dtpTime, begins_[0], begins_[1], begins_[2], ends_[0], ends_[1], ends_[2]})
        t->setDisplayFormat(LocaleFormats::longTimeFormat(locale));
    date_time->setDisplayFormat(LocaleFormats::shortDateFormat(locale));

    unsetTimes_.clear();
    // A missing time reads as now. Shown, that is what the user sees and may
    // keep; loaded unseen at start-up, it is no time anybody chose.
    auto readTime = [&](QTimeEdit* picker, const QString& section, const QString& key) {
        const QTime stored = s.readTime(section, key, QTime());
        if (!stored.isValid() && !shown) unsetTimes_.push_back(picker);
        picker->setTime(stored.isValid() ? stored : QTime::currentTime());
    };

    switch (s.readInteger(AR::Section, AR::Format, 0)) {
    case 0: RadioButton1->setChecked(true); break;
    case 1: RadioButton2->setChecked(true); break;
    case 2: RadioButton3->setChecked(true); break;
    default: break;
    }
    for (int n = 1; n <= 3; ++n) windowBox(n)->setChecked(s.readBool(AR::Section, AR::enabled(n), false));
    for (int n = 1; n <= 3; ++n) readTime(beginPicker(n), AR::Section, AR::beginTime(n));
    for (int n = 1; n <= 3; ++n) readTime(endPicker(n), AR::Section, AR::endTime(n));
    for (int n = 1; n <= 3; ++n)
        beginPicker(n)->setEnabled(s.readBool(AR::Section, AR::beginTimeEnabled(n), false));
    for (int n = 1; n <= 3; ++n)
        endPicker(n)->setEnabled(s.readBool(AR::Section, AR::endTimeEnabled(n), false));
    date_time->setDate(s.readDate(AR::Section, AR::Date, QDate::currentDate()));
    CB_SHOWD->setChecked(s.readBool(TC::Section, TC::BClose, false));
    readTime(dtpTime, ST::Section, ST::Time);
    loaded_ = true;
}

void Tfm_sche::CB_SHOWDClick() { dtpTime->setEnabled(CB_SHOWD->isChecked()); }

void Tfm_sche::RadioButton1Click()
{
    scheduleMode = 0;
    date_time->setEnabled(false);
    for (int n = 1; n <= 3; ++n) {
        windowBox(n)->setEnabled(false);
        beginPicker(n)->setEnabled(false);
        endPicker(n)->setEnabled(false);
    }
}

void Tfm_sche::RadioButton2Click()
{
    scheduleMode = 1;
    date_time->setEnabled(false);
    for (QCheckBox* box : boxes_) box->setEnabled(true);
    UpdateTimeEnables();
}

void Tfm_sche::RadioButton3Click()
{
    scheduleMode = 2;
    date_time->setEnabled(true);
    for (QCheckBox* box : boxes_) box->setEnabled(true);
    UpdateTimeEnables();
}

void Tfm_sche::UpdateTimeEnables()
{
    for (int n = 1; n <= 3; ++n) {
        const bool on = windowBox(n)->isChecked();
        beginPicker(n)->setEnabled(on);
        endPicker(n)->setEnabled(on);
    }
}

void Tfm_sche::sche_bt_okClick()
{
    SettingsFile& s = settings();
    s.writeInteger(AR::Section, AR::Format, scheduleMode);
    for (int n = 1; n <= 3; ++n) s.writeBool(AR::Section, AR::enabled(n), windowBox(n)->isChecked());
    for (int n = 1; n <= 3; ++n) s.writeTime(AR::Section, AR::beginTime(n), beginPicker(n)->time());
    for (int n = 1; n <= 3; ++n) s.writeTime(AR::Section, AR::endTime(n), endPicker(n)->time());
    for (int n = 1; n <= 3; ++n)
        s.writeBool(AR::Section, AR::beginTimeEnabled(n), beginPicker(n)->isEnabled());
    for (int n = 1; n <= 3; ++n)
        s.writeBool(AR::Section, AR::endTimeEnabled(n), endPicker(n)->isEnabled());
    s.writeDate(AR::Section, AR::Date, date_time->date());
    s.writeBool(TC::Section, TC::BClose, CB_SHOWD->isChecked());
    s.writeTime(ST::Section, ST::Time, dtpTime->time());
    accept();
}

void Tfm_sche::Button2Click()
{
    CB_SHOWD->setChecked(false);
    settings().writeBool(TC::Section, TC::BClose, false);
}

void Tfm_sche::Button3Click() { reject(); }
