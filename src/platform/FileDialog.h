#pragma once
// Qt's own file dialog reads quotes in its name box as a list of names
// ("a.wav" "b.wav") and has no way to escape one: a typed save name holding
// a quote becomes another name, and a selection of several files, one of
// them holding a quote, reads back as names that do not exist, which can
// leave Open disabled. This dialog takes a typed save name whole and reads
// the box's list by its separators. Desktop dialogs (portals) pass names as
// they are and are left alone.

#include <QFileDialog>
#include <QList>
#include <QStringList>
#include <QUrl>
#include <optional>

class FileDialog : public QFileDialog {
    Q_OBJECT
public:
    using QFileDialog::QFileDialog;

    // What the user chose; valid after exec() returned Accepted.
    QList<QUrl> chosenUrls() const;

    // The names a box text holds as this dialog reads it: a list written
    // as Qt writes a selection ("a" "b"), else the text as one name.
    static QStringList namesInBox(const QString& text);

    // The longest file name the file system takes, in bytes.
    static constexpr int kMaxNameBytes = 255;

protected:
    void accept() override;
    void showEvent(QShowEvent* event) override;

private:
    bool acceptTypedSaveName(const QString& typed);
    // The existing files the box names, or none.
    QStringList filesInBox() const;
    void updateOpenButton();
    void acceptExactly(const QStringList& files);
    void refuse(const QString& why);

    std::optional<QList<QUrl>> exact_;
    bool wired_ = false;
};
