#include "platform/Dialogs.h"

#include "platform/FileDialog.h"
#include "platform/FileName.h"

#include <QFileInfo>
#include <QMessageBox>

QString Dialogs::toQtFilter(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        QString name = parts[i];
        // Names may already show their patterns ("MP3 Files(*.mp3)").
        if (!name.contains('(')) name += " (" + patterns + ")";
        else name = name.left(name.indexOf('(')).trimmed() + " (" + patterns + ")";
        out << name;
    }
    return out.join(";;");
}

void QtDialogs::information(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Information, "Information", text, QMessageBox::Ok, parent);
    box.exec();
}

void QtDialogs::plain(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle_, text, QMessageBox::Ok, parent);
    box.exec();
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& directory,
                                 const QString& filter)
{
    FileDialog dialog(parent, "Open", directory, toQtFilter(filter));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    QStringList names;
    if (dialog.exec() != QDialog::Accepted) return names;
    // URLs, not names: a portal's URL keeps the bytes of a name that is not
    // UTF-8, which the dialog's own conversion to text would lose.
    for (const QUrl& url : dialog.chosenUrls())
        if (const QString name = filename::fromUrl(url); !name.isEmpty()) names << name;
    return names;
}

QString QtDialogs::saveFile(QWidget* parent, const QString& directory, const QString& filter)
{
    FileDialog dialog(parent, "Save As", directory, toQtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (dialog.exec() != QDialog::Accepted) return {};
    return filename::fromUrl(dialog.chosenUrls().value(0));
}

bool QtDialogs::confirmReplace(QWidget* parent, const QString& file)
{
    // The words and caption of the save dialog's own question.
    return QMessageBox::warning(parent, "Save As",
                                QString("%1 already exists.\nDo you want to replace it?")
                                    .arg(QFileInfo(file).fileName()),
                                QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}
