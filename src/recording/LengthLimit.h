#pragma once
// The file length limit, asked on every timer tick of a recording.

#include <cstdint>

class SettingsFile;

enum class LengthLimitAction { None, Stop, StopAndStartNext };

// What to do once a file has `seconds` of recorded time. Raises TamselError
// when the stored limit is not a whole number.
LengthLimitAction checkLengthLimit(const SettingsFile& settings, int64_t seconds);
