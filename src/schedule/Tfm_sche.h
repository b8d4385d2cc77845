#pragma once
// Schedule settings window: recording windows and the power-off time.

#include <QDialog>

class Tfm_sche : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_sche(QWidget* parent = nullptr);
};
