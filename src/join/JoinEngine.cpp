#include "join/JoinEngine.h"

#include "app/AppState.h"
#include "components/TAudioFile2.h"
#include "components/TSkin.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "join/Tfm_list.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/Shell.h"
#include "recording/OutputSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTableWidget>

#include <filesystem>
#include <system_error>

namespace {

const QString kSaveFilter = QStringLiteral("WAV Files(*.wav)|*.wav");
constexpr int kTimeColumn = 1;
constexpr char kProgressElement[] = "join_progress";

// The chosen name in its folder, its extension replaced by ".wav".
QString outputNameFor(const QString& chosen)
{
    const QFileInfo info(chosen);
    return QDir(info.path()).filePath(info.completeBaseName() + QStringLiteral(".wav"));
}

// Links and differently spelled paths to one file count as the same file.
bool sameFile(const QString& a, const QString& b)
{
    std::error_code error;
    const bool same = std::filesystem::equivalent(a.toStdString(), b.toStdString(), error);
    if (!error) return same;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath())
           == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

void pumpEvents() { QCoreApplication::processEvents(); }

}  // namespace

JoinEngine::JoinEngine(Parts parts, QObject* parent) : QObject(parent), p_(std::move(parts)) {}

void JoinEngine::information(const QString& text) { p_.dialogs->information(p_.list, text); }

bool JoinEngine::refused(const QString& output, int count)
{
    for (int i = 0; i < count; ++i) {
        if (sameFile(output, p_.list->entryPath(i))) {
            information(QStringLiteral("The output file %1 is one of the files to join. "
                                       "Please choose another name.")
                            .arg(output));
            return true;
        }
    }
    return false;
}

bool JoinEngine::busy()
{
    const AppState& state = *p_.state;
    if (state.playing) information(QStringLiteral("Please stop playing first."));
    // Recording writes through the same writer.
    else if (state.recording) information(QStringLiteral("Please stop recording first."));
    return state.playing || state.recording || state.joining;
}

bool JoinEngine::replaceRefused(const QString& chosen, const QString& output)
{
    // The save dialog asked about the name typed, not about the one written.
    if (!QFileInfo::exists(output) || sameFile(chosen, output)) return false;
    return !p_.dialogs->confirmReplace(p_.list, output);
}

void JoinEngine::JoinFiles()
{
    AppState& state = *p_.state;
    if (p_.list->count() == 0) return information(QStringLiteral("Please add file!"));
    if (busy()) return;

    const SettingsFile& settings = *p_.settings();
    namespace Output = SettingsKeys::Output;
    QString dir = settings.readText(Output::Section, Output::Dir, Output::directoryDefault());
    if (dir.isEmpty()) dir = Output::directoryDefault();
    QDir().mkdir(dir);  // the dialog copes with a folder that could not be made
    const QString chosen = p_.dialogs->saveFile(p_.list, dir, kSaveFilter);
    if (chosen.isEmpty()) return;
    const QString output = outputNameFor(chosen);
    const int count = p_.list->count();
    if (refused(output, count) || replaceRefused(chosen, output)) return;
    // The dialogs run the event loop: a scheduled recording may have started
    // meanwhile and taken the writer.
    if (busy()) return;

    const WavFormat format = configuredWavFormat(settings);
    state.joining = true;
    current_ = -1;
    showProgress(0);
    try {
        p_.writer->SetWavFormat(format.sampleRate, format.channels, format.bitsPerSample);
        if (p_.writer->IsOpen()) p_.writer->CloseFile();
        p_.writer->OpenWrite(output, 0);
        for (int entry = 0; entry < count && state.joining; ++entry) joinEntry(entry, count);
        if (p_.writer->IsOpen()) p_.writer->CloseFile();
    } catch (...) {
        const QString file = current_ >= 0 ? p_.list->entryPath(current_) : output;
        const QString why = ErrorBoundary::currentMessage();
        abandonRun();
        throw TamselError(why.contains(file) ? why
                                             : QStringLiteral("Joining stopped at %1: %2").arg(file, why));
    }
    state.joining = false;
    showProgress(0);
    // Closing the program stops the run; it ends without opening anything.
    if (!state.quitting) p_.shell->openFolder(QFileInfo(output).absolutePath() + QLatin1Char('/'));
    setStatusCaption(QStringLiteral("Time"));
}

