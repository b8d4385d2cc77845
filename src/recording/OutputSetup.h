#pragma once
// Builds a recording's file name from its settings, creates its folder and
// sets the writer's format, as each new recording starts.

#include "config/RecordingSettings.h"

#include <QDateTime>
#include <QSet>
#include <QString>

class TAudioFile2;

struct OutputSetup {
    QString fileName;
    QString infoText;  // "File Info: ..." for the format display
    // Set when the writer refused the format: shown instead, nothing recorded.
    QString refusal;
    // Headerless RAW data has no place for a tag.
    bool taggable = true;
};

struct WavFormat {
    int sampleRate;
    int channels;
    int bitsPerSample;
};

// The WAV format "wav"/"mode" selects; recordings and joins are written in it.
WavFormat configuredWavFormat(const RecordingSettings::Wav& wav);

// `continuing` marks the next file of a recording cut at its length limit:
// that file never takes the name of an existing file, it gets "-2", "-3", ...
// So does a date-time name in `recordedBefore` (files this run recorded and
// listed), so a repeated date-time (the clocks went back) never overwrites a take.
// Raises TamselError when the output folder cannot be made.
OutputSetup setUpOutput(const RecordingSettings& settings, TAudioFile2& writer, const QDateTime& now,
                        bool continuing, const QSet<QString>& recordedBefore = {});

// "File Name:" and the part of the path from the main name on.
QString fileNameText(const QString& outputFileName, const QString& mainName);
