#include "playback/PlaybackControl.h"

#include "components/TAudioFile2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioVisualizationEx2.h"
#include "config/ValueTables.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/TimeText.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

// a * b / c rounded to the nearest integer, for a, b >= 0 and c > 0.
int64_t mulDivRounded(int64_t a, int64_t b, int64_t c)
{
    int64_t product = 0;
    if (!__builtin_mul_overflow(a, b, &product) && product <= INT64_MAX - c / 2)
        return (product + c / 2) / c;
    return static_cast<int64_t>(std::llround(static_cast<long double>(a) * b / c));
}

}  // namespace

PlaybackControl::PlaybackControl(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)), activity_(p_.activity->claim(ActivityOwner::Playback))
{
    using ErrorBoundary::guarded;
    TAudioPlayer2* player = p_.player;
    connect(player, &TAudioPlayer2::OnRequestOnLoadArray, this,
            guarded(this, &PlaybackControl::AudioPlayer21RequestOnLoadArray));
    connect(player, &TAudioPlayer2::OnEndArrayPlay, this, guarded(this, &PlaybackControl::AudioPlayer21EndArrayPlay));
    connect(player, &TAudioPlayer2::OnTimer, this, guarded(this, &PlaybackControl::AudioPlayer21Timer));
    connect(player, &TAudioPlayer2::OnEndPlay, this, guarded(this, &PlaybackControl::AudioPlayer21EndPlay));
    // The application's handler shows the message and stops the playback.
    connect(player, &TAudioPlayer2::OnError, this, [](const QString& message) { ErrorBoundary::report(message); });
}

int PlaybackControl::barFromPosition(int64_t position, int64_t length)
{
    if (length <= 0 || position <= 0) return 0;
    if (position >= length) return kBarMax;
    return static_cast<int>(std::min<int64_t>(mulDivRounded(position, kBarMax, length), kBarMax));
}

int64_t PlaybackControl::positionFromBar(int bar, int64_t length)
{
    if (length <= 0 || bar <= 0) return 0;
    return mulDivRounded(std::min(bar, kBarMax), length, kBarMax);
}

QString PlaybackControl::infoText(int channels, int bitrate, int sampleRate)
{
    const QStringList names = ValueTables::channelNames();
    const QString mode = channels >= 1 && channels <= names.size()
                             ? names[channels - 1]
                             : QStringLiteral("%1 Channels").arg(channels);
    return QStringLiteral("File Info: %1 %2K %3HZ").arg(mode).arg(bitrate / 1000).arg(sampleRate);
}

void PlaybackControl::show(Text which, const QString& text) const
{
    if (p_.showText) p_.showText(which, text);
}

bool PlaybackControl::feeding() const
{
    return activity_.state().current() == Activity::Playing && p_.reader->IsOpen();
}

void PlaybackControl::PlayCommand()
{
    const ActivityState& st = activity_.state();
    if (st.joining()) return;
    if (st.playbackPaused()) {
        p_.player->StartPlay();
        activity_.set(Activity::Playing);
        return;
    }
    if (st.playing()) return;
    if (st.recording()) {
        p_.dialogs->information(p_.dialogParent, "Please stop recording first.");
        return;
    }
    const Entries& list = p_.entries;
    const int count = list.count();
    if (count <= 0) return;
    int entry = list.selected();
    if (entry < 0) {
        entry = count - 1;
        list.select(entry);
    }
    const QString path = list.path(entry);

    positionSamples_ = 0;
    positionBase_ = 0;
    // Set before anything can fail, so the error handler's stop finds it.
    activity_.set(Activity::Playing);
    if (p_.sleepInhibitor) awake_ = p_.sleepInhibitor->keepAwake("Playing " + path);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TamselError(QStringLiteral("Cannot open %1 to play it: %2").arg(path, file.errorString()));
    const qint64 bytes = file.size();
    file.close();
    show(Text::Size, QStringLiteral("File Size: %1 KB").arg(bytes / 1024));

    TAudioFile2& reader = *p_.reader;
    if (reader.IsOpen()) reader.CloseFile();
    reader.OpenRead(path, 0, 1);
    const QString suffix = QFileInfo(path).suffix();
    show(Text::Time, suffix.isEmpty() ? QStringLiteral("Time:") : "Time:." + suffix);
    show(Text::Info, infoText(reader.Channels(), reader.Bitrate(), reader.SampleRate()));

    playBlockFrames_ = kBlockFrames;
    reader.Seek(0, 3);
    p_.player->SetFormat(reader.ArraySampleRate(), reader.ArrayChannels());
    if (p_.levels) p_.levels->show();
    p_.player->StartPlay();

    show(Text::FileName, "File Name:" + QFileInfo(path).fileName());
    // The bar may still stand where the last file left it.
    if (p_.bar.setPosition) p_.bar.setPosition(0);
    if (p_.bar.setEnabled) p_.bar.setEnabled(true);

    // Two blocks queued before the player asks for more.
    FeedNextBlock();
    FeedNextBlock();
}

