#pragma once
// Small helpers shared by the FFmpeg-based reader files.

#include <QString>

namespace ffmpegsupport {

// FFmpeg's own console messages are silenced once per process: every failure
// reaches the user as an error message instead.
void quietLogging();
// The text of an AVERROR code.
QString errorText(int code);

}  // namespace ffmpegsupport
