#pragma once
// Settings window: length limit, WAV format, output format, folder and naming.

#include <QDialog>

class QLineEdit;

class Tfm_set : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_set(QWidget* parent = nullptr);

    QLineEdit* ed_dir;
};
