#include "split/PieceFormat.h"

#include "config/SettingsKeys.h"

#include <QFileInfo>

#include <algorithm>

namespace K = SettingsKeys;

namespace {

// The depth a format stores that holds every bit of the input's samples.
int wavBits(int bits)
{
    for (const int stored : {8, 16, 24})
        if (bits <= stored) return stored;
    return 32;
}

int flacBits(int bits) { return bits > 16 ? 24 : 16; }

}  // namespace

PieceFormat PieceFormat::of(const QString& input, int sampleRate, int channels, int inputBits)
{
    PieceFormat f;
    f.sampleRate = sampleRate;
    f.channels = channels;
    const auto byName = TAudioFile2::FormatOfName(input);
    // Headerless pieces would need a sample coding the input does not state.
    if (byName && *byName != Format::Raw) {
        f.format = *byName;
        // The input's own spelling: "x.ogg" gives "x-01.ogg", not the ".OGG" a recording gets.
        f.extension = '.' + QFileInfo(input).suffix();
    }
    const bool bitsKnown = inputBits > 0;
    if (f.format == Format::Wav) f.bitsPerSample = bitsKnown ? wavBits(inputBits) : 16;
    if (f.format == Format::Flac) f.bitsPerSample = bitsKnown ? flacBits(inputBits) : 16;
    return f;
}

void PieceFormat::apply(TAudioFile2& writer) const
{
    switch (format) {
    case Format::Flac: return writer.SetFlacFormat(sampleRate, channels, bitsPerSample);
    case Format::Opus: return writer.SetOpusFormat(sampleRate, channels, K::Opus::BitrateDefault);
    case Format::Mp3:
        return writer.SetMp3Format(sampleRate, std::min(channels, 2), K::Mp3::QualityDefault, K::Mp3::BitrateDefault);
    case Format::Ogg: return writer.SetOggFormat(sampleRate, channels, 0, 0, 0, K::Ogg::QualityDefault);
    case Format::Wav:
    case Format::Raw: break;
    }
    writer.SetWavFormat(sampleRate, channels, bitsPerSample);
}
