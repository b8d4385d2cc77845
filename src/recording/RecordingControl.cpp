#include "recording/RecordingControl.h"

#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioRecord2.h"
#include "components/TAudioVisualizationEx2.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/TimeText.h"
#include "recording/InputWatch.h"
#include "recording/LengthLimit.h"
#include "recording/OutputSetup.h"
#include "recording/SoundMode.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <exception>
#include <utility>

RecordingControl::RecordingControl(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)), activity_(p_.activity->claim(ActivityOwner::Recording)),
      waitTimer_(new QTimer(this)), inputWatch_(new InputWatch(p_.notifier, this))
{
    using ErrorBoundary::guarded;
    waitTimer_->setSingleShot(true);
    connect(waitTimer_, &QTimer::timeout, this, guarded(this, &RecordingControl::waitTimedOut));
    connect(inputWatch_, &InputWatch::notice, this, guarded([this](const QString& notice) {
                if (activity_.state().recording()) show(Text::Info, notice.isEmpty() ? restingInfo() : notice);
            }));
    connect(p_.recorder, &TAudioRecord2::OnInputWaiting, this,
            guarded(this, &RecordingControl::AudioRecord1InputWaiting));
    connect(p_.recorder, &TAudioRecord2::OnGap, this, guarded(this, &RecordingControl::AudioRecord1Gap));
    connect(p_.recorder, &TAudioRecord2::OnEndArrayRecord, this,
            guarded(this, &RecordingControl::AudioRecord1EndArrayRecord));
    connect(p_.recorder, &TAudioRecord2::OnTimer, this, guarded(this, &RecordingControl::AudioRecord1Timer));
    // The application's handler shows the message and stops the recording;
    // it runs from an event of its own, never inside the recorder.
    connect(p_.recorder, &TAudioRecord2::OnError, this, [this](const QString& message) {
        QMetaObject::invokeMethod(
            this, [message] { ErrorBoundary::report(message); }, Qt::QueuedConnection);
    });
}

SettingsFile& RecordingControl::settings() const
{
    SettingsFile* s = p_.settings ? p_.settings() : nullptr;
    if (!s) throw TamselError("The settings file tamsel.ini is not open yet; try again.");
    return *s;
}

void RecordingControl::show(Text which, const QString& text) const
{
    if (p_.showText) p_.showText(which, text);
}

bool RecordingControl::textsFollow() const { return !p_.textsFollow || p_.textsFollow(); }

void RecordingControl::saveSettings()
{
    SettingsFile& file = settings();
    if (p_.edited) p_.edited->save(file);
    if (p_.closeSettingsWindow) p_.closeSettingsWindow();
}

void RecordingControl::RecordCommand()
{
    const ActivityState& st = activity_.state();
    if (st.joining()) return;
    if (!st.recording()) saveSettings();
    if (st.recordingPaused()) {
        activity_.set(runningActivity());
        p_.recorder->StartRecord();
        watchInput();
        return;
    }
    if (st.recording()) return;
    if (st.playing()) {
        p_.dialogs->information(p_.dialogParent, "Please stop playing first.");
        return;
    }
    startNewFile();
}

