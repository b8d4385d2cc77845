#pragma once
// The program-wide flags and values, one set for the whole process, touched
// only on the UI thread. Every window reaches them through the main window.

#include <QString>
#include <cstdint>

// The four texts of the main window's display.
enum class DisplayText { Time, Size, FileName, Info };

struct AppState {
    bool recording = false;          // running or paused
    bool recordingPaused = false;
    bool playing = false;            // a file is open for playback, running or paused
    bool playbackPaused = false;
    bool joining = false;            // clearing it asks the join to stop
    bool quitting = false;           // the main window closed: work stops without follow-ups
    bool listWindowShown = false;
    bool addingRecordedFile = false; // the stop of a recording is adding its file to the list
    bool pressOnElement = false;     // the current press began on a named skin element
    bool noWindowDrag = false;       // also gates the time and size texts
    int dragOriginX = 0;
    int dragOriginY = 0;
    bool barFollows = false;         // the seek bar follows the playback position
    QString outputFileName;          // the current or last recording's file
    int64_t positionBase = 0;        // frames reached at the last pause (or seek)
    int64_t positionSamples = 0;     // positionBase plus frames since the last start
};
