#pragma once
// Chapter marks written into a completed audio file, each in its format's
// own way: WAV cue points named in a LIST/adtl chunk, Vorbis comments
// CHAPTERnnn=HH:MM:SS.mmm and CHAPTERnnnNAME in FLAC, Opus and Vorbis, ID3v2
// CHAP frames (with a CTOC listing them) in MP3.

#include <QString>
#include <cstdint>
#include <vector>

struct ChapterMark {
    int64_t frame = 0;  // where the chapter begins, in the file's rate
    QString title;
};

enum class ChapterContainer { Wav, Flac, Opus, Vorbis, Mp3 };

// Adds marks to the file at path, which holds totalFrames at sampleRate.
// Throws TamselError naming the file when they cannot be stored; a WAV past
// 4 GiB (RF64) keeps none.
void storeChapters(const QString& path, ChapterContainer container,
                   const std::vector<ChapterMark>& marks, int sampleRate, int64_t totalFrames);
