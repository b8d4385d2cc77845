#include "app/Activity.h"

#include <stdexcept>

ActivityOwner ActivityState::ownerOf(Activity activity)
{
    switch (activity) {
    case Activity::Recording:
    case Activity::RecordingPaused:
    case Activity::WaitingForInput:
    case Activity::WaitingForSound: return ActivityOwner::Recording;
    case Activity::Playing:
    case Activity::PlaybackPaused: return ActivityOwner::Playback;
    case Activity::Joining: return ActivityOwner::Join;
    case Activity::Idle: break;
    }
    throw std::logic_error("Idle belongs to no owner");
}

ActivityState::Handle ActivityState::claim(ActivityOwner owner)
{
    const unsigned bit = 1u << unsigned(owner);
    if (claimed_ & bit) throw std::logic_error("an activity owner was claimed twice");
    claimed_ |= bit;
    return Handle(this, owner);
}

void ActivityState::Handle::set(Activity next)
{
    ActivityState& s = *state_;
    const Activity before = s.current_;
    if (next == before) return;
    const bool mine = before == Activity::Idle || ownerOf(before) == owner_;
    // Finishing what another owner runs leaves it alone (a second stop).
    if (!mine && next == Activity::Idle) return;
    if (!mine || (next != Activity::Idle && ownerOf(next) != owner_))
        throw std::logic_error("an activity was changed by another owner than its own");
    s.current_ = next;
    emit s.changed(next, before);
}
