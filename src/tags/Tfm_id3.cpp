#include "tags/Tfm_id3.h"

#include "components/TAudioInformation2.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "config/TypedKey.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

namespace Info = SettingsKeys::Info;

namespace {

QLineEdit* edit(QWidget* parent, const char* name, const QString& label, QRect where,
                int labelWidth)
{
    auto* caption = new QLabel(label, parent);
    caption->setGeometry(where.x() - labelWidth, where.y() + 3, labelWidth - 4, 16);
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setGeometry(where);
    caption->setBuddy(e);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const QString& text, int x)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(x, 241, 75, 25);
    b->setAutoDefault(false);
    return b;
}

bool isDecimalDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// A decimal integer with an optional sign and nothing around it; an empty
// text is not a number.
std::optional<int> decimalValue(const QString& text)
{
    const qsizetype start = (text.startsWith(u'-') || text.startsWith(u'+')) ? 1 : 0;
    if (text.size() <= start) return std::nullopt;
    for (qsizetype i = start; i < text.size(); ++i)
        if (!isDecimalDigit(text[i])) return std::nullopt;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

void digitsOnly(QChar& key)
{
    if (key.isPrint() && !isDecimalDigit(key)) key = u'\b';
}

}  // namespace

Tfm_id3::Tfm_id3(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName("fm_id3");
    setWindowTitle("ID3 info");
    setFixedSize(434, 274);

    constexpr int labelWidth = 72;
    infoFileName = edit(this, "infoFileName", "File Name:", {80, 8, 346, 21}, labelWidth);
    infoTitle = edit(this, "infoTitle", "Title:", {80, 38, 160, 21}, labelWidth);
    infoArtist = edit(this, "infoArtist", "Artist:", {80, 66, 160, 21}, labelWidth);
    infoAlbum = edit(this, "infoAlbum", "Album:", {80, 94, 160, 21}, labelWidth);
    infoGenre = new QComboBox(this);
    infoGenre->setObjectName("infoGenre");
    infoGenre->setEditable(false);
    infoGenre->setGeometry(80, 122, 160, 22);
    infoGenre->setMaxVisibleItems(16);
    auto* genreLabel = new QLabel("Genre:", this);
    genreLabel->setGeometry(8, 125, labelWidth - 4, 16);
    genreLabel->setBuddy(infoGenre);
    infoYear = edit(this, "infoYear", "Year:", {80, 151, 160, 21}, labelWidth);
    infoYear->setText("0");
    infoTrack = edit(this, "infoTrack", "Track:", {80, 179, 160, 21}, labelWidth);
    infoTrack->setText("0");
    infoComment = edit(this, "infoComment", "Comment:", {80, 207, 160, 21}, labelWidth);
    infoYear->installEventFilter(this);
    infoTrack->installEventFilter(this);

    gb_technical = new QGroupBox(this);
    gb_technical->setObjectName("gb_technical");
    gb_technical->setGeometry(246, 34, 180, 198);
    gb_technical->setEnabled(false);
    constexpr int technicalLabelWidth = 94;
    int y = 10;
    const auto technical = [&](const char* name, const QString& label) {
        QLineEdit* e = edit(gb_technical, name, label, {96, y, 80, 20}, technicalLabelWidth);
        e->setReadOnly(true);
        y += 23;
        return e;
    };
    infoFrequency = technical("infoFrequency", "Frequency:");
    infoBitrate = technical("infoBitrate", "Bitrate:");
    infoDuration = technical("infoDuration", "Duration:");
    infoChannels = technical("infoChannels", "Channels:");
    infoSamples = technical("infoSamples", "Samples:");
    infoSize = technical("infoSize", "Size:");
    infoBitsPerSample = technical("infoBitsPerSample", "BitsPerSample:");
    infoFormatTag = technical("infoFormatTag", "FormatTag:");

    btnApply = button(this, "btnApply", "OK", 179);
    btnApply->setDefault(true);  // Return; Escape cancels
    btnReset = button(this, "btnReset", "Clear", 265);
    Button2 = button(this, "Button2", "Cancel", 351);
    using ErrorBoundary::guarded;
    connect(btnApply, &QPushButton::clicked, this, guarded(this, &Tfm_id3::btnApplyClick));
    connect(btnReset, &QPushButton::clicked, this, guarded(this, &Tfm_id3::btnResetClick));
    connect(Button2, &QPushButton::clicked, this, guarded(this, &Tfm_id3::Button2Click));
}

void Tfm_id3::setInformation(TAudioInformation2* information)
{
    information_ = information;
    FormCreate();
}

void Tfm_id3::FormCreate()
{
    infoGenre->clear();
    if (!information_) return;
    for (int index = 0; index < GenreCount; ++index)
        infoGenre->addItem(information_->GenreName(index));
    infoGenre->setCurrentIndex(-1);
}

int Tfm_id3::exec()
{
    FormShow();
    return QDialog::exec();
}

void Tfm_id3::selectGenre(int index)
{
    infoGenre->setCurrentIndex(index >= 0 && index < infoGenre->count() ? index : -1);
}

void Tfm_id3::showTechnicalData()
{
    if (!information_) return;
    const TAudioInformation2& i = *information_;
    infoFrequency->setText(QString::number(i.infoFrequency()) + " Hz");
    infoBitrate->setText(QString::number(i.infoBitrate()) + " bps");
    infoDuration->setText(QString::number(i.infoDuration()) + " ms");
    infoChannels->setText(QString::number(i.infoChannels()));
    infoSamples->setText(QString::number(i.infoSamples()));
    infoSize->setText(QString::number(i.infoSize()));
    infoBitsPerSample->setText(QString::number(i.infoBitsPerSample()));
    infoFormatTag->setText(QString::number(i.infoFormatTag()));
}

