// The settings window's behaviour: loading, saving, defaults, the rules that
// tie controls together, and the pages with the windows they open.

#include "config/SettingsFile.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_set.h"
#include "config/TypedKey.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QRegularExpressionValidator>
#include <QToolTip>
#include <QWindow>

namespace {

constexpr char16_t kBackspace = u'\b';

// A radio button in a group cannot be unchecked by Qt alone; the file may ask
// for neither naming option, or for the lone "Time: " option unchecked.
void setRadio(QRadioButton* button, bool checked)
{
    if (checked || !button->isChecked()) {
        button->setChecked(checked);
        return;
    }
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

// A stored position outside the list shows, and so saves, the key's default.
void setPosition(QComboBox* box, int stored, int defaultPosition)
{
    box->setCurrentIndex(stored >= 0 && stored < box->count() ? stored : defaultPosition);
}

// For lists that hold their values as item data: a value not listed shows,
// and so saves, the default.
void setValue(QComboBox* box, int stored, int defaultValue)
{
    const int at = box->findData(stored);
    box->setCurrentIndex(at >= 0 ? at : box->findData(defaultValue));
}

int valueOf(const QComboBox* box) { return box->currentIndex() < 0 ? -1 : box->currentData().toInt(); }

void onChecked(QRadioButton* button, Tfm_set* window, void (Tfm_set::*rule)())
{
    QObject::connect(button, &QRadioButton::toggled, window,
                     ErrorBoundary::guarded([window, rule](bool checked) {
                         if (checked) (window->*rule)();
                     }));
}

}  // namespace

void Tfm_set::connectRules()
{
    using ErrorBoundary::guarded;
    connect(length_en, &QCheckBox::toggled, this, guarded(this, &Tfm_set::length_enClick));
    onChecked(file_rb_time, this, &Tfm_set::file_rb_timeClick);
    for (QRadioButton* mode : {rb_cdquality, rb_bestsuited, rb_custom})
        onChecked(mode, this, &Tfm_set::rb_modeClick);
    onChecked(rb_time, this, &Tfm_set::rb_timeClick);
    onChecked(rb_cust, this, &Tfm_set::rb_custClick);
    connect(Button1, &QPushButton::clicked, this, guarded(this, &Tfm_set::Button1Click));
    connect(Button2, &QPushButton::clicked, this, guarded(this, &Tfm_set::Button2Click));
    connect(bt_pre, &QPushButton::clicked, this, guarded(this, &Tfm_set::bt_preClick));
    connect(bt_nex, &QPushButton::clicked, this, guarded(this, &Tfm_set::bt_nexClick));
    connect(cb_format, &QComboBox::currentIndexChanged, this, guarded(this, &Tfm_set::refreshExamples));
    // The main name names a file in the output folder: a "/" would name a folder.
    out_name->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^/]*")), out_name));
    connect(out_name, &QLineEdit::inputRejected, this, guarded([this] {
                QToolTip::showText(out_name->mapToGlobal(QPoint(0, out_name->height())),
                                   QStringLiteral("A main name cannot hold \"/\": it names a file in the "
                                                  "output folder."),
                                   out_name);
            }));
}

void Tfm_set::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window restored from the task bar is not a new showing.
    if (!event->spontaneous()) ErrorBoundary::guard([this] { loadFromSettings(); });
}

void Tfm_set::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    if (event->spontaneous()) return;  // minimized, not closed
    // Windows left open stand on their own once this window is gone, so the
    // main window can open them modally again.
    for (QWidget* window : {static_cast<QWidget*>(dev_), dir_, sche_}) {
        QWindow* handle = window ? window->windowHandle() : nullptr;
        if (handle && windowHandle() && handle->transientParent() == windowHandle())
            handle->setTransientParent(nullptr);
    }
}

