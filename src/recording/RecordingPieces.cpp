// The recording control's files: opening, writing, completing, and the pieces
// a silence-aware take is cut into.

#include "recording/RecordingControl.h"

#include "components/TAudioFile2.h"
#include "components/TAudioRecord2.h"
#include "platform/Error.h"
#include "recording/OutputSetup.h"
#include "recording/SoundMode.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

Activity RecordingControl::runningActivity() const
{
    return cutter_ && cutter_->waiting() ? Activity::WaitingForSound : Activity::Recording;
}

void RecordingControl::RecordOnSound()
{
    if (activity_.state().recording()) return;
    onSound_ = true;
    RecordCommand();
    onSound_ = false;
}

void RecordingControl::openFile(const QString& name)
{
    if (p_.writer->IsOpen()) p_.writer->CloseFile();
    p_.writer->OpenWrite(name, 0);
    fileOpen_ = true;
    fileLost_ = false;
    framesWritten_ = 0;
    writeFailed_ = false;
    ++pieces_;
}

void RecordingControl::openPiece()
{
    // Split pieces are numbered after the take's first name; a take that
    // starts on sound names each file when its sound starts. A later piece
    // never takes an earlier one's name.
    const bool numbered = splitsIntoTracks(used_.sound);
    if (pieces_ > 0 || !numbered) {
        const QDateTime named = numbered ? takeStart_ : QDateTime::currentDateTime();
        outputFileName_ = setUpOutput(used_, *p_.writer, named, pieces_ > 0, recorded_).fileName;
    }
    openFile(outputFileName_);
    if (splitsIntoTracks(used_.sound)) track_ = pieces_;
    show(Text::FileName, fileNameText(outputFileName_, used_.output.mainName));
}

void RecordingControl::writeBlock(const Block& block, bool watched)
{
    if (writeFailed_) return;
    try {
        p_.writer->WriteArray(block);
    } catch (...) {
        // A failed write (a full disk) fails again on every block: stop taking
        // blocks, so the error is reported once and the stop that follows it
        // completes the file with what was written.
        writeFailed_ = true;
        if (watched) p_.recorder->StopRecord();
        throw;
    }
    framesWritten_ += block.frames();
    if (!watched) return;

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

void RecordingControl::applyCut(const std::vector<SoundCutter::Step>& steps, bool stopping)
{
    for (const SoundCutter::Step& step : steps) {
        // A check that stopped the take (the disk filled) ends the steps too.
        if (!stopping && !activity_.state().recording()) return;
        switch (step.kind) {
        case SoundCutter::Step::Write:
            if (!fileOpen_) openPiece();
            writeBlock(step.audio, !stopping);
            break;
        case SoundCutter::Step::EndPiece:
            if (fileOpen_) completeFile();
            break;
        case SoundCutter::Step::Waiting:
            if (stopping) break;
            if (activity_.state().current() == Activity::Recording) activity_.set(Activity::WaitingForSound);
            show(Text::Info, restingInfo());
            break;
        case SoundCutter::Step::Sounding:
            if (stopping) break;
            if (activity_.state().current() == Activity::WaitingForSound) activity_.set(Activity::Recording);
            show(Text::Info, restingInfo());
            break;
        }
    }
}

void RecordingControl::completeFile()
{
    p_.writer->CloseFile();
    fileOpen_ = false;
    // A take that captured nothing leaves no file behind and no list entry.
    if (!fileLost_ && !writeFailed_ && framesWritten_ == 0) {
        QFile::remove(outputFileName_);
        return;
    }
    // A file deleted or moved away during the recording (its loss already
    // reported) can be neither listed nor tagged under its name.
    if (fileLost_) return;
    recorded_.insert(outputFileName_);
    if (p_.addRecordedFile) p_.addRecordedFile(outputFileName_);
    // A file without audio has nothing to tag, and tag chunks behind its
    // empty data chunk would be read as audio by some players. A file whose
    // writing failed is kept as it is: a tag written onto a full disk could
    // leave it damaged.
    if (framesWritten_ > 0 && !writeFailed_ && !diskFull_ && taggable_) TagRecording(outputFileName_);
}
