#include "schedule/Schedule.h"

#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"

#include <QDateTime>

namespace {
namespace AR = SettingsKeys::AutoRec;
namespace TC = SettingsKeys::TimeClose;
namespace ST = SettingsKeys::ShutdownTime;
}  // namespace

Schedule Schedule::load(const SettingsFile& s, int currentMode, bool shown, const QDateTime& now)
{
    auto readTime = [&](const QString& section, const QString& key) -> std::optional<QTime> {
        const QTime stored = s.readTime(section, key, QTime());
        if (stored.isValid()) return stored;
        if (shown && s.readText(section, key, QString()).isEmpty()) return now.time();
        return std::nullopt;
    };
    Schedule v;
    v.mode = storedMode(s).value_or(currentMode);
    for (int n = 1; n <= kWindows; ++n) v.windows[n - 1].on = s.readBool(AR::Section, AR::enabled(n), false);
    for (int n = 1; n <= kWindows; ++n) v.windows[n - 1].begin = readTime(AR::Section, AR::beginTime(n));
    for (int n = 1; n <= kWindows; ++n) v.windows[n - 1].end = readTime(AR::Section, AR::endTime(n));
    for (int n = 1; n <= kWindows; ++n)
        v.windows[n - 1].beginEnabled = s.readBool(AR::Section, AR::beginTimeEnabled(n), false);
    for (int n = 1; n <= kWindows; ++n)
        v.windows[n - 1].endEnabled = s.readBool(AR::Section, AR::endTimeEnabled(n), false);
    const QDate day = s.readDate(AR::Section, AR::Date, QDate());
    if (day.isValid()) v.day = day;
    else if (s.readText(AR::Section, AR::Date, QString()).isEmpty()) v.day = now.date();
    v.onSound = s.readBool(AR::Section, AR::OnSound, false);
    v.powerOff = storedPowerOff(s);
    v.powerOffTime = readTime(ST::Section, ST::Time);
    return v;
}

void Schedule::save(SettingsFile& s) const
{
    auto writeTime = [&s](const QString& section, const QString& key, const std::optional<QTime>& t) {
        if (t) s.writeTime(section, key, *t);
    };
    s.writeInteger(AR::Section, AR::Format, mode);
    for (int n = 1; n <= kWindows; ++n) s.writeBool(AR::Section, AR::enabled(n), windows[n - 1].on);
    for (int n = 1; n <= kWindows; ++n) writeTime(AR::Section, AR::beginTime(n), windows[n - 1].begin);
    for (int n = 1; n <= kWindows; ++n) writeTime(AR::Section, AR::endTime(n), windows[n - 1].end);
    for (int n = 1; n <= kWindows; ++n)
        s.writeBool(AR::Section, AR::beginTimeEnabled(n), windows[n - 1].beginEnabled);
    for (int n = 1; n <= kWindows; ++n) s.writeBool(AR::Section, AR::endTimeEnabled(n), windows[n - 1].endEnabled);
    if (day) s.writeDate(AR::Section, AR::Date, *day);
    s.writeBool(AR::Section, AR::OnSound, onSound);
    savePowerOff(s, powerOff);
    writeTime(ST::Section, ST::Time, powerOffTime);
}

std::optional<int> Schedule::storedMode(const SettingsFile& s)
{
    const int stored = s.readInteger(AR::Section, AR::Format, Disabled);
    if (stored < Disabled || stored > SpecialDay) return std::nullopt;
    return stored;
}

bool Schedule::storedPowerOff(const SettingsFile& s) { return s.readBool(TC::Section, TC::BClose, false); }

void Schedule::savePowerOff(SettingsFile& s, bool on) { s.writeBool(TC::Section, TC::BClose, on); }
