#include "recording/LengthLimit.h"

#include "config/SettingsFile.h"
#include "platform/Error.h"

LengthLimitAction checkLengthLimit(const RecordingSettings::LengthLimit& limit, int64_t seconds)
{
    if (!limit.enabled || !limit.byTime) return LengthLimitAction::None;
    const std::optional<int> most = SettingsFile::parseInteger(limit.seconds.trimmed());
    if (!most)
        throw TamselError(QStringLiteral("The file length limit \"%1\" in tamsel.ini is not a whole "
                                         "number of seconds; set it in the settings window.")
                              .arg(limit.seconds));
    if (seconds < *most) return LengthLimitAction::None;
    // A new file wins over a plain stop: stopping first would leave nothing to continue.
    if (limit.startNext) return LengthLimitAction::StopAndStartNext;
    if (limit.stop) return LengthLimitAction::Stop;
    return LengthLimitAction::None;
}
