// The schedule window: what it loads on show, what Ok, default and Cancel
// write, and which controls each click enables.

#include "config/SettingsFile.h"
#include "platform/ErrorBoundary.h"
#include "schedule/Tfm_sche.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QPushButton>
#include <QGroupBox>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimeEdit>
#include <gtest/gtest.h>

namespace {

class ScheduleWindow : public ::testing::Test {
protected:
    ScheduleWindow()
        : ini(tmp.filePath("tamsel.ini")), settings(ini, QLocale(QLocale::English, QLocale::UnitedKingdom))
    {
        w.setSettings([this] { return &settings; });
    }

    QByteArray fileText() const
    {
        QFile f(ini);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Every picker's enabled state, window 1 begin first.
    std::vector<bool> pickersEnabled() const
    {
        std::vector<bool> out;
        for (int n = 1; n <= 3; ++n) {
            out.push_back(w.beginPicker(n)->isEnabled());
            out.push_back(w.endPicker(n)->isEnabled());
        }
        return out;
    }

    // All a window shows, to compare two windows or one before and after.
    static QStringList state(const Tfm_sche& x)
    {
        QStringList out{QString::number(x.schedule().mode)};
        for (const QDateTimeEdit* e : x.findChildren<QDateTimeEdit*>())
            out << e->objectName() + e->dateTime().toString(" yyyy-MM-dd hh:mm:ss ") + QString::number(e->isEnabled());
        for (const QAbstractButton* b : x.findChildren<QAbstractButton*>())
            out << b->objectName() + QString::number(b->isChecked()) + QString::number(b->isEnabled());
        return out;
    }

    void storeFullSchedule()
    {
        settings.writeInteger("autorec", "format", 1);
        settings.writeBool("autorec", "cb1", true);
        settings.writeBool("autorec", "cb2", false);
        settings.writeBool("autorec", "cb3", true);
        for (int n = 1; n <= 3; ++n) {
            settings.writeTime("autorec", QString("begintime%1").arg(n), QTime(8 + n, 1, 2));
            settings.writeTime("autorec", QString("endtime%1").arg(n), QTime(12 + n, 3, 4));
        }
        // Differ from the boxes on purpose: the stored states win.
        settings.writeBool("autorec", "begintime1c", false);
        settings.writeBool("autorec", "endtime1c", true);
        settings.writeBool("autorec", "begintime2c", true);
        settings.writeBool("autorec", "endtime2c", false);
        settings.writeBool("autorec", "begintime3c", true);
        settings.writeBool("autorec", "endtime3c", true);
        settings.writeDate("autorec", "date", QDate(2027, 3, 14));
        settings.writeBool("timeclose", "bclose", true);
        settings.writeTime("Time", "Time", QTime(23, 45, 6));
    }

    QTemporaryDir tmp;
    QString ini;
    SettingsFile settings;
    Tfm_sche w;
};

}  // namespace

TEST_F(ScheduleWindow, ShowLoadsEveryKeyAndStoredEnabledStatesOverrideTheBoxes)
{
    storeFullSchedule();
    w.FormShow();

    EXPECT_TRUE(w.RadioButton2->isChecked());
    EXPECT_FALSE(w.cb_rec2->isChecked());
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(w.beginPicker(n)->time(), QTime(8 + n, 1, 2));
        EXPECT_EQ(w.endPicker(n)->time(), QTime(12 + n, 3, 4));
    }
    EXPECT_EQ(pickersEnabled(), (std::vector<bool>{false, true, true, false, true, true}));
    EXPECT_EQ(w.date_time->date(), QDate(2027, 3, 14));
    EXPECT_TRUE(w.dtpTime->isEnabled());
    EXPECT_EQ(w.dtpTime->time(), QTime(23, 45, 6));
    EXPECT_EQ(w.schedule().powerOffTime, QTime(23, 45, 6));
    EXPECT_EQ(w.schedule().windows[2].begin, QTime(11, 1, 2));
}

