#include "config/ValueTables.h"

namespace ValueTables {

QStringList channelNames()
{
    return {QStringLiteral("Mono"), QStringLiteral("Stereo")};
}

QStringList sampleRateTexts()
{
    // The first entry has no space before "Hz"; the window has always shown it so.
    return {QStringLiteral("6000Hz"),   QStringLiteral("8000 Hz"),  QStringLiteral("11025 Hz"),
            QStringLiteral("12000 Hz"), QStringLiteral("16000 Hz"), QStringLiteral("22050 Hz"),
            QStringLiteral("24000 Hz"), QStringLiteral("32000 Hz"), QStringLiteral("44100 Hz"),
            QStringLiteral("48000 Hz")};
}

QStringList bitDepthTexts()
{
    QStringList texts;
    for (int bits : BitDepths) texts << QStringLiteral("%1 bps").arg(bits);
    return texts;
}

QStringList channelTexts()
{
    return channelNames();
}

int valueAt(std::span<const int> table, int position, int outside)
{
    if (position < 0 || std::size_t(position) >= table.size()) return outside;
    return table[std::size_t(position)];
}

int channelsAt(int position, int outside)
{
    return position >= 0 && position < int(channelNames().size()) ? position + 1 : outside;
}

}  // namespace ValueTables
