#include "join/JoinEngine.h"

#include "components/TAudioFile2.h"
#include "components/TSkin.h"
#include "config/RecordingSettings.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "join/JoinRun.h"
#include "join/Tfm_list.h"
#include "platform/Dialogs.h"
#include "platform/FileName.h"
#include "platform/Shell.h"
#include "recording/OutputSetup.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTableWidget>

namespace {

constexpr int kTimeColumn = 1;
constexpr char kProgressElement[] = "join_progress";

using Format = TAudioFile2::OutputFormat;

// The formats a join writes, as "output"/"format" codes, in the save dialog's order.
const std::pair<Format, int> kFormats[] = {{Format::Wav, SettingsKeys::Output::FormatWav},
                                           {Format::Flac, SettingsKeys::Output::FormatFlac},
                                           {Format::Opus, SettingsKeys::Output::FormatOpus},
                                           {Format::Mp3, SettingsKeys::Output::FormatMp3}};

Format formatOfCode(int code)
{
    for (const auto& [format, c] : kFormats)
        if (c == code) return format;
    return Format::Wav;
}

int codeOf(Format format)
{
    for (const auto& [f, code] : kFormats)
        if (f == format) return code;
    return SettingsKeys::Output::FormatWav;
}

// The last join's format first, so the dialog offers it.
QString saveFilter(Format last)
{
    QStringList types;
    for (const auto& [format, code] : kFormats) {
        const QString ext = TAudioFile2::ExtensionOf(format);
        const QString type = QStringLiteral("%1 Files(*%2)|*%2").arg(JoinRun::formatName(format), ext);
        if (format == last) types.prepend(type);
        else types.append(type);
    }
    return types.join(QLatin1Char('|'));
}

// The format a chosen name asks for by its extension, or the last join's.
Format formatFor(const QString& chosen, Format last)
{
    const auto named = TAudioFile2::FormatOfName(chosen);
    for (const auto& [format, code] : kFormats)
        if (named && *named == format) return format;
    return last;
}

// The chosen name in its folder, with the format's extension.
QString outputNameFor(const QString& chosen, Format format)
{
    const QFileInfo info(chosen);
    return QDir(info.path()).filePath(info.completeBaseName() + TAudioFile2::ExtensionOf(format));
}

void pumpEvents() { QCoreApplication::processEvents(); }

}  // namespace

JoinEngine::JoinEngine(Parts parts, QObject* parent)
    : QObject(parent), p_(std::move(parts)), activity_(p_.activity->claim(ActivityOwner::Join))
{
}

void JoinEngine::information(const QString& text) { p_.dialogs->information(p_.list, text); }

bool JoinEngine::refused(const QString& output, const QStringList& inputs)
{
    if (JoinRun::inputThatIsOutput(inputs, output).isEmpty()) return false;
    information(QStringLiteral("The output file %1 is one of the files to join. "
                               "Please choose another name.")
                    .arg(output));
    return true;
}

bool JoinEngine::busy()
{
    const ActivityState& state = activity_.state();
    if (state.playing()) information(QStringLiteral("Please stop playing first."));
    // Recording writes through the same writer.
    else if (state.recording()) information(QStringLiteral("Please stop recording first."));
    return !state.idle();
}

bool JoinEngine::replaceRefused(const QString& chosen, const QString& output)
{
    // The save dialog asked about the name typed, not about the one written.
    if (!filename::status(output).exists || !JoinRun::inputThatIsOutput({chosen}, output).isEmpty()) return false;
    return !p_.dialogs->confirmReplace(p_.list, output);
}

