// The settings window's Silence page: start on sound, split at silences, and
// the notice of a silent input.

#include "config/Tfm_set.h"

#include "platform/ErrorBoundary.h"
#include "platform/PlacedWidget.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>

namespace {

namespace K = SettingsKeys::Sound;

QSpinBox* levelBox(QWidget* parent, const char* name, QRect where)
{
    auto* box = placed<QSpinBox>(parent, name, where);
    box->setRange(-120, 0);
    box->setSuffix(QStringLiteral(" dBFS"));
    return box;
}

// Seconds shown, milliseconds stored.
QDoubleSpinBox* secondsBox(QWidget* parent, const char* name, double min, double max, QRect where)
{
    auto* box = placed<QDoubleSpinBox>(parent, name, where);
    box->setRange(min, max);
    box->setDecimals(1);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" s"));
    return box;
}

// A label that names the control beside it, for screen readers too.
void caption(QWidget* parent, const QString& text, QRect where, QWidget* buddy)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(where);
    l->setBuddy(buddy);
}

}  // namespace

void Tfm_set::buildSilencePage()
{
    pn_silence = page("pn_silence",
                      "---------------------------------Silence-----------------------------------");
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 1.5));
    pn_silence->setFont(small);

    rb_sound_all = placedButton<QRadioButton>(pn_silence, "rb_sound_all", "Record everything", {8, 16, 240, 18});
    rb_sound_start = placedButton<QRadioButton>(pn_silence, "rb_sound_start", "Start on sound", {8, 36, 240, 18});
    sp_start_level = levelBox(pn_silence, "sp_start_level", {62, 56, 74, 20});
    caption(pn_silence, "Level:", {24, 56, 38, 20}, sp_start_level);
    sp_preroll = secondsBox(pn_silence, "sp_preroll", 0, 30, {190, 56, 60, 20});
    caption(pn_silence, "Before:", {142, 56, 48, 20}, sp_preroll);
    sp_hang = secondsBox(pn_silence, "sp_hang", 0.1, 3600, {62, 80, 74, 20});
    caption(pn_silence, "Hang:", {24, 80, 38, 20}, sp_hang);
    cb_new_file = placedButton<QCheckBox>(pn_silence, "cb_new_file", "Then a new file", {142, 80, 112, 20});
    cb_new_file->setToolTip(QStringLiteral("After the hang time: complete the file and start a new one with the "
                                           "next sound. Otherwise the same file pauses until sound returns."));

    rb_sound_split = placedButton<QRadioButton>(pn_silence, "rb_sound_split", "Split into files at silences", {8, 106, 240, 18});
    sp_split_level = levelBox(pn_silence, "sp_split_level", {62, 126, 74, 20});
    caption(pn_silence, "Below:", {24, 126, 38, 20}, sp_split_level);
    sp_split_silence = secondsBox(pn_silence, "sp_split_silence", 0.1, 60, {190, 126, 60, 20});
    caption(pn_silence, "For:", {142, 126, 48, 20}, sp_split_silence);
    cb_drop = placedButton<QCheckBox>(pn_silence, "cb_drop", "Leave the silences out", {24, 150, 226, 20});

    auto* notice = new QLabel(QStringLiteral("Tell me when the input stays silent:"), pn_silence);
    notice->setGeometry(8, 180, 240, 18);
    sp_silent_level = levelBox(pn_silence, "sp_silent_level", {62, 200, 74, 20});
    caption(pn_silence, "Below:", {24, 200, 38, 20}, sp_silent_level);
    sp_silent_seconds = placed<QSpinBox>(pn_silence, "sp_silent_seconds", {190, 200, 60, 20});
    sp_silent_seconds->setRange(0, 24 * 3600);
    sp_silent_seconds->setSuffix(QStringLiteral(" s"));
    sp_silent_seconds->setSpecialValueText(QStringLiteral("never"));
    caption(pn_silence, "For:", {142, 200, 48, 20}, sp_silent_seconds);
    auto* note = new QLabel(QStringLiteral("The level display keeps running while a\nrecording waits for sound."),
                            pn_silence);
    note->setGeometry(10, 226, 242, 34);

    for (QRadioButton* b : {rb_sound_all, rb_sound_start, rb_sound_split})
        connect(b, &QRadioButton::toggled, this, ErrorBoundary::guarded(this, &Tfm_set::rb_soundClick));
}

void Tfm_set::rb_soundClick()
{
    const std::pair<QRadioButton*, QList<QWidget*>> modes[] = {
        {rb_sound_start, {sp_start_level, sp_preroll, sp_hang, cb_new_file}},
        {rb_sound_split, {sp_split_level, sp_split_silence, cb_drop}}};
    for (const auto& [mode, controls] : modes)
        for (QWidget* w : controls) w->setEnabled(mode->isChecked());
}

void Tfm_set::loadSilence(const RecordingSettings::Sound& d)
{
    // A mode no option stands for records everything, as a recording reads it.
    (d.mode == K::ModeStartOnSound ? rb_sound_start : d.mode == K::ModeSplit ? rb_sound_split : rb_sound_all)
        ->setChecked(true);
    sp_start_level->setValue(d.startLevel);
    sp_preroll->setValue(d.preroll / 1000.0);
    sp_hang->setValue(d.hang / 1000.0);
    cb_new_file->setChecked(d.newFile);
    sp_split_level->setValue(d.splitLevel);
    sp_split_silence->setValue(d.splitSilence / 1000.0);
    cb_drop->setChecked(d.drop);
    sp_silent_level->setValue(d.silentLevel);
    sp_silent_seconds->setValue(d.silentSeconds);
    rb_soundClick();
}

RecordingSettings::Sound Tfm_set::storedSilence() const
{
    RecordingSettings::Sound d;
    d.mode = rb_sound_start->isChecked() ? K::ModeStartOnSound : rb_sound_split->isChecked() ? K::ModeSplit
                                                                                            : K::ModeEverything;
    d.startLevel = sp_start_level->value();
    d.preroll = int(std::lround(sp_preroll->value() * 1000));
    d.hang = int(std::lround(sp_hang->value() * 1000));
    d.newFile = cb_new_file->isChecked();
    d.splitLevel = sp_split_level->value();
    d.splitSilence = int(std::lround(sp_split_silence->value() * 1000));
    d.drop = cb_drop->isChecked();
    d.silentLevel = sp_silent_level->value();
    d.silentSeconds = sp_silent_seconds->value();
    return d;
}

void Tfm_set::connectSilenceEdits()
{
    auto store = ErrorBoundary::guarded(this, &Tfm_set::storeControls);
    for (QRadioButton* b : {rb_sound_all, rb_sound_start, rb_sound_split}) connect(b, &QRadioButton::toggled, this, store);
    for (QCheckBox* b : {cb_new_file, cb_drop}) connect(b, &QCheckBox::toggled, this, store);
    for (QSpinBox* b : {sp_start_level, sp_split_level, sp_silent_level, sp_silent_seconds})
        connect(b, &QSpinBox::valueChanged, this, store);
    for (QDoubleSpinBox* b : {sp_preroll, sp_hang, sp_split_silence})
        connect(b, &QDoubleSpinBox::valueChanged, this, store);
}
