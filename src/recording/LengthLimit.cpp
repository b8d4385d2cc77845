#include "recording/LengthLimit.h"

#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "platform/Error.h"

LengthLimitAction checkLengthLimit(const SettingsFile& s, int64_t seconds)
{
    using namespace SettingsKeys::File;
    if (!s.readBool(Section, EnLength, false) || !s.readBool(Section, RbTime, false))
        return LengthLimitAction::None;
    const QString text = s.readText(Section, TimeT, TimeTDefault);
    const std::optional<int> limit = SettingsFile::parseInteger(text.trimmed());
    if (!limit)
        throw TamselError(QStringLiteral("The file length limit \"%1\" in tamsel.ini is not a whole "
                                         "number of seconds; set it in the settings window.")
                              .arg(text));
    if (seconds < *limit) return LengthLimitAction::None;
    // A new file wins over a plain stop: stopping first would leave nothing to continue.
    if (s.readBool(Section, LimitN, false)) return LengthLimitAction::StopAndStartNext;
    if (s.readBool(Section, LimitS, false)) return LengthLimitAction::Stop;
    return LengthLimitAction::None;
}