void PlaybackControl::FeedNextBlock()
{
    // The reader hands out an empty block at the end; the player takes it as
    // the end of the data and reports the end of output.
    Block block;
    try {
        block = p_.reader->ReadArray(playBlockFrames_);
    } catch (...) {
        // A file that cannot be read on (a drive pulled out) fails at every
        // request: silence the player and close the file, so the error is
        // reported once and the handler's stop finds nothing left to feed.
        p_.player->StopPlay();
        try {
            p_.reader->CloseFile();
        } catch (...) {
        }
        throw;
    }
    p_.player->PlayArray(block);
    if (p_.levels) p_.levels->DisplayArray(block);
}

void PlaybackControl::AudioPlayer21RequestOnLoadArray()
{
    if (feeding()) FeedNextBlock();
}

void PlaybackControl::AudioPlayer21EndArrayPlay()
{
    if (feeding()) FeedNextBlock();
}

void PlaybackControl::AudioPlayer21EndPlay()
{
    if (activity_.state().playing()) StopPlayback();
}

void PlaybackControl::AudioPlayer21Timer(qint64 currentSamples, int, int)
{
    // A tick from before a pause or stop would count its frames twice.
    if (activity_.state().current() != Activity::Playing) return;
    positionSamples_ = positionBase_ + currentSamples;
    showPosition();
}

void PlaybackControl::showPosition()
{
    if (p_.textsFollow && !p_.textsFollow()) return;
    const int64_t ms = p_.player->SamplesToMs(positionSamples_);
    show(Text::Time, "Time:" + timeTextFromMs(ms));
    if ((!p_.bar.follows || p_.bar.follows()) && p_.bar.setPosition)
        p_.bar.setPosition(barFromPosition(positionSamples_, p_.reader->Samples()));
}

void PlaybackControl::TogglePlaybackPause()
{
    const ActivityState& st = activity_.state();
    if (!st.playing()) return;
    if (!st.playbackPaused()) {
        positionBase_ = positionSamples_;
        p_.player->StopPlay();
        activity_.set(Activity::PlaybackPaused);
        // The player drops what it had queued; the resume starts where the
        // sound stopped, not where the reader had got to.
        p_.reader->Seek(positionBase_, 3);
    } else {
        p_.player->StartPlay();
        activity_.set(Activity::Playing);
    }
}

void PlaybackControl::SeekFromBar()
{
    const ActivityState& st = activity_.state();
    if (!st.playing()) return;
    p_.player->StopPlay();
    const int bar = p_.bar.position ? p_.bar.position() : 0;
    if (bar > kBarEnd) {
        StopPlayback();
        return;
    }
    const int64_t target = positionFromBar(bar, p_.reader->Samples());
    p_.reader->Seek(target, 3);
    positionBase_ = target;
    positionSamples_ = target;
    // A seek during a pause moves the position and keeps the pause.
    if (!st.playbackPaused()) p_.player->StartPlay();
    showPosition();
}

void PlaybackControl::StopPlayback()
{
    if (activity_.state().joining()) return;
    positionBase_ = 0;
    activity_.finish();
    awake_.reset();
    auto clear = [this] {
        for (Text t : {Text::FileName, Text::Info, Text::Size, Text::Time}) show(t, QString());
        if (p_.levels) p_.levels->hide();
        if (p_.bar.setEnabled) p_.bar.setEnabled(false);
    };
    try {
        p_.player->StopPlay();
        if (p_.reader->IsOpen()) p_.reader->CloseFile();
    } catch (...) {
        clear();
        throw;
    }
    clear();
}
