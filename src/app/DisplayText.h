#pragma once
// The four texts of the main window's display, which recording and playback write.

enum class DisplayText { Time, Size, FileName, Info };
