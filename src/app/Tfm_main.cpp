#include "app/Tfm_main.h"

#include "components/TAudioFile2.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "components/TAudioVisualizationEx2.h"
#include "components/TSkin.h"
#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "config/Tfm_dev.h"
#include "config/Tfm_dir.h"
#include "config/Tfm_set.h"
#include "join/Tfm_list.h"
#include "platform/Dialogs.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/Shell.h"
#include "schedule/Tfm_sche.h"
#include "tags/Tfm_id3.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>

namespace {

// The level display's place on the skin's face, and its bar count.
constexpr QRect kLevelDisplay{216, 71, 115, 81};
constexpr int kLevelBars = 17;

// Presses on these elements never drag the window.
const QStringList kMarkedElements{"recorder", "pause", "stop", "add",  "play", "list",  "schedule",
                                  "scource",  "set",   "tag",  "play_bar", "help", "min", "close",
                                  "del",      "up",    "down", "bar",  "join"};

}  // namespace

Tfm_main::Tfm_main(MainComponents components, MainServices services)
    : QWidget(nullptr), components_(std::move(components)), services_(std::move(services))
{
    setObjectName("fm_main");
    setWindowTitle("Tamsel");
    if (components_.AudioVisualization21) {
        components_.AudioVisualization21->setParent(this);
        components_.AudioVisualization21->setGeometry(kLevelDisplay);
        components_.AudioVisualization21->setAccessibleName(QStringLiteral("Level"));
        // Shown only while recording or playing.
        components_.AudioVisualization21->hide();
    }
    if (components_.Skin1) {
        TSkin* skin = components_.Skin1.get();
        connect(skin, &TSkin::OnClick, this, ErrorBoundary::guarded(this, &Tfm_main::Skin1Click));
        connect(skin, &TSkin::OnMouseDown, this, ErrorBoundary::guarded(this, &Tfm_main::Skin1MouseDown));
        connect(skin, &TSkin::OnMouseUp, this, ErrorBoundary::guarded(this, &Tfm_main::Skin1MouseUp));
    }
    FormCreate();
}

Tfm_main::~Tfm_main()
{
    // The components go before the window; an open writer completes its file.
    components_.AudioFileWrite.reset();
}

void Tfm_main::FormCreate() {}

void Tfm_main::setVisible(bool visible)
{
    if (visible && !firstShowStarted_) {
        firstShowStarted_ = true;
        // Before the window is mapped: its frame and face are the skin's from
        // the first paint, and the skin's new frame flags need no re-show.
        ErrorBoundary::guard([this] { FormShow(); });
    }
    QWidget::setVisible(visible);
}

void Tfm_main::FormShow()
{
    settings_ = services_.settingsPath.isEmpty()
                    ? std::make_unique<SettingsFile>()
                    : std::make_unique<SettingsFile>(services_.settingsPath);
    // The stored schedule counts from start-up, not from the window's first show.
    schedule_ = Schedule::load(*settings_, schedule_.mode, false, QDateTime::currentDateTime());

    components_.AudioFileWrite->SetFileOption(-1);
    components_.AudioFilepaly->SetFileOption(-1);

    try {
        fillRecordingSource();
    } catch (const TamselError& e) {
        // Without a sound server the program still plays no part in capture,
        // but joining and tagging work: report it and finish setting up.
        ApplicationEvents1Exception(e.message());
    }

    // The save step before each recording writes the settings window's
    // controls, so they hold what is stored even before its first showing.
    windows_.set->loadFromSettings();
    windows_.set->ed_dir->setText(settings_->readText(SettingsKeys::Output::Section,
                                                      SettingsKeys::Output::Path,
                                                      SettingsKeys::Output::directoryDefault()));
    barFollows_ = true;
    components_.AudioVisualization21->setLineCount(kLevelBars);

    TSkin& skin = *components_.Skin1;
    skin.OpenSkinFile(QDir(services_.programDirectory).filePath("mp3enc.dll"));
    skin.PrepareWindow(this);
    skin.ApplyFormToWindow(this, "mp3rec");
    BindSkinElements();

    if (play_bar.bar) play_bar.bar->SetBarPosition(0);
    if (play_bar.common) {
        play_bar.common->RedrawElement();
        play_bar.common->SetElementEnabled(false);
    }
    components_.AudioVisualization21->hide();
    windows_.list->FormShow();
    firstShowDone_ = true;
}

