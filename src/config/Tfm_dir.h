#pragma once
// Output directory window: a folder tree to pick or make the output folder.

#include <QDialog>

class Tfm_dir : public QDialog {
    Q_OBJECT
public:
    explicit Tfm_dir(QWidget* parent = nullptr);
};
