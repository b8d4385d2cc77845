#pragma once
// The recording schedule and the power-off time as one value, loaded from
// and saved to the settings file here and nowhere else. The schedule window
// edits the program's copy as the user changes it (a cancelled edit stays in
// force until the window is shown again); the runner reads that copy.

#include <QDate>
#include <QTime>
#include <array>
#include <optional>

class SettingsFile;

struct Schedule {
    enum Mode { Disabled = 0, EveryDay = 1, SpecialDay = 2 };
    static constexpr int kWindows = 3;

    struct Window {
        bool on = false;
        // No value: nothing the user set (a missing key, loaded unseen).
        std::optional<QTime> begin, end;
        // The window's own state: whether its pickers take input.
        bool beginEnabled = false, endEnabled = false;
    };

    int mode = Disabled;
    std::array<Window, kWindows> windows{};
    // No value: the stored day could not be read; the special day never comes.
    std::optional<QDate> day;
    // The windows start on sound rather than at their begin time's second.
    bool onSound = false;
    bool powerOff = false;
    std::optional<QTime> powerOffTime;

    // A stored mode other than the three keeps `currentMode`. A missing time
    // is `now` when the window is being shown, no time at all when the
    // schedule is loaded unseen at start-up; a missing date is today. A stored
    // time or date that cannot be read is never a time: it stays unset.
    static Schedule load(const SettingsFile& file, int currentMode, bool shown, const QDateTime& now);
    // Every key in its fixed order; an unset time or date is not written, so
    // what the file holds stays for the user to see.
    void save(SettingsFile& file) const;
    // The stored mode when it is one of the three.
    static std::optional<int> storedMode(const SettingsFile& file);
    // The power-off switch as stored: only a saved choice powers off.
    static bool storedPowerOff(const SettingsFile& file);
    static void savePowerOff(SettingsFile& file, bool on);

    bool operator==(const Schedule&) const = default;
};