void Tfm_set::loadFromSettings()
{
    SettingsFile* s = settings_ ? settings_() : nullptr;
    if (!s) return;
    const RecordingSettings v = RecordingSettings::load(*s);
    loading_ = true;
    const RecordingSettings::LengthLimit& l = v.limit;
    length_en->setChecked(l.enabled);
    setRadio(file_rb_time, l.byTime);
    // These enabled states are stored window state; they override the rules above.
    file_rb_time->setEnabled(l.byTimeEnabled);
    file_time->setText(l.seconds);
    file_time->setEnabled(l.secondsEnabled);
    file_limit_stop->setChecked(l.stop);
    file_limit_new->setChecked(l.startNext);

    const RecordingSettings::Output& o = v.output;
    setValue(cb_format, o.format, SettingsKeys::Output::FormatDefault);
    out_name->setText(o.mainName);
    // Both true leaves the custom option checked, both false neither.
    setRadio(rb_time, o.dateTimeNaming);
    setRadio(rb_cust, o.customNaming);
    ed_dir->setText(o.folder);

    // Any other mode leaves the options as they are; with none checked the
    // save writes no mode, so a hand-edited value stays in the file.
    const RecordingSettings::Wav& w = v.wav;
    switch (w.mode) {
    case 0: rb_cdquality->setChecked(true); break;
    case 1: rb_bestsuited->setChecked(true); break;
    case 2: rb_custom->setChecked(true); break;
    default: break;
    }
    setPosition(cb_wav_bit, w.bit, SettingsKeys::Wav::BitDefault);
    setPosition(cb_wav_channel, w.channel, SettingsKeys::Wav::ChannelDefault);
    setPosition(cb_wav_frequency, w.frequency, SettingsKeys::Wav::FrequencyDefault);
    rb_modeClick();
    const RecordingSettings::Compressed& c = v.compressed;
    namespace K = SettingsKeys;
    setValue(cb_mp3_bitrate, c.mp3Bitrate, K::Mp3::BitrateDefault);
    setValue(cb_mp3_quality, c.mp3Quality, K::Mp3::QualityDefault);
    setValue(cb_opus_bitrate, c.opusBitrate, K::Opus::BitrateDefault);
    setValue(cb_flac_bits, c.flacBits, K::Flac::BitsDefault);
    setValue(cb_ogg_quality, c.vorbisQuality, K::Ogg::QualityDefault);
    loadSilence(v.sound);
    // The hand-edited sections come with the rest.
    value_->ogg = v.ogg;
    value_->raw = v.raw;
    loading_ = false;
    storeControls();
}

void Tfm_set::set_bt_okClick()
{
    SettingsFile* s = settings_ ? settings_() : nullptr;
    if (!s) throw TamselError("The settings file tamsel.ini is not open; the settings were not saved.");
    value_->save(*s);
    hide();
}

void Tfm_set::connectEdits()
{
    auto store = [this](auto signalSource, auto signal) {
        connect(signalSource, signal, this, ErrorBoundary::guarded(this, &Tfm_set::storeControls));
    };
    for (QCheckBox* box : {length_en, file_limit_stop, file_limit_new}) store(box, &QCheckBox::toggled);
    for (QRadioButton* b : {file_rb_time, rb_time, rb_cust, rb_cdquality, rb_bestsuited, rb_custom})
        store(b, &QRadioButton::toggled);
    for (QLineEdit* e : {file_time, out_name, ed_dir}) store(e, &QLineEdit::textChanged);
    for (QComboBox* c : {cb_format, cb_wav_frequency, cb_wav_channel, cb_wav_bit, cb_mp3_bitrate, cb_mp3_quality,
                         cb_opus_bitrate, cb_flac_bits, cb_ogg_quality})
        store(c, &QComboBox::currentIndexChanged);
    connectSilenceEdits();
}

void Tfm_set::storeControls()
{
    if (loading_) return;
    RecordingSettings& v = *value_;
    v.limit = {length_en->isChecked(),     file_rb_time->isChecked(), file_rb_time->isEnabled(),
               file_time->text(),          file_time->isEnabled(),    file_limit_stop->isChecked(),
               file_limit_new->isChecked()};
    // A list without a selection is stored as -1.
    v.output = {valueOf(cb_format), out_name->text(), rb_time->isChecked(), rb_cust->isChecked(), ed_dir->text()};
    v.compressed = {valueOf(cb_mp3_quality), valueOf(cb_mp3_bitrate), valueOf(cb_opus_bitrate), valueOf(cb_flac_bits),
                    valueOf(cb_ogg_quality)};
    v.wav.mode = rb_cdquality->isChecked()    ? 0
                 : rb_bestsuited->isChecked() ? 1
                 : rb_custom->isChecked()     ? 2
                                              : RecordingSettings::Wav::kNoMode;
    v.sound = storedSilence();
    v.wav.bit = cb_wav_bit->currentIndex();
    v.wav.channel = cb_wav_channel->currentIndex();
    v.wav.frequency = cb_wav_frequency->currentIndex();
}

void Tfm_set::set_bt_defaultClick()
{
    namespace K = SettingsKeys;
    length_en->setChecked(false);
    file_limit_stop->setChecked(true);
    cb_format->setCurrentIndex(K::Output::FormatDefault);
    out_name->setText(K::Output::OutNameDefault);
    rb_time->setChecked(true);
    rb_cdquality->setChecked(true);
    cb_wav_bit->setCurrentIndex(K::Wav::BitDefault);
    cb_wav_channel->setCurrentIndex(K::Wav::ChannelDefault);
    cb_wav_frequency->setCurrentIndex(K::Wav::FrequencyDefault);
    for (QComboBox* box : {cb_wav_frequency, cb_wav_channel, cb_wav_bit}) box->setEnabled(false);
    setValue(cb_mp3_bitrate, K::Mp3::BitrateDefault, K::Mp3::BitrateDefault);
    setValue(cb_mp3_quality, K::Mp3::QualityDefault, K::Mp3::QualityDefault);
    setValue(cb_opus_bitrate, K::Opus::BitrateDefault, K::Opus::BitrateDefault);
    setValue(cb_flac_bits, K::Flac::BitsDefault, K::Flac::BitsDefault);
    setValue(cb_ogg_quality, K::Ogg::QualityDefault, K::Ogg::QualityDefault);
    loadSilence({});
}

