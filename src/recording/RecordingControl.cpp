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
#include "recording/LengthLimit.h"
#include "recording/OutputSetup.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <exception>

RecordingControl::RecordingControl(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)), activity_(p_.activity->claim(ActivityOwner::Recording)),
      waitTimer_(new QTimer(this))
{
    using ErrorBoundary::guarded;
    waitTimer_->setSingleShot(true);
    connect(waitTimer_, &QTimer::timeout, this, guarded(this, &RecordingControl::waitTimedOut));
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
        activity_.set(Activity::Recording);
        p_.recorder->StartRecord();
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
    continuing_ = false;
    // What the save step left in the file, hand-edited sections included.
    const RecordingSettings used = RecordingSettings::load(settings(), SettingsKeys::Output::RbCustRecordingDefault);
    const OutputSetup out = setUpOutput(used, *p_.writer, QDateTime::currentDateTime(), continuing, recorded_);
    outputFileName_ = out.fileName;
    taggable_ = out.taggable;
    fileLost_ = false;
    if (!out.refusal.isEmpty()) {
        p_.dialogs->information(p_.dialogParent, out.refusal);
        return;
    }
    const WavFormat f = configuredWavFormat(used.wav);
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
    const QString warning = watch_.warning(left);
    show(Text::Info, warning.isEmpty() ? infoText_ : warning);

    if (p_.writer->IsOpen()) p_.writer->CloseFile();
    p_.writer->OpenWrite(outputFileName_, 0);
    framesWritten_ = 0;
    writeFailed_ = false;
    positionSamples_ = 0;
    activity_.set(Activity::Recording);
    if (p_.sleepInhibitor) awake_ = p_.sleepInhibitor->keepAwake("Recording to " + outputFileName_);
    if (p_.levels) p_.levels->show();
    show(Text::FileName, fileNameText(outputFileName_, used.output.mainName));
    p_.recorder->SetFormat(p_.writer->ArraySampleRate(), p_.writer->ArrayChannels());
    p_.recorder->SetArraySize(p_.recorder->MsToSamples(200));
    p_.recorder->StartRecord();
    if (p_.recorder->ErrorCode() != 0) StopRecording();
}

void RecordingControl::ToggleRecordingPause()
{
    const ActivityState& st = activity_.state();
    if (!st.recording()) return;
    if (!st.recordingPaused()) {
        positionBase_ = positionSamples_;
        p_.recorder->StopRecord();
        activity_.set(Activity::RecordingPaused);
    } else {
        p_.recorder->StartRecord();
        activity_.set(Activity::Recording);
    }
}

void RecordingControl::StopRecording() { stop(true); }

void RecordingControl::stop(bool tell)
{
    const ActivityState& st = activity_.state();
    if (st.joining()) return;
    const bool recording = st.recording();
    waitTimer_->stop();
    positionBase_ = 0;
    p_.recorder->StopRecord();
    // The frames after the last full block end the file where the user
    // stopped, not up to a block earlier.
    // A writer that has failed (a full disk) gets nothing more, and a failing
    // last write still lets the file be closed and listed before it is reported.
    std::exception_ptr lastWriteError;
    if (recording && p_.writer->IsOpen() && !writeFailed_) {
        const Block rest = p_.recorder->TakeRemainder();
        if (rest.samples.size() >= 2) {
            try {
                p_.writer->WriteArray(rest);
                framesWritten_ += rest.frames();
            } catch (...) {
                lastWriteError = std::current_exception();
                writeFailed_ = true;
            }
        }
    }
    p_.writer->CloseFile();
    // A take that captured nothing leaves no file behind and no list entry.
    const bool empty = recording && !fileLost_ && !writeFailed_ && framesWritten_ == 0;
    if (empty) QFile::remove(outputFileName_);
    auto clear = [this] {
        activity_.finish();
        awake_.reset();
        for (Text t : {Text::FileName, Text::Info, Text::Size, Text::Time}) show(t, QString());
        if (p_.levels) p_.levels->hide();
        if (p_.disablePlayBar) p_.disablePlayBar();
    };
    try {
        // A file deleted or moved away during the recording (its loss already
        // reported) can be neither listed nor tagged under its name.
        if (recording && !fileLost_ && !empty) {
            recorded_.insert(outputFileName_);
            if (p_.addRecordedFile) p_.addRecordedFile(outputFileName_);
            // A file without audio has nothing to tag, and tag chunks behind
            // its empty data chunk would be read as audio by some players. A
            // file whose writing failed is kept as it is: a tag written onto a
            // full disk could leave it damaged.
            if (framesWritten_ > 0 && !writeFailed_ && taggable_) TagRecording(outputFileName_);
        }
    } catch (...) {
        clear();
        throw;
    }
    clear();
    if (lastWriteError) std::rethrow_exception(lastWriteError);
    if (!tell || !recording) return;
    const QString told = empty ? QStringLiteral("Nothing was recorded: no sound came from the input before the "
                                                "recording stopped, so no file was kept.")
                               : watch_.endMessage(outputFileName_);
    if (!told.isEmpty()) p_.dialogs->information(p_.dialogParent, told);
}

void RecordingControl::AudioRecord1EndArrayRecord(int)
{
    // A block queued before the stop has no open file to go to.
    if (!activity_.state().recording()) return;
    const Block block = p_.recorder->GetArray();
    // Fewer than two values is no block worth keeping.
    if (block.samples.size() < 2) return;
    if (writeFailed_) return;
    try {
        p_.writer->WriteArray(block);
    } catch (...) {
        // A failed write (a full disk) fails again on every block: stop taking
        // blocks, so the error is reported once and the stop that follows it
        // completes the file with what was written.
        writeFailed_ = true;
        p_.recorder->StopRecord();
        throw;
    }
    framesWritten_ += block.frames();
    if (p_.levels) p_.levels->DisplayArray(block);

    const QFileInfo file(outputFileName_);
    if (!file.isFile()) {
        // Deleted, or its folder renamed: the writer still completes it
        // wherever it now is, but every later block would fail here too.
        fileLost_ = true;
        p_.recorder->StopRecord();
        throw TamselError(QStringLiteral("The recording %1 is gone: it was deleted, or its folder was "
                                         "renamed, while recording. The recording has been stopped.")
                              .arg(outputFileName_));
    }
    if (textsFollow()) show(Text::Size, QStringLiteral("File Size: %1 KB").arg(file.size() / 1024));
    checkSpace();
}

void RecordingControl::AudioRecord1Timer(qint64 currentSamples, int, int)
{
    // A tick queued before a pause or stop would count the same frames twice,
    // or restart a stopped recording at its length limit.
    if (activity_.state().current() != Activity::Recording) return;
    positionSamples_ = positionBase_ + currentSamples;
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
    const auto track = SettingsFile::parseInteger(s.readText(Section, Track, TrackDefault));
    if (!track) {
        p_.dialogs->plain(p_.dialogParent, "Invalid Track Value");
        return;
    }
    info.setInfoTrack(*track);
    info.WriteInfo(fileName);
}