void RecordingControl::startNewFile()
{
    const bool continuing = continuing_;
    const bool onSound = onSound_;
    continuing_ = onSound_ = false;
    // What the save step left in the file, hand-edited sections included.
    used_ = RecordingSettings::load(settings(), SettingsKeys::Output::RbCustRecordingDefault);
    takeStart_ = QDateTime::currentDateTime();
    diskFull_ = false;
    const OutputSetup out = setUpOutput(used_, *p_.writer, takeStart_, continuing, recorded_);
    outputFileName_ = out.fileName;
    taggable_ = out.taggable;
    fileLost_ = false;
    if (!out.refusal.isEmpty()) {
        p_.dialogs->information(p_.dialogParent, out.refusal);
        return;
    }
    const WavFormat f = configuredWavFormat(used_.wav);
    watch_.start(int64_t(f.sampleRate) * f.channels * std::max(f.bitsPerSample, 8) / 8);
    nextSpaceCheckMs_ = 0;
    const int64_t left = watch_.secondsLeft(freeBytes(), 0, 0);
    if (left < TakeWatch::kStopSeconds) {
        // Nothing would fit: no empty file is left behind.
        p_.dialogs->information(p_.dialogParent,
                                QStringLiteral("The disk holding %1 is full: there is no room to record.")
                                    .arg(QFileInfo(outputFileName_).absolutePath()));
        return;
    }
    infoText_ = out.infoText;
    const QString warning = watch_.warning(left, std::exchange(plannedSeconds_, 0));
    positionSamples_ = 0;
    pieces_ = 0;
    track_ = 0;
    const auto cut = cutterSettings(used_.sound, onSound);
    if (cut) {
        // The file opens when the sound starts.
        cutter_ = std::make_unique<SoundCutter>(*cut, p_.writer->ArraySampleRate(), p_.writer->ArrayChannels());
        if (fileOpen_ || p_.writer->IsOpen()) p_.writer->CloseFile();
        fileOpen_ = false;
        framesWritten_ = 0;
        writeFailed_ = false;
    } else {
        cutter_.reset();
        openFile(outputFileName_);
    }
    activity_.set(runningActivity());
    show(Text::Info, warning.isEmpty() ? restingInfo() : warning);
    if (p_.sleepInhibitor) awake_ = p_.sleepInhibitor->keepAwake("Recording to " + outputFileName_);
    if (p_.levels) p_.levels->show();
    if (!cutter_) show(Text::FileName, fileNameText(outputFileName_, used_.output.mainName));
    p_.recorder->SetFormat(p_.writer->ArraySampleRate(), p_.writer->ArrayChannels());
    p_.recorder->SetArraySize(p_.recorder->MsToSamples(200));
    p_.recorder->StartRecord();
    if (p_.recorder->ErrorCode() != 0) {
        StopRecording();
        return;
    }
    watchInput();
}

void RecordingControl::ToggleRecordingPause()
{
    const ActivityState& st = activity_.state();
    if (!st.recording()) return;
    if (!st.recordingPaused()) {
        positionBase_ = positionSamples_;
        p_.recorder->StopRecord();
        inputWatch_->stop();
        activity_.set(Activity::RecordingPaused);
    } else {
        p_.recorder->StartRecord();
        activity_.set(runningActivity());
        watchInput();
    }
}

void RecordingControl::StopRecording() { stop(true); }

void RecordingControl::stop(bool tell)
{
    const ActivityState& st = activity_.state();
    if (st.joining()) return;
    const bool recording = st.recording();
    waitTimer_->stop();
    inputWatch_->stop();
    positionBase_ = 0;
    p_.recorder->StopRecord();
    // The frames after the last full block end the file where the user
    // stopped, not up to a block earlier.
    // A writer that has failed (a full disk) gets nothing more, and a failing
    // last write still lets the file be closed and listed before it is reported.
    std::exception_ptr lastWriteError;
    if (recording && !writeFailed_) {
        const Block rest = p_.recorder->TakeRemainder();
        try {
            if (cutter_) {
                std::vector<SoundCutter::Step> steps;
                if (rest.samples.size() >= 2) steps = cutter_->feed(rest);
                for (auto& step : cutter_->finish()) steps.push_back(std::move(step));
                applyCut(steps, true);
            } else if (fileOpen_ && rest.samples.size() >= 2) {
                writeBlock(rest, false);
            }
        } catch (...) {
            lastWriteError = std::current_exception();
            writeFailed_ = true;
        }
    }
    const bool hadFile = recording && fileOpen_;
    const bool empty = hadFile && !fileLost_ && !writeFailed_ && framesWritten_ == 0;
    const bool soundless = recording && cutter_ && pieces_ == 0;
    auto clear = [this] {
        fileOpen_ = false;
        cutter_.reset();
        activity_.finish();
        awake_.reset();
        for (Text t : {Text::FileName, Text::Info, Text::Size, Text::Time}) show(t, QString());
        if (p_.levels) p_.levels->hide();
        if (p_.disablePlayBar) p_.disablePlayBar();
    };
    try {
        if (hadFile) completeFile();
        else p_.writer->CloseFile();
    } catch (...) {
        clear();
        throw;
    }
    clear();
    if (lastWriteError) std::rethrow_exception(lastWriteError);
    if (!tell || !recording) return;
    QString told;
    if (empty && pieces_ <= 1)
        told = QStringLiteral("Nothing was recorded: no sound came from the input before the recording stopped, "
                              "so no file was kept.");
    else if (soundless)
        told = QStringLiteral("Nothing was recorded: the input's level never rose above %1 dBFS, so no file was "
                              "made.")
                   .arg(used_.sound.startLevel);
    else
        told = watch_.endMessage(outputFileName_);
    // Shown once the caller is done: a stop made by the schedule (its end, or
    // the power-off) must not wait for a click.
    if (!told.isEmpty())
        QMetaObject::invokeMethod(
            this, [this, told] { p_.dialogs->information(p_.dialogParent, told); }, Qt::QueuedConnection);
}

