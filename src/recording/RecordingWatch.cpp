// The recording control's watch over a take: an input that goes away and
// comes back, gaps kept as silence, and the free space left on the disk.

#include "recording/RecordingControl.h"

#include "components/TAudioRecord2.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "platform/Dialogs.h"
#include "platform/ErrorBoundary.h"
#include "platform/TimeText.h"
#include "recording/InputWatch.h"
#include "recording/SoundMode.h"

#include <QFileInfo>
#include <QStorageInfo>
#include <QTimer>

void RecordingControl::AudioRecord1InputWaiting(const QString& why)
{
    const Activity now = activity_.state().current();
    if (now != Activity::Recording && now != Activity::WaitingForSound) return;
    activity_.set(Activity::WaitingForInput);
    inputWatch_->stop();
    // Shown at once and kept until the input is back; no box waits for a click.
    show(Text::Info, QStringLiteral("Waiting for the input: %1").arg(why));
    namespace Rd = SettingsKeys::Rd;
    const int seconds = settings().readInteger(Rd::Section, Rd::Wait, Rd::WaitDefault);
    waitTimer_->start(std::chrono::seconds(std::max(seconds, 1)));
}

void RecordingControl::AudioRecord1Gap(qint64 gapFrames, qint64 atFrame)
{
    if (!activity_.state().recording() || gapFrames <= 0) return;
    // A silence-aware take counts what is in its file, and has written up to
    // about there.
    const int64_t at = cutter_ ? framesWritten_ : positionBase_ + atFrame;
    watch_.gap(p_.recorder->SamplesToMs(at), p_.recorder->SamplesToMs(gapFrames));
    if (activity_.state().current() != Activity::WaitingForInput) return;
    waitTimer_->stop();
    activity_.set(runningActivity());
    show(Text::Info, restingInfo());
    watchInput();
}

void RecordingControl::waitTimedOut()
{
    if (activity_.state().current() != Activity::WaitingForInput) return;
    const QString file = outputFileName_;
    const QString gaps = watch_.endMessage(file);
    const bool kept = framesWritten_ > 0 || pieces_ > 1;
    stop(false);
    const QString waited = timeTextFromMs(waitTimer_->interval());
    // A take whose input never came holds nothing, and no file was kept.
    QString message =
        kept ? QStringLiteral("The input did not come back within %1, so the recording was stopped. "
                             "%2 holds what was recorded.")
                  .arg(waited, file)
            : QStringLiteral("The input did not come within %1, so the recording was stopped. Nothing was "
                             "recorded, and no file was kept.")
                  .arg(waited);
    if (!gaps.isEmpty() && kept) message += ' ' + gaps;
    p_.dialogs->information(p_.dialogParent, message);
}

QString RecordingControl::restingInfo() const
{
    return activity_.state().current() == Activity::WaitingForSound ? waitingForSoundText(used_.sound) : infoText_;
}

void RecordingControl::watchInput()
{
    // A take that starts on sound waits in silence by design: only a stall is told.
    const bool startsOnSound = cutter_ && used_.sound.mode != SettingsKeys::Sound::ModeSplit;
    inputWatch_->start(used_.sound.silentLevel, startsOnSound ? 0 : used_.sound.silentSeconds);
}

int64_t RecordingControl::freeBytes() const
{
    QStorageInfo disk(QFileInfo(outputFileName_).absolutePath());
    return disk.isValid() ? disk.bytesAvailable() : INT64_MAX / 2;
}

void RecordingControl::checkSpace()
{
    const int64_t recordedMs = p_.recorder->SamplesToMs(framesWritten_);
    if (recordedMs < nextSpaceCheckMs_) return;
    nextSpaceCheckMs_ = recordedMs + 1000;
    const int64_t left = watch_.secondsLeft(freeBytes(), QFileInfo(outputFileName_).size(), recordedMs);
    if (left < TakeWatch::kStopSeconds) {
        const QString file = outputFileName_;
        // Writing a tag takes a copy of the whole file: there is no room for it.
        diskFull_ = true;
        stop(false);
        // Completed before the disk filled; said once the take is safe.
        ErrorBoundary::report(QStringLiteral("The disk holding %1 is nearly full, so the recording was stopped "
                                             "and saved as %2, without its tag.")
                                  .arg(QFileInfo(file).absolutePath(), file));
        return;
    }
    const QString warning = watch_.warning(left);
    if (!warning.isEmpty()) show(Text::Info, warning);
}