void Tfm_id3::FormShow()
{
    path_ = selectedEntry_ ? selectedEntry_() : QString();
    if (!path_.isEmpty() && information_) {
        TAudioInformation2& i = *information_;
        i.ReadInfo(path_);
        infoFileName->setText(QFileInfo(path_).fileName());
        infoTitle->setText(i.infoTitle());
        infoArtist->setText(i.infoArtist());
        infoAlbum->setText(i.infoAlbum());
        selectGenre(i.infoGenre());
        infoComment->setText(i.infoComments());
        infoYear->setText(QString::number(i.infoYear()));
        infoTrack->setText(QString::number(i.infoTrack()));
        showTechnicalData();
        rememberShown();
        editingDefaults = false;
        return;
    }
    path_.clear();
    const SettingsFile* s = settings_ ? settings_() : nullptr;
    const auto text = [s](const char* key, const QString& fallback) {
        return s ? s->readText(Info::Section, key, fallback) : fallback;
    };
    infoFileName->clear();
    infoTrack->setText(text(Info::Track, Info::TrackDefault));
    infoYear->setText(text(Info::Year, Info::YearDefault));
    infoTitle->setText(text(Info::Title, {}));
    infoArtist->setText(text(Info::Artist, {}));
    infoAlbum->setText(text(Info::Album, {}));
    selectGenre(s ? s->readInteger(Info::Section, Info::Genre, -1) : -1);
    infoComment->setText(text(Info::Comment, {}));
    editingDefaults = true;
}

void Tfm_id3::saveDefaults()
{
    SettingsFile* s = settings_ ? settings_() : nullptr;
    if (!s) throw TamselError("The default tag cannot be saved: tamsel.ini is not open.");
    s->writeText(Info::Section, Info::Track, infoTrack->text());
    s->writeText(Info::Section, Info::Year, infoYear->text());
    s->writeText(Info::Section, Info::Title, infoTitle->text());
    s->writeText(Info::Section, Info::Artist, infoArtist->text());
    s->writeText(Info::Section, Info::Album, infoAlbum->text());
    s->writeInteger(Info::Section, Info::Genre, infoGenre->currentIndex());
    s->writeText(Info::Section, Info::Comment, infoComment->text());
}

void Tfm_id3::rememberShown()
{
    shown_ = {infoTitle->text(), infoArtist->text(), infoAlbum->text(), infoComment->text(),
              infoGenre->currentIndex(), information_->infoYear(), information_->infoTrack()};
    stagedUnwritten_ = false;
}

// Stages only the fields the user changed; the component writes nothing else.
bool Tfm_id3::saveToFile(const QString& path)
{
    TAudioInformation2& i = *information_;
    // A field that a failed Ok staged and the user has since set back must
    // not be written: reading the file again drops what was staged.
    if (stagedUnwritten_) i.ReadInfo(path);
    const auto stage = [this](bool changed, auto&& set) {
        if (!changed) return;
        set();
        stagedUnwritten_ = true;
    };
    stage(infoTitle->text() != shown_.title, [&] { i.setInfoTitle(infoTitle->text()); });
    stage(infoArtist->text() != shown_.artist, [&] { i.setInfoArtist(infoArtist->text()); });
    stage(infoAlbum->text() != shown_.album, [&] { i.setInfoAlbum(infoAlbum->text()); });
    stage(infoGenre->currentIndex() != shown_.genre, [&] { i.setInfoGenre(infoGenre->currentIndex()); });
    stage(infoComment->text() != shown_.comment, [&] { i.setInfoComments(infoComment->text()); });
    const std::optional<int> year = decimalValue(infoYear->text());
    if (!year) {
        if (dialogs_) dialogs_->plain(this, "Invalid Year Value");
        infoYear->setFocus();
        return false;
    }
    stage(*year != shown_.year, [&] { i.setInfoYear(*year); });
    const std::optional<int> track = decimalValue(infoTrack->text());
    if (!track) {
        if (dialogs_) dialogs_->plain(this, "Invalid Track Value");
        infoTrack->setFocus();
        return false;
    }
    stage(*track != shown_.track, [&] { i.setInfoTrack(*track); });
    i.WriteInfo(path);
    stagedUnwritten_ = false;
    return true;
}

void Tfm_id3::btnApplyClick()
{
    if (editingDefaults || !information_) {
        saveDefaults();
    } else if (!saveToFile(path_)) {
        return;
    }
    accept();
}

void Tfm_id3::btnResetClick()
{
    infoTitle->clear();
    infoArtist->clear();
    infoAlbum->clear();
    infoComment->clear();
    selectGenre(information_ ? information_->infoGenre() : -1);
    infoYear->setText("0");
    infoTrack->setText("0");
    showTechnicalData();
}

void Tfm_id3::Button2Click() { reject(); }

void Tfm_id3::infoYearKeyPress(QChar& key) { digitsOnly(key); }

void Tfm_id3::infoTrackKeyPress(QChar& key) { digitsOnly(key); }

bool Tfm_id3::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || (watched != infoYear && watched != infoTrack))
        return QDialog::eventFilter(watched, event);
    return ErrorBoundary::guardOr(false, [&] {
        const std::optional<QChar> typed = typedCharacter(*static_cast<QKeyEvent*>(event));
        if (!typed) return false;
        QChar key = *typed;
        if (watched == infoYear) infoYearKeyPress(key);
        else infoTrackKeyPress(key);
        if (key == *typed) return false;
        // The replaced key acts as the backspace it became.
        static_cast<QLineEdit*>(watched)->backspace();
        return true;
    });
}
