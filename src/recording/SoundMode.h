#pragma once
// How a recording treats silence, from its stored settings: the cutter it
// records through, or none to record everything as it comes.

#include "config/RecordingSettings.h"
#include "recording/SoundCutter.h"

#include <QString>
#include <optional>

// `onSound`: start on sound even where the settings record everything (a
// scheduled window set to start on sound). Stored values out of range are
// brought into it, so a hand-edited file cannot make the cutter hold hours.
std::optional<SoundCutter::Settings> cutterSettings(const RecordingSettings::Sound& sound, bool onSound = false);

// Pieces split at silences are numbered as tracks.
inline bool splitsIntoTracks(const RecordingSettings::Sound& sound)
{
    return sound.mode == SettingsKeys::Sound::ModeSplit;
}

// Shown while a recording waits for sound.
QString waitingForSoundText(const RecordingSettings::Sound& sound);
