#include "config/Tfm_set.h"

#include <QLineEdit>

Tfm_set::Tfm_set(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName("fm_set");
    setWindowTitle("Settings");
    setFixedSize(388, 279);
    ed_dir = new QLineEdit(this);
    ed_dir->setObjectName("ed_dir");
    ed_dir->setGeometry(136, 40, 200, 24);
}
