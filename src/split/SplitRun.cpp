#include "split/SplitRun.h"

#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "join/JoinRun.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/FileName.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

void makeFolder(const QString& folder)
{
    const std::filesystem::path path(filename::encode(folder).toStdString());
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (!error && std::filesystem::is_directory(path, error)) return;
    const QString why = error ? QString::fromStdString(error.message())
                              : QStringLiteral("a file of that name is in the way");
    throw TamselError(QStringLiteral("Cannot create the folder %1: %2").arg(folder, why));
}

}  // namespace

SplitRun::SplitRun(TAudioFile2& reader, TAudioFile2& writer, TAudioInformation2& tags, Listener listener)
    : reader_(reader), writer_(writer), tags_(tags), listener_(std::move(listener))
{
}

QString SplitRun::pieceName(const QString& folder, const QString& input, int number, const QString& extension)
{
    // One arg() call, so that a "%1" in a name is never taken for a place.
    return QDir(folder).filePath(QStringLiteral("%1-%2%3").arg(QFileInfo(input).completeBaseName(),
                                                               QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0')),
                                                               extension));
}

SplitRun::Outcome SplitRun::run(const QString& input, const QString& folder, const Settings& settings)
{
    input_ = input;
    folder_ = folder;
    settings_ = settings;
    pieces_.clear();
    title_.clear();
    artist_.clear();
    album_.clear();
    progress_ = {};
    stopped_ = false;
    current_ = input;
    clock_.start();
    lastTickMs_ = 0;
    try {
        openInput();
        const int bits = readTags();
        format_ = PieceFormat::of(input, reader_.ArraySampleRate(), reader_.ArrayChannels(), bits);
        progress_.length = reader_.Samples();
        progress_.rate = reader_.ArraySampleRate();
        const bool sound = findSound();
        const bool whole = sound && writePieces();
        report(true);
        reader_.CloseFile();
        if (whole) return Outcome::Split;
        return stopped_ ? Outcome::Stopped : Outcome::NoSound;
    } catch (...) {
        const QString why = ErrorBoundary::currentMessage();
        const QString where = current_;
        closeAll();
        throw TamselError(why.contains(where) ? why
                                              : QStringLiteral("Splitting stopped at %1: %2").arg(where, why));
    }
}

void SplitRun::openInput()
{
    if (reader_.IsOpen()) reader_.CloseFile();
    reader_.OpenRead(input_, 0, 1);
}

// The input's bits (0 when unknown); its title, artist and album go to
// every piece. A file the tag library cannot read still splits, untagged
// but for the track number.
int SplitRun::readTags()
{
    try {
        tags_.ReadInfo(input_);
    } catch (const TamselError&) {
        return 0;
    }
    title_ = tags_.infoTitle();
    artist_ = tags_.infoArtist();
    album_ = tags_.infoAlbum();
    return tags_.infoBitsPerSample();
}

SoundCutter::Settings SplitRun::cutterSettings() const
{
    return SoundCutter::splitAtSilences(settings_.thresholdDbfs, settings_.minSilenceMs, false);
}

// Reads until the first sound; false when there is none, or on a stop.
bool SplitRun::findSound()
{
    SoundCutter cutter(cutterSettings(), progress_.rate, reader_.ArrayChannels());
    const int request = JoinRun::blockFrames(progress_.rate, reader_.ArrayChannels());
    int64_t read = 0;
    for (;;) {
        const Block block = reader_.ReadArray(request);
        if (block.frames() == 0) break;
        const Steps steps = cutter.feed(block);
        // A piece ends only in front of a sound.
        const bool ended = std::any_of(steps.begin(), steps.end(),
                                       [](const SoundCutter::Step& s) { return s.kind == SoundCutter::Step::EndPiece; });
        if (ended || cutter.pieceHasSound()) return true;
        read += block.frames();
        if (!advance(read)) return false;
    }
    cutter.finish();
    return cutter.pieceHasSound();
}

// From the start again, writing; false on a stop, which completes the piece
// being written with everything read so far.
bool SplitRun::writePieces()
{
    openInput();
    SoundCutter cutter(cutterSettings(), progress_.rate, reader_.ArrayChannels());
    const int request = JoinRun::blockFrames(progress_.rate, reader_.ArrayChannels());
    int64_t read = 0;
    bool whole = true;
    for (;;) {
        const Block block = reader_.ReadArray(request);
        if (block.frames() == 0) break;
        act(cutter.feed(block));
        read += block.frames();
        progress_.framesSplit = read;
        if (!advance(read)) {
            whole = false;
            break;
        }
    }
    act(cutter.finish());
    closePiece();
    return whole;
}

void SplitRun::act(const Steps& steps)
{
    for (const SoundCutter::Step& step : steps) {
        if (step.kind == SoundCutter::Step::Write) {
            if (!writer_.IsOpen()) openPiece();
            writer_.WriteArray(step.audio);
        } else if (step.kind == SoundCutter::Step::EndPiece) {
            closePiece();
        }
    }
}

void SplitRun::openPiece()
{
    const int number = int(pieces_.size()) + 1;
    if (number == 1) {
        current_ = folder_;
        makeFolder(folder_);
    }
    current_ = pieceName(folder_, input_, number, format_.extension);
    if (!JoinRun::inputThatIsOutput({input_}, current_).isEmpty())
        throw TamselError(QStringLiteral("the piece %1 would replace the input itself; choose another folder")
                              .arg(current_));
    format_.apply(writer_);
    writer_.OpenWrite(current_, 0);
    progress_.piece = number;
}

void SplitRun::closePiece()
{
    if (!writer_.IsOpen()) return;
    writer_.CloseFile();
    pieces_.append(current_);
    if (!title_.isEmpty()) tags_.setInfoTitle(title_);
    if (!artist_.isEmpty()) tags_.setInfoArtist(artist_);
    if (!album_.isEmpty()) tags_.setInfoAlbum(album_);
    tags_.setInfoTrack(int(pieces_.size()));
    tags_.WriteInfo(current_);
    current_ = input_;
}

// Counts frames read; false when a stop was requested.
bool SplitRun::advance(int64_t framesRead)
{
    progress_.framesRead = std::max(progress_.framesRead, framesRead);
    report(false);
    stopped_ = listener_.stopRequested && listener_.stopRequested();
    return !stopped_;
}

void SplitRun::report(bool force)
{
    const int64_t now = clock_.elapsed();
    if (!force && now - lastTickMs_ < tickMs_) return;
    lastTickMs_ = now;
    if (listener_.tick) listener_.tick(progress_);
}

void SplitRun::closeAll() noexcept
{
    // Each step runs even when the one before fails: the piece being written
    // must be completed whatever the reader does.
    try {
        if (reader_.IsOpen()) reader_.CloseFile();
    } catch (...) {
    }
    try {
        if (writer_.IsOpen()) {
            writer_.CloseFile();
            pieces_.append(current_);
        }
    } catch (...) {
    }
}
