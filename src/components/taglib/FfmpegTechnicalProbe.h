#pragma once
// A TechnicalProbe over libavformat: the stream parameters of the file's
// best audio stream, with its length as the program's reader measures it.

#include "components/taglib/TechnicalData.h"

bool ffmpegTechnicalProbe(const QString& fileName, TechnicalData& data);

// A file's audio as the program's reader finds it on opening.
struct ReaderAudio {
    int rate = 0;
    int channels = 0;
    int64_t frames = 0;
    bool exact = false;   // frames is exact, not the container's estimate
    int frameLength = 0;  // frames the codec decodes at a time; 0 when exact
};
// Throws the reader's TamselError ("Cannot open <file>: <reason>").
ReaderAudio readerAudio(const QString& fileName);
