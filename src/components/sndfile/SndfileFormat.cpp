// What each container accepts, and how its format is told to libsndfile.

#include "components/sndfile/SndfileFormat.h"

#include "platform/Error.h"

#include <sndfile.h>

#include <algorithm>
#include <iterator>

namespace {

using Container = SndfileWriter::Container;

constexpr int kMp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

bool quantized(int bits) { return bits >= 2 && bits <= 5; }

QString containerName(const SndfileWriter::Format& f)
{
    switch (f.container) {
    case Container::Raw: return QStringLiteral("raw PCM");
    case Container::Flac: return QStringLiteral("FLAC");
    case Container::Mp3: return QStringLiteral("MP3");
    case Container::Wav: break;
    }
    return QStringLiteral("WAV");
}

[[noreturn]] void refuse(const SndfileWriter::Format& f, const QString& why)
{
    throw TamselError(QStringLiteral("Unsupported %1 format: %2 Hz, %3 channels: %4")
                          .arg(containerName(f)).arg(f.sampleRate).arg(f.channels).arg(why));
}

// MP3 bitrates lie in a range set by the MPEG version its rate belongs to.
struct Range {
    int low, high;
};
Range mp3Bitrates(int rate)
{
    if (rate >= 32000) return {32, 320};
    if (rate >= 16000) return {8, 160};
    return {8, 64};
}

}  // namespace

namespace sndfileformat {

void validate(const SndfileWriter::Format& f)
{
    if (f.sampleRate <= 0 || f.sampleRate > 1000000) refuse(f, "no such sample rate");
    switch (f.container) {
    case Container::Wav:
    case Container::Raw:
        if (f.channels < 1 || f.channels > 32) refuse(f, "1 to 32 channels are possible");
        if (!quantized(f.bits) && f.bits != 8 && f.bits != 16 && f.bits != 24 && f.bits != 32)
            refuse(f, QStringLiteral("%1 bits are not possible").arg(f.bits));
        return;
    case Container::Flac:
        if (f.channels < 1 || f.channels > 8) refuse(f, "1 to 8 channels are possible");
        if (f.bits != 16 && f.bits != 24) refuse(f, "16 or 24 bits are possible");
        if (f.sampleRate > 655350) refuse(f, "at most 655350 Hz is possible");
        return;
    case Container::Mp3: {
        if (!std::count(std::begin(kMp3Rates), std::end(kMp3Rates), f.sampleRate))
            refuse(f, "MP3 stores 8000 to 48000 Hz");
        if (f.channels < 1 || f.channels > 2) refuse(f, "MP3 holds 1 or 2 channels");
        const Range r = mp3Bitrates(f.sampleRate);
        if (f.kbps > 0 && (f.kbps < r.low || f.kbps > r.high))
            refuse(f, QStringLiteral("a constant bitrate of %1 kbit/s is outside %2 to %3 kbit/s")
                          .arg(f.kbps).arg(r.low).arg(r.high));
        if (f.kbps <= 0 && (f.vbrQuality < 0 || f.vbrQuality > 9))
            refuse(f, QStringLiteral("VBR quality %1 is outside 0 to 9").arg(f.vbrQuality));
        return;
    }
    }
}

int storedRate(Container container, int sampleRate)
{
    if (container != Container::Mp3) return sampleRate;
    const auto* above = std::lower_bound(std::begin(kMp3Rates), std::end(kMp3Rates), sampleRate);
    return above == std::end(kMp3Rates) ? kMp3Rates[std::size(kMp3Rates) - 1] : *above;
}

int subtype(const SndfileWriter::Format& f)
{
    const bool raw = f.container == Container::Raw;
    if (f.container == Container::Mp3) return SF_FORMAT_MPEG_LAYER_III;
    if (raw && f.rawCoding == SndfileWriter::FloatLittleEndian) return SF_FORMAT_FLOAT;
    switch (f.bits) {
    case 16: return SF_FORMAT_PCM_16;
    case 24: return SF_FORMAT_PCM_24;
    case 32: return SF_FORMAT_PCM_32;
    default:  // 8 bits, and the quantized depths stored in 8 bits
        // WAV knows only unsigned 8-bit samples.
        if (!raw || f.rawCoding == SndfileWriter::WavCoding) return SF_FORMAT_PCM_U8;
        return SF_FORMAT_PCM_S8;
    }
}

int majorFormat(const SndfileWriter::Format& f)
{
    switch (f.container) {
    case Container::Wav: return SF_FORMAT_RF64;
    case Container::Flac: return SF_FORMAT_FLAC;
    case Container::Mp3: return SF_FORMAT_MPEG;
    case Container::Raw: break;
    }
    const int endian = f.rawCoding == SndfileWriter::SignedBigEndian ? SF_ENDIAN_BIG : SF_ENDIAN_LITTLE;
    return SF_FORMAT_RAW | endian;
}

bool configure(SNDFILE* file, const SndfileWriter::Format& f)
{
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    switch (f.container) {
    case Container::Wav:
        sf_command(file, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
        return true;
    case Container::Mp3: {
        int mode = f.kbps > 0 ? SF_BITRATE_MODE_CONSTANT : SF_BITRATE_MODE_VARIABLE;
        sf_command(file, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
        double level = f.vbrQuality / 10.0;
        if (f.kbps > 0) {
            // A constant bitrate is high - level * (high - low), truncated.
            const Range r = mp3Bitrates(f.sampleRate);
            level = std::clamp((r.high - f.kbps - 0.5) / (r.high - r.low), 0.0, 1.0);
        }
        return sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level) == SF_TRUE;
    }
    case Container::Flac:
    case Container::Raw: break;
    }
    return true;
}

}  // namespace sndfileformat