void JoinEngine::JoinFiles()
{
    if (p_.list->count() == 0) return information(QStringLiteral("Please add file!"));
    if (busy()) return;

    // As stored: a join runs no save step.
    const RecordingSettings settings = RecordingSettings::load(*p_.settings());
    namespace Output = SettingsKeys::Output;
    QString dir = settings.output.folder;
    if (dir.isEmpty()) dir = Output::directoryDefault();
    QDir().mkdir(dir);  // the dialog copes with a folder that could not be made
    namespace J = SettingsKeys::Join;
    const Format last = formatOfCode(p_.settings()->readInteger(J::Section, J::Format, SettingsKeys::Output::FormatWav));
    const QString chosen = p_.dialogs->saveFile(p_.list, dir, saveFilter(last));
    if (chosen.isEmpty()) return;
    const Format format = formatFor(chosen, last);
    const QString output = outputNameFor(chosen, format);
    QStringList inputs;
    for (int i = 0; i < p_.list->count(); ++i) inputs << p_.list->entryPath(i);
    if (refused(output, inputs) || replaceRefused(chosen, output)) return;
    // The dialogs run the event loop: a scheduled recording may have started
    // meanwhile and taken the writer.
    if (busy()) return;

    if (format != last) p_.settings()->writeInteger(J::Section, J::Format, codeOf(format));
    // The WAV page's rate and channels, the Quality page's quality.
    const WavFormat wav = configuredWavFormat(settings.wav);
    const RecordingSettings::Compressed& c = settings.compressed;
    JoinRun::Output to{output, wav.sampleRate, wav.channels, wav.bitsPerSample, format, c.opusBitrate,
                       c.mp3Quality, c.mp3Bitrate};
    if (format == Format::Flac) to.bitsPerSample = c.flacBits == 24 ? 24 : 16;
    JoinRun::Listener listener;
    listener.entryStarted = [this](int entry) { entryStarted(entry); };
    listener.entryFinished = [this](int) { entryFinished(); };
    listener.stopRequested = [this] { return stopRequested_; };
    listener.tick = [this, count = inputs.size()](const JoinRun::Progress& at) {
        showProgress(int(at.share(int(count)) * ISkinScrollBar::kMaxPosition));
        emit blockJoined(at.entry, at.entryDone, at.entryLength);
        pumpEvents();
    };
    JoinRun run(*p_.reader, *p_.writer, std::move(listener));
    run.setTickInterval(tickMs_);
    activity_.set(Activity::Joining);
    stopRequested_ = false;
    current_ = -1;
    if (p_.sleepInhibitor) awake_ = p_.sleepInhibitor->keepAwake("Joining into " + output);
    showProgress(0);
    pumpEvents();
    try {
        run.run(inputs, to);
    } catch (...) {
        endRun();
        throw;
    }
    endRun();
    // Inputs that stopped decoding early are joined as far as they go; told once, together.
    QStringList cut;
    for (const JoinRun::Shortfall& s : run.shortfalls()) cut << s.message();
    if (!cut.isEmpty())
        information(QStringLiteral("Joined, but not every file could be decoded to its end:\n") + cut.join('\n'));
    // Closing the program stops the run; it ends without opening anything.
    if (!(p_.quitting && p_.quitting())) p_.shell->openFolder(QFileInfo(output).absolutePath() + QLatin1Char('/'));
}

void JoinEngine::entryStarted(int entry)
{
    QTableWidgetItem* time = p_.list->lv->item(entry, kTimeColumn);
    keptTime_ = time ? time->text() : QString();
    current_ = entry;
    setStatusCaption(QStringLiteral("Status"));
    if (time) time->setText(QStringLiteral("Converting"));
}

void JoinEngine::entryFinished()
{
    if (current_ >= 0)
        if (QTableWidgetItem* time = p_.list->lv->item(current_, kTimeColumn)) time->setText(keptTime_);
    current_ = -1;
}

void JoinEngine::endRun() noexcept
{
    activity_.finish();
    stopRequested_ = false;
    entryFinished();
    awake_.reset();
    setStatusCaption(QStringLiteral("Time"));
    showProgress(0);
}

void JoinEngine::setStatusCaption(const QString& caption)
{
    QTableWidget* lv = p_.list->lv;
    // Setting the same text again would still relayout the header, per file.
    if (QTableWidgetItem* header = lv->horizontalHeaderItem(kTimeColumn)) {
        if (header->text() != caption) header->setText(caption);
    }
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
