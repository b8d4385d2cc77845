#pragma once
// The file length limit, asked on every timer tick of a recording.

#include "config/RecordingSettings.h"

#include <cstdint>

enum class LengthLimitAction { None, Stop, StopAndStartNext };

// What to do once a file has `seconds` of recorded time. Raises TamselError
// when the limit is not a whole number.
LengthLimitAction checkLengthLimit(const RecordingSettings::LengthLimit& limit, int64_t seconds);
