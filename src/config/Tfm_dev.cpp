#include "config/Tfm_dev.h"

#include "components/TAudioRecord2.h"
#include "config/RecordingSourceHelp.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "platform/ErrorBoundary.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>

Tfm_dev::Tfm_dev(TAudioRecord2* record, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      record_(record)
{
    setObjectName("fm_dev");
    setWindowTitle("Recording Source");
    setFixedSize(250, 239);

    auto* gbDevice = new QGroupBox("Recording Device ", this);
    gbDevice->setGeometry(8, 4, 234, 82);
    cb_rd = new QComboBox(gbDevice);
    cb_rd->setGeometry(10, 20, 214, 24);
    cb_rdson = new QComboBox(gbDevice);
    cb_rdson->setGeometry(10, 50, 214, 24);

    auto* gbVolume = new QGroupBox("Recording Volume", this);
    gbVolume->setGeometry(8, 92, 234, 100);
    tb_rd = new QSlider(Qt::Horizontal, gbVolume);
    tb_rd->setGeometry(10, 22, 214, 24);
    tb_rd->setRange(0, kVolumeMax);
    tb_rd->setSingleStep(1);
    tb_rd->setTickPosition(QSlider::NoTicks);
    // The fixed-size window's texts use a smaller face so every line fits.
    QFont small = font();
    small.setPointSizeF(std::max(6.0, small.pointSizeF() - 2.0));
    auto* lab1 = new QLabel("Please low the volume as possible. The lower", gbVolume);
    lab1->setGeometry(10, 52, 220, 18);
    lab1->setFont(small);
    auto* lab2 = new QLabel(" the volume, the better the quality. ", gbVolume);
    lab2->setGeometry(10, 70, 220, 18);
    lab2->setFont(small);

    dev_bt_ok = new QPushButton("Ok", this);
    dev_bt_ok->setDefault(true);  // Return; Escape cancels
    dev_bt_ok->setGeometry(8, 202, 74, 28);
    dev_bt_can = new QPushButton("Cancel", this);
    dev_bt_can->setGeometry(88, 202, 74, 28);
    dev_bt_help = new QPushButton("Help", this);
    dev_bt_help->setGeometry(168, 202, 74, 28);

    gb_help = new QGroupBox("Help", this);
    gb_help->setGeometry(0, 0, 250, 239);
    gb_help->setAutoFillBackground(true);
    lab_help = new QLabel(gb_help);
    lab_help->setGeometry(8, 18, 234, 176);
    lab_help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lab_help->setWordWrap(false);
    lab_help->setFont(small);
    bt_pre = new QPushButton("Preview", gb_help);
    bt_pre->setGeometry(8, 202, 74, 28);
    bt_nex = new QPushButton("Next", gb_help);
    bt_nex->setGeometry(88, 202, 74, 28);
    Button4 = new QPushButton("I Know", gb_help);
    Button4->setGeometry(168, 202, 74, 28);
    gb_help->hide();
    help_.attach(lab_help);

    using ErrorBoundary::guarded;
    connect(cb_rdson, &QComboBox::activated, this, guarded(this, &Tfm_dev::cb_rdsonChange));
    connect(tb_rd, &QSlider::valueChanged, this, guarded(this, &Tfm_dev::tb_rdChange));
    connect(dev_bt_ok, &QPushButton::clicked, this, guarded(this, &Tfm_dev::dev_bt_okClick));
    connect(dev_bt_can, &QPushButton::clicked, this, guarded(this, &Tfm_dev::dev_bt_canClick));
    connect(dev_bt_help, &QPushButton::clicked, this, guarded(this, &Tfm_dev::dev_bt_helpClick));
    connect(Button4, &QPushButton::clicked, this, guarded(this, &Tfm_dev::Button4Click));
    connect(bt_nex, &QPushButton::clicked, this, guarded(this, &Tfm_dev::bt_nexClick));
    connect(bt_pre, &QPushButton::clicked, this, guarded(this, &Tfm_dev::bt_preClick));
    if (record_) connect(record_, &TAudioRecord2::OnLinesChanged, this, guarded(this, &Tfm_dev::fillLines));
}

void Tfm_dev::useSettings(SettingsFile* settings)
{
    namespace Rd = SettingsKeys::Rd;
    settings_ = settings;
    chosen_ = settings_->readText(Rd::Section, Rd::Line, QString());
    record_->SetSource(chosen_);
}

void Tfm_dev::fillLines()
{
    const QSignalBlocker quiet(cb_rdson);
    cb_rdson->clear();
    int selected = -1;
    const int lines = record_->InputLineCount();
    for (int n = 1; n <= lines; ++n) {
        record_->SetLine(n);
        cb_rdson->addItem(record_->LineName());
        if (record_->LineSelected()) selected = n - 1;
    }
    cb_rdson->setCurrentIndex(selected);
    record_->SetLine(selected + 1);
}

void Tfm_dev::showEvent(QShowEvent* event)
{
    shownWith_ = chosen_;
    QDialog::showEvent(event);
}

void Tfm_dev::showVolume(int volume)
{
    const QSignalBlocker quiet(tb_rd);
    tb_rd->setValue(std::clamp(volume, 0, kVolumeMax));
}

void Tfm_dev::cb_rdsonChange(int position)
{
    record_->SetLine(position + 1);
    record_->SetLineSelected();
    chosen_ = record_->LineSource();
    showVolume(record_->LineVolume());
}

void Tfm_dev::tb_rdChange(int position) { record_->SetLineVolume(position); }

void Tfm_dev::dev_bt_okClick()
{
    namespace Rd = SettingsKeys::Rd;
    if (settings_) settings_->writeText(Rd::Section, Rd::Line, chosen_);
    shownWith_ = chosen_;
    hide();
}

void Tfm_dev::dev_bt_canClick()
{
    chosen_ = shownWith_;
    record_->SetSource(chosen_);
    fillLines();
    hide();
}
void Tfm_dev::dev_bt_helpClick()
{
    gb_help->show();
    gb_help->raise();
}
void Tfm_dev::Button4Click() { gb_help->hide(); }

void Tfm_dev::bt_nexClick() { help_.next(); }

void Tfm_dev::bt_preClick() { help_.previous(); }

