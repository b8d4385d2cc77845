// The schedule and the file names when the clocks change for daylight saving
// (Europe/Berlin, 2026), with the real program under a clock of the test's
// own: a window in the hour that repeats acts once, a date-time name that
// comes again gets a number rather than overwriting the first file, and a
// window in the hour that is skipped starts when the clock passes it.

#include "config/SettingsFile.h"
#include "e2e/E2eTest.h"
#include "e2e/OutsideChecks.h"
#include "schedule/Schedule.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QThread>

#include <string>

using namespace e2e;

namespace {

// libfaketime in the program, told an offset from the real time through a
// file it reads again every second: the test moves the program's wall clock
// while its timers, on the monotonic clock left real, keep their pace.
class FakeClock {
public:
    FakeClock(Session& session, const QString& file) : file_(file)
    {
        session.setEnvironment("LD_PRELOAD", TAMSEL_FAKETIME);
        session.setEnvironment("FAKETIME_TIMESTAMP_FILE", file);
        session.setEnvironment("FAKETIME_CACHE_DURATION", "1");
        session.setEnvironment("FAKETIME_DONT_FAKE_MONOTONIC", "1");
        session.setEnvironment("TZ", "Europe/Berlin");
    }

    // From now on the program's clock reads `at` (to within the second);
    // the program takes the change up within a second and a quarter.
    void set(const QDateTime& at)
    {
        offset_ = at.toSecsSinceEpoch() - QDateTime::currentSecsSinceEpoch();
        QSaveFile f(file_);
        if (!f.open(QIODevice::WriteOnly)) ADD_FAILURE() << "cannot write " << file_.toStdString();
        f.write((offset_ >= 0 ? QStringLiteral("+%1") : QStringLiteral("%1")).arg(offset_).toUtf8());
        if (!f.commit()) ADD_FAILURE() << "cannot write " << file_.toStdString();
    }
    QDateTime now() const { return QDateTime::currentDateTimeUtc().addSecs(offset_); }
    void waitUntil(const QDateTime& at) const
    {
        while (now() < at) QThread::msleep(10);
    }

private:
    QString file_;
    qint64 offset_ = 0;
};

void storeWindow(const QString& settingsFile, QTime begin, QTime end)
{
    SettingsFile stored(settingsFile);
    Schedule schedule;
    schedule.mode = Schedule::EveryDay;
    schedule.windows[0].on = true;
    schedule.windows[0].begin = begin;
    schedule.windows[0].end = end;
    schedule.save(stored);
}

// The program started with a tone playing, its clock at `at`, its settings
// those given and one daily window from begin to end.
void startWithWindow(Session& session, FakeClock& clock, const QDateTime& at, const QString& settings, QTime begin,
                     QTime end)
{
    clock.set(at);
    session.writeSettings(settings);
    storeWindow(session.settingsFile(), begin, end);
    session.startTone();
    if (!session.start()) ADD_FAILURE() << "the program did not start";
}

// The takes in folder by name, one text for readable failures.
std::string takesIn(const QString& folder)
{
    return QDir(folder).entryList({"*.wav"}, QDir::Files, QDir::Name).join(" | ").toStdString();
}

}  // namespace