void Tfm_set::length_enClick()
{
    file_rb_time->setEnabled(length_en->isChecked());
    file_time->setEnabled(length_en->isChecked());
}

void Tfm_set::file_rb_timeClick()
{
    file_time->setEnabled(file_rb_time->isEnabled() && file_rb_time->isChecked());
}

void Tfm_set::rb_modeClick()
{
    for (QComboBox* box : {cb_wav_frequency, cb_wav_channel, cb_wav_bit})
        box->setEnabled(rb_custom->isChecked());
}

void Tfm_set::rb_timeClick() { refreshExamples(); }

void Tfm_set::rb_custClick()
{
    if (out_name->text().isEmpty()) out_name->setText(SettingsKeys::Output::OutNameDefault);
    refreshExamples();
}

void Tfm_set::out_nameExit() { refreshExamples(); }

void Tfm_set::refreshExamples()
{
    // A fixed date, so the example does not tick; the extension is the one written.
    const QString name = out_name->text();
    const QString extension = RecordingSettings::extensionOf(valueOf(cb_format));
    out_labe_dat->setText("Example: " + name + "-19-05-2006--00;08;04" + extension);
    out_labe_cus->setText("Example: " + name + extension);
}

QChar Tfm_set::file_timeKeyPress(QChar key)
{
    return key >= QLatin1Char('0') && key <= QLatin1Char('9') ? key : QChar(kBackspace);
}

bool Tfm_set::eventFilter(QObject* watched, QEvent* event)
{
    return ErrorBoundary::guardOr(false, [&] { return filterEvent(watched, event); })
           || QDialog::eventFilter(watched, event);
}

bool Tfm_set::filterEvent(QObject* watched, QEvent* event)
{
    if (watched == file_time && event->type() == QEvent::KeyPress) {
        const std::optional<QChar> typed = typedCharacter(*static_cast<QKeyEvent*>(event));
        if (typed && file_timeKeyPress(*typed) == QChar(kBackspace)) {
            file_time->backspace();
            return true;
        }
    } else if (watched == out_name && event->type() == QEvent::FocusOut) {
        out_nameExit();
    } else if (watched == tv && event->type() == QEvent::KeyRelease) {
        // After the tree has moved its selection.
        QMetaObject::invokeMethod(this, ErrorBoundary::guarded(this, &Tfm_set::tvKey), Qt::QueuedConnection);
    } else if (watched == tv->viewport() && event->type() == QEvent::MouseButtonRelease
               && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // After the tree has taken the click, so the page is the one now selected.
        QMetaObject::invokeMethod(this, ErrorBoundary::guarded(this, &Tfm_set::tvClick),
                                  Qt::QueuedConnection);
    }
    return false;
}

void Tfm_set::tvKey()
{
    QTreeWidgetItem* node = tv->currentItem();
    if (!node) return;
    const int page = node->data(0, Qt::UserRole).toInt();
    const bool opensWindow = page == SourcePage || page == SchedulePage;
    if (!opensWindow) ShowPage(page);
}

void Tfm_set::tvClick()
{
    if (QTreeWidgetItem* node = tv->currentItem()) ShowPage(node->data(0, Qt::UserRole).toInt());
}

void Tfm_set::ShowPage(int position)
{
    QGroupBox* shown = nullptr;
    switch (position) {
    case SourcePage: shown = pn_source; break;
    case FilePage: shown = pn_file; break;
    case FormatPage: shown = pn_format; break;
    case WavPage: shown = pn_wav; break;
    case QualityPage: shown = pn_quality; break;
    case SilencePage: shown = pn_silence; break;
    // Once the schedule window closes, the About page is in view.
    case SchedulePage:
    case AboutPage: shown = pn_about; break;
    default: return;
    }
    for (QGroupBox* g : {pn_file, pn_wav, pn_format, pn_quality, pn_silence, pn_source, pn_about})
        g->setVisible(g == shown);
    if (dev_ && position != SourcePage) dev_->hide();
    if (sche_ && position != SchedulePage) sche_->hide();
    if (dev_ && position == SourcePage) {
        showBeside(dev_, 133, 31);
        // The page shows the same help texts itself.
        dev_->dev_bt_help->setEnabled(false);
    }
    if (sche_ && position == SchedulePage) showBeside(sche_, 0, 0);
}

void Tfm_set::Button1Click()
{
    if (dev_) showBeside(dev_, 133, 31);
}

void Tfm_set::Button2Click()
{
    if (dir_) showBeside(dir_, 0, 0);
}

void Tfm_set::showBeside(QWidget* window, int dx, int dy)
{
    window->move(x() + dx, y() + dy);
    // This window usually runs modal; a window it opens must take input
    // beside it, so it becomes this window's transient child.
    if (!window->parentWidget()) {
        window->winId();
        if (QWindow* handle = window->windowHandle(); handle && windowHandle())
            handle->setTransientParent(windowHandle());
    }
    window->show();
    window->raise();
    window->activateWindow();
}
