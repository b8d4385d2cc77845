#include "recording/SoundCutter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
int64_t framesOf(int ms, int rate) { return int64_t(std::max(ms, 0)) * rate / 1000; }
}  // namespace

SoundCutter::Settings SoundCutter::startOnSound(double thresholdDbfs, int prerollMs, int hangMs, bool newPiece)
{
    Settings s;
    s.thresholdDbfs = thresholdDbfs;
    s.prerollMs = prerollMs;
    s.silenceMs = hangMs;
    s.tailMs = hangMs;
    s.newPiece = newPiece;
    return s;
}

SoundCutter::Settings SoundCutter::splitAtSilences(double thresholdDbfs, int minSilenceMs, bool drop)
{
    Settings s;
    s.thresholdDbfs = thresholdDbfs;
    s.silenceMs = minSilenceMs;
    s.tailMs = 0;
    s.prerollMs = 0;
    s.newPiece = true;
    s.keepAll = !drop;
    return s;
}

SoundCutter::SoundCutter(const Settings& settings, int sampleRate, int channels)
    : s_(settings), rate_(std::max(sampleRate, 1)), channels_(std::max(channels, 1)),
      threshold_(float(std::pow(10.0, settings.thresholdDbfs / 20.0))),
      windowFrames_(std::max<int64_t>(framesOf(10, rate_), 1)), attackFrames_(framesOf(settings.attackMs, rate_)),
      silenceFrames_(std::max<int64_t>(framesOf(settings.silenceMs, rate_), 1)),
      tailFrames_(std::min(framesOf(settings.tailMs, rate_), silenceFrames_)),
      prerollFrames_(framesOf(settings.prerollMs, rate_)),
      // Keeping everything starts as if after a silence; otherwise nothing is
      // kept before the first sound.
      state_(settings.keepAll ? State::Quiet : State::Armed)
{
}

double SoundCutter::peakDbfs(const float* samples, int64_t count)
{
    float peak = 0;
    for (int64_t i = 0; i < count; ++i) peak = std::max(peak, std::fabs(samples[i]));
    return peak > 0 ? 20.0 * std::log10(double(peak)) : -std::numeric_limits<double>::infinity();
}

std::vector<SoundCutter::Step> SoundCutter::feed(const Block& block)
{
    std::vector<Step> out;
    const int64_t windowSamples = windowFrames_ * channels_;
    size_t at = 0;
    const std::vector<float>& in = block.samples;
    // Complete the window carried over from the last feed first.
    if (!partial_.empty()) {
        const size_t need = std::min<size_t>(size_t(windowSamples) - partial_.size(), in.size());
        partial_.insert(partial_.end(), in.begin(), in.begin() + long(need));
        at = need;
        if (int64_t(partial_.size()) == windowSamples) {
            window(partial_.data(), windowFrames_, out);
            partial_.clear();
        }
    }
    for (; at + size_t(windowSamples) <= in.size(); at += size_t(windowSamples))
        window(in.data() + at, windowFrames_, out);
    partial_.insert(partial_.end(), in.begin() + long(at), in.end());
    return out;
}

std::vector<SoundCutter::Step> SoundCutter::finish()
{
    std::vector<Step> out;
    if (!partial_.empty()) {
        window(partial_.data(), int64_t(partial_.size()) / channels_, out);
        partial_.clear();
    }
    // Before the first sound nothing is kept; otherwise what is held belongs
    // to the piece: a silence the stream ended in, or a burst too short to count.
    if (state_ != State::Armed) flushHeld(out);
    held_.clear();
    return out;
}

void SoundCutter::keep(const float* frames, int64_t count, std::vector<Step>& out)
{
    if (count <= 0) return;
    if (out.empty() || out.back().kind != Step::Write) {
        Step step{Step::Write, {}};
        step.audio.channels = channels_;
        step.audio.sampleRate = rate_;
        out.push_back(std::move(step));
    }
    auto& samples = out.back().audio.samples;
    samples.insert(samples.end(), frames, frames + count * channels_);
    pieceOpen_ = true;
}

void SoundCutter::hold(const float* frames, int64_t count)
{
    held_.insert(held_.end(), frames, frames + count * channels_);
}

void SoundCutter::flushHeld(std::vector<Step>& out)
{
    if (held_.empty()) return;
    const std::vector<float> frames(held_.begin(), held_.end());
    held_.clear();
    keep(frames.data(), int64_t(frames.size()) / channels_, out);
}

void SoundCutter::window(const float* frames, int64_t count, std::vector<Step>& out)
{
    fed_ += count;
    const bool loud = count > 0 && peakDbfs(frames, count * channels_) >= s_.thresholdDbfs;
    loudRun_ = loud ? loudRun_ + count : 0;
    const bool confirmed = loud && loudRun_ >= attackFrames_;

    switch (state_) {
    case State::Armed: {
        hold(frames, count);
        if (confirmed) {
            soundConfirmed(out);
            return;
        }
        // Only the pre-roll and a sound not yet confirmed are needed.
        const size_t keepSamples = size_t(prerollFrames_ + attackFrames_ + windowFrames_) * channels_;
        if (held_.size() > keepSamples) held_.erase(held_.begin(), held_.end() - long(keepSamples));
        return;
    }
    case State::Sound:
        if (loud) {
            keep(frames, count, out);
            return;
        }
        state_ = State::Quiet;
        quietRun_ = 0;
        [[fallthrough]];
    case State::Quiet:
        break;
    }

    if (s_.keepAll) {
        // A sound after a long enough silence starts a new piece: held until
        // it proves to be sound, then cut in front of.
        const bool afterSilence = quietRun_ - (loudRun_ - (loud ? count : 0)) >= silenceFrames_;
        quietRun_ += count;
        if (loud && (afterSilence || !held_.empty())) hold(frames, count);
        else {
            flushHeld(out);  // a burst too short to count belongs to the silence
            keep(frames, count, out);
        }
        if (confirmed) {
            if (!held_.empty() && pieceHasSound_) {
                out.push_back({Step::EndPiece, {}});
                pieceOpen_ = false;
            }
            flushHeld(out);
            pieceHasSound_ = true;
            state_ = State::Sound;
        }
        return;
    }

    // The first `tail` frames of a silence are kept at once; the rest waits
    // until the silence either ends (kept) or reaches its length (dropped).
    const int64_t toTail = std::clamp<int64_t>(tailFrames_ - quietRun_, 0, count);
    keep(frames, toTail, out);
    hold(frames + toTail * channels_, count - toTail);
    quietRun_ += count;
    if (confirmed) {
        flushHeld(out);
        state_ = State::Sound;
        return;
    }
    if (quietRun_ - loudRun_ >= silenceFrames_) silenceReached(out);
}

void SoundCutter::soundConfirmed(std::vector<Step>& out)
{
    // The sound began loudRun_ frames ago; its piece begins the pre-roll before.
    const size_t wanted = size_t(loudRun_ + prerollFrames_) * channels_;
    if (held_.size() > wanted) held_.erase(held_.begin(), held_.end() - long(wanted));
    out.push_back({Step::Sounding, {}});
    flushHeld(out);
    pieceHasSound_ = true;
    state_ = State::Sound;
}

void SoundCutter::silenceReached(std::vector<Step>& out)
{
    // What lies past the tail is silence nobody keeps; the newest of it may
    // still be the next sound's pre-roll.
    if (s_.newPiece && pieceOpen_) {
        out.push_back({Step::EndPiece, {}});
        pieceOpen_ = false;
        pieceHasSound_ = false;
    }
    out.push_back({Step::Waiting, {}});
    state_ = State::Armed;
}
