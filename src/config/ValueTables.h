#pragma once
// The tables that turn list positions stored in the settings file into
// values, and the texts the settings window lists for them. A stored
// position indexes these tables directly.

#include <QString>
#include <QStringList>
#include <array>
#include <span>

namespace ValueTables {

// Hz: "wav"/"frequency", "ogg"/"frequency", "raw"/"f".
inline constexpr std::array<int, 10> SampleRates{6000, 8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
// Bits per sample: "wav"/"bit", "raw"/"b".
inline constexpr std::array<int, 7> BitDepths{2, 3, 4, 5, 8, 16, 32};
// kbit/s: "ogg"/"min bitrate", "ogg"/"max bitrate".
inline constexpr std::array<int, 17> Bitrates{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
// kbit/s: "ogg"/"bitrate".
inline constexpr std::array<int, 6> NominalBitrates{112, 128, 160, 192, 256, 320};
// "wav"/"channel", "ogg"/"channel", "raw"/"c": the stored position is the
// number of channels minus one.
QStringList channelNames();

// The settings window's drop-down texts, position for position.
QStringList sampleRateTexts();
QStringList bitDepthTexts();
QStringList channelTexts();

// The table entry at a stored position, or `outside` when the position is
// not in the table (a hand-edited file, or a list left without a selection).
int valueAt(std::span<const int> table, int position, int outside);
// The channel count a stored position stands for, or `outside`.
int channelsAt(int position, int outside);

}  // namespace ValueTables