void Tfm_main::fillRecordingSource()
{
    TAudioRecord2& rec = *components_.AudioRecord1;
    Tfm_dev& dev = *windows_.dev;
    dev.useSettings(settings_.get());  // the stored line is the one listed as selected
    const int devices = rec.DeviceCount();
    for (int i = 0; i <= devices; ++i) {
        rec.SetDevice(i);
        dev.cb_rd->addItem(rec.DeviceName());
    }
    const int lines = rec.InputLineCount();
    int selected = -1;
    for (int n = 1; n <= lines; ++n) {
        rec.SetLine(n);
        dev.cb_rdson->addItem(rec.LineName());
        if (rec.LineSelected()) selected = n - 1;  // the last one wins
    }
    // A combo box selects its first entry by itself; no active line means none.
    dev.cb_rdson->setCurrentIndex(selected);

    dev.cb_rd->setCurrentIndex(
        settings_->readInteger("rd", "rd", rec.DeviceCount()));
    rec.SetLine(dev.cb_rdson->currentIndex() + 1);
    dev.showVolume(rec.LineVolume());
}

void Tfm_main::BindSkinElements()
{
    ISkinnedWindow* window = components_.Skin1->SkinnedWindowOf(this);
    auto bind = [window](const char* name, Display& d, bool text, bool bar) {
        ISkinObject* element = window ? window->ElementByName(name) : nullptr;
        if (!element) return;
        if (text) d.text = element->TextFacet();
        if (bar) d.bar = element->ScrollBarFacet();
        d.common = element->CommonFacet();
    };
    bind("s_time", s_time, true, false);
    bind("play_bar", play_bar, false, true);
    bind("s_sizeson", s_sizeson, true, false);
    bind("s_filename", s_filename, true, false);
    bind("s_mono", s_mono, true, false);
}

void Tfm_main::setDisplayText(const Display& element, const QString& text)
{
    if (element.text) element.text->SetElementText(text);
    if (element.common) element.common->RedrawElement();
}

void Tfm_main::showText(DisplayText which, const QString& text)
{
    const Display& d = which == DisplayText::Time       ? s_time
                       : which == DisplayText::Size     ? s_sizeson
                       : which == DisplayText::FileName ? s_filename
                                                        : s_mono;
    setDisplayText(d, text);
}

void Tfm_main::ApplicationEvents1Exception(const QString& message)
{
    // The failing work stops before the box opens: the box runs the event
    // loop, and a recording or playback left running would fail again at
    // every block. Errors of the stop itself wait their turn (ErrorBoundary).
    if (activity_.recording()) ErrorBoundary::guard([this] { run(commands_.StopRecording); });
    if (activity_.playing()) ErrorBoundary::guard([this] { run(commands_.StopPlayback); });
    // The join run completes its output at its next check.
    run(commands_.StopJoin);
    services_.dialogs->information(this, message);
}

void Tfm_main::run(const std::function<void()>& command)
{
    if (command) command();
}

