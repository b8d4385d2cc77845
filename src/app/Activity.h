#pragma once
// What the program is doing: one value, owned here, changed only through the
// owner handle of the work that runs it (recording, playback or the join),
// and announced on every change. Everything else only reads it.

#include <QObject>
#include <memory>

// WaitingForInput: a recording whose input or sound server went away; it
// goes on into the same file when they come back. WaitingForSound: a
// recording armed to start (or go on) when the input's level rises.
enum class Activity {
    Idle,
    Recording,
    RecordingPaused,
    WaitingForInput,
    WaitingForSound,
    Playing,
    PlaybackPaused,
    Joining
};

// The three kinds of work, each run by one owner.
enum class ActivityOwner { Recording, Playback, Join };

class ActivityState : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Activity current() const { return current_; }
    bool idle() const { return current_ == Activity::Idle; }
    // Running, paused, or waiting for its input or for sound.
    bool recording() const
    {
        return current_ == Activity::Recording || recordingPaused() || current_ == Activity::WaitingForInput ||
               current_ == Activity::WaitingForSound;
    }
    bool recordingPaused() const { return current_ == Activity::RecordingPaused; }
    // A file is open for playback, running or paused.
    bool playing() const { return current_ == Activity::Playing || playbackPaused(); }
    bool playbackPaused() const { return current_ == Activity::PlaybackPaused; }
    bool joining() const { return current_ == Activity::Joining; }

    // The only way to change the activity. An owner moves between Idle and
    // its own activities; taking over another owner's activity is a fault of
    // the program (the commands' guards exclude it) and throws logic_error.
    class Handle {
    public:
        void set(Activity next);
        // Back to Idle; nothing when another owner's work runs.
        void finish() { set(Activity::Idle); }
        const ActivityState& state() const { return *state_; }

    private:
        friend class ActivityState;
        Handle(ActivityState* state, ActivityOwner owner) : state_(state), owner_(owner) {}
        ActivityState* state_;
        ActivityOwner owner_;
    };

    // Each owner claims its handle once; a second claim throws logic_error.
    Handle claim(ActivityOwner owner);

    static ActivityOwner ownerOf(Activity activity);

signals:
    void changed(Activity now, Activity before);

private:
    Activity current_ = Activity::Idle;
    unsigned claimed_ = 0;
};
