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
        if (shown) return now.time();
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
    v.day = s.readDate(AR::Section, AR::Date, now.date());
    v.powerOff = storedPowerOff(s);
    v.powerOffTime = readTime(ST::Section, ST::Time);
    return v;
}

void Schedule::save(SettingsFile& s, const QTime& now) const
{
    s.writeInteger(AR::Section, AR::Format, mode);
    for (int n = 1; n <= kWindows; ++n) s.writeBool(AR::Section, AR::enabled(n), windows[n - 1].on);
    for (int n = 1; n <= kWindows; ++n) s.writeTime(AR::Section, AR::beginTime(n), windows[n - 1].begin.value_or(now));
    for (int n = 1; n <= kWindows; ++n) s.writeTime(AR::Section, AR::endTime(n), windows[n - 1].end.value_or(now));
    for (int n = 1; n <= kWindows; ++n)
        s.writeBool(AR::Section, AR::beginTimeEnabled(n), windows[n - 1].beginEnabled);
    for (int n = 1; n <= kWindows; ++n) s.writeBool(AR::Section, AR::endTimeEnabled(n), windows[n - 1].endEnabled);
    s.writeDate(AR::Section, AR::Date, day);
    savePowerOff(s, powerOff);
    s.writeTime(ST::Section, ST::Time, powerOffTime.value_or(now));
}

std::optional<int> Schedule::storedMode(const SettingsFile& s)
{
    const int stored = s.readInteger(AR::Section, AR::Format, Disabled);
    if (stored < Disabled || stored > SpecialDay) return std::nullopt;
    return stored;
}

bool Schedule::storedPowerOff(const SettingsFile& s) { return s.readBool(TC::Section, TC::BClose, false); }

void Schedule::savePowerOff(SettingsFile& s, bool on) { s.writeBool(TC::Section, TC::BClose, on); }