// 25 October 2026: at 03:00 summer time (01:00 UTC) the clocks go back to
// 02:00, and 02:00 to 03:00 comes twice.
TEST_F(E2e, WhenTheClocksGoBackAWindowActsOnceAndARepeatedNameGetsANumber)
{
    ASSERT_TRUE(QFile::exists(TAMSEL_FAKETIME)) << "no libfaketime; scripts/setup installs the package faketime";
    const auto utc = [](int h, int m, int s, int ms = 0) {
        return QDateTime(QDate(2026, 10, 25), QTime(h, m, s, ms), Qt::UTC);
    };
    FakeClock clock(*session, session->scratch("faketime"));
    const QString folder = session->scratch("takes");
    startWithWindow(*session, clock, utc(0, 0, 0), outputTo(folder), QTime(2, 59, 50), QTime(2, 59, 53));
    const QPoint record = session->elementCentre("mp3rec", "recorder");
    const QPoint stop = session->elementCentre("mp3rec", "stop");

    // Summer time: a take by hand at 02:59:45, then the window's.
    clock.set(utc(0, 59, 42));
    clock.waitUntil(utc(0, 59, 45, 300));
    session->clickAt(record);
    clock.waitUntil(utc(0, 59, 47, 300));
    session->clickAt(stop);
    clock.waitUntil(utc(0, 59, 55));
    const QString stem = "EUT-25-10-2026--";
    ASSERT_EQ(takesIn(folder), (stem + "02;59;45.wav | " + stem + "02;59;50.wav").toStdString())
        << "shown: " << session->shownTitles().toStdString();
    const QString first = folder + "/" + stem + "02;59;45.wav";
    const qint64 firstSize = waitForSteadySize(first, 500, 10000);

    // The clock goes back by itself; an hour later (the test moves it on)
    // winter time comes to 02:59:45 again, and a take by hand then runs
    // through the window's times: neither its begin nor its end acts again.
    clock.waitUntil(utc(1, 0, 1));
    clock.set(utc(1, 59, 42));
    clock.waitUntil(utc(1, 59, 45, 300));
    session->clickAt(record);
    clock.waitUntil(utc(1, 59, 54, 300));
    session->clickAt(stop);
    const QString again = folder + "/" + stem + "02;59;45-2.wav";
    ASSERT_GT(waitForSteadySize(again, 1500, 20000), 0) << "no take named -2: " << takesIn(folder);
    session->stopTone();

    EXPECT_EQ(takesIn(folder),
              (stem + "02;59;45-2.wav | " + stem + "02;59;45.wav | " + stem + "02;59;50.wav").toStdString());
    EXPECT_EQ(sizeOf(first), firstSize) << "the first take was written to again";
    // The program starts taking audio a moment after the press (0.2 to
    // 0.5 s), the schedule within its quarter-second check.
    EXPECT_NEAR(durationOf(first), 2, 0.6);
    EXPECT_NEAR(durationOf(folder + "/" + stem + "02;59;50.wav"), 3, 0.6);
    EXPECT_NEAR(durationOf(again), 9, 0.6);
}

// 29 March 2026: at 02:00 winter time (01:00 UTC) the clocks go forward to
// 03:00, and 02:00 to 03:00 never comes.
TEST_F(E2e, WhenTheClocksGoForwardAWindowInTheSkippedHourStartsAsTheClockPassesIt)
{
    ASSERT_TRUE(QFile::exists(TAMSEL_FAKETIME)) << "no libfaketime; scripts/setup installs the package faketime";
    const auto utc = [](int h, int m, int s) { return QDateTime(QDate(2026, 3, 29), QTime(h, m, s), Qt::UTC); };
    FakeClock clock(*session, session->scratch("faketime"));
    const QString folder = session->scratch("takes");
    startWithWindow(*session, clock, utc(0, 0, 0), outputTo(folder), QTime(2, 0, 0), QTime(3, 0, 4));

    clock.set(utc(0, 59, 54));
    clock.waitUntil(utc(0, 59, 59));
    EXPECT_EQ(takesIn(folder), "") << "a take began before the clocks went forward";
    clock.waitUntil(utc(1, 0, 6));
    const QString take = folder + "/EUT-29-03-2026--03;00;00.wav";
    ASSERT_GT(waitForSteadySize(take, 1500, 20000), 0) << "no take at 03:00: " << takesIn(folder);
    session->stopTone();
    EXPECT_EQ(takesIn(folder), "EUT-29-03-2026--03;00;00.wav");
    EXPECT_NEAR(durationOf(take), 4, 0.6);
}
