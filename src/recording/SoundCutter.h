#pragma once
// Decides, frame-exactly, which audio of a stream is kept and where it is cut
// into pieces, from its level: start on sound with a pre-roll, pause or end a
// piece after a hang time of silence, and split at silences. Pure, so the
// recording and tamsel-split cut alike and it is tested without a sound server.
//
// Levels are the peak of each 10 ms window; a window at or above the
// threshold is loud. Sound starts with the first loud window of a run that
// stays loud for `attackMs` (shorter bursts count as silence); silence starts
// after the last loud window and lasts until sound starts again.

#include "components/Block.h"

#include <cstdint>
#include <deque>
#include <vector>

class SoundCutter {
public:
    struct Settings {
        double thresholdDbfs = -40;
        int attackMs = 100;
        // A silence this long ends the piece's sound.
        int silenceMs = 5000;
        // How much of such a silence the piece keeps at its end.
        int tailMs = 5000;
        // Audio before a sound start that its piece begins with.
        int prerollMs = 2000;
        // After a silence: a new piece (true) or the same piece, paused.
        bool newPiece = false;
        // Everything is kept; a piece ends just before the sound that
        // follows a silence, so the pieces joined are the whole input.
        bool keepAll = false;
    };

    // Starting on sound (pause or new piece after the hang time).
    static Settings startOnSound(double thresholdDbfs, int prerollMs, int hangMs, bool newPiece);
    // Splitting at every silence of at least `minSilenceMs`; `drop` leaves the
    // silences out, otherwise they are kept.
    static Settings splitAtSilences(double thresholdDbfs, int minSilenceMs, bool drop);

    struct Step {
        enum Kind {
            Write,    // append `audio` to the current piece, opening one if none is open
            EndPiece, // complete the current piece; the next Write opens a new one
            Waiting,  // nothing is kept now: waiting for sound
            Sounding, // sound started: keeping again
        } kind;
        Block audio;
    };

    SoundCutter(const Settings& settings, int sampleRate, int channels);

    // Feeds the next frames of the stream (in the cutter's format); returns
    // what to do with them, in order. Frames are never reordered or repeated.
    std::vector<Step> feed(const Block& block);
    // The end of the stream: writes what is still held and is worth keeping.
    std::vector<Step> finish();

    // Nothing is being kept now: before the first sound, or after a silence.
    bool waiting() const { return state_ == State::Armed; }
    // The piece being written has held sound (not only silence).
    bool pieceHasSound() const { return pieceHasSound_; }
    // Frames fed so far.
    int64_t position() const { return fed_; }

    // The peak level of interleaved samples in dBFS (-inf for digital silence).
    static double peakDbfs(const float* samples, int64_t count);

private:
    enum class State { Armed, Sound, Quiet };

    void window(const float* frames, int64_t count, std::vector<Step>& out);
    void keep(const float* frames, int64_t count, std::vector<Step>& out);
    void hold(const float* frames, int64_t count);
    void flushHeld(std::vector<Step>& out);
    void soundConfirmed(std::vector<Step>& out);
    void silenceReached(std::vector<Step>& out);

    Settings s_;
    int rate_;
    int channels_;
    float threshold_;       // linear
    int64_t windowFrames_;  // 10 ms
    int64_t attackFrames_;
    int64_t silenceFrames_;
    int64_t tailFrames_;
    int64_t prerollFrames_;

    State state_;
    bool pieceHasSound_ = false;
    bool pieceOpen_ = false;    // a Write went to the current piece
    int64_t fed_ = 0;
    std::vector<float> partial_;  // an incomplete window, carried to the next feed
    // Armed: the most recent frames, for the pre-roll and the attack.
    // Quiet: frames past the tail, kept or dropped when the silence ends.
    // Keep-all: a loud run not yet long enough to count as sound.
    std::deque<float> held_;
    int64_t loudRun_ = 0;   // frames of the current run of loud windows
    int64_t quietRun_ = 0;  // frames since the sound's last loud window
};
