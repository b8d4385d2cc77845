#include "join/Tfm_list.h"

#include "app/Activity.h"
#include "platform/Docking.h"
#include "components/TAudioFile2.h"
#include "components/TSkin.h"
#include "platform/Dialogs.h"
#include "platform/ErrorBoundary.h"
#include "platform/TimeText.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMouseEvent>
#include <QTableWidget>

#include <algorithm>
#include <exception>

namespace {

// Everything the reader opens under the first entry; the program's four
// formats of old after it, then any file at all.
const QString kOpenFilter =
    "All Supported Files|*.mp3;*.wav;*.wma;*.ogg;*.oga;*.opus;*.flac;*.m4a;*.aac;*.mp4;*.aif;*.aiff;*.aifc;"
    "*.w64;*.rf64;*.caf;*.au;*.snd;*.wv;*.ape;*.mpc;*.ac3;*.amr;*.mp2;*.spx;*.webm;*.mka"
    "|MP3 Files(*.mp3)|*.mp3|WAV Files(*.wav)|*.wav|WMA Files(*.wma)|*.wma|OGG Files(*.ogg)|*.ogg"
    "|FLAC Files(*.flac)|*.flac|Opus Files(*.opus)|*.opus|AAC Files(*.m4a;*.aac)|*.m4a;*.aac"
    "|AIFF Files(*.aif;*.aiff)|*.aif;*.aiff|All Files(*)|*";

// The full path rides on the name cell; it is never shown.
constexpr int kPathRole = Qt::UserRole;

}  // namespace

Tfm_list::Tfm_list(const ActivityState& activity, WindowDrag& drag, TSkin& skin, QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                           | Qt::WindowCloseButtonHint),
      activity_(activity), drag_(drag), skin_(skin), main_(mainWindow)
{
    setObjectName("fm_list");
    setWindowTitle("List");
    setFixedSize(475, 180);

    lv = new QTableWidget(0, 2, this);
    lv->setObjectName("lv");
    lv->setGeometry(35, 34, 427, 122);
    lv->setHorizontalHeaderLabels({"File Name:", "Time:"});
    lv->setColumnWidth(0, 336);
    lv->setColumnWidth(1, 91);
    lv->verticalHeader()->hide();
    lv->horizontalHeader()->setSectionsClickable(false);
    lv->horizontalHeader()->setHighlightSections(false);
    lv->horizontalHeader()->setStretchLastSection(true);
    lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    lv->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the window's buttons instead of walking its cells.
    lv->setTabKeyNavigation(false);
    lv->setShowGrid(true);
    lv->setFrameShape(QFrame::NoFrame);
    lv->setWordWrap(false);
    lv->verticalHeader()->setDefaultSectionSize(18);
    QPalette pal = lv->palette();
    pal.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    lv->setPalette(pal);
    // The view settles a click's selection in its own press and release
    // handling, so the click rule runs once that is done.
    lv->viewport()->installEventFilter(this);
}

void Tfm_list::setAudio(TAudioFile2* reader, Dialogs* dialogs)
{
    reader_ = reader;
    dialogs_ = dialogs;
}

int Tfm_list::count() const { return lv->rowCount(); }

QString Tfm_list::entryPath(int row) const
{
    const QTableWidgetItem* item = lv->item(row, 0);
    return item ? item->data(kPathRole).toString() : QString();
}

