#include "platform/FileDialog.h"

#include "platform/ErrorBoundary.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace {

// Present only when Qt's own dialog is shown.
QLineEdit* nameBoxOf(const QFileDialog& dialog) { return dialog.findChild<QLineEdit*>("fileNameEdit"); }

}  // namespace

QList<QUrl> FileDialog::chosenUrls() const { return exact_ ? *exact_ : selectedUrls(); }

QStringList FileDialog::namesInBox(const QString& text)
{
    static const QString separator = QStringLiteral("\" \"");
    if (text.size() > 2 && text.startsWith(u'"') && text.endsWith(u'"') && text.contains(separator))
        return text.mid(1, text.size() - 2).split(separator);
    return {text};
}

QStringList FileDialog::filesInBox() const
{
    const QLineEdit* box = nameBoxOf(*this);
    if (!box || box->text().isEmpty()) return {};
    const QDir folder(directory().absolutePath());
    auto existing = [&folder](const QStringList& names) {
        QStringList files;
        for (const QString& name : names) {
            const QFileInfo info(folder, name);
            if (name.isEmpty() || !info.isFile()) return QStringList();
            files << info.absoluteFilePath();
        }
        return files;
    };
    // A name may itself look like a list ("x" "y" is one file's name too).
    QStringList files = existing(namesInBox(box->text()));
    if (files.isEmpty()) files = existing({box->text()});
    return files;
}

void FileDialog::showEvent(QShowEvent* event)
{
    QFileDialog::showEvent(event);
    QLineEdit* box = nameBoxOf(*this);
    auto* list = findChild<QAbstractItemView*>("listView");
    if (wired_ || !box || !list || !list->selectionModel()) return;
    wired_ = true;
    // After Qt's own reactions, which disable Open when they misread the box.
    using ErrorBoundary::guarded;
    connect(box, &QLineEdit::textChanged, this, guarded([this](const QString&) { updateOpenButton(); }));
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            guarded([this](auto&&...) { updateOpenButton(); }));
}

void FileDialog::updateOpenButton()
{
    if (acceptMode() != AcceptOpen || (fileMode() != ExistingFiles && fileMode() != ExistingFile)) return;
    auto* buttons = findChild<QDialogButtonBox*>("buttonBox");
    QPushButton* open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
    if (open && !open->isEnabled() && !filesInBox().isEmpty()) open->setEnabled(true);
}

void FileDialog::accept()
{
    exact_.reset();
    const QLineEdit* box = nameBoxOf(*this);
    const QString typed = box ? box->text() : QString();
    if (box && acceptMode() == AcceptSave && fileMode() == AnyFile) {
        if (acceptTypedSaveName(typed)) return;
    } else if (box && typed.contains(u'"') && acceptMode() == AcceptOpen
               && (fileMode() == ExistingFiles || fileMode() == ExistingFile)) {
        const QStringList files = filesInBox();
        if (!files.isEmpty() && (fileMode() == ExistingFiles || files.size() == 1)) {
            acceptExactly(files);
            return;
        }
    }
    QFileDialog::accept();
}

bool FileDialog::acceptTypedSaveName(const QString& typed)
{
    // ".." and folders are Qt's to walk into; an empty box is its to refuse.
    if (typed.isEmpty() || typed == QLatin1String("..")) return false;
    QString path = typed;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    const QFileInfo info(QDir(directory().absolutePath()), path);
    if (info.isDir()) return false;

    if (!info.dir().exists()) {
        refuse(tr("%1\nThe folder does not exist.").arg(info.absolutePath()));
        return true;
    }
    if (info.fileName().toUtf8().size() > kMaxNameBytes) {
        refuse(tr("The name is too long: a file name takes at most %1 bytes.").arg(kMaxNameBytes));
        return true;
    }
    if (info.exists() && !testOption(DontConfirmOverwrite)
        && QMessageBox::warning(this, windowTitle(),
                                tr("%1 already exists.\nDo you want to replace it?").arg(info.fileName()),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
               != QMessageBox::Yes)
        return true;
    acceptExactly({info.absoluteFilePath()});
    return true;
}

void FileDialog::acceptExactly(const QStringList& files)
{
    QList<QUrl> urls;
    for (const QString& file : files) urls << QUrl::fromLocalFile(file);
    exact_ = urls;
    QDialog::accept();
}

void FileDialog::refuse(const QString& why) { QMessageBox::warning(this, windowTitle(), why); }