void Tfm_main::Skin1Click(ISkinObject* source)
{
    const QString name = source->ElementName();
    if (name == "recorder") {
        run(commands_.RecordCommand);
    } else if (name == "pause") {
        if (activity_.recording()) run(commands_.ToggleRecordingPause);
        if (activity_.playing()) run(commands_.TogglePlaybackPause);
    } else if (name == "stop") {
        if (activity_.recording()) run(commands_.StopRecording);
        if (activity_.playing()) run(commands_.StopPlayback);
        if (windows_.list->shown()) windows_.list->lv->setFocus();
    } else if (name == "add") {
        if (!activity_.playing() && !activity_.joining()) run(commands_.AddFiles);
    } else if (name == "play") {
        run(commands_.PlayCommand);
    } else if (name == "list") {
        toggleListWindow();
    } else if (name == "schedule") {
        showModal(windows_.sche, 27, 0);
    } else if (name == "scource") {
        windows_.dev->dev_bt_help->setEnabled(true);
        showModal(windows_.dev, 114, 0);
    } else if (name == "set") {
        if (!activity_.playing() && !activity_.recording()) showModal(windows_.set, 27, 0);
    } else if (name == "tag") {
        if (!activity_.playing() && !activity_.joining()) showModal(windows_.id3, 27, 0);
    } else if (name == "list_add") {
        run(commands_.AddFiles);
    } else if (name == "del") {
        run(commands_.RemoveSelected);
    } else if (name == "up") {
        run(commands_.MoveUp);
    } else if (name == "down") {
        run(commands_.MoveDown);
    } else if (name == "join") {
        run(commands_.JoinFiles);
    } else if (name == "stopj") {
        run(commands_.StopJoin);
    } else if (name == "help") {
        openHelp();
    }
}

void Tfm_main::toggleListWindow()
{
    if (windows_.list->shown()) {
        windows_.list->close();
    } else {
        windows_.list->FormShow();
    }
}

void Tfm_main::showModal(QWidget* window, int dx, int dy)
{
    window->move(x() + dx, y() + dy);
    if (auto* dialog = qobject_cast<QDialog*>(window)) dialog->exec();
    else window->show();
}

void Tfm_main::openHelp()
{
    services_.shell->openDocument(QDir(services_.programDirectory).filePath("help/TAMSEL.html"));
}

void Tfm_main::Skin1MouseDown(ISkinObject* source, int, int, int)
{
    const QString name = source->ElementName();
    if (kMarkedElements.contains(name)) drag_.elementPressed();
    if (name == "play_bar") barFollows_ = false;
}

void Tfm_main::Skin1MouseUp(ISkinObject* source, int, int, int)
{
    if (source->ElementName() != "play_bar") return;
    // Every release lets the bar follow again, so a press while nothing
    // plays cannot freeze it for the next playback; a seek shows its place.
    barFollows_ = true;
    if (activity_.playing()) run(commands_.SeekFromBar);
}

void Tfm_main::FormMouseDown(QPoint pos) { drag_.mainPressed(pos); }

void Tfm_main::FormMouseMove(QPoint pos)
{
    if (!windows_.list) return;
    const bool leftDown = QGuiApplication::mouseButtons() & Qt::LeftButton;
    const auto r = drag_.mainMoved(frameGeometry(), windows_.list->frameGeometry(), pos, leftDown);
    if (r.mainPos != this->pos()) move(r.mainPos);
    if (r.listPos != windows_.list->pos()) windows_.list->move(r.listPos);
}

void Tfm_main::FormMouseUp() { drag_.released(); }

void Tfm_main::mousePressEvent(QMouseEvent* event)
{
    ErrorBoundary::guard([&] { FormMouseDown(event->position().toPoint()); });
}

void Tfm_main::mouseMoveEvent(QMouseEvent* event)
{
    ErrorBoundary::guard([&] { FormMouseMove(event->position().toPoint()); });
}

void Tfm_main::mouseReleaseEvent(QMouseEvent*) { FormMouseUp(); }

void Tfm_main::closeEvent(QCloseEvent* event)
{
    QWidget::closeEvent(event);
    // A join pumping the event loop holds the quit back until it returns:
    // it stops at its next check, completes its output and opens nothing.
    quitting_ = true;
    run(commands_.StopJoin);
    // The list window must not keep the program alive.
    QTimer::singleShot(0, qApp, &QApplication::quit);
}