void JoinEngine::joinEntry(int entry, int count)
{
    pumpEvents();
    QTableWidgetItem* time = p_.list->lv->item(entry, kTimeColumn);
    keptTime_ = time ? time->text() : QString();
    current_ = entry;
    setStatusCaption(QStringLiteral("Status"));
    if (time) time->setText(QStringLiteral("Converting"));
    readEntry(entry, count, p_.list->entryPath(entry));
    finishEntry();
}

void JoinEngine::readEntry(int entry, int count, const QString& path)
{
    TAudioFile2& reader = *p_.reader;
    if (reader.IsOpen()) reader.CloseFile();
    reader.OpenRead(path, 0, 1);
    const int64_t length = reader.Samples();
    p_.writer->SetInputFormat(reader.ArraySampleRate(), reader.ArrayChannels());
    int64_t done = 0;
    const int request = reader.ArrayChannels() * reader.ArraySampleRate() * 4;
    // Read to the real end: the stated length is only an estimate for some
    // files (VBR MP3 without a Xing header, FLAC of unknown length).
    for (;;) {
        pumpEvents();
        pumpEvents();
        if (!p_.state->joining) break;
        // The list may have measured an added file with the shared reader
        // meanwhile; carry on where this file was left.
        if (!reader.IsOpen()) reopenAt(path, done);
        const Block block = reader.ReadArray(request);
        if (block.frames() == 0) break;
        p_.writer->WriteArray(block);
        done += block.frames();
        const double share = length > done ? double(done) / double(length) : 1.0;
        showProgress(int((entry + share) / count * ISkinScrollBar::kMaxPosition));
        emit blockJoined(entry, done, length);
    }
}

void JoinEngine::reopenAt(const QString& path, int64_t position)
{
    p_.reader->OpenRead(path, 0, 1);
    p_.reader->Seek(position, 3);
}

void JoinEngine::finishEntry()
{
    if (p_.reader->IsOpen()) p_.reader->CloseFile();
    if (QTableWidgetItem* time = p_.list->lv->item(current_, kTimeColumn)) time->setText(keptTime_);
    current_ = -1;
}

void JoinEngine::abandonRun() noexcept
{
    // Each step runs even when the one before fails: the output must be
    // completed whatever the reader does.
    try {
        if (p_.reader->IsOpen()) p_.reader->CloseFile();
    } catch (...) {
    }
    try {
        if (p_.writer->IsOpen()) p_.writer->CloseFile();
    } catch (...) {
    }
    p_.state->joining = false;
    if (current_ >= 0)
        if (QTableWidgetItem* time = p_.list->lv->item(current_, kTimeColumn))
            time->setText(keptTime_);
    current_ = -1;
    setStatusCaption(QStringLiteral("Time"));
    showProgress(0);
}

void JoinEngine::setStatusCaption(const QString& caption)
{
    QTableWidget* lv = p_.list->lv;
    if (QTableWidgetItem* header = lv->horizontalHeaderItem(kTimeColumn))
        header->setText(caption);
    else
        lv->setHorizontalHeaderItem(kTimeColumn, new QTableWidgetItem(caption));
}

void JoinEngine::showProgress(int position)
{
    if (!p_.skin) return;
    ISkinnedWindow* window = p_.skin->SkinnedWindowOf(p_.list);
    ISkinObject* element = window ? window->ElementByName(kProgressElement) : nullptr;
    if (!element) return;
    ISkinScrollBar* bar = element->ScrollBarFacet();
    if (!bar || bar->BarPosition() == position) return;
    bar->SetBarPosition(position);
    if (ISkinCommon* common = element->CommonFacet()) common->RedrawElement();
}
