#include "config/Tfm_set.h"

#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "config/ValueTables.h"
#include "platform/Error.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

QComboBox* comboBox(QWidget* parent, const char* name, const QStringList& items, int position,
                    QRect where)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setCurrentIndex(position);
    box->setGeometry(where);
    return box;
}

template <class Button>
Button* button(QWidget* parent, const char* name, const QString& text, QRect where)
{
    auto* b = new Button(text, parent);
    b->setObjectName(name);
    b->setGeometry(where);
    return b;
}

QGroupBox* page(QWidget* parent, const char* name, const QString& caption)
{
    auto* group = new QGroupBox(caption, parent);
    group->setObjectName(name);
    group->setGeometry(128, 4, 257, 268);
    return group;
}

}  // namespace

Tfm_set::Tfm_set(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName("fm_set");
    setWindowTitle("Settings");
    setFixedSize(388, 279);

    pn_file = page(this, "pn_file", "File Length Limitation");
    length_en = button<QCheckBox>(pn_file, "length_en", "Enable File Length Limitation System",
                                  {8, 20, 240, 20});
    auto* limit1 = new QGroupBox("File Limitation", pn_file);
    limit1->setGeometry(8, 44, 240, 56);
    file_rb_time = button<QRadioButton>(limit1, "file_rb_time", "Time: ", {8, 24, 60, 20});
    file_rb_time->setChecked(true);
    file_time = new QLineEdit("120", limit1);
    file_time->setObjectName("file_time");
    file_time->setGeometry(72, 22, 80, 22);
    new QLabel("Seconds", limit1);
    auto* limit2 = new QGroupBox(pn_file);
    limit2->setGeometry(8, 104, 240, 64);
    file_limit_stop = button<QCheckBox>(limit2, "file_limit_stop",
                                        "Stop recording when the limit is reached ", {8, 10, 228, 20});
    file_limit_stop->setChecked(true);
    file_limit_new = button<QCheckBox>(limit2, "file_limit_new",
                                       "Record a new file when the limit is reached", {8, 34, 228, 20});

    pn_wav = page(this, "pn_wav", "WAV");
    cb_wav_frequency = comboBox(pn_wav, "cb_wav_frequency", ValueTables::sampleRateTexts(), 8,
                                {110, 24, 130, 22});
    cb_wav_frequency->setMaxVisibleItems(18);
    cb_wav_channel = comboBox(pn_wav, "cb_wav_channel", ValueTables::channelTexts(), 1,
                              {110, 52, 130, 22});
    cb_wav_bit = comboBox(pn_wav, "cb_wav_bit", ValueTables::bitDepthTexts(), 5, {110, 80, 130, 22});
    // Only the custom mode lets the format be chosen; no mode is checked yet.
    for (QComboBox* box : {cb_wav_frequency, cb_wav_channel, cb_wav_bit}) box->setEnabled(false);
    auto* mode = new QGroupBox("Mode", pn_wav);
    mode->setGeometry(8, 112, 240, 90);
    rb_cdquality = button<QRadioButton>(mode, "rb_cdquality", "CD quality WAV format .(For audio CD) ",
                                        {8, 18, 228, 20});
    rb_bestsuited = button<QRadioButton>(mode, "rb_bestsuited", "Best suited WAV format",
                                         {8, 40, 228, 20});
    rb_custom = button<QRadioButton>(mode, "rb_custom", "Custom format", {8, 62, 228, 20});

    pn_format = page(this, "pn_format", "Output Format");
    ed_dir = new QLineEdit(SettingsKeys::Output::directoryDefault(), pn_format);
    ed_dir->setObjectName("ed_dir");
    ed_dir->setGeometry(8, 36, 200, 24);
    cb_format = comboBox(pn_format, "cb_format", {"WAV File (*.wav)", QString()}, 0, {110, 72, 130, 22});
    out_name = new QLineEdit("E", pn_format);
    out_name->setObjectName("out_name");
    out_name->setGeometry(110, 100, 130, 22);
    auto* naming = new QGroupBox("Output Name:", pn_format);
    naming->setGeometry(8, 128, 240, 80);
    rb_time = button<QRadioButton>(naming, "rb_time", "Date_Time Mode", {8, 18, 228, 20});
    rb_time->setChecked(true);
    rb_cust = button<QRadioButton>(naming, "rb_cust", "Custom Name", {8, 46, 228, 20});

    set_bt_ok = button<QPushButton>(this, "set_bt_ok", "OK", {8, 248, 54, 24});
    connect(set_bt_ok, &QPushButton::clicked, this, &Tfm_set::set_bt_okClick);
}

void Tfm_set::set_bt_okClick()
{
    SettingsFile* s = settings_ ? settings_() : nullptr;
    if (!s) throw TamselError("The settings file tamsel.ini is not open; the settings were not saved.");
    namespace K = SettingsKeys;
    s->writeBool(K::File::Section, K::File::EnLength, length_en->isChecked());
    s->writeBool(K::File::Section, K::File::RbTime, file_rb_time->isChecked());
    s->writeBool(K::File::Section, K::File::RbTimeE, file_rb_time->isEnabled());
    s->writeText(K::File::Section, K::File::TimeT, file_time->text());
    s->writeBool(K::File::Section, K::File::Time, file_time->isEnabled());
    s->writeBool(K::File::Section, K::File::LimitS, file_limit_stop->isChecked());
    s->writeBool(K::File::Section, K::File::LimitN, file_limit_new->isChecked());

    s->writeInteger(K::Output::Section, K::Output::Format, cb_format->currentIndex());
    s->writeText(K::Output::Section, K::Output::OutName, out_name->text());
    s->writeBool(K::Output::Section, K::Output::RbTime, rb_time->isChecked());
    s->writeBool(K::Output::Section, K::Output::RbCust, rb_cust->isChecked());
    s->writeText(K::Output::Section, K::Output::Dir, ed_dir->text());

    if (rb_cdquality->isChecked())
        s->writeInteger(K::Wav::Section, K::Wav::Mode, 0);
    else if (rb_bestsuited->isChecked())
        s->writeInteger(K::Wav::Section, K::Wav::Mode, 1);
    else if (rb_custom->isChecked())
        s->writeInteger(K::Wav::Section, K::Wav::Mode, 2);
    s->writeInteger(K::Wav::Section, K::Wav::Bit, cb_wav_bit->currentIndex());
    s->writeInteger(K::Wav::Section, K::Wav::Channel, cb_wav_channel->currentIndex());
    s->writeInteger(K::Wav::Section, K::Wav::Frequency, cb_wav_frequency->currentIndex());
    hide();
}
