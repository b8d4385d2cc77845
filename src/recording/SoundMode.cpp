#include "recording/SoundMode.h"

#include <algorithm>

std::optional<SoundCutter::Settings> cutterSettings(const RecordingSettings::Sound& d, bool onSound)
{
    namespace K = SettingsKeys::Sound;
    const auto level = [](int dbfs) { return double(std::clamp(dbfs, -120, 0)); };
    if (d.mode == K::ModeSplit)
        return SoundCutter::splitAtSilences(level(d.splitLevel), std::clamp(d.splitSilence, 100, 60'000), d.drop);
    if (d.mode == K::ModeStartOnSound || onSound)
        return SoundCutter::startOnSound(level(d.startLevel), std::clamp(d.preroll, 0, 30'000),
                                         std::clamp(d.hang, 100, 24 * 3600 * 1000), d.newFile);
    return std::nullopt;
}

QString waitingForSoundText(const RecordingSettings::Sound& d)
{
    return QStringLiteral("Waiting for sound above %1 dBFS").arg(std::clamp(d.startLevel, -120, 0));
}