TEST_F(ScheduleWindow, EmptyFileShowsDisabledScheduleAndTheCurrentTimeAndDate)
{
    const QTime before = QTime::currentTime();
    w.FormShow();
    EXPECT_TRUE(w.RadioButton1->isChecked());
    EXPECT_FALSE(w.cb_rec1->isEnabled());
    EXPECT_FALSE(w.CB_SHOWD->isChecked());
    EXPECT_EQ(w.date_time->date(), QDate::currentDate());
    for (QTimeEdit* t : {w.dtpTime, w.Begintime1, w.endtime3})
        EXPECT_LE(std::abs(before.secsTo(t->time())), 2) << t->objectName().toStdString();
    // Shown, the current time is what the user sees and may keep.
    for (const std::optional<QTime>& t : {w.schedule().powerOffTime, w.schedule().windows[0].begin,
                                          w.schedule().windows[2].end})
        EXPECT_TRUE(t && std::abs(before.secsTo(*t)) <= 2);

    // An unknown stored mode changes nothing.
    w.RadioButton3->setChecked(true);
    settings.writeInteger("autorec", "format", 7);
    w.FormShow();
    EXPECT_EQ(w.schedule().mode, 2);
}

TEST_F(ScheduleWindow, OkWritesEveryKeyInOrder)
{
    w.FormShow();
    w.RadioButton3->setChecked(true);
    w.cb_rec2->setChecked(true);
    w.begintime2->setTime(QTime(6, 7, 8));
    w.endtime2->setTime(QTime(7, 8, 9));
    w.date_time->setDate(QDate(2026, 12, 24));
    w.CB_SHOWD->setChecked(true);
    w.dtpTime->setTime(QTime(1, 2, 3));
    w.sche_bt_okClick();

    const QByteArray text = fileText();
    const QList<QByteArray> order{"format=", "cb1=", "cb2=", "cb3=", "begintime1=", "begintime3=",
                                  "endtime1=", "endtime3=", "begintime1c=", "begintime3c=",
                                  "endtime1c=", "endtime3c=", "date=", "[timeclose]", "bclose=",
                                  "[Time]", "Time="};
    qsizetype at = 0;
    for (const QByteArray& key : order) {
        const qsizetype found = text.indexOf(key, at);
        ASSERT_GE(found, at) << key.toStdString() << " out of order in\n" << text.toStdString();
        at = found;
    }
    // A fresh window shows back every control, the enabled states included.
    Tfm_sche again;
    again.setSettings([this] { return &settings; });
    again.FormShow();
    EXPECT_EQ(state(again), state(w));
}

TEST_F(ScheduleWindow, CancelWritesNothingButItsModeHoldsAndDefaultClearsOnlyThePowerOffKey)
{
    storeFullSchedule();
    w.FormShow();
    const QByteArray before = fileText();
    const QStringList shown = state(w);
    w.RadioButton3->setChecked(true);
    w.cb_rec2->setChecked(true);
    w.Button3Click();
    EXPECT_EQ(fileText(), before);
    EXPECT_EQ(w.schedule().mode, 2);
    EXPECT_TRUE(w.cb_rec2->isChecked());
    w.FormShow();
    EXPECT_EQ(state(w), shown);

    w.RadioButton3->setChecked(true);
    w.Button2Click();
    EXPECT_FALSE(w.CB_SHOWD->isChecked());
    EXPECT_FALSE(w.dtpTime->isEnabled());
    EXPECT_EQ(w.schedule().mode, 2);
    QByteArray expected = before;
    expected.replace("bclose=1", "bclose=0");
    EXPECT_EQ(fileText(), expected);
}

