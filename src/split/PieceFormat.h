#pragma once
// The format tamsel-split writes its pieces in: the input's own where the
// writer writes it (known by the input's extension, which the pieces keep),
// WAV otherwise; always at the input's rate and channels, and at its bits
// where the format stores bits, so that PCM pieces hold the input's samples
// exactly.

#include "components/TAudioFile2.h"

#include <QString>

struct PieceFormat {
    using Format = TAudioFile2::OutputFormat;

    Format format = Format::Wav;
    QString extension = TAudioFile2::ExtensionOf(Format::Wav);  // with its dot
    int sampleRate = 44100;  // of the blocks; an Opus file stores 48000 Hz
    int channels = 2;
    int bitsPerSample = 16;  // WAV and FLAC

    // inputBits 0 when unknown.
    static PieceFormat of(const QString& input, int sampleRate, int channels, int inputBits);
    // Sets the writer's format for the next OpenWrite.
    void apply(TAudioFile2& writer) const;
};