int Tfm_list::selectedIndex() const
{
    int first = -1;
    for (const QModelIndex& index : lv->selectionModel()->selectedRows())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

void Tfm_list::setSelected(int row, bool selected)
{
    const QModelIndex index = lv->model()->index(row, 0);
    lv->selectionModel()->select(index, (selected ? QItemSelectionModel::Select
                                                  : QItemSelectionModel::Deselect)
                                            | QItemSelectionModel::Rows);
}

void Tfm_list::selectOnly(int row)
{
    lv->clearSelection();
    setSelected(row, true);
}

void Tfm_list::appendFile(const QString& path)
{
    reader_->OpenRead(path, 0, 1);
    QString time;
    try {
        time = timeTextFromMs(reader_->Duration());
        reader_->CloseFile();
    } catch (...) {
        try {
            reader_->CloseFile();
        } catch (...) {
        }
        throw;
    }
    const int row = lv->rowCount();
    lv->insertRow(row);
    auto* name = new QTableWidgetItem(QFileInfo(path).fileName());
    name->setData(kPathRole, path);
    lv->setItem(row, 0, name);
    lv->setItem(row, 1, new QTableWidgetItem(time));
}

bool Tfm_list::appendFiles(const QStringList& paths)
{
    bool any = false;
    for (const QString& path : paths) {
        try {
            appendFile(path);
            any = true;
        } catch (const std::exception&) {
            dialogs_->information(this, "Read " + path + " error!!");
        }
    }
    return any;
}

void Tfm_list::AddFiles()
{
    if (!reader_ || !dialogs_) return;
    if (activity_.recording() || activity_.playing()) return;
    const QStringList files = dialogs_->openFiles(main_, QString(), kOpenFilter);
    if (files.isEmpty()) return;
    const int firstAdded = lv->rowCount();
    if (appendFiles(files)) selectOnly(firstAdded);
}

void Tfm_list::AddRecordedFile(const QString& path)
{
    if (!reader_ || !dialogs_) return;
    if (!appendFiles({path})) return;
    selectOnly(lv->rowCount() - 1);
    if (shown_) lv->setFocus();
}

void Tfm_list::RemoveSelected()
{
    // A join reads the entries by position, so the list holds still under it.
    if (!activity_.idle()) return;
    int row = 0;
    while (row < lv->rowCount()) {
        if (lv->selectionModel()->isRowSelected(row, QModelIndex()))
            lv->removeRow(row);
        else
            ++row;
    }
    lv->setFocus();
}

// The entries take their selection with them.
void Tfm_list::swapEntries(int a, int b)
{
    const bool aSelected = lv->selectionModel()->isRowSelected(a, QModelIndex());
    const bool bSelected = lv->selectionModel()->isRowSelected(b, QModelIndex());
    for (int column = 0; column < 2; ++column) {
        QTableWidgetItem* first = lv->takeItem(a, column);
        QTableWidgetItem* second = lv->takeItem(b, column);
        lv->setItem(a, column, second);
        lv->setItem(b, column, first);
    }
    setSelected(a, bSelected);
    setSelected(b, aSelected);
}

void Tfm_list::MoveUp()
{
    const int i = selectedIndex();
    if (i <= 0 || activity_.joining()) return;
    swapEntries(i, i - 1);
    lv->setFocus();
}

void Tfm_list::MoveDown()
{
    const int i = selectedIndex();
    if (i < 0 || i >= lv->rowCount() - 1 || activity_.joining()) return;
    swapEntries(i, i + 1);
    lv->setFocus();
}

void Tfm_list::lvClick()
{
    if (lv->rowCount() == 0 || activity_.playing()) return;
    const int i = selectedIndex();
    if (i >= 0) {
        rememberedIndex_ = i;
        return;
    }
    rememberedIndex_ = std::clamp(rememberedIndex_, 0, lv->rowCount() - 1);
    setSelected(rememberedIndex_, true);
}

bool Tfm_list::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lv->viewport() && event->type() == QEvent::MouseButtonRelease)
        QMetaObject::invokeMethod(this, ErrorBoundary::guarded(this, &Tfm_list::lvClick),
                                  Qt::QueuedConnection);
    return QWidget::eventFilter(watched, event);
}

void Tfm_list::FormShow()
{
    skin_.PrepareWindow(this);
    skin_.ApplyFormToWindow(this, "listwin");
    move(main_->x(), main_->y() + main_->height());
    show();
    shown_ = true;
}

void Tfm_list::closeEvent(QCloseEvent* event)
{
    shown_ = false;
    event->accept();
}

void Tfm_list::FormMouseDown(QPoint pos) { drag_.listPressed(pos); }

void Tfm_list::FormMouseMove(QPoint pos)
{
    const bool leftDown = QGuiApplication::mouseButtons() & Qt::LeftButton;
    const auto to = drag_.listMoved(main_->frameGeometry(), frameGeometry(), pos, leftDown);
    if (to && *to != QWidget::pos()) move(*to);
}

void Tfm_list::FormMouseUp() { drag_.listReleased(); }

void Tfm_list::mousePressEvent(QMouseEvent* event)
{
    ErrorBoundary::guard([&] { FormMouseDown(event->position().toPoint()); });
}

void Tfm_list::mouseMoveEvent(QMouseEvent* event)
{
    ErrorBoundary::guard([&] { FormMouseMove(event->position().toPoint()); });
}

void Tfm_list::mouseReleaseEvent(QMouseEvent*) { FormMouseUp(); }