TEST_F(ScheduleWindow, ClickRulesAndADisabledScheduleStoresTheBoxesAsTheyAre)
{
    w.FormShow();
    w.CB_SHOWD->setChecked(true);
    EXPECT_TRUE(w.dtpTime->isEnabled());
    w.CB_SHOWD->setChecked(false);
    EXPECT_FALSE(w.dtpTime->isEnabled());

    w.cb_rec2->setChecked(true);
    w.RadioButton2->setChecked(true);
    EXPECT_FALSE(w.date_time->isEnabled());
    EXPECT_EQ(pickersEnabled(), (std::vector<bool>{false, false, true, true, false, false}));
    w.cb_rec3->setChecked(true);
    w.cb_rec2->setChecked(false);
    EXPECT_EQ(pickersEnabled(), (std::vector<bool>{false, false, false, false, true, true}));
    w.RadioButton3->setChecked(true);
    EXPECT_TRUE(w.date_time->isEnabled());
    EXPECT_EQ(pickersEnabled(), (std::vector<bool>{false, false, false, false, true, true}));

    w.RadioButton1->setChecked(true);
    EXPECT_EQ(w.schedule().mode, 0);
    EXPECT_FALSE(w.date_time->isEnabled());
    for (int n = 1; n <= 3; ++n) EXPECT_FALSE(w.windowBox(n)->isEnabled());
    EXPECT_EQ(pickersEnabled(), std::vector<bool>(6, false));
    w.sche_bt_okClick();
    EXPECT_EQ(settings.readInteger("autorec", "format", -1), 0);
    EXPECT_TRUE(settings.readBool("autorec", "cb3", false));
    EXPECT_FALSE(settings.readBool("autorec", "endtime3c", true));
}

// The power-off time's case, unseen and then shown, is the runner's.
TEST_F(ScheduleWindow, LoadedUnseenAMissingTimeIsNoTimeTheUserSet)
{
    settings.writeTime("autorec", "begintime1", QTime(8, 0, 0));
    const QDateTime now(QDate(2026, 12, 8), QTime(14, 0, 0));
    const Schedule unseen = Schedule::load(settings, Schedule::EveryDay, false, now);
    EXPECT_EQ(unseen.mode, Schedule::Disabled) << "a stored mode wins";
    EXPECT_EQ(unseen.windows[0].begin, QTime(8, 0, 0));
    EXPECT_FALSE(unseen.windows[0].end.has_value());
    EXPECT_FALSE(unseen.powerOffTime.has_value());
    EXPECT_EQ(unseen.day, now.date());
    const Schedule shown = Schedule::load(settings, Schedule::EveryDay, true, now);
    EXPECT_EQ(shown.windows[0].end, now.time());
    EXPECT_EQ(shown.powerOffTime, now.time());
}

// A day or time that cannot be read (written under another locale by an old
// version, or by hand) is never taken as today or now, shown or not.
TEST_F(ScheduleWindow, AStoredDayOrTimeThatCannotBeReadStaysUnset)
{
    settings.writeInteger("autorec", "format", Schedule::SpecialDay);
    settings.writeText("autorec", "date", "08.12.26 (Dienstag)");
    settings.writeText("autorec", "begintime1", "quarter past eight");
    const QDateTime now(QDate(2026, 12, 8), QTime(14, 0, 0));
    for (const bool shown : {false, true}) {
        const Schedule v = Schedule::load(settings, Schedule::Disabled, shown, now);
        EXPECT_FALSE(v.day.has_value()) << shown;
        EXPECT_FALSE(v.windows[0].begin.has_value()) << shown;
    }
    w.FormShow();
    EXPECT_EQ(w.date_time->text(), "not set");
    EXPECT_FALSE(w.schedule().day.has_value());
    w.sche_bt_okClick();
    EXPECT_EQ(settings.readText("autorec", "date", {}), "08.12.26 (Dienstag)") << "kept for the user to see";
    EXPECT_EQ(settings.readText("autorec", "endtime1", {}).size(), 8) << "an ISO time: HH:mm:ss";
    w.FormShow();
    w.date_time->setDate(QDate(2026, 12, 24));
    EXPECT_EQ(w.schedule().day, QDate(2026, 12, 24));
}

// Without the settings file, showing the window and its Ok hand their errors
// to the error handler instead of throwing into Qt.
TEST_F(ScheduleWindow, ErrorsOfItsEventsGoToTheHandler)
{
    QStringList reported;
    ErrorBoundary::setHandler([&](const QString& message) { reported << message; });
    w.setSettings({});
    w.show();
    w.sche_bt_ok->click();
    ErrorBoundary::setHandler({});
    EXPECT_EQ(reported.size(), 2);
    EXPECT_TRUE(reported.value(0).contains("settings file is not open")) << reported.join('|').toStdString();
}
