#include "config/Tfm_set.h"

#include "config/RecordingSourceHelp.h"
#include "config/SettingsKeys.h"
#include "config/ValueTables.h"
#include "platform/ErrorBoundary.h"
#include "platform/PlacedWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <algorithm>

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

QLabel* label(QWidget* parent, const QString& text, QRect where, const QFont* font = nullptr)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(where);
    if (font) l->setFont(*font);
    return l;
}

QGroupBox* group(QWidget* parent, const QString& caption, QRect where)
{
    auto* g = new QGroupBox(caption, parent);
    g->setGeometry(where);
    return g;
}

}  // namespace

QGroupBox* Tfm_set::page(const char* name, const QString& caption)
{
    auto* g = group(this, caption, {128, 4, 257, 268});
    g->setObjectName(name);
    // The caption's dashes draw a rule; a screen reader says the words.
    QString words = caption;
    words.remove(QLatin1Char('-'));
    g->setAccessibleName(words.trimmed());
    return g;
}

namespace {

QFont smaller(const QFont& base, double by)
{
    QFont f = base;
    f.setPointSizeF(std::max(6.0, f.pointSizeF() - by));
    return f;
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

    // Stacked in this order, the last on top: until a page is chosen the
    // About group is the one in view.
    buildFilePage();
    buildWavPage();
    buildFormatPage();
    buildQualityPage();
    buildSilencePage();
    buildSourcePage();
    buildAboutPage();
    buildTree();
    // The page groups share one place: only the About page is in view until
    // a page is chosen.
    for (QGroupBox* g : {pn_file, pn_wav, pn_format, pn_quality, pn_silence, pn_source}) g->hide();

    set_bt_ok = placedButton<QPushButton>(this, "set_bt_ok", "OK", {2, 248, 60, 26});
    // Return presses OK; Escape closes the window as its close button does.
    set_bt_ok->setDefault(true);
    set_bt_default = placedButton<QPushButton>(this, "set_bt_default", "Default", {66, 248, 60, 26});
    connect(set_bt_ok, &QPushButton::clicked, this, ErrorBoundary::guarded(this, &Tfm_set::set_bt_okClick));
    connect(set_bt_default, &QPushButton::clicked, this,
            ErrorBoundary::guarded(this, &Tfm_set::set_bt_defaultClick));
    connectRules();
    connectEdits();
}

void Tfm_set::buildFilePage()
{
    pn_file = page("pn_file",
                   "--------------------------File Length Limitation---------------------");
    const QFont small = smaller(font(), 1.5);
    length_en = placedButton<QCheckBox>(pn_file, "length_en", "Enable File Length Limitation System",
                                  {8, 22, 243, 22});
    length_en->setFont(small);
    auto* limit1 = group(pn_file, "File Limitation", {6, 50, 245, 60});
    limit1->setObjectName("file_limit_1");
    file_rb_time = placedButton<QRadioButton>(limit1, "file_rb_time", "Time: ", {10, 26, 62, 22});
    file_rb_time->setChecked(true);
    file_time = new QLineEdit("120", limit1);
    file_time->setObjectName("file_time");
    file_time->setGeometry(74, 25, 80, 24);
    file_time->installEventFilter(this);
    // Every character must arrive as a key press to pass the digit filter.
    file_time->setAttribute(Qt::WA_InputMethodEnabled, false);
    label(limit1, "Seconds", {160, 26, 70, 22});
    auto* limit2 = group(pn_file, QString(), {6, 118, 245, 66});
    limit2->setObjectName("file_limit_2");
    const QFont smallest = smaller(font(), 2);
    file_limit_stop = placedButton<QCheckBox>(limit2, "file_limit_stop",
                                        "Stop recording when the limit is reached ", {8, 10, 233, 22});
    file_limit_stop->setFont(smallest);
    file_limit_stop->setChecked(true);
    file_limit_new = placedButton<QCheckBox>(limit2, "file_limit_new",
                                       "Record a new file when the limit is reached", {8, 36, 233, 22});
    file_limit_new->setFont(smallest);
}

void Tfm_set::buildWavPage()
{
    pn_wav = page("pn_wav",
                  "----------------------------------WAV-------------------------------------");
    auto* general = group(pn_wav, "General Options", {6, 20, 245, 100});
    label(general, "Frequency:", {10, 22, 96, 24});
    label(general, "Channel:", {10, 48, 96, 24});
    label(general, "Bit Per Sample:", {10, 74, 96, 24});
    cb_wav_frequency = comboBox(general, "cb_wav_frequency", ValueTables::sampleRateTexts(), 8,
                                {110, 22, 120, 24});
    cb_wav_frequency->setMaxVisibleItems(18);
    cb_wav_channel = comboBox(general, "cb_wav_channel", ValueTables::channelTexts(), 1,
                              {110, 48, 120, 24});
    cb_wav_bit = comboBox(general, "cb_wav_bit", ValueTables::bitDepthTexts(), 5, {110, 74, 120, 24});
    // Only the custom mode lets the format be chosen; no mode is checked yet.
    for (QComboBox* box : {cb_wav_frequency, cb_wav_channel, cb_wav_bit}) box->setEnabled(false);
    auto* mode = group(pn_wav, "Mode", {6, 124, 245, 92});
    const QFont small = smaller(font(), 1.5);
    rb_cdquality = placedButton<QRadioButton>(mode, "rb_cdquality", "CD quality WAV format .(For audio CD) ",
                                        {8, 18, 233, 22});
    rb_cdquality->setFont(small);
    rb_bestsuited = placedButton<QRadioButton>(mode, "rb_bestsuited", "Best suited WAV format",
                                         {8, 42, 228, 22});
    rb_custom = placedButton<QRadioButton>(mode, "rb_custom", "Custom format", {8, 66, 228, 22});
    const QFont note = smaller(font(), 2);
    label(pn_wav, "To small created file, Low frequency bit per sample", {10, 222, 242, 18}, &note);
    label(pn_wav, "But quality will be lowed  accordingly", {10, 242, 242, 18}, &note);
}

void Tfm_set::buildFormatPage()
{
    pn_format = page("pn_format",
                     "------------------------------Output Format----------------------------");
    auto* dir = group(pn_format, "Output Directory:", {6, 18, 245, 50});
    ed_dir = new QLineEdit(SettingsKeys::Output::directoryDefault(), dir);
    ed_dir->setObjectName("ed_dir");
    ed_dir->setGeometry(8, 20, 199, 24);
    Button2 = placedButton<QPushButton>(dir, "Button2", "...", {211, 20, 26, 24});

    QFont bold = font();
    bold.setBold(true);
    label(pn_format, "Output Format:", {8, 72, 108, 24}, &bold);
    cb_format = comboBox(pn_format, "cb_format", {}, -1, {118, 72, 132, 24});
    for (const auto& [code, text] : RecordingSettings::offeredFormats()) cb_format->addItem(text, code);
    cb_format->setCurrentIndex(0);
    label(pn_format, "Main name:", {8, 98, 108, 24}, &bold);
    out_name = new QLineEdit("E", pn_format);
    out_name->setObjectName("out_name");
    out_name->setGeometry(118, 98, 132, 24);
    out_name->installEventFilter(this);

    auto* naming = group(pn_format, "Output Name:", {6, 124, 245, 100});
    const QFont example = smaller(font(), 2);
    rb_time = placedButton<QRadioButton>(naming, "rb_time", "Date_Time Mode", {8, 18, 226, 20});
    rb_time->setChecked(true);
    out_labe_dat = label(naming, "Example: E-19-05-2006--00;08;04.wav", {26, 38, 210, 16}, &example);
    out_labe_dat->setObjectName("out_labe_dat");
    rb_cust = placedButton<QRadioButton>(naming, "rb_cust", "Custom Name", {8, 58, 226, 20});
    out_labe_cus = label(naming, "Example: E.wav", {26, 78, 210, 16}, &example);
    out_labe_cus->setObjectName("out_labe_cus");
    label(pn_format, "If the filename already exists, the file will be ", {10, 228, 242, 17}, &example);
    label(pn_format, "overwritten automatically.  ", {10, 245, 242, 17}, &example);
}

void Tfm_set::buildQualityPage()
{
    pn_quality = page("pn_quality",
                      "---------------------------------Quality-----------------------------------");
    // Each list holds the stored values as its items' data.
    auto values = [this](const char* name, const QList<std::pair<QString, int>>& items, int y) {
        auto* box = comboBox(pn_quality, name, {}, -1, {118, y, 130, 24});
        for (const auto& [text, value] : items) box->addItem(text, value);
        return box;
    };
    QList<std::pair<QString, int>> mp3Rates{{"Variable", 0}};
    for (int kbps : {32, 64, 96, 128, 160, 192, 224, 256, 320}) mp3Rates.append({QStringLiteral("%1 kbit/s").arg(kbps), kbps});
    QList<std::pair<QString, int>> mp3Qualities;
    for (int q = 0; q <= 9; ++q)
        mp3Qualities.append({q == 0 ? QStringLiteral("0 (best)") : q == 9 ? QStringLiteral("9 (smallest)")
                                                                          : QString::number(q),
                             q});
    QList<std::pair<QString, int>> opusRates;
    for (int kbps : {32, 48, 64, 96, 128, 160, 192, 256}) opusRates.append({QStringLiteral("%1 kbit/s").arg(kbps), kbps});
    QList<std::pair<QString, int>> vorbisQualities;
    for (int q = 0; q <= 10; ++q) vorbisQualities.append({QString::number(q / 10.0, 'f', 1), q * 100});
    const QFont bold = [this] {
        QFont f = font();
        f.setBold(true);
        return f;
    }();
    label(pn_quality, "MP3 bitrate:", {8, 24, 108, 24}, &bold);
    cb_mp3_bitrate = values("cb_mp3_bitrate", mp3Rates, 24);
    label(pn_quality, "MP3 quality:", {8, 52, 108, 24}, &bold);
    cb_mp3_quality = values("cb_mp3_quality", mp3Qualities, 52);
    label(pn_quality, "Opus bitrate:", {8, 88, 108, 24}, &bold);
    cb_opus_bitrate = values("cb_opus_bitrate", opusRates, 88);
    label(pn_quality, "FLAC bits:", {8, 124, 108, 24}, &bold);
    cb_flac_bits = values("cb_flac_bits", {{"16 bps", 16}, {"24 bps", 24}}, 124);
    label(pn_quality, "Vorbis quality:", {8, 160, 108, 24}, &bold);
    cb_ogg_quality = values("cb_ogg_quality", vorbisQualities, 160);
    const QFont note = smaller(font(), 2);
    label(pn_quality, "Rate and channels are the WAV page's; Opus", {10, 204, 242, 18}, &note);
    label(pn_quality, "always stores 48000 Hz.", {10, 222, 242, 18}, &note);
}

void Tfm_set::buildSourcePage()
{
    pn_source = page("pn_source",
                     "----------------------Recording Source----------------------------");
    auto* help = group(pn_source, "Help", {6, 18, 245, 246});
    lab_help = new QLabel(help);
    lab_help->setObjectName("lab_help");
    lab_help->setGeometry(6, 18, 235, 190);
    lab_help->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lab_help->setFont(smaller(font(), 2.5));
    bt_pre = placedButton<QPushButton>(help, "bt_pre", "Preview", {6, 214, 74, 26});
    bt_nex = placedButton<QPushButton>(help, "bt_nex", "Next", {85, 214, 74, 26});
    Button1 = placedButton<QPushButton>(help, "Button1", "Set", {164, 214, 74, 26});
    help_.attach(lab_help);
}

void Tfm_set::buildAboutPage()
{
    pn_about = page("pn_about",
                    "---------------------------------About-------------------------------------");
    auto* icon = label(pn_about, QString(), {18, 34, 56, 56});
    icon->setPixmap(QIcon(":/tamsel/tamsel.svg").pixmap(56, 56));
    QFont big = font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() + 4);
    label(pn_about, "Tamsel", {88, 36, 150, 28}, &big);
    label(pn_about, "Version: 1.02", {88, 66, 150, 22});
    for (auto [text, y] : {std::pair{"Recorder to WAV file. ", 112}, {"Join/Merge WAV file. ", 136}}) {
        QLabel* line = label(pn_about, text, {18, y, 220, 22});
        QPalette blue = line->palette();
        blue.setColor(QPalette::WindowText, Qt::blue);
        line->setPalette(blue);
    }
}

