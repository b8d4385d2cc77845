#include "recording/InputWatch.h"

#include "config/SettingsKeys.h"
#include "platform/DesktopNotifier.h"
#include "platform/ErrorBoundary.h"
#include "platform/TimeText.h"
#include "recording/SoundCutter.h"

#include <QTimer>
#include <algorithm>

namespace {

const char kSilentSummary[] = "The input is silent";
const char kStalledSummary[] = "The recording gets no audio";
const char kGoesOn[] = "The recording goes on.";

}  // namespace

QString InputWatch::silenceNotice(int silentSeconds)
{
    return QStringLiteral("The input has been silent for %1").arg(timeTextFromSeconds(silentSeconds));
}

QString InputWatch::stallNotice(std::chrono::milliseconds stallAfter)
{
    return QStringLiteral("No audio from the sound server for %1").arg(timeTextFromMs(stallAfter.count()));
}

InputWatch::InputWatch(DesktopNotifier* notifier, QObject* parent)
    : InputWatch(notifier, std::chrono::seconds(SettingsKeys::Sound::StallSeconds), parent)
{
}

InputWatch::InputWatch(DesktopNotifier* notifier, std::chrono::milliseconds stallAfter, QObject* parent)
    : QObject(parent), notifier_(notifier), stallTimer_(new QTimer(this))
{
    stallTimer_->setSingleShot(true);
    stallTimer_->setInterval(stallAfter);
    connect(stallTimer_, &QTimer::timeout, this, ErrorBoundary::guarded(this, &InputWatch::stallTimedOut));
}

void InputWatch::start(int silentDbfs, int silentSeconds)
{
    watching_ = true;
    silentDbfs_ = silentDbfs;
    silentSeconds_ = std::max(silentSeconds, 0);
    quietFrames_ = 0;
    silent_ = stalled_ = false;
    stallTimer_->start();
    update();
}

void InputWatch::stop()
{
    watching_ = false;
    stallTimer_->stop();
    silent_ = stalled_ = false;
    update();
}

void InputWatch::feed(const Block& block)
{
    if (!watching_) return;
    stallTimer_->start();
    stalled_ = false;
    const int64_t frames = block.frames();
    const int channels = block.channels;
    if (silentSeconds_ > 0 && block.sampleRate > 0 && frames > 0) {
        const float* samples = block.samples.data();
        if (SoundCutter::peakDbfs(samples, frames * channels) < silentDbfs_) {
            quietFrames_ += frames;
        } else {
            // The silence starts after the block's last loud frame, not at its end.
            int64_t last = frames - 1;
            while (SoundCutter::peakDbfs(samples + last * channels, channels) < silentDbfs_) --last;
            quietFrames_ = frames - 1 - last;
        }
        const bool wasSilent = silent_;
        silent_ = quietFrames_ >= int64_t(silentSeconds_) * block.sampleRate;
        if (silent_ && !wasSilent && notifier_)
            notifier_->notify(kSilentSummary, silenceNotice(silentSeconds_) + ". " + kGoesOn);
    }
    update();
}

void InputWatch::stallTimedOut()
{
    if (!watching_ || stalled_) return;
    stalled_ = true;
    const auto after = std::chrono::milliseconds(stallTimer_->interval());
    if (notifier_) notifier_->notify(kStalledSummary, stallNotice(after) + ". " + kGoesOn);
    update();
}

QString InputWatch::current() const
{
    if (stalled_) return stallNotice(std::chrono::milliseconds(stallTimer_->interval()));
    if (silent_) return silenceNotice(silentSeconds_);
    return {};
}

void InputWatch::update()
{
    const QString now = current();
    if (now == shown_) return;
    shown_ = now;
    emit notice(now);
}
