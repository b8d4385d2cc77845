#pragma once
// Tag and information window.

#include <QDialog>

class Tfm_id3 : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_id3(QWidget* parent = nullptr);
};