void RecordingControl::AudioRecord1EndArrayRecord(int)
{
    // A block queued before the stop has no open file to go to.
    if (!activity_.state().recording()) return;
    const Block block = p_.recorder->GetArray();
    // Fewer than two values is no block worth keeping.
    if (block.samples.size() < 2) return;
    if (writeFailed_) return;
    inputWatch_->feed(block);
    if (cutter_) {
        // The level display runs while the take waits for sound, too.
        if (p_.levels) p_.levels->DisplayArray(block);
        applyCut(cutter_->feed(block), false);
        return;
    }
    writeBlock(block, true);
    if (p_.levels) p_.levels->DisplayArray(block);
}

void RecordingControl::AudioRecord1Timer(qint64 currentSamples, int, int)
{
    // A tick queued before a pause or stop would count the same frames twice,
    // or restart a stopped recording at its length limit.
    if (activity_.state().current() != Activity::Recording) return;
    // A silence-aware take counts what is in its file.
    positionSamples_ = cutter_ ? framesWritten_ : positionBase_ + currentSamples;
    const int64_t seconds = p_.recorder->SamplesToMs(positionSamples_) / 1000;
    if (textsFollow()) show(Text::Time, "Time:" + timeTextFromSeconds(seconds));

    // Read at every tick, so a limit changed in the file applies at once.
    switch (checkLengthLimit(RecordingSettings::loadLimit(settings()), seconds)) {
    case LengthLimitAction::None:
        break;
    case LengthLimitAction::Stop:
        StopRecording();
        break;
    case LengthLimitAction::StopAndStartNext:
        StopRecording();
        continuing_ = true;
        RecordCommand();
        continuing_ = false;
        break;
    }
}

void RecordingControl::TagRecording(const QString& fileName)
{
    using namespace SettingsKeys::Info;
    const SettingsFile& s = settings();
    TAudioInformation2& info = *p_.information;
    info.setInfoTitle(s.readText(Section, Title, QString()));
    info.setInfoAlbum(s.readText(Section, Album, QString()));
    info.setInfoArtist(s.readText(Section, Artist, QString()));
    info.setInfoComments(s.readText(Section, Comment, QString()));
    info.setInfoGenreS(s.readText(Section, Genre, QString()));
    const auto year = SettingsFile::parseInteger(s.readText(Section, Year, YearDefault));
    if (!year) {
        p_.dialogs->plain(p_.dialogParent, "Invalid Year Value");
        return;
    }
    info.setInfoYear(*year);
    const auto track = track_ > 0 ? std::optional<int>(track_)
                                  : SettingsFile::parseInteger(s.readText(Section, Track, TrackDefault));
    if (!track) {
        p_.dialogs->plain(p_.dialogParent, "Invalid Track Value");
        return;
    }
    info.setInfoTrack(*track);
    info.WriteInfo(fileName);
}
