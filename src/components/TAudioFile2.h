#pragma once
// Audio file component: one instance is either closed, open for reading
// (decoding any format) or open for writing (WAV, FLAC, Ogg Opus, MP3, Ogg
// Vorbis, headerless PCM). Every failing operation raises TamselError naming
// the file.

#include "components/Block.h"
#include "components/TPcmCopy.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

class TAudioFile2 {
public:
    virtual ~TAudioFile2() = default;

    // The formats a writer writes; each Set*Format below selects one.
    enum class OutputFormat { Wav, Raw, Ogg, Flac, Opus, Mp3 };
    // The extension a file of each format gets, the one table of them.
    static QString ExtensionOf(OutputFormat format)
    {
        switch (format) {
        case OutputFormat::Raw: return QStringLiteral(".raw");
        case OutputFormat::Ogg: return QStringLiteral(".OGG");
        case OutputFormat::Flac: return QStringLiteral(".flac");
        case OutputFormat::Opus: return QStringLiteral(".opus");
        case OutputFormat::Mp3: return QStringLiteral(".mp3");
        case OutputFormat::Wav: break;
        }
        return QStringLiteral(".wav");
    }
    // The format whose extension fileName ends with, in any case.
    static std::optional<OutputFormat> FormatOfName(const QString& fileName)
    {
        for (const OutputFormat f : {OutputFormat::Wav, OutputFormat::Raw, OutputFormat::Ogg,
                                     OutputFormat::Flac, OutputFormat::Opus, OutputFormat::Mp3})
            if (fileName.endsWith(ExtensionOf(f), Qt::CaseInsensitive)) return f;
        return std::nullopt;
    }

    // A mark where a part of a written file begins: at frame (in the file's
    // SampleRate), named title.
    struct Chapter {
        int64_t frame = 0;
        QString title;
    };

    // Reading. A and B are accepted for interface compatibility (always 0, 1).
    virtual void OpenRead(const QString& fileName, int a = 0, int b = 1) = 0;
    virtual bool IsOpen() const = 0;
    // On a writer this completes the file (header, trailer, flush).
    virtual void CloseFile() = 0;

    virtual int64_t Samples() const = 0;   // frames
    // Samples is what the file states of itself, exactly: reading ends before
    // it only where the file is damaged or cut. False where it is an
    // estimate (MP3 without a length header, WMA, ...).
    virtual bool SamplesExact() const = 0;
    virtual int64_t Duration() const = 0;  // milliseconds
    // Of the file: for a writer the rate the file stores, which for Opus is
    // always 48000 Hz and for MP3 the nearest rate MP3 has.
    virtual int SampleRate() const = 0;
    virtual int Channels() const = 0;
    virtual int Bitrate() const = 0;       // bit/s; 0 where it varies (FLAC, MP3 VBR, Vorbis quality)
    // Format of the blocks the reader returns, or the writer takes by default:
    // for a writer the rate and channels given to Set*Format.
    virtual int ArraySampleRate() const = 0;
    virtual int ArrayChannels() const = 0;

    // Next frames from the read position, at most count; empty at the end.
    virtual Block ReadArray(int count) = 0;
    // Mode 3: position in frames from the start. Returns the new position.
    virtual int64_t Seek(int64_t position, int mode = 3) = 0;

    // Writing: set a format, then OpenWrite.
    virtual void SetWavFormat(int sampleRate, int channels, int bitsPerSample) = 0;
    virtual void SetRawFormat(int format, int sampleRate, int channels, int bitsPerSample) = 0;
    // Bitrates in kbit/s. True when the Vorbis encoder accepts the set.
    virtual bool CheckOggFormat(int sampleRate, int channels, int bitrate, int minBitrate,
                                int maxBitrate) = 0;
    // Quality in thousandths of Vorbis quality; 0 selects managed bitrate mode.
    virtual void SetOggFormat(int sampleRate, int channels, int bitrate, int minBitrate,
                              int maxBitrate, int quality) = 0;
    // FLAC, lossless, bitsPerSample 16 or 24; 1 to 8 channels.
    virtual void SetFlacFormat(int sampleRate, int channels, int bitsPerSample) = 0;
    // Ogg Opus at bitrateKbps (6 to 256 per channel; 96 suits stereo music),
    // 1 to 8 channels. Opus codes at 48 kHz only: the file stores 48000 Hz
    // whatever sampleRate is, and blocks at sampleRate are resampled to it.
    virtual void SetOpusFormat(int sampleRate, int channels, int bitrateKbps) = 0;
    // MP3 (LAME), 1 or 2 channels. cbrKbps > 0: constant bitrate (32 to 320,
    // the nearest rate MP3 has); otherwise variable bitrate at vbrQuality,
    // 0 (best, about 245 kbit/s) to 9 (about 65 kbit/s), 2 being about
    // 190 kbit/s. A sampleRate MP3 lacks (it has 8000 to 48000 Hz) is
    // resampled to the nearest one above it, or to 48000 Hz.
    virtual void SetMp3Format(int sampleRate, int channels, int vbrQuality, int cbrKbps) = 0;
    virtual void OpenWrite(const QString& fileName, int a = 0) = 0;
    virtual void SetInputFormat(int sampleRate, int channels) = 0;
    virtual void WriteArray(const Block& block) = 0;
    virtual void SetFileOption(int option) = 0;
    // Marks stored in the open file when it is completed, as its format keeps
    // them: WAV cue points named in a LIST/adtl chunk, FLAC, Opus and Vorbis
    // CHAPTERnnn/CHAPTERnnnNAME comments, MP3 ID3v2 CHAP frames; headerless
    // files and WAV files past 4 GiB (RF64) keep none. Replaces marks set
    // before; a new file starts with none.
    virtual void SetChapters(const QList<Chapter>& chapters) = 0;

    // Copying same-format PCM WAV files into the open output; null where the
    // component cannot.
    virtual TPcmCopy* PcmCopyFacet() { return nullptr; }
};
