#include "schedule/ScheduleRunner.h"

#include "config/LocaleFormats.h"
#include "config/SettingsFile.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/PowerOff.h"
#include "schedule/Schedule.h"

#include <QTimer>
#include <algorithm>
#include <exception>

namespace {

void call(const std::function<void()>& command)
{
    if (command) command();
}

bool holds(const std::function<bool()>& flag) { return flag && flag(); }

qint64 wholeSecond(qint64 ms) { return ms >= 0 ? ms / 1000 : (ms - 999) / 1000; }

}  // namespace

ScheduleRunner::ScheduleRunner(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)), timer_(new QTimer(this))
{
    lastCheckMs_ = now().toMSecsSinceEpoch();
    timer_->setInterval(CheckIntervalMs);
    connect(timer_, &QTimer::timeout, this, ErrorBoundary::guarded(this, &ScheduleRunner::RunScheduleCheck));
    timer_->start();
}

void ScheduleRunner::setClock(std::function<QDateTime()> clock)
{
    p_.clock = std::move(clock);
    lastCheckMs_ = now().toMSecsSinceEpoch();
}

QDateTime ScheduleRunner::now() const
{
    return p_.clock ? p_.clock() : QDateTime::currentDateTime();
}

void ScheduleRunner::RunScheduleCheck()
{
    const qint64 nowMs = now().toMSecsSinceEpoch();
    const qint64 previousMs = lastCheckMs_;
    // Taken before any action: a nested loop started by one (a message box)
    // runs further checks, which then cover only the seconds after this one.
    lastCheckMs_ = nowMs;

    SettingsFile* settings = p_.settings ? p_.settings() : nullptr;
    if (!settings || !p_.schedule) return;
    if (nowMs <= previousMs) return;  // the same moment, or the clock was set back

    const qint64 last = wholeSecond(nowMs);
    const qint64 first = std::max(wholeSecond(previousMs) + 1, last - CatchUpSeconds + 1);
    for (qint64 second = first; second <= last; ++second)
        checkSecond(QDateTime::fromMSecsSinceEpoch(second * 1000), *settings);
}

void ScheduleRunner::checkSecond(const QDateTime& second, SettingsFile& settings)
{
    const Schedule& w = *p_.schedule;
    const QLocale& locale = settings.locale();
    const QDateTime previous = second.addSecs(-1);
    const QString nowText = LocaleFormats::formatTime(locale, second.time());
    const QString before = LocaleFormats::formatTime(locale, previous.time());
    // The clocks went forward: the wall-clock times in between never come.
    const bool skipped = previous.date() == second.date() && previous.time().secsTo(second.time()) > 1;
    // A time acts in the second its text first equals the current time's text:
    // with a format without seconds that is the first second of its minute; a
    // time in a skipped hour acts when the clock passes it. Each acts once a
    // day, also when the clocks go back and the hour comes again. A time
    // nobody set never acts.
    auto starts = [&](int action, const std::optional<QTime>& time) {
        if (!time) return false;
        const QString set = LocaleFormats::formatTime(locale, *time);
        const bool due = (nowText == set && before != set)
                         || (skipped && *time > previous.time() && *time <= second.time());
        if (!due) return false;
        const auto done = std::make_pair(second.date(), *time);
        if (fired_[action] == done) return false;
        fired_[action] = done;
        return true;
    };

    // Every due action runs: an error in one is reported and the rest go on.
    using ErrorBoundary::guard;
    if (Schedule::storedPowerOff(settings) && starts(0, w.powerOffTime)) guard([this] { powerOffAction(); });

    const int mode = w.mode;
    if (mode != Schedule::EveryDay && mode != Schedule::SpecialDay) return;
    for (int n = 0; n < Schedule::kWindows; ++n) {
        const Schedule::Window& window = w.windows[n];
        if (!window.on) continue;
        auto onTheDay = [&] {
            return mode == Schedule::EveryDay
                   || (w.day && LocaleFormats::formatDate(locale, second.date()) == LocaleFormats::formatDate(locale, *w.day));
        };
        // A window whose end comes before its begin runs past midnight.
        const int64_t planned =
            window.begin && window.end ? (window.begin->secsTo(*window.end) + 86400) % 86400 : 0;
        if (onTheDay() && starts(1 + 2 * n, window.begin)) guard([this, planned] { beginAction(planned); });
        if (onTheDay() && holds(p_.recording) && starts(2 + 2 * n, window.end)) guard([this] { endAction(); });
    }
}

void ScheduleRunner::beginAction(int64_t plannedSeconds)
{
    // Stopped through the command, so the finished file is listed and tagged.
    if (holds(p_.recording)) call(p_.StopRecording);
    if (holds(p_.playing)) call(p_.StopPlayback);
    if (p_.planLength) p_.planLength(plannedSeconds);
    call(p_.schedule->onSound && p_.RecordOnSound ? p_.RecordOnSound : p_.RecordCommand);
}

void ScheduleRunner::endAction() { call(p_.StopRecording); }

void ScheduleRunner::powerOffAction()
{
    if (!p_.powerOff) return;
    // Asked before anything stops: a power-off the system would refuse, or
    // ask a password for, must not end the recording or playback first.
    QString why;
    if (!p_.powerOff->canPowerOff(why)) {
        tell(QStringLiteral("The computer was not powered off at the set time: %1.").arg(why));
        return;
    }
    // Complete the recording and stop playback first; a failure there (a tag
    // that cannot be written) must not keep the computer on.
    std::exception_ptr failure;
    try {
        if (holds(p_.recording)) call(p_.StopRecording);
        if (holds(p_.playing)) call(p_.StopPlayback);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!ShutDownComputer(&why)) tell(why);
    if (failure) std::rethrow_exception(failure);
}

void ScheduleRunner::tell(const QString& message)
{
    if (p_.tell) p_.tell(message);
}

bool ScheduleRunner::ShutDownComputer(QString* why)
{
    if (!p_.powerOff) return false;
    try {
        p_.powerOff->powerOff();
        return true;
    } catch (const TamselError& e) {
        if (why) *why = e.message();
        return false;
    }
}
