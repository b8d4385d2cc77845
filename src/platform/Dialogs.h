#pragma once
// Message boxes and file dialogs go through this interface so tests can answer
// them without a person. Filters use the "Name|*.a;*.b|Name|*.c" form.

#include <QString>
#include <QStringList>
#include <utility>

class QWidget;

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // An information box captioned "Information" with one OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // A plain box with one OK button and no icon, captioned with the
    // application title.
    virtual void plain(QWidget* parent, const QString& text) = 0;
    virtual QStringList openFiles(QWidget* parent, const QString& directory,
                                  const QString& filter) = 0;
    // Empty when cancelled.
    virtual QString saveFile(QWidget* parent, const QString& directory, const QString& filter) = 0;

    // "All|*.mp3;*.wav|WAV|*.wav" as Qt's "All (*.mp3 *.wav);;WAV (*.wav)".
    static QString toQtFilter(const QString& filter);

    // Asks, as the save dialog does, whether an existing file may be
    // replaced; No is the default.
    virtual bool confirmReplace(QWidget* parent, const QString& file) = 0;
};

class QtDialogs : public Dialogs {
public:
    // The title plain boxes carry; the application's name is shorter.
    explicit QtDialogs(QString applicationTitle) : applicationTitle_(std::move(applicationTitle)) {}

    void information(QWidget* parent, const QString& text) override;
    void plain(QWidget* parent, const QString& text) override;
    QStringList openFiles(QWidget* parent, const QString& directory,
                          const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& directory, const QString& filter) override;
    bool confirmReplace(QWidget* parent, const QString& file) override;

private:
    QString applicationTitle_;
};