void Tfm_set::buildTree()
{
    tv = new QTreeWidget(this);
    tv->setObjectName("tv");
    tv->setGeometry(1, 4, 126, 238);
    tv->setHeaderHidden(true);
    tv->setColumnCount(1);
    tv->setIndentation(10);
    tv->setFont(smaller(font(), 1.5));
    tv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto node = [this](QTreeWidgetItem* parent, const char* text, Page position) {
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tv);
        item->setText(0, text);
        item->setData(0, Qt::UserRole, int(position));
        return item;
    };
    node(nullptr, "Recording Source", SourcePage);
    node(nullptr, "File Length Limitation", FilePage);
    node(nullptr, "Schedule", SchedulePage);
    QTreeWidgetItem* format = node(nullptr, "Output Format", FormatPage);
    node(format, "WAV", WavPage);
    node(format, "Quality", QualityPage);
    node(nullptr, "Silence", SilencePage);
    node(nullptr, "About", AboutPage);
    tv->setCurrentItem(nullptr);
    // A selected node opens. A click or Return shows its page; the arrow keys
    // show the pages that open no window beside this one.
    connect(tv, &QTreeWidget::currentItemChanged, this,
            ErrorBoundary::guarded([](QTreeWidgetItem* current, QTreeWidgetItem*) {
                if (current) current->setExpanded(true);
            }));
    connect(tv, &QTreeWidget::itemActivated, this, ErrorBoundary::guarded(this, &Tfm_set::tvClick));
    tv->viewport()->installEventFilter(this);
    tv->installEventFilter(this);
}


void Tfm_set::bt_nexClick() { help_.next(); }

void Tfm_set::bt_preClick() { help_.previous(); }
