#pragma once
// Settings keys that the recording and join tests write over and over.

#include "config/SettingsFile.h"

inline void writeLengthLimit(SettingsFile& s, const QString& seconds, bool stop, bool next, bool enabled = true,
                             bool byTime = true)
{
    s.writeBool("file", "enlength", enabled);
    s.writeBool("file", "rbtime", byTime);
    s.writeText("file", "timet", seconds);
    s.writeBool("file", "limit_s", stop);
    s.writeBool("file", "limit_n", next);
}

inline void writeWavMode(SettingsFile& s, int mode, int frequency, int channel, int bit)
{
    s.writeInteger("wav", "mode", mode);
    s.writeInteger("wav", "frequency", frequency);
    s.writeInteger("wav", "channel", channel);
    s.writeInteger("wav", "bit", bit);
}
