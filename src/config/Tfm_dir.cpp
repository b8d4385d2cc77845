#include "config/Tfm_dir.h"

#include "config/SettingsFile.h"
#include "config/SettingsKeys.h"
#include "config/Tfm_set.h"
#include "platform/Error.h"
#include "platform/ErrorBoundary.h"
#include "platform/PlacedWidget.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>


Tfm_dir::Tfm_dir(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::WindowTitleHint)
{
    setObjectName("fm_dir");
    setWindowTitle("Output Directory");
    setFixedSize(247, 269);

    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath(QDir::rootPath());

    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName("ShellTreeView1");
    ShellTreeView1->setGeometry(4, 4, 239, 226);
    ShellTreeView1->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) ShellTreeView1->hideColumn(column);
    ShellTreeView1->header()->hide();
    // The root is the one top-level node; it stays open, so it needs no button.
    ShellTreeView1->setRootIsDecorated(false);
    ShellTreeView1->setItemsExpandable(true);
    ShellTreeView1->expand(model_->index(QDir::rootPath()));
    // A right click selects, as a left click does.
    ShellTreeView1->setContextMenuPolicy(Qt::CustomContextMenu);
    using ErrorBoundary::guarded;
    connect(ShellTreeView1, &QTreeView::customContextMenuRequested, this, guarded([this](QPoint pos) {
                const QModelIndex index = ShellTreeView1->indexAt(pos);
                if (index.isValid()) ShellTreeView1->setCurrentIndex(index);
            }));

    Button1 = placedButton<QPushButton>(this, "Button1", "New Folder", {4, 238, 75, 25});
    btn_ok = placedButton<QPushButton>(this, "btn_ok", "Ok", {88, 238, 75, 25});
    btn_ok->setDefault(true);  // Return; Escape cancels
    btn_cancel = placedButton<QPushButton>(this, "btn_cancel", "Cancel", {168, 238, 75, 25});
    connect(Button1, &QPushButton::clicked, this, guarded(this, &Tfm_dir::Button1Click));
    connect(btn_ok, &QPushButton::clicked, this, guarded(this, &Tfm_dir::btn_okClick));
    connect(btn_cancel, &QPushButton::clicked, this, guarded(this, &Tfm_dir::btn_cancelClick));

    // Folders load and sort in the background; until the user picks one,
    // keep the folder the window opened on in sight as they come.
    auto follow = guarded([this](auto&&...) {
        if (!chosen_) scrollToSelection();
    });
    connect(model_, &QFileSystemModel::directoryLoaded, this, follow);
    connect(model_, &QFileSystemModel::layoutChanged, this, follow);
    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            guarded([this](auto&&...) {
                if (!revealing_) chosen_ = true;
            }));
}

QString Tfm_dir::selectedPath() const
{
    const QModelIndex index = ShellTreeView1->currentIndex();
    return index.isValid() ? model_->filePath(index) : QString();
}

bool Tfm_dir::selectFolder(const QString& path)
{
    const QModelIndex index = model_->index(QDir::cleanPath(path));
    if (!index.isValid() || !model_->isDir(index)) return false;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) ShellTreeView1->expand(up);
    ShellTreeView1->setCurrentIndex(index);
    scrollToSelection();
    return true;
}

void Tfm_dir::revealFolder(const QString& path)
{
    // A folder not made yet (the default one before the first recording)
    // shows its nearest existing parent.
    revealing_ = true;
    const QString absolute = QDir::isAbsolutePath(path) ? QDir::cleanPath(path) : QString();
    bool found = false;
    for (QString folder = absolute; !found && !folder.isEmpty();) {
        found = selectFolder(folder);
        const QString up = QFileInfo(folder).path();
        folder = up == folder ? QString() : up;
    }
    if (!found) ShellTreeView1->setCurrentIndex({});
    revealing_ = false;
    chosen_ = false;
}

QString Tfm_dir::configuredFolder() const
{
    if (settingsWindow_) return settingsWindow_->ed_dir->text();
    SettingsFile* settings = settings_ ? settings_() : nullptr;
    return settings ? settings->readText(SettingsKeys::Output::Section, SettingsKeys::Output::Path,
                                         SettingsKeys::Output::directoryDefault())
                    : QString();
}

void Tfm_dir::scrollToSelection()
{
    const QModelIndex index = ShellTreeView1->currentIndex();
    if (index.isValid()) ShellTreeView1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

QString Tfm_dir::newFolderPath(const QString& selected)
{
    return selected.endsWith(u'/') ? selected + NewFolderName : selected + u'/' + NewFolderName;
}

void Tfm_dir::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ErrorBoundary::guard([this] { FormShow(); });
}

void Tfm_dir::FormShow()
{
    // Opens on the folder the settings window shows, so Ok without a choice
    // cannot move the recordings; branches opened before stay open.
    if (settingsWindow_) move(settingsWindow_->pos());
    revealFolder(configuredFolder());
}

void Tfm_dir::btn_okClick()
{
    if (!chosen_) {
        accept();
        return;
    }
    const QString path = selectedPath();
    SettingsFile* settings = settings_ ? settings_() : nullptr;
    if (!settings) throw TamselError("The output folder cannot be stored: the settings file is not open.");
    settings->writeText(SettingsKeys::Output::Section, SettingsKeys::Output::Path, path);
    if (settingsWindow_) settingsWindow_->ed_dir->setText(path);
    accept();
}

void Tfm_dir::btn_cancelClick() { reject(); }

void Tfm_dir::Button1Click()
{
    const QString selected = selectedPath();
    if (selected.isEmpty()) return;
    // One level only; an existing "New Folder" or a read-only parent is not reported.
    if (!QDir().mkdir(newFolderPath(selected))) return;
    // The model follows the file system; make sure the selected folder's
    // children are read so the new one appears under it.
    const QModelIndex index = ShellTreeView1->currentIndex();
    if (model_->canFetchMore(index)) model_->fetchMore(index);
}
